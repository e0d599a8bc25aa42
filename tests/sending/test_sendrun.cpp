// The mailing send run's engine against the real gateway simulator: requests side by side, rows
// told in list order, the pace, stopping, pausing and the journal.
#include "addressbook/classcontact.h"
#include "addressbook/optoutlist.h"
#include "base/textes.h"
#include "base/txt.h"
#include "gateway/classsendora.h"
#include "sending/mailingresults.h"
#include "sending/numberreview.h"
#include "sending/sendjournal.h"
#include "sending/sendrun.h"
#include "simulatorprocess.h"
#include "testdatadir.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

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

QStringList sorted(QStringList list)
{
    list.sort();
    return list;
}

// Records what the run tells, in order; the hooks act on the run from inside it.
class Recorder final : public SendRunObserver {
public:
    void runStarted(qsizetype) override {}
    void rowStarted(qsizetype row, const ClassContact &, const QString &) override
    {
        events.append(u"start "_s + QString::number(row));
    }
    void rowDone(qsizetype row, const ClassContact &contact, const QString &number, const SendReply &reply,
                 const QString &result) override
    {
        events.append(u"done "_s + QString::number(row));
        results.append(result);
        doneRows.append(row);
        outcomes.append(reply.outcome);
        Q_UNUSED(contact);
        numbers.append(number);
        if (onDone)
            onDone(row);
    }
    void progress(qsizetype done, qsizetype) override { events.append(u"progress "_s + QString::number(done)); }
    bool stopRequested() const override { return stop; }
    bool pauseRequested() const override { return pause; }

    QStringList events;
    QStringList numbers;
    QList<qsizetype> doneRows;
    QList<SendOutcome> outcomes;
    QStringList results;
    std::function<void(qsizetype)> onDone;
    bool stop = false;
    bool pause = false;
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
        return runMailing(*gatewayFor(sim), m_textes, fixedMailingSource(rows, QString(), u"x"_s), QString(), recorder,
                          options);
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
        recorder.onDone = [&recorder](qsizetype row) {
            if (row == 0) {
                recorder.pause = true;
                QTimer::singleShot(500, [&recorder] { recorder.pause = false; });
            }
            recorder.stop = recorder.stop || row == 2;
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

    // Each row gets the message merged for its contact, cut to 160 after the merge.
    void mergedTextPerRow()
    {
        SimulatorProcess sim(simArguments(100));
        QVERIFY(sim.isRunning());
        auto rows = numberedRows(2);
        rows[0].Prenom = u"Léa"_s;
        rows[1].Prenom = QString(20, u'P');
        const QString tail(140, u'x');
        Recorder recorder;
        runMailing(*gatewayFor(sim), m_textes, fixedMailingSource(rows, u"Jo"_s, u"{Prénom} "_s + tail), QString(),
                   recorder);
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
        QCOMPARE(planResume(*content, true).rows.size(), 0);
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
        Recorder recorder;
        recorder.onDone = [&recorder](qsizetype row) { recorder.stop = row == 1; };
        runMailing(*gatewayFor(sim), m_textes, fixedMailingSource(rows, head.sender, head.message), head.differer,
                   recorder, {.journal = journal.get()});
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
};

QTEST_GUILESS_MAIN(TestSendRun)
#include "test_sendrun.moc"
