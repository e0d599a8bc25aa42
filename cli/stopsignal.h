#pragma once

namespace parlevo::cli {

// Ctrl+C and a termination request (SIGINT, SIGTERM; on Windows the console's Ctrl+C, Ctrl+Break
// and close) ask a running mailing to stop once the SMS in flight have their answers. Only a flag
// is set: the mailing looks at it from its event loop. A second request ends the program at once.
class StopSignal final {
public:
    StopSignal();
    ~StopSignal();
    StopSignal(const StopSignal &) = delete;
    StopSignal &operator=(const StopSignal &) = delete;

    static bool requested();
};

} // namespace parlevo::cli
