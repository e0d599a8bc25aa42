#pragma once

#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QUrl>

namespace parlevo {
class ClassSendora;
}

namespace parlevo::test {

// The account the tests log in with (its password is "demo").
inline const QString kDemoMail = QString::fromUtf16(u"demo@parlevo.test");
inline const QString kDemoPassword = QString::fromUtf16(u"demo");

// The simulator's arguments for the demo account holding that credit.
QStringList demoAccount(qint64 credit);

// The real gateway simulator (parlevo-gateway-sim) started on an ephemeral loopback port for
// one test; killed when the object goes. Its outbox file lives in its own temporary directory.
class SimulatorProcess final {
public:
    // extraArguments are added after --port 0 and --outbox (e.g. --account, --delay-ms).
    explicit SimulatorProcess(const QStringList &extraArguments = {});
    ~SimulatorProcess();
    SimulatorProcess(const SimulatorProcess &) = delete;
    SimulatorProcess &operator=(const SimulatorProcess &) = delete;

    // False when the simulator did not start or print its port within a few seconds.
    bool isRunning() const { return m_port != 0; }
    QUrl baseUrl() const;
    // The outbox's JSON lines, parsed; empty when nothing was accepted yet.
    QList<QVariantMap> outbox() const;
    // One field of every outbox line, in order ("number", "text", "deferred").
    QStringList outboxField(const QString &field) const;
    // What the simulator wrote on standard error so far (its --verbose request log).
    QString log();

    // The path of the simulator executable the build made.
    static QString executablePath();

    // Points the gateway at this simulator, logged in with the demo account; false when the
    // simulator is not running.
    bool connect(ClassSendora &gateway) const;

private:
    QProcess m_process;
    QString m_dir;
    QString m_outboxPath;
    QByteArray m_stderr;
    quint16 m_port = 0;
};

} // namespace parlevo::test
