#include "httpclient.h"

#include "httpresponse.h"

#include <QCoreApplication>
#include <QNetworkProxy>
#include <QPointer>
#include <QSslSocket>
#include <QTimer>

#include <algorithm>
#include <optional>

using namespace Qt::StringLiterals;

namespace parlevo {

namespace {

constexpr int kMaxIdle = 8;

QString connectionKey(const QUrl &url, const std::optional<QUrl> &proxy)
{
    const bool tls = url.scheme() == u"https";
    const QString origin = url.scheme() + u"://"_s + url.host() + u':' + QString::number(url.port(tls ? 443 : 80));
    return proxy ? proxy->toString() + u' ' + origin : origin;
}

// A request to a proxy names the whole address and carries the proxy's own credentials.
QByteArray requestBytes(const QUrl &url, const std::optional<QUrl> &proxy)
{
    QByteArray target = url.path(QUrl::FullyEncoded).toLatin1();
    if (target.isEmpty())
        target = "/";
    if (url.hasQuery())
        target += '?' + url.query(QUrl::FullyEncoded).toLatin1();
    QByteArray host = url.host(QUrl::FullyEncoded).toLatin1();
    if (host.contains(':'))
        host = '[' + host + ']';
    if (url.port() != -1)
        host += ':' + QByteArray::number(url.port());
    QByteArray proxyHeaders;
    if (proxy) {
        target = "http://" + host + target;
        if (!proxy->userName().isEmpty()) {
            const QByteArray credentials =
                (proxy->userName(QUrl::FullyDecoded) + u':' + proxy->password(QUrl::FullyDecoded)).toUtf8();
            proxyHeaders = "Proxy-Authorization: Basic " + credentials.toBase64() + "\r\n";
        }
    }
    return "GET " + target + " HTTP/1.1\r\nHost: " + host + "\r\n" + proxyHeaders +
           "User-Agent: Parlevo/1.0\r\nAccept: */*\r\nConnection: keep-alive\r\n\r\n";
}

} // namespace

// One request and its answer, on a connection of its own until the answer is complete.
class HttpClient::Exchange final : public QObject {
public:
    Exchange(HttpClient *client, QString connection, AnswerHandler handler)
        : QObject(client)
        , key(std::move(connection))
        , done(std::move(handler))
        , reader(kMaxHead, kMaxBody)
    {
        timer.setSingleShot(true);
    }
    Q_DISABLE_COPY_MOVE(Exchange)

    QString key;
    AnswerHandler done;
    std::unique_ptr<QTcpSocket> socket;
    HttpResponseReader reader;
    QTimer timer;
    bool written = false;
    bool viaProxy = false;
    QString failure;
    ProxyTrouble proxyTrouble = ProxyTrouble::None;
};

HttpClient::HttpClient(QObject *parent)
    : QObject(parent)
    , m_proxies(ProxyVariables::fromEnvironment())
{
}

HttpClient::~HttpClient()
{
    // Their callers are going too: nobody is told.
    for (Exchange *exchange : std::exchange(m_exchanges, {})) {
        if (exchange->socket)
            exchange->socket->disconnect();
        delete exchange;
    }
    while (!m_idle.empty())
        dropIdle(m_idle.begin());
}

void HttpClient::dropIdle(std::vector<Idle>::iterator it)
{
    // A socket deleted while connected says so from its destructor: nobody may listen then.
    QTcpSocket *socket = it->socket;
    m_idle.erase(it);
    socket->disconnect(this);
    delete socket;
}

std::unique_ptr<QTcpSocket> HttpClient::takeIdle(const QString &key)
{
    for (auto it = m_idle.begin(); it != m_idle.end(); ++it) {
        if (it->key != key)
            continue;
        std::unique_ptr<QTcpSocket> socket(it->socket);
        const bool fresh = it->since.elapsed() < kReuseIdleMs;
        m_idle.erase(it);
        socket->disconnect(this);
        // A close the event loop has not seen yet is read now: a request written into a closed
        // connection would be lost without knowing whether it arrived. A connection that has
        // seen a byte or a close since its last answer is not reused.
        socket->waitForReadyRead(0);
        if (fresh && socket->state() == QAbstractSocket::ConnectedState && socket->bytesAvailable() == 0)
            return socket;
        // Its own signals may still be on the stack below this request.
        socket.release()->deleteLater();
        return {};
    }
    return {};
}

void HttpClient::keepIdle(const QString &key, std::unique_ptr<QTcpSocket> socket)
{
    if (m_idle.size() >= kMaxIdle)
        dropIdle(m_idle.begin());
    QTcpSocket *raw = socket.release();
    // A kept connection that the server closes is dropped at once.
    connect(raw, &QTcpSocket::disconnected, this, [this, raw] {
        const auto it =
            std::find_if(m_idle.begin(), m_idle.end(), [raw](const Idle &idle) { return idle.socket == raw; });
        if (it == m_idle.end())
            return;
        m_idle.erase(it);
        raw->disconnect(this);
        raw->deleteLater();
    });
    QElapsedTimer since;
    since.start();
    m_idle.push_back({key, raw, since});
}

void HttpClient::cancelAll()
{
    m_cancelled = true;
    // A copy: the callbacks may start requests, which end NotSent from now on.
    for (Exchange *exchange : std::vector<Exchange *>(m_exchanges))
        finish(exchange, Delivery::Now);
}

std::optional<QUrl> HttpClient::proxyTo(const QUrl &url)
{
    const QString origin = connectionKey(url, std::nullopt);
    if (!m_preference.isSet() && (url.scheme() == u"https" ? m_proxies.https : m_proxies.http).isEmpty() &&
        !m_systemProxies.contains(origin)) {
        // The desktop's answer may take a proxy script's run: asked once per origin.
        m_systemProxies.insert(origin, systemProxiesFor(url));
    }
    return chooseProxy(url, m_preference, m_proxies, m_systemProxies.value(origin));
}

void HttpClient::start(const QUrl &url, QDeadlineTimer deadline, AnswerHandler done)
{
    const bool tls = url.scheme() == u"https";
    if (m_cancelled || !url.isValid() || (!tls && url.scheme() != u"http") || (tls && !QSslSocket::supportsSsl())) {
        QTimer::singleShot(0, this, [done = std::move(done)] { done(HttpAnswer{}); });
        return;
    }
    const std::optional<QUrl> proxy = proxyTo(url);
    if (proxy && !proxy->isValid()) {
        HttpAnswer unusable;
        unusable.proxyTrouble = ProxyTrouble::Unusable;
        QTimer::singleShot(0, this, [done = std::move(done), unusable] { done(unusable); });
        return;
    }

    auto *exchange = new Exchange(this, connectionKey(url, proxy), std::move(done));
    exchange->viaProxy = proxy.has_value();
    m_exchanges.push_back(exchange);
    exchange->socket = takeIdle(exchange->key);
    const bool reused = exchange->socket != nullptr;
    if (!reused)
        exchange->socket = tls ? std::make_unique<QSslSocket>() : std::make_unique<QTcpSocket>();
    QTcpSocket *socket = exchange->socket.get();
    // Inside a TLS tunnel the request is the gateway's own, as without a proxy.
    const std::optional<QUrl> plainProxy = tls ? std::nullopt : proxy;
    const auto write = [exchange, url, plainProxy] {
        exchange->written = true;
        exchange->socket->write(requestBytes(url, plainProxy));
    };
    connect(socket, &QTcpSocket::readyRead, exchange, [this, exchange] {
        exchange->reader.feed(exchange->socket->readAll());
        if (exchange->reader.isComplete() || exchange->reader.hasFailed())
            finish(exchange);
    });
    connect(socket, &QTcpSocket::disconnected, exchange, [this, exchange] {
        exchange->reader.feed(exchange->socket->readAll());
        exchange->reader.closed();
        finish(exchange);
    });
    connect(socket, &QAbstractSocket::errorOccurred, exchange, [this, exchange](QAbstractSocket::SocketError error) {
        // The peer's close arrives as an error too; disconnected() then ends the exchange.
        if (error == QAbstractSocket::RemoteHostClosedError)
            return;
        if (error == QAbstractSocket::ProxyAuthenticationRequiredError)
            exchange->proxyTrouble = ProxyTrouble::AuthRefused;
        else if ((error == QAbstractSocket::SslHandshakeFailedError || exchange->viaProxy) &&
                 exchange->failure.isEmpty())
            exchange->failure = exchange->socket->errorString();
        finish(exchange);
    });
    connect(&exchange->timer, &QTimer::timeout, exchange, [this, exchange] { finish(exchange); });
    exchange->timer.start(std::max<qint64>(1, deadline.remainingTime()));
    if (reused) {
        write();
    } else if (tls) {
        auto *ssl = static_cast<QSslSocket *>(socket);
        connect(ssl, &QSslSocket::encrypted, exchange, write);
        // Never ignored: the handshake fails, and the user is told why in Qt's words.
        connect(ssl, &QSslSocket::sslErrors, exchange, [exchange](const QList<QSslError> &errors) {
            QStringList names;
            for (const QSslError &error : errors)
                names.append(error.errorString());
            exchange->failure = names.join(u"; "_s);
        });
        // Qt opens the tunnel with CONNECT; nothing of the request goes before it stands.
        if (proxy) {
            ssl->setProxy(QNetworkProxy(QNetworkProxy::HttpProxy, proxy->host(), static_cast<quint16>(proxy->port()),
                                        proxy->userName(QUrl::FullyDecoded), proxy->password(QUrl::FullyDecoded)));
        }
        ssl->connectToHostEncrypted(url.host(), static_cast<quint16>(url.port(443)));
    } else {
        connect(socket, &QTcpSocket::connected, exchange, write);
        if (proxy)
            socket->connectToHost(proxy->host(), static_cast<quint16>(proxy->port()));
        else
            socket->connectToHost(url.host(), static_cast<quint16>(url.port(80)));
    }
}

void HttpClient::finish(Exchange *exchange, Delivery delivery)
{
    const auto it = std::find(m_exchanges.begin(), m_exchanges.end(), exchange);
    if (it == m_exchanges.end())
        return;
    m_exchanges.erase(it);
    exchange->timer.stop();
    std::unique_ptr<QTcpSocket> socket = std::move(exchange->socket);
    socket->disconnect(exchange);
    const HttpResponseReader &reader = exchange->reader;
    HttpAnswer answer;
    answer.outcome = exchange->written ? HttpOutcome::NoAnswer : HttpOutcome::NotSent;
    answer.failure = exchange->failure;
    answer.proxyTrouble = exchange->proxyTrouble;
    bool keep = false;
    if (reader.isComplete()) {
        answer.outcome = HttpOutcome::Complete;
        answer.status = reader.status();
        answer.contentType = reader.contentType();
        answer.location = reader.location();
        answer.retryAfter = reader.retryAfter();
        answer.body = reader.body();
        // Only a proxy speaks 407; the request it stopped never reached the gateway.
        if (exchange->viaProxy && answer.status == 407)
            answer.proxyTrouble = ProxyTrouble::AuthRefused;
        keep =
            reader.keepAlive() && socket->state() == QAbstractSocket::ConnectedState && socket->bytesAvailable() == 0;
    }
    if (keep) {
        keepIdle(exchange->key, std::move(socket));
    } else {
        // This may run inside one of the socket's own signals: it goes once they return.
        socket->abort();
        socket.release()->deleteLater();
    }
    // Everything is put away before the caller hears: its callback may start the next request.
    AnswerHandler done = std::move(exchange->done);
    exchange->deleteLater();
    if (delivery == Delivery::Now) {
        done(answer);
        return;
    }
    // Told from the event loop, never from within one of the socket's signals: the caller may show
    // a dialog there, or delete this client, and the socket may be gone once that returns. The
    // application delivers it, so that the client itself may go in the callback.
    ++m_delivering;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [self = QPointer<HttpClient>(this), done = std::move(done), answer] {
            // A client deleted meanwhile took its callers with it: nobody is told.
            if (!self)
                return;
            --self->m_delivering;
            done(answer);
        },
        Qt::QueuedConnection);
}

int retryAfterSeconds(const QByteArray &value, const QDateTime &now)
{
    // A week is longer than any gateway asks; a larger figure is damage, not a wish.
    constexpr qint64 kLongest = 7 * 24 * 3600;
    bool ok = false;
    const qint64 seconds = value.trimmed().toLongLong(&ok);
    if (ok)
        return seconds > 0 ? int(std::min(seconds, kLongest)) : 0;
    const QDateTime when = QDateTime::fromString(QString::fromLatin1(value.trimmed()), Qt::RFC2822Date);
    if (!when.isValid())
        return 0;
    return int(std::clamp<qint64>(now.secsTo(when), 0, kLongest));
}

} // namespace parlevo
