#pragma once

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

} // namespace parlevo
