#pragma once

namespace parlevo {

// The account password is held in clear in memory: a crash must not write it into a core file.
// Called first thing by the program and by the command-line tool.
void disableCoreDumps();

} // namespace parlevo
