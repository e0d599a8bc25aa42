#include "httpclient.h"

#include "httpresponse.h"

#include <QEventLoop>
#include <QSslSocket>
#include <QTimer>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace parlevo {

namespace {

constexpr int kMaxIdle = 8;

QString connectionKey(const QUrl &url)
{
    const bool tls = url.scheme() == u"https";
    return url.scheme() + u"://"_s + url.host() + u':' + QString::number(url.port(tls ? 443 : 80));
}

QByteArray requestBytes(const QUrl &url)
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
    return "GET " + target + " HTTP/1.1\r\nHost: " + host +
           "\r\nUser-Agent: Parlevo/1.0\r\nAccept: */*\r\nConnection: keep-alive\r\n\r\n";
}

} // namespace

HttpClient::HttpClient(QObject *parent)
    : QObject(parent)
{
}

HttpClient::~HttpClient()
{
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
    for (QEventLoop *loop : std::as_const(m_loops))
        loop->quit();
}

HttpAnswer HttpClient::get(const QUrl &url, QDeadlineTimer deadline)
{
    HttpAnswer answer;
    const bool tls = url.scheme() == u"https";
    if (m_cancelled || !url.isValid() || (!tls && url.scheme() != u"http") || (tls && !QSslSocket::supportsSsl()))
        return answer;

    const QString key = connectionKey(url);
    std::unique_ptr<QTcpSocket> socket = takeIdle(key);
    const bool reused = socket != nullptr;
    if (!socket)
        socket = tls ? std::make_unique<QSslSocket>() : std::make_unique<QTcpSocket>();

    QEventLoop loop;
    HttpResponseReader reader(kMaxHead, kMaxBody);
    bool written = false;
    bool ended = false;
    const auto end = [&] {
        ended = true;
        loop.quit();
    };
    const auto write = [&] {
        written = true;
        socket->write(requestBytes(url));
    };
    connect(socket.get(), &QTcpSocket::readyRead, &loop, [&] {
        reader.feed(socket->readAll());
        if (reader.isComplete() || reader.hasFailed())
            end();
    });
    connect(socket.get(), &QTcpSocket::disconnected, &loop, [&] {
        reader.feed(socket->readAll());
        reader.closed();
        end();
    });
    connect(socket.get(), &QAbstractSocket::errorOccurred, &loop, [&](QAbstractSocket::SocketError error) {
        // The peer's close arrives as an error too; disconnected() then ends the exchange.
        if (error != QAbstractSocket::RemoteHostClosedError)
            end();
    });
    if (reused) {
        write();
    } else if (tls) {
        auto *ssl = static_cast<QSslSocket *>(socket.get());
        connect(ssl, &QSslSocket::encrypted, &loop, write);
        ssl->connectToHostEncrypted(url.host(), static_cast<quint16>(url.port(443)));
    } else {
        connect(socket.get(), &QTcpSocket::connected, &loop, write);
        socket->connectToHost(url.host(), static_cast<quint16>(url.port(80)));
    }

    // This loop watches this exchange only; a request made from an event handled here has its own.
    QTimer timer;
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    m_loops.append(&loop);
    while (!ended && !m_cancelled && !deadline.hasExpired()) {
        timer.start(std::max<qint64>(1, deadline.remainingTime()));
        // Once the application is told to quit, every event loop returns at once: the wait ends
        // with it instead of spinning to its deadline.
        if (loop.exec() < 0)
            m_cancelled = true;
    }
    m_loops.removeOne(&loop);
    socket->disconnect(&loop);

    if (reader.isComplete()) {
        answer.outcome = HttpOutcome::Complete;
        answer.status = reader.status();
        answer.contentType = reader.contentType();
        answer.location = reader.location();
        answer.body = reader.body();
        if (reader.keepAlive() && socket->state() == QAbstractSocket::ConnectedState && socket->bytesAvailable() == 0)
            keepIdle(key, std::move(socket));
        else
            socket->abort();
        return answer;
    }
    answer.outcome = written ? HttpOutcome::NoAnswer : HttpOutcome::NotSent;
    socket->abort();
    return answer;
}

} // namespace parlevo
