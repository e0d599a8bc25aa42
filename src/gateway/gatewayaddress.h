#pragma once

#include <QString>
#include <QUrl>

namespace parlevo {

// The gateway's base address: PARLEVO_GATEWAY_URL when it holds an http:// or https:// URL,
// otherwise "http://" followed by the host the program was built with (PARLEVO_GATEWAY_HOST).
QUrl resolveGatewayBaseUrl();

// The same rule with its two inputs given, so it can be checked without the environment.
QUrl gatewayBaseUrlFrom(const QString &environmentValue, const QString &buildHost);

// The host[:port] set at build time.
QString builtInGatewayHost();

// A query value as it goes on the wire: UTF-8, every byte but RFC 3986's unreserved
// characters percent-encoded, so "&", "#", "+", "=", blanks and line breaks cannot change the query.
QByteArray encodeQueryValue(const QString &value);

// GET <base>/http.php?email=..&pass=..&numero=..&message=..&diff=.. (five keys, in this order).
QUrl sendUrl(const QUrl &base, const QString &mail, const QString &password, const QString &numero,
             const QString &message, const QString &differer);

// GET <base>/soldes_logiciel.php?email=..&pass=..
QUrl balanceUrl(const QUrl &base, const QString &mail, const QString &password);

} // namespace parlevo
