#pragma once

#include <QList>
#include <QNetworkProxy>
#include <QString>
#include <QUrl>

#include <optional>

namespace parlevo {

// The proxy settings of the environment, as curl and wget read them: http_proxy, https_proxy
// and no_proxy, the lower-case name first, then the upper-case one.
struct ProxyVariables {
    QString http;
    QString https;
    QString noProxy; // a comma list of host names, suffixes (".example.org") or "*"

    static ProxyVariables fromEnvironment();
};

// The proxy a request to target goes through: nothing to go direct, an invalid URL for a proxy
// that cannot be used (not http://), so the request fails rather than going round it.
std::optional<QUrl> proxyFor(const QUrl &target, const ProxyVariables &variables);

// The proxy the user set in the preferences; no host means none is set.
struct ProxySetting {
    QString host;
    int port = 0; // 0: the default port, as for the environment's proxies
    QString user;
    QString password;

    bool isSet() const { return !host.trimmed().isEmpty(); }
    friend bool operator==(const ProxySetting &, const ProxySetting &) = default;
};

// The proxies the desktop names for a target, as Qt reads them (QNetworkProxyFactory).
QList<QNetworkProxy> systemProxiesFor(const QUrl &target);

// The proxy a request goes through: the preference when set, else the environment's (no_proxy
// naming the target means none, even without a proxy variable), else the first the desktop names. Only HTTP proxies can
// be spoken to; a desktop that names only others (SOCKS) gets an invalid URL, so the request fails rather than going
// round its proxy.
std::optional<QUrl> chooseProxy(const QUrl &target, const ProxySetting &preference, const ProxyVariables &variables,
                                const QList<QNetworkProxy> &system);

} // namespace parlevo
