#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>

namespace parlevo {

namespace cli {

// Exit statuses of parlevo-cli.
enum ExitStatus : int {
    kAccepted = 0,    // the gateway accepted the message (80, 81), or the command did its work
    kFailure = 1,     // the configuration could not be written, or the app holds the data directory
    kUnreachable = 2, // no usable reply from the gateway
    kRefused = 3,     // the gateway refused (any other code)
    kNoAnswer = 4,    // the request left but no complete answer came in time: the SMS may have been sent
    kStopped = 130,   // a mailing stopped by Ctrl+C or SIGTERM before every row was sent
    kUsageError = 64, // wrong command line
};

// "YYYY-MM-DD HH:MM" -> hhmmDDMMYYYY; nothing when the text is not such a date and time.
std::optional<QString> deferredValue(const QString &at);

// Runs parlevo-cli with its arguments (the program name first); returns the exit status.
int run(const QStringList &arguments);

// Readies standard output and error for the texts of write() (on Windows: binary, UTF-8). Called
// once, before run.
void prepareStreams();

} // namespace cli
} // namespace parlevo
