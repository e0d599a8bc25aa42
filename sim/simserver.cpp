#include "simserver.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QStringEncoder>
#include <QTcpSocket>
#include <QUrl>
#include <QUrlQuery>

#include <cstdio>
#include <list>
#include <memory>

#ifdef Q_OS_UNIX
#include <sys/socket.h>
#endif

using namespace Qt::StringLiterals;

namespace parlevo::sim {

namespace {

constexpr qint64 kChunk = 64 * 1024; // read buffer, and the most padding queued at once
constexpr size_t kMaxQueued = 32;    // pipelined requests waiting for their answer

QByteArray statusLine(int status)
{
    const char *reason = "OK";
    switch (status) {
    case 301:
        reason = "Moved Permanently";
        break;
    case 302:
        reason = "Found";
        break;
    case 303:
        reason = "See Other";
        break;
    case 307:
        reason = "Temporary Redirect";
        break;
    case 308:
        reason = "Permanent Redirect";
        break;
    case 400:
        reason = "Bad Request";
        break;
    case 403:
        reason = "Forbidden";
        break;
    case 407:
        reason = "Proxy Authentication Required";
        break;
    case 404:
        reason = "Not Found";
        break;
    case 405:
        reason = "Method Not Allowed";
        break;
    case 429:
        reason = "Too Many Requests";
        break;
    case 431:
        reason = "Request Header Fields Too Large";
        break;
    default:
        break;
    }
    return QByteArray::number(status) + ' ' + reason;
}

// One client connection: reads requests (pipelined or one after the other), has the server
// serve each at once, and writes the replies in the order of the requests, each when its delay
// is over. Owned by its socket; both go when the connection closes.
class Connection final : public QObject {
public:
    Connection(SimServer &server, QTcpSocket *socket)
        : QObject(socket)
        , m_server(server)
        , m_socket(socket)
    {
        m_socket->setReadBufferSize(kChunk);
        m_idle.setSingleShot(true);
        m_idle.setInterval(SimServer::kIdleMs);
        connect(&m_idle, &QTimer::timeout, m_socket, &QTcpSocket::abort);
        connect(m_socket, &QTcpSocket::readyRead, this, &Connection::readRequests);
        connect(m_socket, &QTcpSocket::bytesWritten, this, [this] {
            m_idle.start();
            pump();
        });
        connect(m_socket, &QTcpSocket::disconnected, m_socket, &QObject::deleteLater);
        m_idle.start();
        if (m_socket->state() != QAbstractSocket::ConnectedState)
            m_socket->deleteLater();
        else
            readRequests();
    }

private:
    struct Pending {
        Reply reply;
        bool ready = false;
        bool started = false;
    };

    void readRequests()
    {
        if (m_upstream) { // a tunnel: bytes go through untouched
            if (m_upstream->state() == QAbstractSocket::ConnectedState)
                m_upstream->write(m_socket->readAll());
            return;
        }
        while (!m_stopped) {
            if (m_replies.size() >= kMaxQueued) {
                m_paused = true;
                break;
            }
            if (m_discard > 0) { // a request body: read and forgotten
                const qint64 n = std::min<qint64>(m_discard, m_in.size());
                m_in.remove(0, n);
                m_discard -= n;
                if (m_discard > 0) {
                    const qint64 skipped = m_socket->skip(std::min(m_discard, kChunk));
                    if (skipped <= 0)
                        break;
                    m_discard -= skipped;
                    continue;
                }
            }
            if (m_in.size() <= SimServer::kMaxHeadBytes)
                m_in += m_socket->read(SimServer::kMaxHeadBytes + 1 - m_in.size());
            if (!takeRequest())
                break;
        }
        pump();
    }

    // Parses one request head from m_in; false when it is not complete yet or was refused.
    bool takeRequest()
    {
        qsizetype start = 0; // blank lines before a request line are ignored
        while (start < m_in.size() && (m_in[start] == '\r' || m_in[start] == '\n'))
            ++start;
        m_in.remove(0, start);

        QList<QByteArray> lines;
        qsizetype pos = 0;
        qsizetype headEnd = -1;
        for (;;) {
            const qsizetype nl = m_in.indexOf('\n', pos);
            if (nl < 0 || nl >= SimServer::kMaxHeadBytes)
                break;
            QByteArray line = m_in.mid(pos, nl - pos);
            if (line.endsWith('\r'))
                line.chop(1);
            pos = nl + 1;
            if (line.isEmpty()) {
                headEnd = pos;
                break;
            }
            lines.append(line);
        }
        if (headEnd < 0) {
            if (m_in.size() > SimServer::kMaxHeadBytes)
                refuse(431, u"request head over 16 KB"_s);
            return false;
        }

        const QList<QByteArray> parts = lines.first().split(' ');
        if (parts.size() != 3 || parts[0].isEmpty() || parts[1].isEmpty() || !parts[2].startsWith("HTTP/1.")) {
            refuse(400, u"malformed request line"_s);
            return false;
        }
        bool close = parts[2] == "HTTP/1.0";
        qint64 contentLength = 0;
        QByteArray proxyAuthorization;
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const QByteArray &line = lines[i];
            const qsizetype colon = line.indexOf(':');
            if (colon <= 0 || line[0] == ' ' || line[0] == '\t') {
                refuse(400, u"malformed header line"_s);
                return false;
            }
            const QByteArray name = line.left(colon).trimmed().toLower();
            const QByteArray value = line.mid(colon + 1).trimmed();
            if (name == "connection") {
                for (const QByteArray &token : value.split(','))
                    close = close || token.trimmed().toLower() == "close";
            } else if (name == "content-length") {
                bool ok = false;
                contentLength = value.toLongLong(&ok);
                if (!ok || contentLength < 0) {
                    refuse(400, u"bad Content-Length"_s);
                    return false;
                }
            } else if (name == "proxy-authorization") {
                proxyAuthorization = value;
            } else if (name == "transfer-encoding") {
                refuse(400, u"Transfer-Encoding on a GET"_s);
                return false;
            }
        }
        m_in.remove(0, headEnd);
        m_discard = contentLength;
        m_idle.start();
        enqueue(m_server.serve(parts[0], parts[1], !close, proxyAuthorization));
        return true;
    }

    void refuse(int status, const QString &why)
    {
        m_in.clear();
        enqueue(m_server.refuse(status, why));
    }

    void enqueue(Reply reply)
    {
        if (reply.end != Reply::End::KeepOpen)
            m_stopped = true; // nothing after this request is read
        const int delay = reply.delayMs;
        m_replies.push_back(std::make_unique<Pending>(Pending{std::move(reply), delay <= 0, false}));
        if (delay > 0) {
            Pending *pending = m_replies.back().get();
            QTimer::singleShot(delay, this, [this, pending] {
                pending->ready = true;
                pump();
            });
        }
    }

    // Writes what is due, in order: a reply whose delay is not over holds back those after it.
    void pump()
    {
        if (m_socket->state() != QAbstractSocket::ConnectedState)
            return;
        bool answered = false;
        while (!m_replies.empty()) {
            Pending &p = *m_replies.front();
            if (!p.ready) {
                m_idle.stop(); // the delay is ours, not the client's
                return;
            }
            if (!p.started) {
                p.started = true;
                if (p.reply.end == Reply::End::Drop) {
                    m_socket->abort();
                    return;
                }
                m_socket->write(p.reply.bytes);
                m_padding = p.reply.padding;
            }
            // The padding is made as the socket drains: a huge body costs no memory.
            while (m_padding > 0 && m_socket->bytesToWrite() < kChunk) {
                const qint64 n = std::min(m_padding, kChunk);
                m_socket->write(QByteArray(n, ' '));
                m_padding -= n;
            }
            if (m_padding > 0)
                return;
            switch (p.reply.end) {
            case Reply::End::KeepOpen:
                m_replies.pop_front();
                answered = true;
                continue;
            case Reply::End::Close:
                m_replies.clear();
                m_socket->disconnectFromHost(); // after the bytes still buffered
                return;
            case Reply::End::Reset:
                if (m_socket->bytesToWrite() > 0)
                    return; // abort() would throw them away
                resetConnection();
                return;
            case Reply::End::Drop:
                return;
            case Reply::End::Tunnel:
                openTunnel(p.reply.tunnelHost, p.reply.tunnelPort);
                m_replies.clear();
                return;
            }
        }
        if (answered)
            m_idle.start(); // the next request has 30 s (bytes trickling in do not restart it)
        if (m_paused) {
            m_paused = false;
            readRequests();
        }
    }

    // Joins this connection to host:port; what the client sent after its CONNECT goes first.
    void openTunnel(const QString &host, quint16 port)
    {
        m_idle.stop();
        m_upstream = new QTcpSocket(this);
        connect(m_upstream, &QTcpSocket::connected, this, [this] {
            m_socket->write("HTTP/1.1 200 Connection established\r\n\r\n");
            m_upstream->write(std::exchange(m_in, {}) + m_socket->readAll());
        });
        connect(m_upstream, &QTcpSocket::readyRead, this, [this] { m_socket->write(m_upstream->readAll()); });
        connect(m_upstream, &QTcpSocket::disconnected, m_socket, &QTcpSocket::disconnectFromHost);
        connect(m_upstream, &QAbstractSocket::errorOccurred, this, [this](QAbstractSocket::SocketError error) {
            if (error != QAbstractSocket::RemoteHostClosedError && !m_upstream->isOpen()) {
                m_socket->write("HTTP/1.1 502 Bad Gateway\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
                m_socket->disconnectFromHost();
            }
        });
        connect(m_socket, &QTcpSocket::disconnected, m_upstream, &QTcpSocket::disconnectFromHost);
        m_upstream->connectToHost(host, port);
    }

    // A reset (RST) rather than an orderly close: lingering off with a zero time-out.
    void resetConnection()
    {
#ifdef Q_OS_UNIX
        const linger noLinger{1, 0};
        ::setsockopt(static_cast<int>(m_socket->socketDescriptor()), SOL_SOCKET, SO_LINGER, &noLinger, sizeof noLinger);
#endif
        m_socket->abort();
    }

    SimServer &m_server;
    QTcpSocket *m_socket;
    QTcpSocket *m_upstream = nullptr; // the other end of a CONNECT tunnel
    QByteArray m_in;                  // received, not parsed yet
    qint64 m_discard = 0;             // request body bytes still to skip
    qint64 m_padding = 0;             // blanks of the current reply still to write
    bool m_stopped = false;           // a reply that ends the connection is queued
    bool m_paused = false;            // reading waits for the queue to shrink
    std::list<std::unique_ptr<Pending>> m_replies;
    QTimer m_idle; // no complete request and no progress for 30 s: closed
};

} // namespace

SimServer::SimServer(GatewayModel &model, Outbox outbox, FaultOptions faults, bool verbose, QObject *parent)
    : QObject(parent)
    , m_model(model)
    , m_outbox(std::move(outbox))
    , m_faults(std::move(faults))
    , m_verbose(verbose)
{
    m_clock.start();
    connect(&m_listener, &QTcpServer::newConnection, this, &SimServer::acceptConnections);
    m_deliveryClock.setInterval(1000);
    connect(&m_deliveryClock, &QTimer::timeout, this, &SimServer::deliverDue);
    m_deliveryClock.start();
}

quint16 SimServer::listen(const QHostAddress &address, quint16 port)
{
    return m_listener.listen(address, port) ? m_listener.serverPort() : 0;
}

void SimServer::acceptConnections()
{
    while (QTcpSocket *socket = m_listener.nextPendingConnection())
        new Connection(*this, socket);
}

SimServer::Answer SimServer::encodedText(const QString &text, bool html, const QString &summary) const
{
    const QByteArray type = html ? QByteArrayLiteral("text/html") : QByteArrayLiteral("text/plain");
    switch (m_faults.charset) {
    case Charset::Utf16: {
        QStringEncoder utf16(QStringConverter::Utf16LE, QStringConverter::Flag::WriteBom);
        return {utf16.encode(text), type + "; charset=utf-16", 200, summary, {}};
    }
    case Charset::Latin1:
        return {text.toLatin1(), type, 200, summary, {}};
    case Charset::Utf8:
        break;
    }
    return {text.toUtf8(), type + "; charset=utf-8", 200, summary, {}};
}

SimServer::Answer SimServer::answer(const QUrl &url, const QDateTime &received)
{
    if (m_faults.fixedReply)
        return encodedText(*m_faults.fixedReply, m_faults.fixedReply->trimmed().startsWith(u'<'), u"fixed reply"_s);

    const QString path = url.path();
    const QUrlQuery query(url);
    const auto value = [&query](const char16_t *key) {
        return query.queryItemValue(QString::fromUtf16(key), QUrl::FullyDecoded);
    };
    if (path == u"/http.php") {
        const SendRequest send{value(u"email"), value(u"pass"), value(u"numero"), value(u"message"), value(u"diff")};
        AcceptedMessage accepted;
        const int code = m_model.send(send, received, &accepted);
        if (code == 80 || code == 81) {
            if (!m_outbox.appendAccepted(accepted))
                std::fprintf(stderr, "parlevo-gateway-sim: cannot append to the outbox file\n");
            if (code == 81)
                m_model.schedule(accepted);
        }
        // A PHP script's default type, as the service answers.
        return {QByteArray::number(code),
                QByteArrayLiteral("text/html; charset=utf-8"),
                200,
                u"code "_s + QString::number(code),
                {}};
    }
    if (path == u"/soldes_logiciel.php") {
        const auto credit = m_model.balance(value(u"email"), value(u"pass"));
        QString page = QString::fromUtf8(balancePage(credit));
        if (m_faults.charset != Charset::Utf8) { // the header (or nothing) declares the charset
            static const QRegularExpression meta(uR"(<meta charset="[^"]*">)"_s);
            page.remove(meta);
        }
        return encodedText(page, true, credit ? u"credit "_s + QString::number(*credit) : u"unknown account"_s);
    }
    return {QByteArrayLiteral("Not Found"), QByteArrayLiteral("text/plain"), 404, u"404"_s, {}};
}

std::optional<Reply> SimServer::asProxy(const QByteArray &method, const QByteArray &target,
                                        const QByteArray &proxyAuthorization, const QDateTime &received)
{
    const auto refuse = [&](int status, const QString &why, const QByteArray &headers) {
        QString outcome = QString::number(status) + u' ' + why;
        const Reply r =
            shape({statusLine(status).mid(4), "text/plain", status, outcome, headers}, false, false, &outcome);
        log(received, method, target, outcome);
        return r;
    };
    if (!m_faults.proxyCredentials.isEmpty() && proxyAuthorization != "Basic " + m_faults.proxyCredentials.toBase64())
        return refuse(407, u"proxy authentication required"_s, "Proxy-Authenticate: Basic realm=\"gateway-sim\"\r\n");
    if (method == "CONNECT") {
        // Only to this machine: the simulator is no open proxy.
        const QUrl to = QUrl::fromEncoded(QByteArray("//" + target));
        const QHostAddress address(to.host());
        if (to.port() <= 0 || !(address.isLoopback() || to.host() == u"localhost"))
            return refuse(403, u"tunnel to a host other than this one"_s, {});
        log(received, method, target, u"tunnel"_s);
        Reply r;
        r.end = Reply::End::Tunnel;
        r.tunnelHost = to.host();
        r.tunnelPort = static_cast<quint16>(to.port());
        return r;
    }
    if (!target.startsWith("http://"))
        return refuse(400, u"not in absolute form"_s, {});
    return std::nullopt;
}

Reply SimServer::serve(const QByteArray &method, const QByteArray &target, bool keepAlive,
                       const QByteArray &proxyAuthorization)
{
    const QDateTime received = QDateTime::currentDateTime();
    if (m_faults.proxy) {
        if (std::optional<Reply> r = asProxy(method, target, proxyAuthorization, received))
            return *r;
    }
    QUrl url = QUrl::fromEncoded(target);
    // Through the proxy the log shows the request as it came, in absolute form.
    const QByteArray shown = m_faults.proxy ? target : url.toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority);
    QString outcome;
    if (m_faults.redirectStatus != 0 && method == "GET") {
        const QString path = url.path();
        if (path == u"/http.php" || path == u"/soldes_logiciel.php") {
            const QByteArray location = "/moved" + url.toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority);
            outcome = u"redirect to "_s + QString::fromLatin1(location);
            const Reply r =
                shape({{}, "text/plain", m_faults.redirectStatus, outcome, "Location: " + location + "\r\n"}, keepAlive,
                      false, &outcome);
            log(received, method, shown, outcome);
            return r;
        }
        if (path.startsWith(u"/moved/"))
            url.setPath(path.mid(6));
    }
    if (method != "GET") {
        outcome = u"405"_s;
        const Reply r =
            shape({"Method Not Allowed", "text/plain", 405, outcome, "Allow: GET\r\n"}, keepAlive, false, &outcome);
        log(received, method, shown, outcome);
        return r;
    }

    ++m_requestCount;
    if (m_faults.dropEvery > 0 && m_requestCount % static_cast<quint64>(m_faults.dropEvery) == 0) {
        log(received, method, shown, u"dropped"_s);
        return {{}, 0, Reply::End::Drop, 0, {}, 0};
    }

    std::optional<Answer> tooMany;
    if (m_faults.maxPerMinute > 0) {
        const qint64 now = m_clock.elapsed();
        while (!m_servedAt.empty() && now - m_servedAt.front() >= m_faults.windowMs)
            m_servedAt.pop_front();
        if (m_servedAt.size() >= static_cast<size_t>(m_faults.maxPerMinute)) {
            // Says when the oldest request of the window leaves it, as a gateway would.
            const qint64 wait = (m_faults.windowMs - (now - m_servedAt.front()) + 999) / 1000;
            tooMany = Answer{"Too Many Requests", "text/plain", 429, u"429 too many requests"_s,
                             "Retry-After: " + QByteArray::number(std::max<qint64>(wait, 1)) + "\r\n"};
        } else
            m_servedAt.push_back(now);
    }
    const Answer a = tooMany ? *tooMany : answer(url, received);
    outcome = a.summary;
    const Reply r = shape(a, keepAlive, true, &outcome);
    log(received, method, shown, outcome);
    return r;
}

Reply SimServer::refuse(int status, const QString &why)
{
    QString outcome = QString::number(status) + u' ' + why;
    log(QDateTime::currentDateTime(), "-", "-", outcome);
    return shape({statusLine(status).mid(4), "text/plain", status, outcome, {}}, false, false, &outcome);
}

Reply SimServer::shape(const Answer &a, bool keepAlive, bool withFaults, QString *summary) const
{
    const FaultOptions f = withFaults ? m_faults : FaultOptions{};
    Reply r;
    r.delayMs = f.delayMs;
    if (f.dropAfterAccept) {
        r.end = Reply::End::Close;
        *summary += u" (dropped after accept)"_s;
        return r;
    }
    const QByteArray contentType = "Content-Type: " + a.mimeType + "\r\n";
    if (f.closeDelimited) {
        r.bytes = "HTTP/1.0 " + statusLine(a.status) + "\r\n" + contentType + a.extraHeaders +
                  "Connection: close\r\n\r\n" + a.body;
        r.end = Reply::End::Close;
        *summary += u" (close-delimited)"_s;
    } else {
        const qint64 declared = a.body.size() + f.bodyBytes + (f.cutReply ? 10 : 0);
        r.bytes = "HTTP/1.1 " + statusLine(a.status) + "\r\n" + contentType +
                  "Content-Length: " + QByteArray::number(declared) + "\r\n" + a.extraHeaders +
                  (keepAlive ? QByteArray() : QByteArrayLiteral("Connection: close\r\n")) + "\r\n" + a.body;
        r.end = f.cutReply ? Reply::End::Reset : keepAlive ? Reply::End::KeepOpen : Reply::End::Close;
        if (f.cutReply)
            *summary += u" (cut reply)"_s;
    }
    r.padding = f.bodyBytes;
    if (f.bodyBytes > 0)
        *summary += u" (+"_s + QString::number(f.bodyBytes) + u" bytes)"_s;
    return r;
}

void SimServer::log(const QDateTime &at, const QByteArray &method, const QByteArray &target,
                    const QString &outcome) const
{
    if (m_verbose)
        std::fprintf(stderr, "%s %s %s -> %s\n", qPrintable(at.toString(Qt::ISODateWithMs)), method.constData(),
                     target.constData(), qPrintable(outcome));
}

void SimServer::deliverDue()
{
    const QDateTime now = QDateTime::currentDateTime();
    for (const AcceptedMessage &message : m_model.takeDue(now)) {
        m_outbox.appendDelivered(message, now);
        if (m_verbose)
            std::fprintf(stderr, "delivered the deferred message to %s\n", qPrintable(message.number));
    }
}

} // namespace parlevo::sim
