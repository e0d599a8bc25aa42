// The mailing send run's engine against the real gateway simulator: requests side by side, rows
// told in list order, the pace, stopping, pausing and the journal.
#include "addressbook/classcontact.h"
#include "addressbook/optoutlist.h"
#include "base/privatefile.h"
#include "base/textes.h"
#include "base/txt.h"
#include "gateway/classsendora.h"
#include "gatewaywait.h"
#include "runtoend.h"
#include "sending/mailingresults.h"
#include "sending/numberreview.h"
#include "sending/sendjournal.h"
#include "sending/sendrun.h"
#include "simulatorprocess.h"
#include "testdatadir.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <ctime>
#include <functional>

using namespace Qt::StringLiterals;

using namespace parlevo;
using parlevo::test::SimulatorProcess;
using parlevo::test::TestDataDir;

namespace {

const QString kMail = u"demo@parlevo.test"_s;

QStringList simArguments(qint64 credit, const QStringList &more = {})
{
    return QStringList{u"--account"_s, kMail + u":demo:"_s + QString::number(credit), u"--verbose"_s} + more;
}

std::vector<ClassContact> numberedRows(int count)
{
    std::vector<ClassContact> rows(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        rows[std::size_t(i)].Nom = u"N"_s + QString::number(i);
        rows[std::size_t(i)].Phone = u"06"_s + QString::number(i).rightJustified(8, u'0');
    }
    return rows;
}

// The arrival time of each send request in the simulator's log, in order, with its number and
// what the simulator did with it ("code 80", "dropped"). Requests under way together may arrive in
// any order: only a run with one request at a time fixes the order of arrival.
struct Arrival {
    QDateTime at;
    QString number;
    QString outcome;
};
QList<Arrival> arrivals(SimulatorProcess &sim)
{
    static const QRegularExpression line(u"^(\\S+) GET /http\\.php\\S*numero=(\\d+)\\S* -> (.*)$"_s,
                                         QRegularExpression::MultilineOption);
    QList<Arrival> found;
    auto it = line.globalMatch(sim.log());
    while (it.hasNext()) {
        const auto match = it.next();
        found.append(
            {QDateTime::fromString(match.captured(1), Qt::ISODateWithMs), match.captured(2), match.captured(3)});
    }
    return found;
}

// Processor time of the whole process (std::clock counts wall time on Windows).
double processorMs()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1000.0 + double(now.tv_nsec) / 1e6;
}

QStringList sorted(QStringList list)
{
    list.sort();
    return list;
}

// Records what the run tells, in order; onDone acts on the run from inside it.
class Recorder final {
public:
    void attach(MailingRun &run)
    {
        QObject::connect(&run, &MailingRun::rowStarted, &run, [this, &run](qsizetype row) {
            events.append(u"start "_s + QString::number(row));
            if (onStarted)
                onStarted(run, row);
        });
        QObject::connect(&run, &MailingRun::rowDone, &run,
                         [this, &run](qsizetype row, const ClassContact &, const QString &number,
                                      const SendReply &reply, const QString &result) {
                             events.append(u"done "_s + QString::number(row));
                             results.append(result);
                             doneRows.append(row);
                             outcomes.append(reply.outcome);
                             numbers.append(number);
                             if (onDone)
                                 onDone(run, row);
                         });
        QObject::connect(&run, &MailingRun::progress, &run,
                         [this](qsizetype done) { events.append(u"progress "_s + QString::number(done)); });
    }

    QStringList events;
    QStringList numbers;
    QList<qsizetype> doneRows;
    QList<SendOutcome> outcomes;
    QStringList results;
    std::function<void(MailingRun &, qsizetype)> onStarted;
    std::function<void(MailingRun &, qsizetype)> onDone;
};

} // namespace

class TestSendRun : public QObject {
    Q_OBJECT
private:
    TextTable m_textes;

    std::unique_ptr<ClassSendora> gatewayFor(const SimulatorProcess &sim)
    {
        auto gateway = std::make_unique<ClassSendora>(m_textes);
        gateway->setBaseUrl(sim.baseUrl());
        gateway->Mail = kMail;
        gateway->Password = u"demo"_s;
        return gateway;
    }
    // The rows sent with the text "x" and no sender, through the simulator.
    SendRunSummary run(const SimulatorProcess &sim, const std::vector<ClassContact> &rows, Recorder &recorder,
                       const SendRunOptions &options)
    {
        const auto gateway = gatewayFor(sim);
        MailingRun mailing(*gateway, m_textes, fixedMailingSource(rows, QString(), u"x"_s), QString(), options);
        recorder.attach(mailing);
        return test::runToEnd(mailing);
    }

private slots:
    // Four requests under way together, each answered after the simulator's delay; a request the
    // simulator drops ends first, yet every row is told in list order.
    void parallelRequestsOverlapAndRowsComeInOrder()
    {
        SimulatorProcess sim(simArguments(100, {u"--delay-ms"_s, u"400"_s, u"--drop-every"_s, u"3"_s}));
        QVERIFY(sim.isRunning());
        const auto rows = numberedRows(8);
        Recorder recorder;
        const SendRunSummary summary = run(sim, rows, recorder, {.parallel = 4});
        QCOMPARE(recorder.doneRows, (QList<qsizetype>{0, 1, 2, 3, 4, 5, 6, 7}));
        QCOMPARE(summary.accepted, 6);
        QCOMPARE(summary.unknown, 2);
        // The dropped third request ended before the first row had its answer.
        QVERIFY2(recorder.events.indexOf(u"progress 1"_s) < recorder.events.indexOf(u"done 0"_s),
                 qPrintable(recorder.events.join(u", ")));
        const QList<Arrival> seen = arrivals(sim);
        QStringList numbers;
        for (const ClassContact &row : rows)
            numbers.append(row.Phone);
        QStringList arrived;
        for (const Arrival &arrival : seen) {
            arrived.append(arrival.number);
            // Each row tells what became of its own request, whichever order they arrived in.
            const SendOutcome told = recorder.outcomes[numbers.indexOf(arrival.number)];
            QCOMPARE(told, arrival.outcome == u"dropped" ? SendOutcome::Unknown : SendOutcome::Accepted);
        }
        QCOMPARE(sorted(arrived), numbers);
        // Four arrived before the first answer could leave; a sixth needed a second place freed,
        // which only an answer after the delay gives.
        QVERIFY(seen[0].at.msecsTo(seen[3].at) < 400);
        QVERIFY(seen[0].at.msecsTo(seen[5].at) >= 350);
    }

    // A pace of N a minute spaces the requests by 60/N seconds from the first one on, even when
    // several may be under way at once.
    void paceSpacesRequests()
    {
        SimulatorProcess sim(simArguments(100));
        QVERIFY(sim.isRunning());
        const auto rows = numberedRows(4);
        Recorder recorder;
        // One request every 300 ms.
        const SendRunSummary summary = run(sim, rows, recorder, {.parallel = 4, .perMinute = 200});
        QCOMPARE(summary.accepted, 4);
        const QList<Arrival> seen = arrivals(sim);
        QCOMPARE(seen.size(), 4);
        // Seen where they arrive, a few milliseconds of delivery jitter are allowed; a burst would
        // show gaps near zero.
        for (int i = 1; i < seen.size(); ++i) {
            const qint64 gap = seen[i - 1].at.msecsTo(seen[i].at);
            QVERIFY2(gap >= 250, qPrintable(u"request %1 came %2 ms after the one before"_s.arg(i).arg(gap)));
        }
        QVERIFY(seen.first().at.msecsTo(seen.last().at) >= 3 * 300 - 50);
    }

    // A stop asked while requests are under way ends the run once they have their answers; the
    // rows never started are told, in order, as not sent. A pause starts nothing until it ends.
    void stopAndPause()
    {
        SimulatorProcess sim(simArguments(100, {u"--delay-ms"_s, u"100"_s}));
        QVERIFY(sim.isRunning());
        const auto rows = numberedRows(10);
        Recorder recorder;
        // Paused once the first two are under way, whichever of them is answered first.
        recorder.onStarted = [](MailingRun &run, qsizetype row) {
            if (row == 1) {
                run.pause();
                QTimer::singleShot(500, &run, [&run] { run.resume(); });
            }
        };
        recorder.onDone = [](MailingRun &run, qsizetype row) {
            if (row == 2)
                run.stop();
        };
        const SendRunSummary summary = run(sim, rows, recorder, {.parallel = 2});
        QCOMPARE(recorder.doneRows, (QList<qsizetype>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
        // Rows 2 and 3 went together after the pause; row 4 may have taken row 3's place before
        // row 2 was told, nothing after it.
        QVERIFY2(summary.accepted == 4 || summary.accepted == 5, qPrintable(QString::number(summary.accepted)));
        QCOMPARE(summary.notSent, 10 - summary.accepted);
        QCOMPARE(summary.done, summary.accepted);
        QVERIFY(summary.stopped);
        QCOMPARE(recorder.outcomes.mid(summary.accepted), QList<SendOutcome>(summary.notSent, SendOutcome::NotSent));
        const QList<Arrival> seen = arrivals(sim);
        QCOMPARE(seen.size(), summary.accepted);
        QVERIFY2(seen[1].at.msecsTo(seen[2].at) >= 400, "row 2 started during the pause");
    }

    // The application told to quit mid-run, from anywhere, is held until the SMS in flight has its
    // answer: that SMS arrived once and counts as sent, nothing starts after it, and the quit goes
    // through then. The wait is spent in the event loop, not turning on the processor.
    void quitDuringTheRunEndsAfterTheSmsInFlight()
    {
        SimulatorProcess sim(simArguments(100, {u"--delay-ms"_s, u"1000"_s}));
        QVERIFY(sim.isRunning());
        const auto gateway = gatewayFor(sim);
        MailingRun run(*gateway, m_textes, fixedMailingSource(numberedRows(5), QString(), u"x"_s), QString());
        QObject::connect(&run, &MailingRun::rowStarted, &run, [](qsizetype row) {
            if (row == 1)
                QTimer::singleShot(0, [] { QCoreApplication::quit(); });
        });
        QSignalSpy finished(&run, &MailingRun::finished);
        run.start();
        const double before = processorMs();
        QCOMPARE(QCoreApplication::exec(), 0);
        const double cpuMs = processorMs() - before;
        QCOMPARE(finished.size(), 1);
        const SendRunSummary summary = run.summary();
        QVERIFY(summary.stopped);
        QCOMPARE(summary.accepted, 2);
        QCOMPARE(summary.notSent, 3);
        QCOMPARE(sim.outboxField(u"number"_s), (QStringList{u"0600000000"_s, u"0600000001"_s}));
        QCOMPARE(arrivals(sim).size(), 2);
        // About a second waited for the answer; a loop turning meanwhile would have used most of it.
        QVERIFY2(cpuMs < 500, qPrintable(QString::number(cpuMs)));
    }

    // With several requests at once, no credit left stops the run from starting more rows.
    void noCreditStopsStartingRows()
    {
        SimulatorProcess sim(simArguments(3));
        QVERIFY(sim.isRunning());
        const auto rows = numberedRows(20);
        Recorder recorder;
        const SendRunSummary summary = run(sim, rows, recorder, {.parallel = 2});
        QCOMPARE(summary.accepted, 3);
        QVERIFY2(summary.refused >= 1 && summary.refused <= 2, qPrintable(QString::number(summary.refused)));
        QCOMPARE(summary.notSent, 20 - summary.accepted - summary.refused);
        QCOMPARE(recorder.doneRows.size(), 20);
        QCOMPARE(sim.outbox().size(), 3);
    }

    // A gateway too busy to serve a request (429) served nothing: its row is refused as busy, never
    // taken for an SMS that may have gone; no new row starts for the time the gateway asks, and the
    // run goes on. Taking the run up again sends the busy rows, and only them.
    void busyGatewayHoldsBackNewRows()
    {
        SimulatorProcess sim(simArguments(100, {u"--max-per-minute"_s, u"3"_s, u"--window-ms"_s, u"1500"_s}));
        QVERIFY(sim.isRunning());
        const auto rows = numberedRows(8);
        TestDataDir dir;
        JournalHead head{QString(), QDateTime(), QString(), u"x"_s, QString(), rows};
        QString error;
        auto journal = SendJournal::create(dir.path(), head, &error);
        QVERIFY2(journal, qPrintable(error));
        Recorder recorder;
        const SendRunSummary summary = run(sim, rows, recorder, {.parallel = 4, .journal = journal.get()});
        journal.reset();
        const QList<Arrival> seen = arrivals(sim);
        QStringList busyNumbers;
        qsizetype firstBusy = -1;
        for (qsizetype i = 0; i < seen.size(); ++i) {
            if (seen[i].outcome.startsWith(u"429")) {
                busyNumbers.append(seen[i].number);
                firstBusy = firstBusy < 0 ? i : firstBusy;
            }
        }
        QVERIFY(firstBusy >= 0);
        QCOMPARE(summary.busy, busyNumbers.size());
        QCOMPARE(summary.unknown, 0);
        QCOMPARE(summary.accepted + summary.busy, 8);
        QStringList told;
        for (qsizetype row = 0; row < 8; ++row) {
            if (recorder.outcomes[row] == SendOutcome::Busy)
                told.append(rows[std::size_t(row)].Phone);
        }
        QCOMPARE(sorted(told), sorted(busyNumbers));
        // The gateway asked for at least a second: once its answer was in, nothing started until
        // then (requests already on their way arrive within moments of it).
        for (qsizetype i = firstBusy + 1; i < seen.size(); ++i) {
            const qint64 after = seen[firstBusy].at.msecsTo(seen[i].at);
            QVERIFY2(after < 100 || after >= 950, qPrintable(QString::number(after)));
        }
        QVERIFY(seen[firstBusy].at.msecsTo(seen.last().at) >= 950);
        const auto content = readJournal(dir.read(u"Journal/"_s + head.runId + u".journal"_s), &error);
        QVERIFY2(content, qPrintable(error));
        QStringList planned;
        for (const ClassContact &row : planResume(*content, false, [](const QString &n) { return n; }).rows)
            planned.append(row.Phone);
        QCOMPARE(sorted(planned), sorted(busyNumbers));
    }

    // The pace counts a request made just before the run (the credit query) as the run's first:
    // a gateway that serves N a minute never finds one too many at a pace of N a minute.
    void paceCountsTheRequestJustBefore()
    {
        SimulatorProcess sim(simArguments(100, {u"--max-per-minute"_s, u"4"_s, u"--window-ms"_s, u"2000"_s}));
        QVERIFY(sim.isRunning());
        const auto gateway = gatewayFor(sim);
        QCOMPARE(test::soldeAndWait(*gateway), u"100"_s);
        MailingRun run(*gateway, m_textes, fixedMailingSource(numberedRows(6), QString(), u"x"_s), QString(),
                       {.perMinute = 4, .requestsJustBefore = 1, .paceWindowMs = 2000});
        const SendRunSummary summary = test::runToEnd(run);
        QCOMPARE(summary.accepted, 6);
        QVERIFY2(!sim.log().contains(u"-> 429"_s), qPrintable(sim.log()));
    }

    // Each row gets the message merged for its contact, cut to 160 after the merge.
    void mergedTextPerRow()
    {
        SimulatorProcess sim(simArguments(100));
        QVERIFY(sim.isRunning());
        auto rows = numberedRows(2);
        rows[0].Prenom = u"Léa"_s;
        rows[1].Prenom = QString(20, u'P');
        const QString tail(140, u'x');
        const auto gateway = gatewayFor(sim);
        MailingRun run(*gateway, m_textes, fixedMailingSource(rows, u"Jo"_s, u"{Prénom} "_s + tail), QString());
        test::runToEnd(run);
        QCOMPARE(sim.outboxField(u"text"_s),
                 (QStringList{u"De : Jo, Léa "_s + tail, u"De : Jo, "_s + QString(20, u'P') + u' ' + tail.left(130)}));
    }

    // A number stored with "+" goes out as "00" and its digits, once; the others as their digits.
    void plusNumbersGoAsDoubleZero()
    {
        SimulatorProcess sim(simArguments(100));
        QVERIFY(sim.isRunning());
        auto rows = numberedRows(2);
        rows[0].Phone = u"+33 6 00 00 00 01"_s;
        rows[1].Phone = u"06.00.00.00.01"_s;
        Recorder recorder;
        run(sim, rows, recorder, {});
        QCOMPARE(sorted(sim.outboxField(u"number"_s)), (QStringList{u"0033600000001"_s, u"0600000001"_s}));
        QCOMPARE(recorder.numbers, (QStringList{u"0033600000001"_s, u"0600000001"_s}));
    }

    // An opted-out number (written another way in the list) gets no SMS, nor does a number met
    // again on a later row; both are told with their own result, as neither accepted nor failed.
    void optedOutAndRepeatedNumbersAreLeftOut()
    {
        SimulatorProcess sim(simArguments(100));
        QVERIFY(sim.isRunning());
        std::vector<ClassContact> rows = numberedRows(5);
        rows[1].Phone = u"0687654321"_s;
        rows[3].Phone = u"0033600000000"_s;
        PhoneCheck check(u"FR"_s);
        OptOutList optOuts(check);
        optOuts.add(u"+33 6 87 65 43 21"_s);
        QStringList numbers;
        for (const ClassContact &row : rows)
            numbers.append(row.Phone);
        const NumberCheck result = checkNumbers(check, numbers, &optOuts);
        Recorder recorder;
        TestDataDir dir;
        JournalHead head{QString(), QDateTime(), QString(), u"x"_s, QString(), rows};
        QString error;
        auto journal = SendJournal::create(dir.path(), head, &error);
        QVERIFY2(journal, qPrintable(error));
        SendRunOptions options{.parallel = 4, .journal = journal.get()};
        options.skipText = skipTextFor(m_textes, skippedRows(result, numbers.size(), true));
        const SendRunSummary summary = run(sim, rows, recorder, options);
        // Left out for good: taking the run up again sends nothing.
        journal.reset();
        const auto content = readJournal(dir.read(u"Journal/"_s + head.runId + u".journal"_s), &error);
        QVERIFY2(content, qPrintable(error));
        QCOMPARE(planResume(*content, true, [&check](const QString &n) { return check.matchKey(n); }).rows.size(), 0);
        QCOMPARE(sorted(sim.outboxField(u"number"_s)),
                 (QStringList{u"0600000000"_s, u"0600000002"_s, u"0600000004"_s}));
        QCOMPARE(summary.accepted, 3);
        QCOMPARE(summary.skipped, 2);
        QCOMPARE(summary.notSent, 0);
        const QString sent = recorder.results.value(0);
        QCOMPARE(recorder.results,
                 (QStringList{sent, m_textes(Txt::OptedOutNotSent), sent, m_textes(Txt::RepeatNotSent), sent}));
    }

    // The journal holds the run's head and each row's start and outcome; read back, it tells which
    // rows are done, which may have left and which never started.
    void journalRecordsTheRun()
    {
        SimulatorProcess sim(simArguments(100));
        QVERIFY(sim.isRunning());
        auto rows = numberedRows(5);
        rows[1].Nom = u"Tab\there, back\\slash"_s;
        rows[1].Groupe = u"Line\nbreak"_s;
        TestDataDir dir;
        JournalHead head{QString(), QDateTime(), u"Paul"_s, u"Deux\nlignes #1"_s, u"093005122030"_s, rows};
        QString error;
        auto journal = SendJournal::create(dir.path(), head, &error);
        QVERIFY2(journal, qPrintable(error));
        const auto gateway = gatewayFor(sim);
        MailingRun run(*gateway, m_textes, fixedMailingSource(rows, head.sender, head.message), head.differer,
                       {.journal = journal.get()});
        Recorder recorder;
        recorder.attach(run);
        recorder.onDone = [](MailingRun &mailing, qsizetype row) {
            if (row == 1)
                mailing.stop();
        };
        test::runToEnd(run);
        QVERIFY(journal->recordEnd(false));
        const auto content = readJournal(dir.read(u"Journal/"_s + head.runId + u".journal"_s), &error);
        QVERIFY2(content, qPrintable(error));
        const JournalHead &read = content->head;
        QCOMPARE((QStringList{read.runId, read.sender, read.message, read.differer}),
                 (QStringList{head.runId, head.sender, head.message, head.differer}));
        QCOMPARE(read.rows.size(), rows.size());
        QCOMPARE(read.rows[1].Nom, rows[1].Nom);
        QCOMPARE(read.rows[1].Groupe, rows[1].Groupe);
        QCOMPARE(read.rows[4].Phone, rows[4].Phone);
        using S = JournalRowState;
        QCOMPARE(content->states, (std::vector<S>{S::Done, S::Done, S::NotStarted, S::NotStarted, S::NotStarted}));
        QCOMPARE(content->replies[1].code, 81); // deferred
        QVERIFY(content->problems.isEmpty());
        QVERIFY(!content->complete);
    }

    // A damaged line is skipped and named; one that may have recorded a request leaving makes the
    // row it may concern unknown, never not started, so it cannot be sent twice.
    void damagedJournalLines_data()
    {
        QTest::addColumn<QByteArray>("damage"); // the line changed, by its first word and row
        QTest::addColumn<bool>("truncate");     // cut in the middle instead of a byte changed
        QTest::addColumn<QList<int>>("states"); // JournalRowState of each of the 4 rows
        const int done = int(JournalRowState::Done);
        const int started = int(JournalRowState::Started);
        const int notStarted = int(JournalRowState::NotStarted);
        const int missing = int(JournalRowState::Missing);
        QTest::newRow("last start damaged")
            << QByteArray("sent 2") << false << QList<int>{done, done, started, notStarted};
        QTest::newRow("last start cut short")
            << QByteArray("sent 2") << true << QList<int>{done, done, started, notStarted};
        QTest::newRow("an outcome damaged")
            << QByteArray("done 1") << false << QList<int>{done, started, started, notStarted};
        QTest::newRow("an earlier start damaged")
            << QByteArray("sent 0") << false << QList<int>{done, done, started, notStarted};
        QTest::newRow("a recipient damaged")
            << QByteArray("row 3") << false << QList<int>{done, done, started, missing};
    }
    void damagedJournalLines()
    {
        QFETCH(QByteArray, damage);
        QFETCH(bool, truncate);
        QFETCH(QList<int>, states);
        TestDataDir dir;
        JournalHead head{QString(), QDateTime(), QString(), u"x"_s, QString(), numberedRows(4)};
        QString error;
        {
            auto journal = SendJournal::create(dir.path(), head, &error);
            QVERIFY(journal);
            const std::vector<qsizetype> first{0, 1};
            QVERIFY(journal->recordStarted(first));
            QVERIFY(journal->recordDone(0, {80, SendOutcome::Accepted}));
            QVERIFY(journal->recordDone(1, {80, SendOutcome::Accepted}));
            const std::vector<qsizetype> second{2};
            QVERIFY(journal->recordStarted(second));
        }
        const QString name = u"Journal/"_s + head.runId + u".journal"_s;
        QList<QByteArray> lines = dir.read(name).split('\n');
        const auto it = std::find_if(lines.begin(), lines.end(), [&damage](const QByteArray &line) {
            return line.startsWith(QByteArray(damage + ' '));
        });
        QVERIFY(it != lines.end());
        const qsizetype lineNumber = it - lines.begin() + 1;
        if (truncate) {
            it->truncate(it->size() / 2);
            lines.erase(it + 1, lines.end());
        } else {
            (*it)[damage.size() + 1] = (*it)[damage.size() + 1] ^ 0x01;
        }
        const auto content = readJournal(lines.join('\n'), &error);
        QVERIFY2(content, qPrintable(error));
        QList<int> read;
        for (JournalRowState state : content->states)
            read.append(int(state));
        QCOMPARE(read, states);
        QVERIFY2(content->problems.value(0) == u"line %1 is damaged and was skipped"_s.arg(lineNumber),
                 qPrintable(content->problems.join(u"; ")));
    }

    // Whatever single line of a journal is damaged, taking the run up again never sends a row
    // that left, may have left, or was left out: only rows that certainly never went.
    void noDamagedLineSendsARowAgain()
    {
        TestDataDir dir;
        auto rows = numberedRows(6);
        rows[1].Phone = u"+33 6 00 00 00 00"_s; // row 0's number written another way
        JournalHead head{QString(), QDateTime(), QString(), u"x"_s, QString(), rows};
        head.region = u"FR"_s;
        head.skips = {RowSkip::None, RowSkip::Repeat, RowSkip::None, RowSkip::None, RowSkip::None, RowSkip::None};
        QString error;
        {
            auto journal = SendJournal::create(dir.path(), head, &error);
            QVERIFY2(journal, qPrintable(error));
            const std::vector<qsizetype> first{0, 2};
            QVERIFY(journal->recordStarted(first));
            QVERIFY(journal->recordDone(0, {80, SendOutcome::Accepted}));
            const std::vector<qsizetype> second{3, 4};
            QVERIFY(journal->recordStarted(second));
            QVERIFY(journal->recordDone(3, {0, SendOutcome::Busy}));
            QVERIFY(journal->recordDone(4, {80, SendOutcome::Accepted}));
        }
        PhoneCheck check(u"FR"_s);
        const auto key = [&check](const QString &number) { return check.matchKey(number); };
        const QByteArray bytes = dir.read(u"Journal/"_s + head.runId + u".journal"_s);
        const auto plannedRows = [&](const QByteArray &journal) {
            QString ignored;
            const auto content = readJournal(journal, &ignored);
            return content ? planResume(*content, false, key).rowMap : std::vector<qsizetype>{};
        };
        // Row 3 met a busy gateway and row 5 never started: both certainly never went.
        QCOMPARE(plannedRows(bytes), (std::vector<qsizetype>{3, 5}));
        const QList<QByteArray> lines = bytes.split('\n');
        for (qsizetype n = 0; n + 1 < lines.size(); ++n) {
            QList<QByteArray> damaged = lines;
            damaged[n][damaged[n].size() / 2] = damaged[n][damaged[n].size() / 2] ^ 0x04;
            for (qsizetype row : plannedRows(damaged.join('\n')))
                QVERIFY2(row == 3 || row == 5,
                         qPrintable(u"with line %1 damaged (%2), row %3 would go again"_s.arg(n + 1)
                                        .arg(QString::fromUtf8(lines[n]))
                                        .arg(row)));
        }
    }

    // A run is held by the process that sends it: taking it up elsewhere is refused until that
    // process lets it go; a run that never sent an SMS and a copy of a journal are not taken up.
    void runsAreHeldAndTakenUpOnce()
    {
        TestDataDir dir;
        JournalHead head{QString(), QDateTime(), QString(), u"x"_s, QString(), numberedRows(2)};
        QString error;
        auto journal = SendJournal::create(dir.path(), head, &error);
        QVERIFY2(journal, qPrintable(error));
        const QString path = dir.path() + u"/Journal/"_s + head.runId + u".journal"_s;
        HoldFailure failure{};
        QVERIFY(!holdRun(dir.path(), path, &failure, &error));
        QCOMPARE(failure, HoldFailure::InUse);
        QVERIFY(!interruptedJournal(dir.path(), false));
        journal.reset();
        // Let go before its first SMS: nothing to take up.
        QVERIFY(!holdRun(dir.path(), path, &failure, &error));
        QCOMPARE(failure, HoldFailure::NeverStarted);
        QVERIFY(!interruptedJournal(dir.path(), false));

        QVERIFY(dir.write(u"Journal/"_s + head.runId + u".journal"_s,
                          dir.read(u"Journal/"_s + head.runId + u".journal"_s) + startedLine(0)));
        QCOMPARE(interruptedJournal(dir.path(), false), path);
        const QString copy = dir.path() + u"/Journal/"_s + head.runId + u" (copie).journal"_s;
        QVERIFY(QFile::copy(path, copy));
        QCOMPARE(interruptedJournal(dir.path(), false), path);
        QVERIFY(!holdRun(dir.path(), copy, &failure, &error));
        QCOMPARE(failure, HoldFailure::Copy);
        auto held = holdRun(dir.path(), path, &failure, &error);
        QVERIFY2(held, qPrintable(error));
        QCOMPARE(held->content.states[0], JournalRowState::Started);
        QVERIFY(!holdRun(dir.path(), path, &failure, &error));
        QCOMPARE(failure, HoldFailure::InUse);
    }

    // Journals hold numbers, names and texts: the user's alone, new ones and older ones alike.
    void journalsArePrivate()
    {
        TestDataDir dir;
        JournalHead head{QString(), QDateTime(), QString(), u"x"_s, QString(), numberedRows(1)};
        JournalHead single = head;
        QString error;
        QVERIFY(SendJournal::create(dir.path(), head, &error));
        QVERIFY(SendJournal::createSingle(dir.path(), single, &error));
        for (const QString &path : {journalDir(dir.path()), singleSendDir(dir.path()),
                                    journalFiles(dir.path()).value(0), singleSendFiles(dir.path()).value(0)})
            QVERIFY2(isOwnerOnly(path), qPrintable(path));
        TestDataDir older;
        QVERIFY(older.write(u"Journal/old.journal"_s, "x"));
        QVERIFY(!isOwnerOnly(older.filePath(u"Journal/old.journal"_s)));
        protectJournals(older.path());
        QVERIFY(isOwnerOnly(journalDir(older.path())));
        QVERIFY(isOwnerOnly(older.filePath(u"Journal/old.journal"_s)));
    }

private:
    // A journal line recording that a row's request left, as the journal writes it.
    static QByteArray startedLine(qsizetype row)
    {
        const QByteArray record = "sent " + QByteArray::number(row) + " 2030-01-01T10:00:00.000";
        return record + " #" + QByteArray::number(qChecksum(record), 16).rightJustified(4, '0') + '\n';
    }
};

QTEST_GUILESS_MAIN(TestSendRun)
#include "test_sendrun.moc"
