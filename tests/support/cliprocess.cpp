#include "cliprocess.h"

#include <QProcess>
#include <QStandardPaths>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

namespace parlevo::test {

namespace {

void startProgram(QProcess &process, const QString &program, const QStringList &arguments, const QUrl &gateway)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!gateway.isEmpty())
        env.insert(u"PARLEVO_GATEWAY_URL"_s, gateway.toString());
    env.remove(u"PARLEVO_HOME"_s);
    process.setProcessEnvironment(env);
    process.start(program, arguments);
}

CliRun runProgram(const QString &program, const QStringList &arguments, const QUrl &gateway, const QByteArray &input)
{
    QProcess process;
    startProgram(process, program, arguments, gateway);
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
    return runProgram(cliProgram(), arguments, gateway, input);
}

void startCli(QProcess &process, const QStringList &arguments, const QUrl &gateway)
{
    startProgram(process, cliProgram(), arguments, gateway);
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
        setpriv, QStringList{u"--reuid=nobody"_s, u"--regid=nogroup"_s, u"--clear-groups"_s, cliProgram()} + arguments,
        {}, input);
#else
    return runCli(arguments, {}, input);
#endif
}

} // namespace parlevo::test
