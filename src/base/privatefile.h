#pragma once

#include <QString>

namespace parlevo {

// Lets only the user running the program read and write the file or folder at path (on Windows
// through its security descriptor, which a folder then passes on to what is made in it).
// False when the system refuses.
bool makeOwnerOnly(const QString &path);

// True when nobody but the owner may read or write what is at path.
bool isOwnerOnly(const QString &path);

} // namespace parlevo
