#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QObject>
#include <QUrl>

#include "proxyenvironment.h"

#include <functional>
#include <memory>
#include <vector>

class QTcpSocket;

namespace parlevo {

// How one GET ended.
enum class HttpOutcome {
    Complete, // status, headers and the whole body as announced
    NotSent,  // the request never left: no connection, or the wait was given up before writing
    NoAnswer, // the request was written but no complete answer came: time-out, closed, cut, too large
};

// What stood between the client and the gateway when a proxy is in the way.
enum class ProxyTrouble : quint8 {
    None,
    Unusable,    // not an HTTP proxy: nothing was sent
    AuthRefused, // the proxy answered 407: the request went no further
};

struct HttpAnswer {
    HttpOutcome outcome = HttpOutcome::NotSent;
    int status = 0;
    QByteArray contentType;
    QByteArray location;
    QByteArray retryAfter;
    QByteArray body;
    // Why no exchange took place, as the system names it: the certificate errors of a refused
    // TLS handshake. Empty when there is nothing more to say than the outcome.
    QString failure;
    ProxyTrouble proxyTrouble = ProxyTrouble::None;
};

// The seconds a Retry-After value asks to wait (a number of seconds, or an HTTP date measured
// from now); 0 when the value is empty, in the past or unreadable.
int retryAfterSeconds(const QByteArray &value, const QDateTime &now);

// GET requests on a small HTTP/1.1 client of our own. Qt's client sends a GET a second time
// when a kept-alive connection closes or a close-delimited reply is cut; to the gateway a second
// request is a second SMS. Here a request is written once, never again, and an answer counts
// only when it is complete. Idle connections are kept for a short while and reused.
//
// A proxy is used when one is named: the preference, else the environment's (read once, at
// creation), else the desktop's (asked once per origin). Plain requests go to it in absolute
// form, TLS goes through a CONNECT tunnel to the gateway; a 407 is an answer, never asked again.
//
// start() returns at once and hands the answer to a callback; several exchanges run side by side,
// each on its own connection.
class HttpClient final : public QObject {
    Q_OBJECT
public:
    static constexpr qsizetype kMaxBody = 64 * 1024;
    static constexpr qsizetype kMaxHead = 16 * 1024;
    // A kept connection idle longer than this may be closed by the server as it is reused.
    static constexpr qint64 kReuseIdleMs = 2000;

    explicit HttpClient(QObject *parent = nullptr);
    ~HttpClient() override;
    Q_DISABLE_COPY_MOVE(HttpClient)

    using AnswerHandler = std::function<void(const HttpAnswer &)>;

    // Starts a GET and returns at once; done is called once with its answer, always from the
    // event loop, never from within start().
    void start(const QUrl &url, QDeadlineTimer deadline, AnswerHandler done);

    // Ends every pending exchange at once (NoAnswer when its request was written) and makes every
    // later request end NotSent without connecting: the program is quitting.
    void cancelAll();
    bool isCancelled() const { return m_cancelled; }
    // Exchanges under way, and answers not yet handed to their callers.
    int pendingCount() const { return static_cast<int>(m_exchanges.size()) + m_delivering; }

    // The proxy of the preferences, for the requests started from now on.
    void setPreferredProxy(const ProxySetting &preference) { m_preference = preference; }

private:
    class Exchange;
    // Queued: the answer is handed over from the event loop. Now: at once, when no socket signal is
    // under way (cancelAll).
    enum class Delivery { Queued, Now };
    void finish(Exchange *exchange, Delivery delivery = Delivery::Queued);

    struct Idle {
        QString key;
        QTcpSocket *socket; // owned; told apart by address only, as it may be going
        QElapsedTimer since;
    };
    void dropIdle(std::vector<Idle>::iterator it);
    std::unique_ptr<QTcpSocket> takeIdle(const QString &key);
    void keepIdle(const QString &key, std::unique_ptr<QTcpSocket> socket);

    std::optional<QUrl> proxyTo(const QUrl &url);

    ProxyVariables m_proxies;
    ProxySetting m_preference;
    QHash<QString, QList<QNetworkProxy>> m_systemProxies; // by origin
    std::vector<Idle> m_idle;
    std::vector<Exchange *> m_exchanges; // children of this client
    int m_delivering = 0;
    bool m_cancelled = false;
};

} // namespace parlevo
