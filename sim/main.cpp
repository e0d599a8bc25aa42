// parlevo-gateway-sim: a local stand-in for the Sendora SMS gateway, for the demo, the tests
// and the benchmarks.
#include "gatewaymodel.h"
#include "outbox.h"
#include "simserver.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QHostAddress>

#include <cstdio>

using namespace parlevo::sim;

namespace {

constexpr int kUsageError = 64;

const char kDescription[] = "Stands in for the Sendora SMS gateway on HTTP (GET only).\n"
                            "\n"
                            "  /http.php?email=E&pass=P&numero=N&message=M&diff=D\n"
                            "      sends one SMS; the page's text is the reply code, checked in this order:\n"
                            "      87 empty e-mail, 88 empty password, 82 unknown account or wrong password,\n"
                            "      89 empty number, 84 number not made of 10 to 15 digits, 90 empty message,\n"
                            "      85 deferred value not 12 digits hhmmDDMMYYYY of a date and time in the future,\n"
                            "      83 no credit left, 91 same number and text accepted for the account in the\n"
                            "      last 24 hours; otherwise 81 (deferred) or 80 (immediate) and one SMS is debited.\n"
                            "  /soldes_logiciel.php?email=E&pass=P\n"
                            "      an HTML page reading \"Votre crédit est de 1 250 SMS.\" (a page without that\n"
                            "      sentence for a wrong account).\n"
                            "\n"
                            "Accounts come from --account and --accounts; the JSON file is an array of\n"
                            "{\"email\": ..., \"password\": ..., \"credit\": ...} objects (or {\"accounts\": [...]}).\n"
                            "Every accepted message is appended to the --outbox file as one JSON line (received,\n"
                            "account, number, text, deferred, code, status \"sent\" or \"scheduled\"); a deferred one\n"
                            "gets a second line with status \"delivered\" when its time comes.\n"
                            "The first line of standard output is the port listened on.\n"
                            "\n"
                            "HTTP/1.1 with keep-alive (pipelined requests are answered in order; \"Connection:\n"
                            "close\" and HTTP/1.0 close after the answer); GET only (others get 405); a request\n"
                            "head over 16 KB gets 431 and the connection is closed, and so is a connection that\n"
                            "makes no progress for 30 s. Every connection is served on its own: --delay-ms holds\n"
                            "back one connection's answers, not the others'.\n"
                            "\n"
                            "Fault modes for the client's tests (every answer but 400, 405 and 431; the first\n"
                            "three exclude each other):\n"
                            "  --drop-after-accept  the request is served in full (an SMS is accepted, debited\n"
                            "      and written to the outbox), then the connection is closed (FIN) with not one\n"
                            "      byte of answer; a client that silently re-sends the GET sends the SMS twice\n"
                            "      and gets 91.\n"
                            "  --close-delimited  the answer is HTTP/1.0 with \"Connection: close\" and no\n"
                            "      Content-Length; the body ends when the connection closes.\n"
                            "  --cut-reply  the request is served, the headers declare a Content-Length 10 bytes\n"
                            "      more than the body, the whole body is sent and then the connection is reset\n"
                            "      (RST: lingering off, then closed).\n"
                            "  --body-bytes N  the body is the normal text followed by N blanks (Content-Length\n"
                            "      counts them), made as the socket drains.\n"
                            "  --charset utf-16|latin1  the balance page and the --reply text are in UTF-16LE\n"
                            "      with a byte order mark, declared \"charset=utf-16\", or in ISO-8859-1 with no\n"
                            "      charset declared (\"text/html\" or \"text/plain\"); the page's <meta charset>\n"
                            "      is then left out. The send reply (the code) stays UTF-8.\n"
                            "  --max-per-minute N  a request arriving when N requests were served in the last\n"
                            "      60 s gets 429, with Retry-After: the seconds until the oldest of them is\n"
                            "      60 s old, and is not served: nothing is accepted or debited. The requests\n"
                            "      answered 429 or 405 and the dropped ones do not count.\n"
                            "  --window-ms N  the window of --max-per-minute, 60000 by default (tests make it\n"
                            "      shorter to see a full window in a few seconds).\n"
                            "\n"
                            "Proxy and redirect modes:\n"
                            "  --proxy  the simulator is also an HTTP proxy in front of itself: a GET must come\n"
                            "      in absolute form (\"GET http://host:port/http.php?... HTTP/1.1\"; origin form gets\n"
                            "      400) and is served here whatever host it names; a CONNECT to a loopback\n"
                            "      host:port opens a tunnel to it (another host gets 403).\n"
                            "  --proxy-auth USER:PASSWORD  with --proxy, a request or CONNECT without\n"
                            "      \"Proxy-Authorization: Basic\" of these credentials gets 407 and is not served.\n"
                            "  --redirect STATUS  /http.php and /soldes_logiciel.php answer STATUS (301, 302,\n"
                            "      303, 307 or 308) with Location: /moved/<path>?<query>, where the gateway is.\n"
                            "With --verbose each request is logged on standard error as one line: its arrival\n"
                            "time (with milliseconds), method, target, \"->\" and the outcome with the fault\n"
                            "applied, e.g. \"-> code 80 (dropped after accept)\" or \"-> dropped\".";

int usageError(const QString &text)
{
    std::fprintf(stderr, "parlevo-gateway-sim: %s\nTry --help.\n", qPrintable(text));
    return kUsageError;
}

std::optional<int> nonNegative(const QString &text)
{
    bool ok = false;
    const int v = text.toInt(&ok);
    return ok && v >= 0 ? std::optional(v) : std::nullopt;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("parlevo-gateway-sim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromUtf8(kDescription));
    parser.addHelpOption();
    const QCommandLineOption accountOption(QStringLiteral("account"),
                                           QStringLiteral("Adds an account (repeatable). The password may hold ':'."),
                                           QStringLiteral("EMAIL:PASSWORD:CREDIT"));
    const QCommandLineOption accountsOption(
        QStringLiteral("accounts"), QStringLiteral("Adds the accounts of a JSON file."), QStringLiteral("FILE"));
    const QCommandLineOption portOption(QStringLiteral("port"),
                                        QStringLiteral("Port to listen on; 0 picks a free one (default 8808)."),
                                        QStringLiteral("N"), QStringLiteral("8808"));
    const QCommandLineOption listenOption(QStringLiteral("listen"),
                                          QStringLiteral("Address to listen on (default 127.0.0.1)."),
                                          QStringLiteral("ADDRESS"), QStringLiteral("127.0.0.1"));
    const QCommandLineOption outboxOption(QStringLiteral("outbox"),
                                          QStringLiteral("Appends every accepted message to FILE (JSON lines)."),
                                          QStringLiteral("FILE"));
    const QCommandLineOption delayOption(QStringLiteral("delay-ms"),
                                         QStringLiteral("Answers every request N milliseconds late."),
                                         QStringLiteral("N"), QStringLiteral("0"));
    const QCommandLineOption dropOption(QStringLiteral("drop-every"),
                                        QStringLiteral("Closes the connection without answering every N-th request."),
                                        QStringLiteral("N"), QStringLiteral("0"));
    const QCommandLineOption replyOption(
        QStringLiteral("reply"),
        QStringLiteral("Answers TEXT to every request (as HTML when it starts with '<'); nothing is sent or debited."),
        QStringLiteral("TEXT"));
    const QCommandLineOption dropAfterAcceptOption(
        QStringLiteral("drop-after-accept"),
        QStringLiteral("Serves every request, then closes the connection without a byte of answer."));
    const QCommandLineOption closeDelimitedOption(
        QStringLiteral("close-delimited"),
        QStringLiteral("Answers HTTP/1.0 without Content-Length, the body ended by closing the connection."));
    const QCommandLineOption cutReplyOption(
        QStringLiteral("cut-reply"),
        QStringLiteral("Declares a Content-Length 10 bytes over the body, sends the body, then resets."));
    const QCommandLineOption bodyBytesOption(QStringLiteral("body-bytes"),
                                             QStringLiteral("Adds N blanks after every answer's body."),
                                             QStringLiteral("N"), QStringLiteral("0"));
    const QCommandLineOption charsetOption(
        QStringLiteral("charset"),
        QStringLiteral("Encoding of the balance page and the --reply text: utf-8 (default), utf-16 or latin1."),
        QStringLiteral("NAME"), QStringLiteral("utf-8"));
    const QCommandLineOption maxPerMinuteOption(
        QStringLiteral("max-per-minute"),
        QStringLiteral("Answers 429, serving nothing, once N requests were served in the last 60 s."),
        QStringLiteral("N"), QStringLiteral("0"));
    const QCommandLineOption windowOption(QStringLiteral("window-ms"),
                                          QStringLiteral("The window of --max-per-minute in milliseconds."),
                                          QStringLiteral("N"), QStringLiteral("60000"));
    const QCommandLineOption proxyOption(QStringLiteral("proxy"),
                                         QStringLiteral("Also acts as an HTTP proxy in front of itself."));
    const QCommandLineOption proxyAuthOption(QStringLiteral("proxy-auth"),
                                             QStringLiteral("With --proxy, wants these Basic credentials."),
                                             QStringLiteral("USER:PASSWORD"));
    const QCommandLineOption redirectOption(
        QStringLiteral("redirect"), QStringLiteral("Redirects the gateway's paths to /moved/ with this status."),
        QStringLiteral("STATUS"));
    const QCommandLineOption verboseOption(QStringLiteral("verbose"),
                                           QStringLiteral("Logs every request on standard error."));
    parser.addOptions({accountOption, accountsOption, portOption, listenOption, outboxOption, delayOption, dropOption,
                       replyOption, dropAfterAcceptOption, closeDelimitedOption, cutReplyOption, bodyBytesOption,
                       charsetOption, maxPerMinuteOption, windowOption, proxyOption, proxyAuthOption, redirectOption,
                       verboseOption});
    if (!parser.parse(QCoreApplication::arguments()))
        return usageError(parser.errorText());
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(0);
    if (!parser.positionalArguments().isEmpty())
        return usageError(QStringLiteral("unexpected argument ") + parser.positionalArguments().first());

    GatewayModel model;
    for (const QString &accountText : parser.values(accountOption)) {
        const auto account = parseAccountText(accountText);
        if (!account)
            return usageError(QStringLiteral("--account wants EMAIL:PASSWORD:CREDIT, not ") + accountText);
        model.addAccount(*account);
    }
    if (parser.isSet(accountsOption)) {
        QFile file(parser.value(accountsOption));
        if (!file.open(QIODevice::ReadOnly))
            return usageError(QStringLiteral("cannot read ") + file.fileName());
        QString error;
        const auto accounts = parseAccountsJson(file.readAll(), &error);
        if (!accounts)
            return usageError(file.fileName() + QStringLiteral(": ") + error);
        for (const Account &a : *accounts)
            model.addAccount(a);
    }

    const auto port = nonNegative(parser.value(portOption));
    const auto delay = nonNegative(parser.value(delayOption));
    const auto dropEvery = nonNegative(parser.value(dropOption));
    const auto maxPerMinute = nonNegative(parser.value(maxPerMinuteOption));
    const auto windowMs = nonNegative(parser.value(windowOption));
    bool bodyBytesOk = false;
    const qint64 bodyBytes = parser.value(bodyBytesOption).toLongLong(&bodyBytesOk);
    if (!port || *port > 65535 || !delay || !dropEvery || !maxPerMinute || !bodyBytesOk || bodyBytes < 0 || !windowMs ||
        *windowMs == 0)
        return usageError(QStringLiteral("--port, --delay-ms, --drop-every, --body-bytes and --max-per-minute want a "
                                         "whole number of 0 or more, --window-ms one of 1 or more"));
    const QString charsetName = parser.value(charsetOption).toLower();
    Charset charset = Charset::Utf8;
    if (charsetName == u"utf-16")
        charset = Charset::Utf16;
    else if (charsetName == u"latin1" || charsetName == u"iso-8859-1")
        charset = Charset::Latin1;
    else if (charsetName != u"utf-8")
        return usageError(QStringLiteral("--charset wants utf-8, utf-16 or latin1"));
    const bool dropAfterAccept = parser.isSet(dropAfterAcceptOption);
    const bool closeDelimited = parser.isSet(closeDelimitedOption);
    const bool cutReply = parser.isSet(cutReplyOption);
    if (int(dropAfterAccept) + int(closeDelimited) + int(cutReply) > 1)
        return usageError(QStringLiteral("--drop-after-accept, --close-delimited and --cut-reply exclude each other"));
    const QHostAddress address(parser.value(listenOption));
    if (address.isNull())
        return usageError(QStringLiteral("--listen wants an IP address"));

    if (parser.isSet(proxyAuthOption) && (!parser.isSet(proxyOption) || !parser.value(proxyAuthOption).contains(u':')))
        return usageError(QStringLiteral("--proxy-auth wants USER:PASSWORD, with --proxy"));
    int redirectStatus = 0;
    if (parser.isSet(redirectOption)) {
        redirectStatus = parser.value(redirectOption).toInt();
        if (!QList<int>{301, 302, 303, 307, 308}.contains(redirectStatus))
            return usageError(QStringLiteral("--redirect wants 301, 302, 303, 307 or 308"));
    }

    FaultOptions faults;
    faults.delayMs = *delay;
    faults.dropEvery = *dropEvery;
    if (parser.isSet(replyOption))
        faults.fixedReply = parser.value(replyOption);
    faults.dropAfterAccept = dropAfterAccept;
    faults.closeDelimited = closeDelimited;
    faults.cutReply = cutReply;
    faults.bodyBytes = bodyBytes;
    faults.charset = charset;
    faults.maxPerMinute = *maxPerMinute;
    faults.windowMs = *windowMs;
    faults.proxy = parser.isSet(proxyOption);
    faults.proxyCredentials = parser.value(proxyAuthOption).toUtf8();
    faults.redirectStatus = redirectStatus;

    SimServer server(model, Outbox(parser.value(outboxOption)), faults, parser.isSet(verboseOption));
    const quint16 listening = server.listen(address, static_cast<quint16>(*port));
    if (listening == 0) {
        std::fprintf(stderr, "parlevo-gateway-sim: cannot listen on %s:%d\n", qPrintable(address.toString()), *port);
        return 1;
    }
    std::printf("%u\n", static_cast<unsigned>(listening));
    std::fflush(stdout);
    if (parser.isSet(verboseOption))
        std::fprintf(stderr, "parlevo-gateway-sim: listening on http://%s:%u\n", qPrintable(address.toString()),
                     static_cast<unsigned>(listening));
    return QCoreApplication::exec();
}
