#include "classsendora.h"

#include "app/messagebox.h"
#include "app/shared.h"
#include "app/textes.h"
#include "gatewayaddress.h"
#include "pagetext.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

namespace parlevo {

ClassSendora::ClassSendora(const TextTable &textes, QObject *parent)
    : QObject(parent)
    , m_textes(textes)
    , m_baseUrl(resolveGatewayBaseUrl())
{
}

ClassSendora::~ClassSendora() = default;

std::optional<QString> ClassSendora::fetchPageText(const QUrl &url)
{
    if (!m_network)
        m_network = std::make_unique<QNetworkAccessManager>();

    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    // The deadline is on the monotonic clock: a wait across midnight still ends after 5 seconds.
    const QDeadlineTimer deadline(kReplyWaitMs);
    QNetworkReply *reply = m_network->get(request);

    // This loop watches this reply only; a request made from an event handled here has its own.
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    while (!reply->isFinished() && !deadline.hasExpired()) {
        timer.start(std::max<qint64>(1, deadline.remainingTime()));
        loop.exec();
    }

    std::optional<QString> text;
    if (!reply->isFinished()) {
        reply->disconnect(&loop);
        reply->abort();
    } else if (reply->error() == QNetworkReply::NoError) {
        text = pageText(reply->readAll(), reply->header(QNetworkRequest::ContentTypeHeader).toByteArray());
    }
    delete reply;
    return text;
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

quint8 ClassSendora::Envoi_SMS(const QString &NumeroGSM, const QString &Message, const QString &Differer)
{
    const auto text = fetchPageText(sendUrl(m_baseUrl, Mail, Password, NumeroGSM, Message, Differer));
    return text ? replyCode(*text) : 0;
}

QString ClassSendora::failureText(int code) const
{
    if (code == 0)
        return m_textes(46) + u"\r\n" + m_textes(379);
    // Codes above 100 have no entry in the table (it ends at 400): the code alone is shown.
    if (code > 100)
        return m_textes(46) + u"\r\n(" + QString::number(code) + u')';
    return m_textes(46) + u"\r\n(" + QString::number(code) + u") '" + m_textes(code + 300) + u'\'';
}

bool ClassSendora::Send_SMS(const QString &NumeroGSM, const QString &Message, const QString &Differer, bool Silent)
{
    const int code = Envoi_SMS(NumeroGSM, Message, Differer);
    if (code == 80 || code == 81)
        return true;
    if (!Silent)
        MsgBox(failureText(code), vbOKOnly | vbCritical);
    return false;
}

QString ClassSendora::Solde()
{
    if (Mail.isEmpty() || Password.isEmpty())
        return QString();
    const auto text = fetchPageText(balanceUrl(m_baseUrl, Mail, Password));
    return text ? creditFromPage(*text) : QString();
}

} // namespace parlevo
