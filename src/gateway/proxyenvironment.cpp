#include "proxyenvironment.h"

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

} // namespace parlevo
