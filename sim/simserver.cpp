#include "simserver.h"

#include <QDateTime>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QPointer>
#include <QTcpSocket>
#include <QUrlQuery>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace parlevo::sim {

namespace {

QByteArray mimeFor(const QString &text)
{
    return text.trimmed().startsWith(u'<') ? QByteArrayLiteral("text/html; charset=utf-8")
                                           : QByteArrayLiteral("text/plain; charset=utf-8");
}

} // namespace

SimServer::SimServer(GatewayModel &model, Outbox outbox, FaultOptions faults, bool verbose, QObject *parent)
    : QAbstractHttpServer(parent)
    , m_model(model)
    , m_outbox(std::move(outbox))
    , m_faults(std::move(faults))
    , m_verbose(verbose)
{
    m_deliveryClock.setInterval(1000);
    connect(&m_deliveryClock, &QTimer::timeout, this, &SimServer::deliverDue);
    m_deliveryClock.start();
}

SimServer::Answer SimServer::answer(const QHttpServerRequest &request)
{
    if (m_faults.fixedReply)
        return {m_faults.fixedReply->toUtf8(), mimeFor(*m_faults.fixedReply), 200, QStringLiteral("fixed reply")};

    const QString path = request.url().path();
    const QUrlQuery query = request.query();
    const auto value = [&query](const char16_t *key) {
        return query.queryItemValue(QString::fromUtf16(key), QUrl::FullyDecoded);
    };
    if (path == u"/http.php") {
        const SendRequest send{value(u"email"), value(u"pass"), value(u"numero"), value(u"message"), value(u"diff")};
        AcceptedMessage accepted;
        const int code = m_model.send(send, QDateTime::currentDateTime(), &accepted);
        if (code == 80 || code == 81) {
            if (!m_outbox.appendAccepted(accepted))
                std::fprintf(stderr, "parlevo-gateway-sim: cannot append to the outbox file\n");
            if (code == 81)
                m_model.schedule(accepted);
        }
        // A PHP script's default type, as the service answers.
        return {QByteArray::number(code), QByteArrayLiteral("text/html; charset=utf-8"), 200,
                u"code "_s + QString::number(code)};
    }
    if (path == u"/soldes_logiciel.php") {
        const auto credit = m_model.balance(value(u"email"), value(u"pass"));
        return {balancePage(credit), QByteArrayLiteral("text/html; charset=utf-8"), 200,
                credit ? u"credit "_s + QString::number(*credit) : u"unknown account"_s};
    }
    return {QByteArrayLiteral("Not Found"), QByteArrayLiteral("text/plain"), 404, QStringLiteral("404")};
}

void SimServer::respond(const QHttpServerRequest &request, QTcpSocket *socket, const Answer &a)
{
    QHttpServerResponder responder = makeResponder(request, socket);
    responder.write(a.body, a.mimeType, static_cast<QHttpServerResponder::StatusCode>(a.status));
}

bool SimServer::handleRequest(const QHttpServerRequest &request, QTcpSocket *socket)
{
    ++m_requestCount;
    const QString target = QString::fromUtf8(request.url().toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority));
    if (m_faults.dropEvery > 0 && m_requestCount % static_cast<quint64>(m_faults.dropEvery) == 0) {
        if (m_verbose)
            std::fprintf(stderr, "%s GET %s -> dropped\n",
                         qPrintable(QDateTime::currentDateTime().toString(Qt::ISODateWithMs)), qPrintable(target));
        // Closed once the server has finished with this request, not under its feet.
        QMetaObject::invokeMethod(
            socket, [socket] { socket->abort(); }, Qt::QueuedConnection);
        return true;
    }

    const Answer a = answer(request);
    if (m_verbose)
        std::fprintf(stderr, "%s GET %s -> %s\n", qPrintable(QDateTime::currentDateTime().toString(Qt::ISODateWithMs)),
                     qPrintable(target), qPrintable(a.summary));
    if (m_faults.delayMs <= 0) {
        respond(request, socket, a);
        return true;
    }
    // The request object lives as long as its connection; the timer dies with the socket.
    const QHttpServerRequest *pending = &request;
    QTimer::singleShot(m_faults.delayMs, socket, [socket, pending, a] {
        if (socket->state() == QAbstractSocket::ConnectedState)
            respond(*pending, socket, a);
    });
    return true;
}

void SimServer::missingHandler(const QHttpServerRequest &request, QTcpSocket *socket)
{
    respond(request, socket, {QByteArrayLiteral("Not Found"), QByteArrayLiteral("text/plain"), 404, {}});
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
