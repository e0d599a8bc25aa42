#include "options.h"

#include "addressbook/classcontact.h"
#include "addressbook/contactcollection.h"
#include "addressbook/contactrules.h"
#include "addressbook/csvimport.h"
#include "addressbook/groupcollection.h"
#include "addressbook/spreadsheettable.h"
#include "base/filelock.h"
#include "base/ini.h"
#include "base/messagebox.h"
#include "base/shared.h"
#include "base/storefile.h"
#include "base/textes.h"
#include "base/txt.h"
#include "gateway/classsendora.h"
#include "messages/gsmfriendly.h"
#include "messages/mergefields.h"
#include "messages/outgoing.h"
#include "messages/smscodingtext.h"
#include "messages/smsencoding.h"
#include "sending/creditcheck.h"
#include "sending/differer.h"
#include "sending/mailingfile.h"
#include "sending/mailingplan.h"
#include "sending/mailingresults.h"
#include "sending/mailingsheet.h"
#include "sending/numberreview.h"
#include "sending/sendjournal.h"
#include "sending/sendrun.h"
#include "sending/singlesend.h"
#include "stopsignal.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include <functional>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace parlevo::cli {

namespace {

// How soon a Ctrl+C or SIGTERM stops starting new rows.
constexpr int kStopWatchMs = 50;

// Terminal side of a mailing run: a result line per recipient on standard output, a progress
// bar on standard error when it is a terminal, and each row written to the --results file as
// soon as it has its outcome, so an interrupted run still leaves the record of what was sent.
class TerminalRun final {
public:
    TerminalRun(const TextTable &textes, bool bar, QFile *results)
        : m_textes(textes)
        , m_bar(bar)
        , m_results(results)
    {
        writeResults(cliResultsHeader());
    }

    void runStarted(qsizetype total) { drawBar(0, total); }
    // A run taken up is one campaign: its results file holds every row of the run in its order,
    // those sent before with their recorded outcomes. rowMap: the run row of each row sent now.
    void takeUp(std::vector<MailingResult> recorded, std::vector<qsizetype> rowMap)
    {
        m_recorded = std::move(recorded);
        m_rowMap = std::move(rowMap);
    }
    void rowDone(qsizetype row, const ClassContact &contact, const QString &number, const SendReply &reply,
                 const QString &result)
    {
        if (m_bar)
            std::fputs("\r\033[K", stderr);
        out(recipientText(contact).trimmed() + u" : "_s + result);
        if (!m_rowMap.empty())
            writeRecordedBefore(m_rowMap[std::size_t(row)]);
        writeResults(cliResultsLine(number, MailingResult{contact, reply.code, result, reply.outcome}));
        if (!m_rowMap.empty())
            m_nextRecorded = m_rowMap[std::size_t(row)] + 1;
    }
    void progress(qsizetype done, qsizetype total) { drawBar(done, total); }
    void gatewayBusy(int seconds)
    {
        if (m_bar)
            std::fputs("\r\033[K", stderr);
        err(u"parlevo-cli: the gateway is too busy: no new SMS for %1 s"_s.arg(seconds));
    }
    void finish(qsizetype done, qsizetype total)
    {
        writeRecordedBefore(qsizetype(m_recorded.size()));
        if (m_bar)
            std::fputs("\r\033[K", stderr);
        err(progressText(m_textes, done, total));
    }
    // False once a line of the results file could not be written.
    bool resultsWritten() const { return m_resultsWritten; }

private:
    // The rows sent before, up to a row of the run; rows are told in the run's order.
    void writeRecordedBefore(qsizetype runRow)
    {
        for (; m_nextRecorded < runRow; ++m_nextRecorded) {
            const MailingResult &row = m_recorded[std::size_t(m_nextRecorded)];
            writeResults(cliResultsLine(numberToSend(row.contact.Phone), row));
        }
    }
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
    std::vector<MailingResult> m_recorded;
    std::vector<qsizetype> m_rowMap;
    qsizetype m_nextRecorded = 0;
};

// The options of a run's pace and the file of its results, shared by send and resume.
struct RunOptions {
    QCommandLineOption results{QStringLiteral("results"),
                               QStringLiteral("Writes the results as CSV (number, full name, code, text, outcome), "
                                              "row by row."),
                               QStringLiteral("FILE.csv")};
    QCommandLineOption rate{QStringLiteral("rate"),
                            QStringLiteral("At most N SMS a minute, evenly spaced (default 0: no limit)."),
                            QStringLiteral("N")};
    QCommandLineOption parallel{QStringLiteral("parallel"),
                                QStringLiteral("Up to K requests at once, 1 to 8 (default 1). With more than one, "
                                               "a reply 83 (no credit) stops starting new rows."),
                                QStringLiteral("K")};

    // The run's options; nothing, with the usage error's text, when a value is wrong.
    std::optional<SendRunOptions> read(const QCommandLineParser &parser, QString *error) const
    {
        SendRunOptions options;
        bool ok = true;
        if (parser.isSet(parallel)) {
            options.parallel = parser.value(parallel).toInt(&ok);
            if (!ok || options.parallel < 1 || options.parallel > SendRunOptions::kMaxParallel) {
                *error = u"--parallel wants a number from 1 to 8, not "_s + parser.value(parallel);
                return std::nullopt;
            }
        }
        if (parser.isSet(rate)) {
            options.perMinute = parser.value(rate).toInt(&ok);
            if (!ok || options.perMinute < 0) {
                *error = u"--rate wants a number of SMS a minute (0 for no limit), not "_s + parser.value(rate);
                return std::nullopt;
            }
        }
        return options;
    }
};

// Why a run with that deferred value is refused before its first SMS, and what to do instead.
QString pastDeferredTime(const QString &differer, const QString &instead)
{
    return u"the deferred time "_s + differerShown(differer) +
           u" has passed or is less than a minute away: the gateway would refuse every SMS; "_s + instead;
}

// What a run sends: the rows, and the texts and deferred value read for all of them.
struct RunPlan {
    std::vector<ClassContact> rows;
    QString sender;
    QString message;
    QString differer;
    NumberPolicy policy = NumberPolicy::OncePerNumber;
    // Leaves out the rows whose number is not a valid mobile number.
    bool skipInvalid = false;
    // The merge fields of a spreadsheet's columns, each row's values in its Extra.
    QStringList columns = {};
    // A run taken up: every row of it as recorded, and the run row of each row sent now.
    std::vector<MailingResult> takenUp = {};
    std::vector<qsizetype> rowMap = {};
};

// The journal a run records itself in, once everything that may stop it before its first SMS has
// passed: a new one for a new run (with the rows it leaves out), the held one for a run taken up.
using JournalOpener = std::function<std::unique_ptr<SendJournal>(const std::vector<RowSkip> &skips, QString *error)>;

MailingDraft draftOf(const RunPlan &plan)
{
    return MailingDraft{.rowCount = qsizetype(plan.rows.size()),
                        .contactAt = [&plan](qsizetype row) { return &plan.rows[std::size_t(row)]; },
                        .sender = plan.sender,
                        .message = plan.message,
                        .columns = plan.columns,
                        .differer = plan.differer};
}

// What the run's rows make with the opt-out list of today: the rows left out, the texts, the
// figures and warnings the app's mailing window gives. Nothing when the opt-out list cannot be read.
std::optional<MailingPlan> planRun(Parts &parts, const RunPlan &plan, bool commercial)
{
    if (!readOptOuts(parts.book))
        return std::nullopt;
    const MailingDraft draft = draftOf(plan);
    const PlanRules rules{plan.policy, plan.skipInvalid, commercial, std::nullopt, sendingNow()};
    return planMailing(parts.textes, draft, reviewMailingNumbers(parts.book, draft.numbers()), rules);
}

// Sends the plan, recording each SMS in the journal, and gives the exit status of the run.
int sendPlan(Parts &parts, const RunPlan &plan, MailingPlan mailingPlan, SendRunOptions options,
             const JournalOpener &openJournal, const QString &resultsPath)
{
    const TextTable &textes = parts.textes;
    const MailingDraft draft = draftOf(plan);
    for (const PlanWarningKind kind : {PlanWarningKind::UnknownFields, PlanWarningKind::MissingValues}) {
        if (const PlanWarning *warning = mailingPlan.warning(kind))
            err(planWarningText(textes, draft, *warning));
    }
    // Opted-out numbers are never sent to; a number met again is sent once unless asked otherwise.
    const std::vector<RowSkip> skips = mailingPlan.skips();
    options.skipText = skipTextFor(textes, skips);
    // The coding is told for the longest text the merge gives, as the window's counter tells it.
    const QString sent = textToSend(textes, plan.sender, mailingPlan.longestText, ClassContact{});
    err(smsCodingLine(textes, analyseSmsText(sent)));
    const QString friendlier =
        textToSend(textes, plan.sender,
                   mergeReport(MergeTemplate(gsmFriendly(plan.message), plan.columns), draft.rowCount, draft.contactAt)
                       .longestText,
                   ClassContact{});
    if (const QString offer = gsmFriendlyOfferText(textes, gsmFriendlyOffer(sent, friendlier)); !offer.isEmpty())
        err(offer + u": --gsm-friendly"_s);
    // One balance request before many sends; a credit that cannot be had warns of nothing. The
    // gateway counts it among the requests of the minute, and so does the pace.
    const bool creditAsked = !parts.gateway.Mail.isEmpty() && !parts.gateway.Password.isEmpty();
    err(mailingCostText(textes, mailingPlan.cost));
    holdToCredit(mailingPlan, creditFromSolde(awaitCredit(parts.gateway)));
    if (creditAsked)
        options.requestsJustBefore = 1;
    if (const PlanWarning *credit = mailingPlan.warning(PlanWarningKind::CreditShort))
        err(planWarningText(textes, draft, *credit));
    const MailingSource source = fixedMailingSource(plan.rows, plan.sender, plan.message, plan.columns);
    // The results file is opened before the first SMS: a run that cannot be recorded is not started.
    std::unique_ptr<QFile> resultsFile;
    if (!resultsPath.isEmpty()) {
        resultsFile = std::make_unique<QFile>(resultsPath);
        if (!resultsFile->open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            err(u"parlevo-cli: cannot write "_s + resultsPath + u": "_s + resultsFile->errorString());
            return kFailure;
        }
    }
    QString journalError;
    const std::unique_ptr<SendJournal> journal = openJournal(skips, &journalError);
    if (!journal) {
        err(u"parlevo-cli: cannot write the journal: "_s + journalError);
        return kFailure;
    }
    const StopSignal stopSignal;
    TerminalRun terminal(parts.textes, stderrIsTerminal(), resultsFile.get());
    terminal.takeUp(plan.takenUp, plan.rowMap);
    options.journal = journal.get();
    MailingRun run(parts.gateway, parts.textes, source, plan.differer, options);
    QObject::connect(&run, &MailingRun::started, &run, [&terminal](qsizetype total) { terminal.runStarted(total); });
    QObject::connect(&run, &MailingRun::rowDone, &run,
                     [&terminal](qsizetype row, const ClassContact &contact, const QString &number,
                                 const SendReply &reply,
                                 const QString &result) { terminal.rowDone(row, contact, number, reply, result); });
    QObject::connect(&run, &MailingRun::progress, &run,
                     [&terminal](qsizetype done, qsizetype total) { terminal.progress(done, total); });
    QObject::connect(&run, &MailingRun::gatewayBusy, &run, [&terminal](int seconds) { terminal.gatewayBusy(seconds); });
    QObject::connect(&run, &MailingRun::finished, &run, [] { QCoreApplication::quit(); });
    // The signal handler only sets a flag; it is looked at from the event loop.
    QTimer stopWatch;
    stopWatch.setInterval(kStopWatchMs);
    QObject::connect(&stopWatch, &QTimer::timeout, &run, [&run] {
        if (StopSignal::requested())
            run.stop();
    });
    stopWatch.start();
    run.start();
    QCoreApplication::exec();
    SendRunSummary summary = run.summary();
    // Left without its end (the event loop was ended from elsewhere): the run is not complete.
    summary.stopped = summary.stopped || !run.isFinished();
    // Rows a busy gateway did not serve are still to send: the run is left for a resume.
    journal->recordEnd(!summary.stopped && summary.busy == 0);
    terminal.finish(summary.done, summary.total);
    if (resultsFile)
        resultsFile->close();
    if (resultsFile && (!terminal.resultsWritten() || resultsFile->error() != QFileDevice::NoError)) {
        err(u"parlevo-cli: cannot write "_s + resultsPath);
        return kFailure;
    }
    if (summary.journalFailed) {
        err(u"parlevo-cli: cannot write the journal "_s + journal->path() + u"; the run was stopped"_s);
        return kFailure;
    }
    if (summary.stopped) {
        err(u"parlevo-cli: stopped; 'mailing resume' sends the %1 SMS not sent"_s.arg(summary.notSent));
        return kStopped;
    }
    if (summary.busy > 0)
        err(u"parlevo-cli: %1 SMS refused by a busy gateway were not sent; 'mailing resume' or --retry-failed "
            u"sends them"_s.arg(summary.busy));
    if (summary.unknown > 0)
        return kNoAnswer;
    if (summary.unreachable > 0)
        return kUnreachable;
    return summary.refused > 0 ? kRefused : kAccepted;
}

// The first row's text, sent once and now to the user's own number; the gateway's text on standard
// output, as a single send prints it.
int sendTest(Parts &parts, const RunPlan &plan)
{
    const QString myNumber = parts.config.MyNumber;
    if (testNumber(myNumber).isEmpty())
        return usage(u"--test sends to your own number, and none is set: parlevo-cli account --my-number NUMBER"_s,
                     u"mailing send"_s);
    const SendReply reply = awaitReply([&](SendDone done) {
        sendMailingTest(parts.gateway, parts.dataDir.path(), parts.textes,
                        {myNumber, plan.sender, plan.message, plan.rows.front(), plan.columns}, std::move(done));
    });
    if (reply.outcome == SendOutcome::Accepted) {
        err(parts.textes(Txt::TestSent).arg(testNumber(myNumber)));
        out(replyText(parts.textes, reply));
        return kAccepted;
    }
    MsgBox(failureMessage(parts.textes, reply), vbOKOnly | vbCritical);
    return exitStatusOf(reply.outcome);
}

int sendMailing(const QString &globalDataDir, const QStringList &arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption group(QStringLiteral("group"),
                                   QStringLiteral("Sends to every contact of this address book group (exact name)."),
                                   QStringLiteral("NAME"));
    const MessageOptions messageOptions;
    const QCommandLineOption &message = messageOptions.message;
    const QCommandLineOption &from = messageOptions.from;
    const QCommandLineOption &at = messageOptions.at;
    const RunOptions runOptions;
    const QCommandLineOption retryFailed(
        QStringLiteral("retry-failed"),
        QStringLiteral("Sends only to the rows of a results file (--results or the app's export) refused by the "
                       "gateway or that never reached it, instead of a mailing file or a group."),
        QStringLiteral("RESULTS.csv"));
    const QCommandLineOption includeUnknown(
        QStringLiteral("include-unknown"),
        QStringLiteral("With --retry-failed, also sends to the rows that got no answer in time (they may have "
                       "been sent already)."));
    const QCommandLineOption everyRow(QStringLiteral("every-row"),
                                      QStringLiteral("Sends to every row, even to a number met on an earlier row "
                                                     "(by default each number, however written, gets one SMS)."));
    const QCommandLineOption skipInvalid(
        QStringLiteral("skip-invalid"),
        QStringLiteral("Leaves out the rows whose number is not a valid mobile number (invalid, a landline, too "
                       "short); they are told as left out and never sent, not even by --retry-failed or a resume."));
    const QCommandLineOption commercial(
        QStringLiteral("commercial"),
        QStringLiteral("Commercial SMS (also when the app's preference says so): refused outside Monday to Saturday, "
                       "8:00 to 20:00, and on French public holidays, naming the next allowed time."));
    const QCommandLineOption ignoreHours(
        QStringLiteral("ignore-hours"), QStringLiteral("Sends commercial SMS outside the allowed hours all the same."));
    const QCommandLineOption test(
        QStringLiteral("test"),
        QStringLiteral("Sends only the first row's text, once and now, to your own number ('account --my-number'); "
                       "the mailing itself is not sent."));
    const QCommandLineOption csv(
        QStringLiteral("csv"),
        QStringLiteral("Sends to the rows of a spreadsheet saved as CSV (a header line; \";\", \",\" or tab): the "
                       "number and contact fields from the columns their names suggest (--map sets any), every "
                       "other column a merge field named by its header ({date}, {heure}…)."),
        QStringLiteral("FILE"));
    const QCommandLineOption xlsx(QStringLiteral("xlsx"),
                                  QStringLiteral("The same from the first sheet of an Excel workbook (.xlsx)."),
                                  QStringLiteral("FILE"));
    const QCommandLineOption map(QStringLiteral("map"),
                                 QStringLiteral("With --csv or --xlsx: takes FIELD (societe, titre, prenom, nom, gsm, "
                                                "groupe) from the column named HEADER."),
                                 QStringLiteral("FIELD=HEADER"));
    parser.addOptions({group, csv, xlsx, map, message, from, at, messageOptions.gsmFriendly, runOptions.results,
                       runOptions.rate, runOptions.parallel, retryFailed, includeUnknown, everyRow, skipInvalid,
                       commercial, ignoreHours, test});
    parser.addPositionalArgument(QStringLiteral("FILE.kxg"), QStringLiteral("A mailing file saved by the app."));
    int status = kAccepted;
    if (!parseCommand(parser, u"mailing send"_s,
                      u"Sends one SMS to every row of a mailing file, or to every contact of a group, with\n"
                      u"the rules of the desktop mailing: the sender prefix, the 160-character cut, the\n"
                      u"number's digits, the same deferred value for every row. Prints one result line per\n"
                      u"recipient, in list order. Before sending, prints on standard error the text's coding\n"
                      u"and number of SMS, and a warning when the gateway tells a credit below the SMS the\n"
                      u"mailing takes; the mailing is sent all the same. With --results, each row is written\n"
                      u"to the file as soon as it has its outcome. Every SMS is recorded in the data\n"
                      u"directory's Journal folder before it leaves; Ctrl+C (or SIGTERM) stops the run once\n"
                      u"the SMS in flight have their answers, and 'mailing resume' sends the rest. Exit\n"
                      u"status: 0 every SMS accepted, 3 some refused, 2 some never reached the gateway, 4 some\n"
                      u"got no answer in time and may have been sent, 130 stopped, 1 results file or journal\n"
                      u"not written, 64 usage error or commercial SMS outside the allowed hours.\n"
                      u"The message may hold merge fields, filled for each row before the 160-character cut:\n"
                      u"{prenom} {nom} {titre} {societe} {groupe} (any case, accents or not), and with --csv\n"
                      u"or --xlsx every other column by its header's name ({date}); {{ writes a\n"
                      u"brace. An unknown field is a usage error; rows where a field used is empty are named\n"
                      u"on standard error and sent all the same. Numbers of the opt-out list are not sent to\n"
                      u"(\"optout\" command); a number on several rows, however written, is sent to once\n"
                      u"unless --every-row is given; with --skip-invalid, a number that is not a valid\n"
                      u"mobile number is left out too."_s,
                      arguments, &status, 1))
        return status;
    const QStringList files = parser.positionalArguments();
    if (parser.isSet(includeUnknown) && !parser.isSet(retryFailed))
        return usage(u"--include-unknown goes with --retry-failed"_s, u"mailing send"_s);
    const int sources = int(!files.isEmpty()) + int(parser.isSet(group)) + int(parser.isSet(csv)) +
                        int(parser.isSet(xlsx)) + int(parser.isSet(retryFailed));
    if (sources != 1)
        return usage(u"mailing send wants one list: a mailing file, --group, --csv, --xlsx or --retry-failed"_s,
                     u"mailing send"_s);
    if (parser.isSet(map) && !parser.isSet(csv) && !parser.isSet(xlsx))
        return usage(u"--map goes with --csv or --xlsx"_s, u"mailing send"_s);
    if (!parser.isSet(message))
        return usage(u"mailing send needs --message"_s, u"mailing send"_s);
    const auto deferred = messageOptions.differer(parser);
    if (!deferred)
        return usage(u"--at wants \"YYYY-MM-DD HH:MM\", not "_s + parser.value(at), u"mailing send"_s);
    if (differerTooSoon(*deferred, sendingNow()))
        return usage(pastDeferredTime(*deferred, u"leave out --at to send now, or give a later time"_s),
                     u"mailing send"_s);
    QString optionError;
    const auto options = runOptions.read(parser, &optionError);
    if (!options)
        return usage(optionError, u"mailing send"_s);

    auto parts = loadParts(parser.isSet(dataDirOption()) ? parser.value(dataDirOption()) : globalDataDir);
    RunPlan plan;
    plan.policy = parser.isSet(everyRow) ? NumberPolicy::EveryRow : NumberPolicy::OncePerNumber;
    plan.skipInvalid = parser.isSet(skipInvalid);
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
        // Once per number holds across the tries: a number that had its SMS gets no other.
        std::vector<ClassContact> rows;
        std::vector<SendOutcome> outcomes;
        for (const MailingResult &result : *previous) {
            rows.push_back(result.contact);
            outcomes.push_back(result.outcome);
        }
        const auto key = [&parts](const QString &number) { return parts->book.phoneCheck().matchKey(number); };
        for (qsizetype row : retryRows(rows, outcomes, plan.policy, parser.isSet(includeUnknown), key))
            plan.rows.push_back(rows[std::size_t(row)]);
        const qsizetype unknown = unknownCount(*previous);
        if (unknown > 0 && !parser.isSet(includeUnknown))
            err(u"parlevo-cli: %1 row(s) of %2 got no answer in time and may have been sent; "
                u"--include-unknown sends them again"_s.arg(unknown)
                    .arg(path));
        if (plan.rows.empty()) {
            err(u"parlevo-cli: nothing to send again in "_s + path);
            return kAccepted;
        }
    } else if (parser.isSet(csv) || parser.isSet(xlsx)) {
        const QString file = parser.value(parser.isSet(csv) ? csv : xlsx);
        QString error;
        const std::optional<CsvTable> table = readSpreadsheetTable(file, parts->textes, &error);
        if (!table)
            return usage(error, u"mailing send"_s);
        QString mapError;
        const std::optional<CsvMapping> mapping = columnMapping(*table, parser.values(map), &mapError);
        if (!mapping)
            return usage(mapError, u"mailing send"_s);
        MailingSheet sheet = mailingSheet(*table, *mapping, [&parts] { return parts->book.NextKey(); });
        if (QString rewritten =
                mailingNumbersText(parts->textes, readMailingNumbers(parts->book.phoneCheck(), sheet.rows));
            !rewritten.isEmpty())
            err(rewritten.replace(u"\r\n"_s, u"\n"_s));
        for (const auto &contact : sheet.rows)
            plan.rows.push_back(*contact);
        plan.columns = sheet.columns;
        if (!plan.columns.isEmpty())
            err(u"merge fields of "_s + QDir::toNativeSeparators(file) + u": "_s +
                mailingColumnsText(sheet.columns, sheet.headers));
    } else if (!files.isEmpty()) {
        if (!FileExists(files.first()))
            return usage(u"cannot read "_s + files.first(), u"mailing send"_s);
        QString reason;
        if (!readWholeFile(files.first(), &reason))
            return usage(cannotRead(files.first(), reason), u"mailing send"_s);
        const auto nextKey = [&parts] { return parts->book.NextKey(); };
        auto loaded = Charge_Mailing(files.first(), nextKey);
        if (!loaded)
            return usage(u"cannot read "_s + files.first(), u"mailing send"_s);
        if (QString rewritten =
                mailingNumbersText(parts->textes, readMailingNumbers(parts->book.phoneCheck(), *loaded));
            !rewritten.isEmpty())
            err(rewritten.replace(u"\r\n"_s, u"\n"_s));
        for (const auto &contact : *loaded)
            plan.rows.push_back(*contact);
    } else {
        // Read without the app's start-up copy: the command changes nothing in the data directory.
        auto book = readBook(parts->book);
        if (!book)
            return kFailure;
        for (auto &contact : *book) {
            if (contact->Groupe == parser.value(group))
                plan.rows.push_back(*contact);
        }
    }
    if (plan.rows.empty()) {
        err(parts->textes(Txt::EmptyList));
        return kUsageError;
    }
    plan.sender = parser.isSet(from) ? parser.value(from) : parts->config.Expediteur;
    plan.message = messageOptions.text(parser);
    plan.differer = *deferred;
    if (const QStringList unknown = MergeTemplate(plan.message, plan.columns).unknownFields(); !unknown.isEmpty()) {
        QString fields = u"{prenom} {nom} {titre} {societe} {groupe}"_s;
        for (const QString &column : plan.columns)
            fields += u" {"_s + column + u'}';
        return usage(u"unknown merge field(s) "_s + unknown.join(u' ') + u"; the fields are "_s + fields +
                         u", and {{ writes a brace"_s,
                     u"mailing send"_s);
    }
    if (parser.isSet(test))
        return sendTest(*parts, plan);
    std::optional<MailingPlan> mailingPlan =
        planRun(*parts, plan, parser.isSet(commercial) || parts->config.CommercialSms);
    if (!mailingPlan)
        return kFailure;
    if (const PlanWarning *hours = mailingPlan->warning(PlanWarningKind::OutsideSendingHours);
        hours && !parser.isSet(ignoreHours)) {
        const QString next = hours->next.toString(u"yyyy-MM-dd HH:mm"_s);
        err(u"parlevo-cli: commercial SMS may not go on %1 (Monday to Saturday, 8:00 to 20:00, public holidays "
            u"excepted); the next allowed time is %2: --at \"%2\", or --ignore-hours"_s.arg(
                hours->when.toString(u"yyyy-MM-dd HH:mm"_s), next));
        return kUsageError;
    }
    if (const PlanWarning *stop = mailingPlan->warning(PlanWarningKind::NoStopMention))
        err(u"parlevo-cli: "_s + planWarningText(parts->textes, draftOf(plan), *stop));

    const JournalOpener newJournal = [&](const std::vector<RowSkip> &skips, QString *error) {
        JournalHead head{QString(), QDateTime(), plan.sender, plan.message, plan.differer, plan.rows};
        head.policy = plan.policy;
        head.columns = plan.columns;
        head.region = parts->book.phoneCheck().region();
        head.skips = skips;
        return SendJournal::create(parts->dataDir.path(), head, error);
    };
    return sendPlan(*parts, plan, std::move(*mailingPlan), *options, newJournal, parser.value(runOptions.results));
}

// The journal a resume names: a file, or a run id of the data directory; by default the newest
// run that did not go through every row.
std::optional<QString> journalToResume(const QString &dataDir, const QString &run, QString *error)
{
    if (!run.isEmpty()) {
        for (const QString &path : {run, QDir(journalDir(dataDir)).filePath(run + u".journal"_s)}) {
            if (QFileInfo(path).isFile())
                return path;
        }
        *error = u"no journal of the run "_s + run + u" in "_s + QDir::toNativeSeparators(journalDir(dataDir));
        return std::nullopt;
    }
    // A run another process sends is named, so that taking it up is refused as in use.
    QString held;
    if (auto path = interruptedJournal(dataDir, false, &held))
        return path;
    if (!held.isEmpty())
        return held;
    *error = u"no interrupted run in "_s + QDir::toNativeSeparators(journalDir(dataDir));
    return std::nullopt;
}

int resumeMailing(const QString &globalDataDir, const QStringList &arguments)
{
    QCommandLineParser parser;
    const RunOptions runOptions;
    const QCommandLineOption includeUnknown(
        QStringLiteral("include-unknown"),
        QStringLiteral("Also sends to the rows that left without an answer (they may have been sent already)."));
    const QCommandLineOption now(QStringLiteral("now"),
                                 QStringLiteral("Sends the remaining rows now, whatever deferred time the run had."));
    const QCommandLineOption at(QStringLiteral("at"),
                                QStringLiteral("Sends the remaining rows deferred to this local time instead of "
                                               "the run's own."),
                                QStringLiteral("YYYY-MM-DD HH:MM"));
    parser.addOptions({runOptions.results, runOptions.rate, runOptions.parallel, includeUnknown, now, at});
    parser.addPositionalArgument(QStringLiteral("RUN"),
                                 QStringLiteral("The run's id (its journal's name) or journal file; by default the "
                                                "last run that did not go through every row."));
    int status = kAccepted;
    if (!parseCommand(parser, u"mailing resume"_s,
                      u"Takes up an interrupted mailing run from its journal: sends, with the run's message,\n"
                      u"sender and deferred value, to the rows never started and to those a busy gateway\n"
                      u"refused without serving them. Rows with another outcome are not sent again; rows that\n"
                      u"left without an outcome may have been sent and go again only with --include-unknown.\n"
                      u"The run's own choices hold: rows it left out (opted out, repeated numbers) stay out,\n"
                      u"and a run sent once per number never sends a number twice. A damaged line of the\n"
                      u"journal is skipped and named on standard error; it never makes a row go twice. A run\n"
                      u"that another process is sending (a send, a resume, the app) is refused with exit\n"
                      u"status 1; a run that never sent an SMS, or a copy of a run's journal, is not taken up\n"
                      u"(64). A run whose deferred time has passed or is less than a minute away is refused\n"
                      u"(64) unless --now or --at gives the time its remaining rows go with instead; the\n"
                      u"journal records it. Exit status otherwise as for mailing send."_s,
                      arguments, &status, 1))
        return status;
    QString optionError;
    const auto options = runOptions.read(parser, &optionError);
    if (!options)
        return usage(optionError, u"mailing resume"_s);
    if (parser.isSet(now) && parser.isSet(at))
        return usage(u"--now and --at exclude each other"_s, u"mailing resume"_s);
    // The deferred value the remaining rows go with, when not the run's own.
    std::optional<QString> newDifferer;
    if (parser.isSet(now))
        newDifferer = QString();
    if (parser.isSet(at)) {
        newDifferer = deferredValue(parser.value(at));
        if (!newDifferer)
            return usage(u"--at wants \"YYYY-MM-DD HH:MM\", not "_s + parser.value(at), u"mailing resume"_s);
    }
    auto parts = loadParts(parser.isSet(dataDirOption()) ? parser.value(dataDirOption()) : globalDataDir);
    QString error;
    const auto path = journalToResume(parts->dataDir.path(), parser.positionalArguments().value(0), &error);
    if (!path)
        return usage(error, u"mailing resume"_s);
    // The run is held from here to its end, never waited for: a second resume of it is refused as in
    // use, and the app does not offer it while it is held.
    HoldFailure failure{};
    auto held = holdRun(parts->dataDir.path(), *path, &failure, &error);
    if (!held) {
        const QString why = QDir::toNativeSeparators(*path) + u": "_s + error;
        if (failure != HoldFailure::InUse)
            return usage(why, u"mailing resume"_s);
        err(u"parlevo-cli: "_s + why);
        return kFailure;
    }
    const JournalContent &content = held->content;
    for (const QString &problem : content.problems)
        err(u"parlevo-cli: "_s + QDir::toNativeSeparators(*path) + u": "_s + problem);

    // Numbers are compared as when the run chose whom to leave out.
    PhoneCheck numbers(content.head.region.isEmpty() ? parts->book.phoneCheck().region() : content.head.region);
    ResumePlan resume = planResume(content, parser.isSet(includeUnknown),
                                   [&numbers](const QString &number) { return numbers.matchKey(number); });
    const qsizetype unknown = resume.unknown;
    RunPlan plan{std::move(resume.rows), content.head.sender, content.head.message,
                 content.head.differer,  content.head.policy, false,
                 content.head.columns};
    if (unknown > 0 && !parser.isSet(includeUnknown))
        err(u"parlevo-cli: %1 row(s) left without an answer and may have been sent; --include-unknown sends "
            u"them again"_s.arg(unknown));
    const QString runId = content.head.runId;
    std::unique_ptr<FileLock> lock = std::move(held->lock);
    if (plan.rows.empty()) {
        if (auto journal = SendJournal::reopen(*path, std::move(lock), &error))
            journal->recordEnd(true);
        err(u"parlevo-cli: nothing left to send in the run "_s + runId);
        return kAccepted;
    }
    // A deferred time that has passed would have every row refused: the user says when they go.
    if (newDifferer)
        plan.differer = *newDifferer;
    if (differerTooSoon(plan.differer, sendingNow()))
        return usage(pastDeferredTime(plan.differer, u"--now sends the remaining rows now, --at \"YYYY-MM-DD "
                                                     u"HH:MM\" at another time"_s),
                     u"mailing resume"_s);
    std::vector<qsizetype> rowMap = resume.rowMap;
    plan.takenUp = recordedResults(parts->textes, content);
    plan.rowMap = std::move(resume.rowMap);
    const JournalOpener heldJournal = [&](const std::vector<RowSkip> &, QString *journalError) {
        auto journal = SendJournal::reopen(*path, std::move(lock), journalError);
        if (journal) {
            journal->recordResumed(newDifferer);
            journal->setRowMap(std::move(rowMap));
        }
        return journal;
    };
    // The run's decisions stay: its rows left out are not in the plan, and the opt-out list of
    // today leaves out more.
    std::optional<MailingPlan> mailingPlan = planRun(*parts, plan, false);
    if (!mailingPlan)
        return kFailure;
    return sendPlan(*parts, plan, std::move(*mailingPlan), *options, heldJournal, parser.value(runOptions.results));
}

} // namespace

int mailing(const QString &globalDataDir, const QStringList &arguments)
{
    if (!arguments.isEmpty() && arguments.first() == u"send")
        return sendMailing(globalDataDir, arguments.mid(1));
    if (!arguments.isEmpty() && arguments.first() == u"resume")
        return resumeMailing(globalDataDir, arguments.mid(1));
    return usage(u"mailing wants the sub-command send or resume"_s, u"mailing"_s);
}

} // namespace parlevo::cli
