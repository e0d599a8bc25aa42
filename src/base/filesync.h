#pragma once

class QFile;

namespace parlevo {

// Flushes the file's buffer and asks the system to put its data on the disk, so that what was
// written survives a crash of the machine, not only of the program. False when either step fails.
bool syncToDisk(QFile &file);

} // namespace parlevo
