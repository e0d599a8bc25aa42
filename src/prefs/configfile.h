#pragma once

#include "base/config.h"

namespace parlevo {

class AppState;

// Reads the configuration and the gateway account; a missing file or a value that does not
// convert leaves the defaults, silently. A file that exists but cannot be read is marked
// unreadable in the state and is then never saved over.
void LoadConfig(AppState &state);

// Writes the configuration with the window's geometry, readable by its owner only. The file is
// replaced whole or not at all; false when it was not written (the settings of the run are lost).
bool SaveConfig(AppState &state, const WindowGeometry &window);

} // namespace parlevo
