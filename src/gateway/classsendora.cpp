#include "classsendora.h"

#include "base/messagebox.h"
#include "base/shared.h"
#include "base/textes.h"
#include "gatewayaddress.h"
#include "pagetext.h"

#include "httpclient.h"

#include <QDeadlineTimer>

namespace parlevo {

namespace {

constexpr int kMaxRedirects = 3;

bool isRedirect(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
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

ClassSendora::Page ClassSendora::fetchPage(const QUrl &url)
{
    // The deadline is on the monotonic clock: a wait across midnight still ends after 5 seconds.
    const QDeadlineTimer deadline(kReplyWaitMs);
    Page page;
    QUrl target = url;
    for (int hop = 0; hop <= kMaxRedirects; ++hop) {
        const HttpAnswer answer = m_http->get(target, deadline);
        page.sent = page.sent || answer.outcome != HttpOutcome::NotSent;
        if (answer.outcome != HttpOutcome::Complete)
            return page;
        // A moved gateway is followed, but never from https down to http.
        const QUrl next = target.resolved(QUrl::fromEncoded(answer.location));
        if (isRedirect(answer.status) && !answer.location.isEmpty() && next.isValid() &&
            !(target.scheme() == u"https" && next.scheme() != u"https")) {
            target = next;
            continue;
        }
        // An error page is a complete answer, but not the gateway's.
        if (answer.status >= 200 && answer.status < 300)
            page.text = pageText(answer.body, answer.contentType);
        return page;
    }
    return page;
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

SendReply ClassSendora::send(const QString &NumeroGSM, const QString &Message, const QString &Differer)
{
    const Page page = fetchPage(sendUrl(m_baseUrl, Mail, Password, NumeroGSM, Message, Differer));
    if (page.text) {
        const quint8 code = replyCode(*page.text);
        return {code, outcomeOfCode(code)};
    }
    // A request that left and got no complete answer may have been carried out.
    return {0, page.sent ? SendOutcome::Unknown : SendOutcome::Unreachable};
}

quint8 ClassSendora::Envoi_SMS(const QString &NumeroGSM, const QString &Message, const QString &Differer)
{
    return send(NumeroGSM, Message, Differer).code;
}

bool ClassSendora::Send_SMS(const QString &NumeroGSM, const QString &Message, const QString &Differer, bool Silent)
{
    const SendReply reply = send(NumeroGSM, Message, Differer);
    if (reply.outcome == SendOutcome::Accepted)
        return true;
    // Nobody is left to read a message once the program is quitting.
    if (!Silent && !m_http->isCancelled())
        MsgBox(failureMessage(m_textes, reply), vbOKOnly | vbCritical);
    return false;
}

QString ClassSendora::Solde()
{
    if (Mail.isEmpty() || Password.isEmpty())
        return QString();
    const Page page = fetchPage(balanceUrl(m_baseUrl, Mail, Password));
    return page.text ? creditFromPage(*page.text) : QString();
}

} // namespace parlevo
