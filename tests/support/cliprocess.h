#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QUrl>

class QProcess;

namespace parlevo::test {

// What one run of the real parlevo-cli gave; status -1 when it did not start or end in time.
struct CliRun {
    int status = -1;
    QString out;
    QString err;
};

// The built parlevo-cli.
QString cliProgram();

// Runs the built parlevo-cli with the arguments (never the user's PARLEVO_HOME), pointed at the
// gateway when one is given, with input on its standard input.
CliRun runCli(const QStringList &arguments, const QUrl &gateway = {}, const QByteArray &input = {});

// Starts it the same way and returns at once, for a test that acts while it runs.
void startCli(QProcess &process, const QStringList &arguments, const QUrl &gateway = {});

// The same, as a user without privileges: file permissions then hold, as they do for root only
// in appearance. Tests running as root drop to "nobody"; status -2 when that is impossible here.
CliRun runCliUnprivileged(const QStringList &arguments, const QByteArray &input = {});

} // namespace parlevo::test
