#include "options.h"

#include "addressbook/classcontact.h"
#include "addressbook/contactcollection.h"
#include "addressbook/contactrules.h"
#include "addressbook/csvimport.h"
#include "addressbook/groupcollection.h"
#include "app/mainwindowlogic.h"
#include "base/appstate.h"
#include "base/ini.h"
#include "base/shared.h"
#include "base/storefile.h"
#include "base/textes.h"
#include "gateway/classsendora.h"
#include "messages/outgoing.h"
#include "messages/smscodingtext.h"
#include "messages/smsencoding.h"
#include "sending/creditcheck.h"
#include "sending/mailingfile.h"
#include "sending/mailingresults.h"
#include "sending/sendrun.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace parlevo::cli {

namespace {

constexpr int kTextEmptyList = 93;

// Terminal side of a mailing run: a result line per recipient on standard output, a progress
// bar on standard error when it is a terminal, and each row written to the --results file as
// soon as it has its outcome, so an interrupted run still leaves the record of what was sent.
class TerminalRun final : public SendRunObserver {
public:
    TerminalRun(const TextTable &textes, bool bar, QFile *results)
        : m_textes(textes)
        , m_bar(bar)
        , m_results(results)
    {
        writeResults(cliResultsHeader());
    }

    void runStarted(qsizetype total) override { drawBar(0, total); }
    void rowStarted(qsizetype, const ClassContact &contact, const QString &recipient) override
    {
        m_recipient = recipient;
        m_contact = contact;
    }
    void rowDone(qsizetype, const QString &number, const SendReply &reply, const QString &result) override
    {
        if (m_bar)
            std::fputs("\r\033[K", stderr);
        out(m_recipient.trimmed() + u" : "_s + result);
        writeResults(cliResultsLine(number, MailingResult{m_contact, reply.code, result, reply.outcome}));
    }
    void progress(qsizetype done, qsizetype total) override { drawBar(done, total); }
    void finish(qsizetype done, qsizetype total)
    {
        if (m_bar)
            std::fputs("\r\033[K", stderr);
        err(progressText(m_textes, done, total));
    }
    // False once a line of the results file could not be written.
    bool resultsWritten() const { return m_resultsWritten; }

private:
    void writeResults(const QString &text)
    {
        if (!m_results || !m_resultsWritten)
            return;
        const QByteArray bytes = text.toUtf8();
        m_resultsWritten = m_results->write(bytes) == bytes.size() && m_results->flush();
        // Told at once: whoever watches the run knows its record is incomplete from here.
        if (!m_resultsWritten)
            err(u"parlevo-cli: cannot write "_s + m_results->fileName() + u": "_s + m_results->errorString());
    }
    void drawBar(qsizetype done, qsizetype total)
    {
        if (!m_bar)
            return;
        constexpr int kWidth = 30;
        const int filled = total > 0 ? static_cast<int>(done * kWidth / total) : kWidth;
        const QString bar = u"\r["_s + QString(filled, u'#') + QString(kWidth - filled, u' ') + u"] "_s +
                            progressText(m_textes, done, total);
        std::fputs(bar.toUtf8().constData(), stderr);
        std::fflush(stderr);
    }

    const TextTable &m_textes;
    bool m_bar;
    QFile *m_results;
    bool m_resultsWritten = true;
    QString m_recipient;
    ClassContact m_contact;
};

} // namespace

int mailing(const QString &globalDataDir, const QStringList &arguments)
{
    if (arguments.isEmpty() || arguments.first() != u"send")
        return usage(u"mailing wants the sub-command send"_s, u"mailing"_s);
    QCommandLineParser parser;
    const QCommandLineOption group(QStringLiteral("group"),
                                   QStringLiteral("Sends to every contact of this address book group (exact name)."),
                                   QStringLiteral("NAME"));
    const MessageOptions messageOptions;
    const QCommandLineOption &message = messageOptions.message;
    const QCommandLineOption &from = messageOptions.from;
    const QCommandLineOption &at = messageOptions.at;
    const QCommandLineOption results(
        QStringLiteral("results"),
        QStringLiteral("Writes the results as CSV (number, full name, code, text, outcome), row by row."),
        QStringLiteral("FILE.csv"));
    const QCommandLineOption retryFailed(
        QStringLiteral("retry-failed"),
        QStringLiteral("Sends only to the rows of a results file (--results or the app's export) refused by the "
                       "gateway or that never reached it, instead of a mailing file or a group."),
        QStringLiteral("RESULTS.csv"));
    const QCommandLineOption includeUnknown(
        QStringLiteral("include-unknown"),
        QStringLiteral("With --retry-failed, also sends to the rows that got no answer in time (they may have "
                       "been sent already)."));
    parser.addOptions({group, message, from, at, results, retryFailed, includeUnknown});
    parser.addPositionalArgument(QStringLiteral("FILE.kxg"), QStringLiteral("A mailing file saved by the app."));
    int status = kAccepted;
    if (!parseCommand(parser, u"mailing send"_s,
                      u"Sends one SMS to every row of a mailing file, or to every contact of a group, one\n"
                      u"after the other, with the rules of the desktop mailing: the sender prefix, the\n"
                      u"160-character cut, the number's digits, the same deferred value for every row.\n"
                      u"Prints one result line per recipient. Before sending, prints on standard error the\n"
                      u"text's coding and number of SMS, and a warning when the gateway tells a credit below\n"
                      u"the SMS the mailing takes; the mailing is sent all the same. With --results, each row\n"
                      u"is written to the file as soon as it has its outcome. Exit status: 0 every SMS\n"
                      u"accepted, 3 some refused, 2 some never reached the gateway, 4 some got no answer in\n"
                      u"time and may have been sent, 1 results file not written, 64 usage error."_s,
                      arguments.mid(1), &status, 1))
        return status;
    const QStringList files = parser.positionalArguments();
    if (parser.isSet(includeUnknown) && !parser.isSet(retryFailed))
        return usage(u"--include-unknown goes with --retry-failed"_s, u"mailing send"_s);
    if (parser.isSet(retryFailed) && (!files.isEmpty() || parser.isSet(group)))
        return usage(u"--retry-failed takes the place of a mailing file or --group"_s, u"mailing send"_s);
    if (!parser.isSet(retryFailed) && files.isEmpty() == !parser.isSet(group))
        return usage(u"mailing send wants either a mailing file or --group"_s, u"mailing send"_s);
    if (!parser.isSet(message))
        return usage(u"mailing send needs --message"_s, u"mailing send"_s);
    const auto deferred = messageOptions.differer(parser);
    if (!deferred)
        return usage(u"--at wants \"YYYY-MM-DD HH:MM\", not "_s + parser.value(at), u"mailing send"_s);
    const QString differer = *deferred;

    auto state = loadState(parser.isSet(dataDirOption()) ? parser.value(dataDirOption()) : globalDataDir);
    const auto nextKey = [&state] { return state->NextKey(); };
    std::vector<std::unique_ptr<ClassContact>> rows;
    if (parser.isSet(retryFailed)) {
        const QString path = parser.value(retryFailed);
        QString reason;
        const auto bytes = readWholeFile(path, &reason);
        if (!bytes)
            return usage(cannotRead(path, reason), u"mailing send"_s);
        QString error;
        const auto previous = readResultsFile(*bytes, &error);
        if (!previous)
            return usage(path + u" is not a results file: "_s + error, u"mailing send"_s);
        for (const ClassContact &contact : failedContacts(*previous, parser.isSet(includeUnknown)))
            rows.push_back(mailingCopy(contact, nextKey()));
        const qsizetype unknown = unknownCount(*previous);
        if (unknown > 0 && !parser.isSet(includeUnknown))
            err(u"parlevo-cli: %1 row(s) of %2 got no answer in time and may have been sent; "
                u"--include-unknown sends them again"_s.arg(unknown)
                    .arg(path));
        if (rows.empty()) {
            err(u"parlevo-cli: nothing to send again in "_s + path);
            return kAccepted;
        }
    } else if (!files.isEmpty()) {
        if (!FileExists(files.first()))
            return usage(u"cannot read "_s + files.first(), u"mailing send"_s);
        QString reason;
        if (!readWholeFile(files.first(), &reason))
            return usage(cannotRead(files.first(), reason), u"mailing send"_s);
        auto loaded = Charge_Mailing(files.first(), nextKey);
        if (!loaded)
            return usage(u"cannot read "_s + files.first(), u"mailing send"_s);
        rows = std::move(*loaded);
    } else {
        // Read without the app's start-up copy: the command changes nothing in the data directory.
        auto book = readBook(*state);
        if (!book)
            return kFailure;
        for (auto &contact : *book) {
            if (contact->Groupe == parser.value(group))
                rows.push_back(mailingCopy(*contact, contact->GUID));
        }
    }
    if (rows.empty()) {
        err(state->Textes(kTextEmptyList));
        return kUsageError;
    }

    const QString sender = parser.isSet(from) ? parser.value(from) : state->config().Expediteur;
    const QString text = parser.value(message);
    const QString sent = textToSend(state->textTable(), sender, text, ClassContact{});
    err(smsCodingLine(state->textTable(), analyseSmsText(sent)));
    // One balance request before many sends; a credit that cannot be had warns of nothing.
    const QString warning = creditWarning(state->textTable(), creditFromSolde(state->Gateway().Solde()),
                                          mailingSmsCount(static_cast<qint64>(rows.size()), sent));
    if (!warning.isEmpty())
        err(warning);
    const MailingSource source{
        [&rows] { return static_cast<qsizetype>(rows.size()); },
        [&rows](qsizetype row) -> const ClassContact * { return rows[static_cast<std::size_t>(row)].get(); },
        [&sender] { return sender; }, [&text] { return text; }};
    // The results file is opened before the first SMS: a run that cannot be recorded is not started.
    std::unique_ptr<QFile> resultsFile;
    if (parser.isSet(results)) {
        resultsFile = std::make_unique<QFile>(parser.value(results));
        if (!resultsFile->open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            err(u"parlevo-cli: cannot write "_s + parser.value(results) + u": "_s + resultsFile->errorString());
            return kFailure;
        }
    }
    TerminalRun terminal(state->textTable(), stderrIsTerminal(), resultsFile.get());
    const SendRunSummary summary = runMailing(state->Gateway(), state->textTable(), source, differer, terminal);
    terminal.finish(summary.done, summary.total);
    if (resultsFile)
        resultsFile->close();
    if (resultsFile && (!terminal.resultsWritten() || resultsFile->error() != QFileDevice::NoError)) {
        err(u"parlevo-cli: cannot write "_s + parser.value(results));
        return kFailure;
    }
    if (summary.unknown > 0)
        return kNoAnswer;
    if (summary.unreachable > 0)
        return kUnreachable;
    return summary.refused > 0 ? kRefused : kAccepted;
}

} // namespace parlevo::cli
