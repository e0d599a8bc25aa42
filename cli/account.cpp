#include "options.h"

#include "addressbook/contactcollection.h"
#include "addressbook/contactrules.h"
#include "base/ini.h"
#include "base/singleinstance.h"
#include "base/storefile.h"
#include "gateway/classsendora.h"
#include "prefs/configfile.h"
#include "sending/sendrun.h"
#include "sending/singlesend.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QUrl>

#include <algorithm>
#include <cstdio>
#include <optional>

using namespace Qt::StringLiterals;

namespace parlevo::cli {

namespace {

// The first line of standard input, its line end dropped; nothing when it cannot be read.
std::optional<QString> readStdinLine()
{
    QFile input;
    if (!input.open(stdin, QIODevice::ReadOnly))
        return std::nullopt;
    QString line = QString::fromUtf8(input.readLine());
    while (line.endsWith(u'\n') || line.endsWith(u'\r'))
        line.chop(1);
    return line;
}

// "host", "host:port" or "[v6]:port"; nothing for anything else.
std::optional<ProxySetting> proxyAddress(const QString &text)
{
    const QUrl url(u"http://"_s + text.trimmed(), QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty() || !url.userInfo().isEmpty() || !url.path().isEmpty() ||
        url.hasQuery() || url.hasFragment() || url.port() == 0)
        return std::nullopt;
    return ProxySetting{url.host(), std::max(url.port(), 0), {}, {}};
}

} // namespace

int account(const QString &globalDataDir, const QStringList &arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption email(QStringLiteral("email"), QStringLiteral("The account's e-mail address."),
                                   QStringLiteral("EMAIL"));
    const QCommandLineOption passwordStdin(
        QStringLiteral("password-stdin"),
        QStringLiteral("Reads the password from the first line of standard input (else it is kept)."));
    const QCommandLineOption myNumber(QStringLiteral("my-number"),
                                      QStringLiteral("Your own mobile number, where 'mailing send --test' sends."),
                                      QStringLiteral("NUMBER"));
    const QCommandLineOption proxy(QStringLiteral("proxy"),
                                   QStringLiteral("The HTTP proxy to the gateway, HOST or HOST:PORT (port 1080 when "
                                                  "not given); the environment's or the system's is used without it."),
                                   QStringLiteral("HOST[:PORT]"));
    const QCommandLineOption proxyUser(QStringLiteral("proxy-user"), QStringLiteral("The proxy's user, with --proxy."),
                                       QStringLiteral("USER"));
    const QCommandLineOption proxyPasswordStdin(
        QStringLiteral("proxy-password-stdin"),
        QStringLiteral("Reads the proxy's password from the first line of standard input, with --proxy-user."));
    const QCommandLineOption clearProxy(QStringLiteral("clear-proxy"),
                                        QStringLiteral("Forgets the proxy set with --proxy."));
    parser.addOptions({email, passwordStdin, myNumber, proxy, proxyUser, proxyPasswordStdin, clearProxy});
    int status = kAccepted;
    if (!parseCommand(
            parser, u"account"_s,
            u"Sets the gateway account, your own mobile number or the proxy, and writes the configuration file\n"
            u"Parlevo.cfg of the data directory, the password enciphered as the desktop app does. The\n"
            u"other settings "
            u"are kept. Refused while the desktop app runs on the same data directory."_s,
            arguments, &status))
        return status;
    if (!parser.isSet(email) && !parser.isSet(myNumber) && !parser.isSet(proxy) && !parser.isSet(clearProxy))
        return usage(u"account needs --email, --my-number, --proxy or --clear-proxy"_s, u"account"_s);
    if (parser.isSet(passwordStdin) && !parser.isSet(email))
        return usage(u"--password-stdin goes with --email"_s, u"account"_s);
    if (parser.isSet(proxyUser) && !parser.isSet(proxy))
        return usage(u"--proxy-user goes with --proxy"_s, u"account"_s);
    if (parser.isSet(proxyPasswordStdin) && !parser.isSet(proxyUser))
        return usage(u"--proxy-password-stdin goes with --proxy-user"_s, u"account"_s);
    if (parser.isSet(proxyPasswordStdin) && parser.isSet(passwordStdin))
        return usage(u"--password-stdin and --proxy-password-stdin cannot both read standard input"_s, u"account"_s);
    if (parser.isSet(clearProxy) && parser.isSet(proxy))
        return usage(u"--clear-proxy and --proxy exclude each other"_s, u"account"_s);
    std::optional<ProxySetting> newProxy;
    if (parser.isSet(proxy)) {
        newProxy = proxyAddress(parser.value(proxy));
        if (!newProxy)
            return usage(u"--proxy wants HOST or HOST:PORT, not \""_s + parser.value(proxy) + u'"', u"account"_s);
        newProxy->user = parser.value(proxyUser);
    }
    if (parser.isSet(myNumber) && testNumber(parser.value(myNumber)).isEmpty())
        return usage(u"--my-number wants a phone number, not \""_s + parser.value(myNumber) + u'"', u"account"_s);

    // One line of standard input: the account's password or the proxy's, never both.
    QString password;
    if (parser.isSet(passwordStdin) || parser.isSet(proxyPasswordStdin)) {
        const std::optional<QString> line = readStdinLine();
        if (!line)
            return usage(u"cannot read standard input"_s, u"account"_s);
        if (parser.isSet(proxyPasswordStdin))
            newProxy->password = *line;
        else
            password = *line;
    }
    // An empty password is never stored: the file would keep a cipher text keyed by the old
    // e-mail, which no longer deciphers.
    if (parser.isSet(passwordStdin) && password.isEmpty())
        return usage(u"--password-stdin read an empty password; the account is unchanged"_s, u"account"_s);
    // The e-mail as the configuration file will give it back (blanks and quotes around it dropped).
    IniDocument probe;
    probe.setValue(u"Account"_s, u"E-mail"_s, parser.value(email));
    const QString mail = probe.value(u"Account"_s, u"E-mail"_s, QString());

    auto parts = loadParts(parser.isSet(dataDirOption()) ? parser.value(dataDirOption()) : globalDataDir);
    const QString path = parts->dataDir.filePath(QString::fromUtf16(kConfigFileName));
    if (parts->dataDir.isUnreadable(QString::fromUtf16(kConfigFileName))) {
        sayUnreadable(parts->dataDir, QString::fromUtf16(kConfigFileName));
        return kFailure;
    }
    QDir().mkpath(parts->dataDir.path());
    // The app writes the configuration when it quits: a change made under it would be lost.
    SingleInstance instance(parts->dataDir.path());
    if (!lockForChange(parts->textes, parts->dataDir, instance))
        return kFailure;
    ClassSendora &gateway = parts->gateway;
    if (parser.isSet(email))
        gateway.Mail = mail;
    if (parser.isSet(passwordStdin))
        gateway.Password = password;
    if (parser.isSet(myNumber))
        parts->config.MyNumber = parser.value(myNumber).trimmed();
    if (newProxy)
        gateway.Proxy = *newProxy;
    else if (parser.isSet(clearProxy))
        gateway.Proxy = ProxySetting{};
    const Config &c = parts->config;
    if (!SaveConfig(parts->config, parts->gateway, parts->cipher, parts->dataDir,
                    WindowGeometry{c.WindowTop, c.WindowLeft, c.WindowWidth, c.WindowHeight, c.WindowMaximized})) {
        err(u"parlevo-cli: cannot write "_s + QDir::toNativeSeparators(path));
        return kFailure;
    }
    out(path);
    return kAccepted;
}

} // namespace parlevo::cli
