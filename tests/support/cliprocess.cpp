#include "cliprocess.h"

#include <QProcess>
#include <QStandardPaths>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

namespace parlevo::test {

namespace {

CliRun runProgram(const QString &program, const QStringList &arguments, const QUrl &gateway, const QByteArray &input)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!gateway.isEmpty())
        env.insert(u"PARLEVO_GATEWAY_URL"_s, gateway.toString());
    env.remove(u"PARLEVO_HOME"_s);
    process.setProcessEnvironment(env);
    process.start(program, arguments);
    if (!process.waitForStarted(10000))
        return {};
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(30000))
        return {};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
}

} // namespace

QString cliProgram()
{
    return QStringLiteral(PARLEVO_CLI_PATH);
}

CliRun runCli(const QStringList &arguments, const QUrl &gateway, const QByteArray &input)
{
    return runProgram(QStringLiteral(PARLEVO_CLI_PATH), arguments, gateway, input);
}

CliRun runCliUnprivileged(const QStringList &arguments, const QByteArray &input)
{
#ifdef Q_OS_UNIX
    if (geteuid() != 0)
        return runCli(arguments, {}, input);
    const QString setpriv = QStandardPaths::findExecutable(u"setpriv"_s);
    if (setpriv.isEmpty())
        return {-2, {}, {}};
    return runProgram(
        setpriv,
        QStringList{u"--reuid=nobody"_s, u"--regid=nogroup"_s, u"--clear-groups"_s, QStringLiteral(PARLEVO_CLI_PATH)} +
            arguments,
        {}, input);
#else
    return runCli(arguments, {}, input);
#endif
}

} // namespace parlevo::test
