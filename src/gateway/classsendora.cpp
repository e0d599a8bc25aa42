#include "classsendora.h"

#include "base/messagebox.h"
#include "base/shared.h"
#include "base/textes.h"
#include "base/txt.h"
#include "gatewayaddress.h"
#include "pagetext.h"

#include "httpclient.h"

#include <QDeadlineTimer>
#include <QTimer>

namespace parlevo {

namespace {

constexpr int kMaxRedirects = 3;

bool isRedirect(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// Where a complete answer sends the request next; nothing when it is the final answer. A moved
// gateway is followed, but never from https down to http.
std::optional<QUrl> redirectOf(const QUrl &target, const HttpAnswer &answer)
{
    const QUrl next = target.resolved(QUrl::fromEncoded(answer.location));
    if (isRedirect(answer.status) && !answer.location.isEmpty() && next.isValid() &&
        !(target.scheme() == u"https" && next.scheme() != u"https"))
        return next;
    return std::nullopt;
}

// An error page is a complete answer, but not the gateway's.
std::optional<QString> gatewayText(const HttpAnswer &answer)
{
    if (answer.status >= 200 && answer.status < 300)
        return pageText(answer.body, answer.contentType);
    return std::nullopt;
}

// A gateway that answers "too many requests" or "unavailable" served nothing: the SMS did not go.
bool isBusyStatus(int status)
{
    return status == 429 || status == 503;
}

void readPage(const HttpAnswer &answer, ClassSendora::Page *page)
{
    page->text = gatewayText(answer);
    if (isBusyStatus(answer.status))
        page->busyFor = retryAfterSeconds(answer.retryAfter, QDateTime::currentDateTimeUtc());
}

// A proxy that stopped the request said so: the gateway never saw it.
QString proxyFailure(const TextTable &textes, ProxyTrouble trouble)
{
    switch (trouble) {
    case ProxyTrouble::Unusable:
        return textes(Txt::ProxyUnusable);
    case ProxyTrouble::AuthRefused:
        return textes(Txt::ProxyAuthRefused);
    case ProxyTrouble::None:
        break;
    }
    return {};
}

SendReply replyOf(const ClassSendora::Page &page)
{
    if (page.busyFor >= 0)
        return {0, SendOutcome::Busy, page.busyFor};
    if (page.proxyStopped)
        return {0, SendOutcome::Unreachable, 0, page.failure};
    if (page.text) {
        const quint8 code = replyCode(*page.text);
        return {code, outcomeOfCode(code)};
    }
    // A request that left and got no complete answer may have been carried out.
    if (page.sent)
        return {0, SendOutcome::Unknown};
    return {0, SendOutcome::Unreachable, 0, page.failure};
}

} // namespace

ClassSendora::ClassSendora(const TextTable &textes, QObject *parent)
    : QObject(parent)
    , m_textes(textes)
    , m_baseUrl(resolveGatewayBaseUrl())
    , m_http(std::make_unique<HttpClient>())
{
}

ClassSendora::~ClassSendora() = default;

void ClassSendora::cancelAll()
{
    m_http->cancelAll();
}

bool ClassSendora::isBusy() const
{
    return m_http->pendingCount() > 0;
}

void ClassSendora::fetchPageAsync(const QUrl &url, QDeadlineTimer deadline, int hop, bool sent,
                                  std::function<void(const Page &)> done)
{
    m_http->setPreferredProxy(Proxy);
    m_http->start(url, deadline, [this, url, deadline, hop, sent, done = std::move(done)](const HttpAnswer &answer) {
        Page page;
        page.sent = sent || answer.outcome != HttpOutcome::NotSent;
        page.failure = answer.failure;
        if (answer.proxyTrouble != ProxyTrouble::None) {
            page.proxyStopped = true;
            page.failure = proxyFailure(m_textes, answer.proxyTrouble);
        } else if (answer.outcome == HttpOutcome::Complete) {
            if (const auto next = redirectOf(url, answer)) {
                if (hop < kMaxRedirects)
                    fetchPageAsync(*next, deadline, hop + 1, page.sent, done);
                else
                    done(page);
                return;
            }
            readPage(answer, &page);
        }
        done(page);
    });
}

quint8 replyCode(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return 0;
    for (QChar c : trimmed) {
        if (c < u'0' || c > u'9')
            return 0;
    }
    bool ok = false;
    const uint value = trimmed.toUInt(&ok);
    return ok && value <= 255 ? static_cast<quint8>(value) : 0;
}

QString creditFromPage(const QString &text)
{
    const qsizetype p1 = text.indexOf(u"Votre crédit est de");
    const qsizetype p2 = text.indexOf(u"SMS.");
    if (p1 < 0 || p2 < 0 || p2 < p1)
        return QString();
    return DigitsOnly(QStringView(text).mid(p1, p2 - p1));
}

void ClassSendora::sendAsync(const QString &NumeroGSM, const QString &Message, const QString &Differer,
                             std::function<void(const SendReply &)> done)
{
    fetchPageAsync(sendUrl(m_baseUrl, Mail, Password, NumeroGSM, Message, Differer), QDeadlineTimer(kReplyWaitMs), 0,
                   false, [done = std::move(done)](const Page &page) { done(replyOf(page)); });
}

void ClassSendora::Send_SMS(const QString &NumeroGSM, const QString &Message, const QString &Differer, bool Silent,
                            std::function<void(bool)> done)
{
    sendAsync(NumeroGSM, Message, Differer, [this, Silent, done = std::move(done)](const SendReply &reply) {
        if (!Silent)
            reportFailure(reply);
        done(reply.outcome == SendOutcome::Accepted);
    });
}

void ClassSendora::reportFailure(const SendReply &reply) const
{
    // Nobody is left to read a message once the program is quitting.
    if (reply.outcome != SendOutcome::Accepted && !m_http->isCancelled())
        MsgBox(failureMessage(m_textes, reply), vbOKOnly | vbCritical);
}

void ClassSendora::Solde(std::function<void(const QString &)> done)
{
    if (Mail.isEmpty() || Password.isEmpty()) {
        // Told from the event loop all the same, as every answer.
        QTimer::singleShot(0, this, [done = std::move(done)] { done(QString()); });
        return;
    }
    // The deadline is on the monotonic clock: a wait across midnight still ends after 5 seconds.
    fetchPageAsync(
        balanceUrl(m_baseUrl, Mail, Password), QDeadlineTimer(kReplyWaitMs), 0, false,
        [done = std::move(done)](const Page &page) { done(page.text ? creditFromPage(*page.text) : QString()); });
}

} // namespace parlevo
