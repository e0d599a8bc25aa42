#include "simulatorprocess.h"

#include "gateway/classsendora.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QVariantMap>

using namespace Qt::StringLiterals;

namespace parlevo::test {

QStringList demoAccount(qint64 credit)
{
    return {u"--account"_s, kDemoMail + u':' + kDemoPassword + u':' + QString::number(credit)};
}

bool SimulatorProcess::connect(ClassSendora &gateway) const
{
    gateway.setBaseUrl(baseUrl());
    gateway.Mail = kDemoMail;
    gateway.Password = kDemoPassword;
    return isRunning();
}

QString SimulatorProcess::executablePath()
{
    return QStringLiteral(PARLEVO_SIM_PATH);
}

SimulatorProcess::SimulatorProcess(const QStringList &extraArguments)
{
    QTemporaryDir dir(QDir::temp().filePath(QStringLiteral("parlevo-sim-XXXXXX")));
    dir.setAutoRemove(false);
    m_dir = dir.path();
    m_outboxPath = QDir(m_dir).filePath(QStringLiteral("outbox.jsonl"));

    m_process.start(executablePath(), QStringList{QStringLiteral("--port"), QStringLiteral("0"),
                                                  QStringLiteral("--outbox"), m_outboxPath} +
                                          extraArguments);
    const QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired() && !m_process.canReadLine() && m_process.state() != QProcess::NotRunning)
        m_process.waitForReadyRead(static_cast<int>(std::max<qint64>(1, deadline.remainingTime())));
    if (m_process.canReadLine())
        m_port = static_cast<quint16>(m_process.readLine().trimmed().toUInt());
    if (m_port == 0)
        qWarning("gateway simulator did not start: %s", m_process.readAllStandardError().constData());
}

SimulatorProcess::~SimulatorProcess()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
    QDir(m_dir).removeRecursively();
}

QUrl SimulatorProcess::baseUrl() const
{
    return QUrl(QStringLiteral("http://127.0.0.1:") + QString::number(m_port));
}

QList<QVariantMap> SimulatorProcess::outbox() const
{
    QList<QVariantMap> lines;
    QFile file(m_outboxPath);
    if (!file.open(QIODevice::ReadOnly))
        return lines;
    const QList<QByteArray> raw = file.readAll().split('\n');
    for (const QByteArray &line : raw) {
        if (!line.trimmed().isEmpty())
            lines.append(QJsonDocument::fromJson(line).object().toVariantMap());
    }
    return lines;
}

QStringList SimulatorProcess::outboxField(const QString &field) const
{
    QStringList values;
    for (const QVariantMap &line : outbox())
        values.append(line.value(field).toString());
    return values;
}

QString SimulatorProcess::log()
{
    // Lines the simulator wrote while no event loop ran may still wait in the pipe.
    m_process.setReadChannel(QProcess::StandardError);
    while (m_process.waitForReadyRead(20))
        m_stderr += m_process.readAllStandardError();
    m_stderr += m_process.readAllStandardError();
    // On Windows the log's lines end in CR LF.
    return QString::fromUtf8(m_stderr).remove(u'\r');
}

} // namespace parlevo::test
