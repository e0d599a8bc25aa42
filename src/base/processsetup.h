#pragma once

namespace parlevo {

// What the program and the command-line tool do first, before Qt is set up: no core dump (see
// disableCoreDumps), and on Windows regular expressions without JIT. MinGW frees a thread's
// thread_local storage before the destructors that use it run, and Qt keeps each thread's JIT stack
// in one: a worker thread that matched a pattern faulted as it ended.
void prepareProcess();

} // namespace parlevo
