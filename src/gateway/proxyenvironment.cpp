#include "proxyenvironment.h"

#include <QNetworkProxyFactory>
#include <QStringList>

using namespace Qt::StringLiterals;

namespace parlevo {

namespace {

// curl's default port for a proxy given without one.
constexpr int kDefaultProxyPort = 1080;

QString variable(const char *lower, const char *upper)
{
    const QString value = qEnvironmentVariable(lower).trimmed();
    return value.isEmpty() ? qEnvironmentVariable(upper).trimmed() : value;
}

bool bypassed(const QUrl &target, const QString &noProxy)
{
    const QString host = target.host().toLower();
    for (QString entry : noProxy.split(u',', Qt::SkipEmptyParts)) {
        entry = entry.trimmed().toLower();
        if (entry == u"*")
            return true;
        const qsizetype colon = entry.lastIndexOf(u':');
        if (colon > 0 && !entry.contains(u']') && entry.count(u':') == 1) {
            if (entry.mid(colon + 1).toInt() != target.port(target.scheme() == u"https" ? 443 : 80))
                continue;
            entry.truncate(colon);
        }
        if (entry.startsWith(u'.'))
            entry.remove(0, 1);
        if (!entry.isEmpty() && (host == entry || host.endsWith(u'.' + entry)))
            return true;
    }
    return false;
}

} // namespace

ProxyVariables ProxyVariables::fromEnvironment()
{
    return {variable("http_proxy", "HTTP_PROXY"), variable("https_proxy", "HTTPS_PROXY"),
            variable("no_proxy", "NO_PROXY")};
}

std::optional<QUrl> proxyFor(const QUrl &target, const ProxyVariables &variables)
{
    const QString &setting = target.scheme() == u"https" ? variables.https : variables.http;
    if (setting.isEmpty() || bypassed(target, variables.noProxy))
        return std::nullopt;
    QUrl proxy(setting.contains(u"://") ? setting : u"http://"_s + setting, QUrl::StrictMode);
    if (!proxy.isValid() || proxy.scheme().toLower() != u"http" || proxy.host().isEmpty())
        return QUrl();
    if (proxy.port() == -1)
        proxy.setPort(kDefaultProxyPort);
    return proxy;
}

QList<QNetworkProxy> systemProxiesFor(const QUrl &target)
{
    return QNetworkProxyFactory::systemProxyForQuery(QNetworkProxyQuery(target));
}

std::optional<QUrl> chooseProxy(const QUrl &target, const ProxySetting &preference, const ProxyVariables &variables,
                                const QList<QNetworkProxy> &system)
{
    const auto toUrl = [](const QString &host, int port, const QString &user, const QString &password) {
        QUrl proxy;
        proxy.setScheme(u"http"_s);
        proxy.setHost(host.trimmed());
        proxy.setPort(port > 0 && port <= 65535 ? port : kDefaultProxyPort);
        if (!user.isEmpty()) {
            proxy.setUserName(user, QUrl::DecodedMode);
            proxy.setPassword(password, QUrl::DecodedMode);
        }
        return proxy.isValid() && !proxy.host().isEmpty() ? proxy : QUrl();
    };
    if (preference.isSet())
        return toUrl(preference.host, preference.port, preference.user, preference.password);
    // no_proxy alone keeps the desktop's proxy away too: the demo's simulator on loopback.
    if (!(target.scheme() == u"https" ? variables.https : variables.http).isEmpty() ||
        bypassed(target, variables.noProxy))
        return proxyFor(target, variables);
    // In the desktop's order, as a proxy script gives them ("SOCKS a; PROXY b; DIRECT").
    for (const QNetworkProxy &proxy : system) {
        if (proxy.type() == QNetworkProxy::HttpProxy)
            return toUrl(proxy.hostName(), proxy.port(), proxy.user(), proxy.password());
        if (proxy.type() == QNetworkProxy::NoProxy || proxy.type() == QNetworkProxy::DefaultProxy)
            return std::nullopt;
    }
    if (!system.isEmpty())
        return QUrl();
    return std::nullopt;
}

} // namespace parlevo
