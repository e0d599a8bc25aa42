#pragma once

#include "base/config.h"

namespace parlevo {

class ClassSendora;
class clsRC4;
class DataDir;

// Reads the configuration and the gateway account; a missing file or a value that does not
// convert leaves the defaults, silently. A file that exists but cannot be read is marked
// unreadable in the data directory and is then never saved over. The cipher deciphers the
// passwords.
void LoadConfig(Config &config, ClassSendora &gateway, clsRC4 &cipher, DataDir &dataDir);

// Writes the configuration with the window's geometry, readable by its owner only. The file is
// replaced whole or not at all; false when it was not written (the settings of the run are lost).
bool SaveConfig(Config &config, const ClassSendora &gateway, clsRC4 &cipher, const DataDir &dataDir,
                const WindowGeometry &window);

} // namespace parlevo
