#include "gatewayaddress.h"

namespace parlevo {

QString builtInGatewayHost()
{
    return QStringLiteral(PARLEVO_GATEWAY_HOST);
}

QUrl gatewayBaseUrlFrom(const QString &environmentValue, const QString &buildHost)
{
    const QUrl fromEnvironment(environmentValue.trimmed(), QUrl::StrictMode);
    const QString scheme = fromEnvironment.scheme().toLower();
    if (fromEnvironment.isValid() && !fromEnvironment.host().isEmpty() && (scheme == u"http" || scheme == u"https"))
        return fromEnvironment;
    return QUrl(QStringLiteral("http://") + buildHost, QUrl::StrictMode);
}

QUrl resolveGatewayBaseUrl()
{
    return gatewayBaseUrlFrom(qEnvironmentVariable("PARLEVO_GATEWAY_URL"), builtInGatewayHost());
}

QByteArray encodeQueryValue(const QString &value)
{
    // QByteArray::toPercentEncoding keeps exactly ALPHA, DIGIT, "-", ".", "_" and "~".
    return value.toUtf8().toPercentEncoding();
}

namespace {

QUrl withPathAndQuery(const QUrl &base, const char *path, const QByteArray &query)
{
    QByteArray address = base.toEncoded(QUrl::RemoveQuery | QUrl::RemoveFragment);
    while (address.endsWith('/'))
        address.chop(1);
    address += path;
    address += '?';
    address += query;
    // The query is already fully encoded; tolerant parsing would re-encode nothing of it.
    return QUrl::fromEncoded(address, QUrl::StrictMode);
}

} // namespace

QUrl sendUrl(const QUrl &base, const QString &mail, const QString &password, const QString &numero,
             const QString &message, const QString &differer)
{
    const QByteArray query = "email=" + encodeQueryValue(mail) + "&pass=" + encodeQueryValue(password) +
                             "&numero=" + encodeQueryValue(numero) + "&message=" + encodeQueryValue(message) +
                             "&diff=" + encodeQueryValue(differer);
    return withPathAndQuery(base, "/http.php", query);
}

QUrl balanceUrl(const QUrl &base, const QString &mail, const QString &password)
{
    const QByteArray query = "email=" + encodeQueryValue(mail) + "&pass=" + encodeQueryValue(password);
    return withPathAndQuery(base, "/soldes_logiciel.php", query);
}

} // namespace parlevo
