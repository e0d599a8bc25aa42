#include "cliprocess.h"

#include <QProcess>

using namespace Qt::StringLiterals;

namespace parlevo::test {

void startCli(QProcess &process, const QStringList &arguments, const QUrl &gateway)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!gateway.isEmpty())
        env.insert(u"PARLEVO_GATEWAY_URL"_s, gateway.toString());
    env.remove(u"PARLEVO_HOME"_s);
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(PARLEVO_CLI_PATH), arguments);
}

CliRun runCli(const QStringList &arguments, const QUrl &gateway, const QByteArray &input)
{
    QProcess process;
    startCli(process, arguments, gateway);
    if (!process.waitForStarted(10000))
        return {};
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(30000))
        return {};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
}

} // namespace parlevo::test
