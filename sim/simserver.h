#pragma once

#include "gatewaymodel.h"
#include "outbox.h"

#include <QAbstractHttpServer>
#include <QList>
#include <QTimer>

#include <optional>

namespace parlevo::sim {

struct FaultOptions {
    int delayMs = 0;                   // answer every request this late
    int dropEvery = 0;                 // close the connection without answering every N-th request
    std::optional<QString> fixedReply; // answer this text to every request
};

// The HTTP face of the gateway: "/http.php" (send) and "/soldes_logiciel.php" (balance).
class SimServer final : public QAbstractHttpServer {
    Q_OBJECT
public:
    SimServer(GatewayModel &model, Outbox outbox, FaultOptions faults, bool verbose, QObject *parent = nullptr);
    Q_DISABLE_COPY_MOVE(SimServer)

protected:
    bool handleRequest(const QHttpServerRequest &request, QTcpSocket *socket) override;
    void missingHandler(const QHttpServerRequest &request, QTcpSocket *socket) override;

private:
    struct Answer {
        QByteArray body;
        QByteArray mimeType;
        int status = 200;
        QString summary; // for the log
    };
    Answer answer(const QHttpServerRequest &request);
    static void respond(const QHttpServerRequest &request, QTcpSocket *socket, const Answer &answer);
    void deliverDue();

    GatewayModel &m_model;
    Outbox m_outbox;
    FaultOptions m_faults;
    bool m_verbose;
    quint64 m_requestCount = 0;
    QTimer m_deliveryClock;
};

} // namespace parlevo::sim
