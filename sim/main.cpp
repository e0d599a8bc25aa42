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
                            "The first line of standard output is the port listened on.";

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
    const QCommandLineOption verboseOption(QStringLiteral("verbose"),
                                           QStringLiteral("Logs every request on standard error."));
    parser.addOptions({accountOption, accountsOption, portOption, listenOption, outboxOption, delayOption, dropOption,
                       replyOption, verboseOption});
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
    if (!port || *port > 65535 || !delay || !dropEvery)
        return usageError(QStringLiteral("--port, --delay-ms and --drop-every want a whole number of 0 or more"));
    const QHostAddress address(parser.value(listenOption));
    if (address.isNull())
        return usageError(QStringLiteral("--listen wants an IP address"));

    FaultOptions faults{*delay, *dropEvery, std::nullopt};
    if (parser.isSet(replyOption))
        faults.fixedReply = parser.value(replyOption);

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
