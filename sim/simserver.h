#pragma once

#include "gatewaymodel.h"
#include "outbox.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>
#include <QTcpServer>
#include <QTimer>

#include <deque>
#include <optional>

class QUrl;

namespace parlevo::sim {

enum class Charset { Utf8, Utf16, Latin1 };

struct FaultOptions {
    int delayMs = 0;                   // answer every request this late
    int dropEvery = 0;                 // close the connection without answering every N-th request
    std::optional<QString> fixedReply; // answer this text to every request
    bool dropAfterAccept = false;      // process the request, then close without a byte of answer
    bool closeDelimited = false;       // HTTP/1.0 answer without Content-Length, ended by closing
    bool cutReply = false;             // Content-Length 10 more than the body sent, then a reset
    qint64 bodyBytes = 0;              // this many blanks after the body, streamed
    Charset charset = Charset::Utf8;   // of the balance page and the fixed reply
    int maxPerMinute = 0;              // more requests than this in a window get 429
    int windowMs = 60000;              // the window maxPerMinute counts in: a minute, shorter in tests
    bool proxy = false;                // also an HTTP proxy in front of itself: absolute form and CONNECT
    QByteArray proxyCredentials;       // "user:password" a proxy request must carry (Basic), or none
    int redirectStatus = 0;            // the gateway's paths answer this redirect to /moved/<path>
};

// What the HTTP layer sends for one request, and how the connection goes on after it.
struct Reply {
    enum class End {
        KeepOpen, // ready for the next request
        Close,    // closed once the bytes are sent (FIN)
        Reset,    // reset once the bytes are sent (RST)
        Drop,     // closed at once, nothing sent (as Qt's abort())
        Tunnel,   // a CONNECT: the connection is joined to tunnelHost:tunnelPort
    };
    QByteArray bytes;   // status line, headers and body (or its start)
    qint64 padding = 0; // blanks streamed after bytes as the socket drains
    End end = End::KeepOpen;
    int delayMs = 0; // from the request's arrival
    QString tunnelHost;
    quint16 tunnelPort = 0;
};

// The gateway's HTTP face on a plain QTcpServer: "/http.php" (send) and "/soldes_logiciel.php"
// (balance), HTTP/1.1 with keep-alive, GET only. Each connection is a Connection (simserver.cpp)
// that parses requests and writes replies in order; the server turns each request into a Reply.
class SimServer final : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxHeadBytes = 16 * 1024;
    static constexpr int kIdleMs = 30 * 1000;

    SimServer(GatewayModel &model, Outbox outbox, FaultOptions faults, bool verbose, QObject *parent = nullptr);
    Q_DISABLE_COPY_MOVE(SimServer)

    // The port listened on, 0 when it cannot listen.
    quint16 listen(const QHostAddress &address, quint16 port);

    // One complete request; the gateway's effects (debit, outbox) happen here, at its arrival.
    Reply serve(const QByteArray &method, const QByteArray &target, bool keepAlive,
                const QByteArray &proxyAuthorization = {});
    // A request the HTTP layer refuses (400, 431): answered at once, then the connection closes.
    Reply refuse(int status, const QString &why);

private:
    struct Answer {
        QByteArray body;
        QByteArray mimeType;
        int status = 200;
        QString summary; // for the log
        QByteArray extraHeaders;
    };
    Answer answer(const QUrl &url, const QDateTime &received);
    // A proxy request's answer when it is not passed on (407, 400, 403, a tunnel); nothing otherwise.
    std::optional<Reply> asProxy(const QByteArray &method, const QByteArray &target,
                                 const QByteArray &proxyAuthorization, const QDateTime &received);
    Answer encodedText(const QString &text, bool html, const QString &summary) const;
    Reply shape(const Answer &answer, bool keepAlive, bool withFaults, QString *summary) const;
    void log(const QDateTime &at, const QByteArray &method, const QByteArray &target, const QString &outcome) const;
    void acceptConnections();
    void deliverDue();

    GatewayModel &m_model;
    Outbox m_outbox;
    FaultOptions m_faults;
    bool m_verbose;
    quint64 m_requestCount = 0;
    QElapsedTimer m_clock;         // for the per-minute limit
    std::deque<qint64> m_servedAt; // m_clock times of the requests served in the last minute
    QTcpServer m_listener;
    QTimer m_deliveryClock;
};

} // namespace parlevo::sim
