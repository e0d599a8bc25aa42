#pragma once

#include <QString>

namespace parlevo {

// The directory that holds the configuration, the contacts and the predefined messages:
// the --data-dir option when given, then the PARLEVO_HOME environment variable, then the
// program's own directory when it is writable (portable use), else the per-user data directory.
QString resolveDataDir(const QString &dataDirOption);

// Languages/<name>.lng looked up in the data directory, beside the program, then in the
// installed data directory; the data-directory path when none exists.
QString findLanguageFile(const QString &dataDir, const QString &languageName);

} // namespace parlevo
