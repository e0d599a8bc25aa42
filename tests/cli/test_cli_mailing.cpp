// parlevo-cli mailing send, run as a user runs it, against the gateway simulator.
#include "cliprocess.h"
#include "simulatorprocess.h"
#include "testdatadir.h"

#include <QMap>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTest>

#include <optional>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/types.h>
#endif

using namespace Qt::StringLiterals;

using parlevo::test::SimulatorProcess;
using parlevo::test::TestDataDir;

namespace {

using Run = parlevo::test::CliRun;

const QString kMail = u"demo@parlevo.test"_s;

Run cli(const QUrl &gateway, const QStringList &arguments, const QByteArray &input = {})
{
    return parlevo::test::runCli(arguments, gateway, input);
}

// A data directory holding the demo account (written by the CLI itself) and an address book.
bool prepare(const TestDataDir &dir)
{
    const Run r =
        cli(QUrl(), {u"account"_s, u"--data-dir"_s, dir.path(), u"--email"_s, kMail, u"--password-stdin"_s}, "demo\n");
    return r.status == 0 && dir.write(u"Contacts.lst"_s, "Amis;;M.;Jean;Dupont;06 12 34 56 78\r\n"
                                                         "amis;;;Paul;Petit;0611111111\r\n"
                                                         "Amis;Sté;;Zoé;Martin;0622222222\r\n"
                                                         "Travail;;;Luc;Bon;0633333333\r\n");
}

QByteArray numberOf(int row)
{
    return "06" + QByteArray::number(row).rightJustified(8, '0');
}

// A mailing file of rows named A, numbered 0600000000, 0600000001...
QByteArray numberedList(int rows)
{
    QByteArray list;
    for (int i = 0; i < rows; ++i)
        list += ";;;;A;" + numberOf(i) + "\r\n";
    return list;
}

} // namespace

class TestCliMailing : public QObject {
    Q_OBJECT
private slots:
    // A file with a refused row: a result line each, the CSV, exit status 3.
    void fileWithARefusal()
    {
        TestDataDir dir;
        QVERIFY(prepare(dir));
        QVERIFY(dir.write(u"liste.kxg"_s, "Amis;;M.;Jean;Dupont;06-12.34 56 78\r\n;;;;\"Court\", A;0612\r\n"));
        SimulatorProcess sim({u"--account"_s, kMail + u":demo:50"_s});
        QVERIFY(sim.isRunning());
        const QString csv = dir.filePath(u"out.csv"_s);
        const Run r =
            cli(sim.baseUrl(), {u"--data-dir"_s, dir.path(), u"mailing"_s, u"send"_s, dir.filePath(u"liste.kxg"_s),
                                u"--message"_s, u"Bonjour"_s, u"--from"_s, u"Paul"_s, u"--results"_s, csv});
        QCOMPARE(r.status, 3);
        QCOMPARE(r.out, u"(06-12.34 56 78) M. Dupont Jean : Le message a été envoyé\n"
                        u"(0612) \"Court\", A : Le numéro de gsm n'est pas valide\n"_s);
        QCOMPARE(r.err, u"GSM 7 bits : 18 caractère(s), 1 SMS\n2 SMS sur 2 d'envoyé.\n"_s);
        QCOMPARE(dir.read(u"out.csv"_s),
                 QByteArray("number,full_name,code,text,outcome\r\n"
                            "0612345678,M. Dupont Jean,80,Le message a été envoyé,accepted\r\n"
                            "0612,\"\"\"Court\"\", A\",84,Le numéro de gsm n'est pas valide,refused\r\n"));
        const auto outbox = sim.outbox();
        QCOMPARE(outbox.size(), 1);
        QCOMPARE(outbox[0][u"text"_s].toString(), u"De : Paul, Bonjour"_s);
    }

    // The group's contacts only (exact name), each with the same deferred value.
    void groupDeferred()
    {
        TestDataDir dir;
        QVERIFY(prepare(dir));
        SimulatorProcess sim({u"--account"_s, kMail + u":demo:50"_s});
        QVERIFY(sim.isRunning());
        const QDateTime when = QDateTime::currentDateTime().addDays(2);
        const Run r = cli(sim.baseUrl(), {u"--data-dir"_s, dir.path(), u"mailing"_s, u"send"_s, u"--group"_s, u"Amis"_s,
                                          u"--message"_s, u"Salut"_s, u"--from"_s, QString(), u"--at"_s,
                                          when.toString(u"yyyy-MM-dd HH:mm"_s)});
        QCOMPARE(r.status, 0);
        const auto outbox = sim.outbox();
        QCOMPARE(outbox.size(), 2);
        QCOMPARE(outbox[0][u"number"_s].toString(), u"0612345678"_s);
        QCOMPARE(outbox[1][u"number"_s].toString(), u"0622222222"_s);
        for (const auto &m : outbox) {
            QCOMPARE(m[u"text"_s].toString(), u"Salut"_s);
            QCOMPARE(m[u"deferred"_s].toString(), when.toString(u"HHmmddMMyyyy"_s));
        }
        QVERIFY(!QFileInfo::exists(dir.filePath(u"Contacts.bak"_s)));
    }

    // A credit the gateway tells to be short is warned of, and the mailing goes all the same.
    void shortCreditWarns()
    {
        TestDataDir dir;
        QVERIFY(prepare(dir));
        SimulatorProcess sim({u"--account"_s, kMail + u":demo:1"_s});
        QVERIFY(sim.isRunning());
        const Run r = cli(sim.baseUrl(), {u"--data-dir"_s, dir.path(), u"mailing"_s, u"send"_s, u"--group"_s, u"Amis"_s,
                                          u"--message"_s, u"Salut"_s, u"--from"_s, QString()});
        QCOMPARE(r.err, u"GSM 7 bits : 5 caractère(s), 1 SMS\n"
                        u"Votre crédit de 1 SMS ne suffit pas pour ce SMS Mailing, qui en demande 2.\n"
                        u"2 SMS sur 2 d'envoyé.\n"_s);
        QCOMPARE(r.status, 3);
        QCOMPARE(sim.outbox().size(), 1);
    }

    void unreachableGateway()
    {
        TestDataDir dir;
        QVERIFY(prepare(dir));
        QVERIFY(dir.write(u"liste.kxg"_s, ";;;;;0612345678\r\n"));
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        const QUrl url(u"http://127.0.0.1:"_s + QString::number(closed.serverPort()));
        closed.close();
        const Run r = cli(url, {u"--data-dir"_s, dir.path(), u"mailing"_s, u"send"_s, dir.filePath(u"liste.kxg"_s),
                                u"--message"_s, u"x"_s});
        QCOMPARE(r.status, 2);
        QCOMPARE(r.out, u"(0612345678) : Impossible de joindre le serveur d'envoi de SMS !\n"_s);
        // No credit could be had: no warning.
        QCOMPARE(r.err, u"GSM 7 bits : 1 caractère(s), 1 SMS\n1 SMS sur 1 d'envoyé.\n"_s);
    }

    // --retry-failed sends only the rows neither sent nor kept, from the CLI's own --results file
    // and from the app's export; a file with no such row sends nothing and succeeds.
    void retryFailed()
    {
        TestDataDir dir;
        QVERIFY(prepare(dir));
        QVERIFY(dir.write(u"liste.kxg"_s, "Amis;;M.;Jean;Dupont;06 12 34 56 78\r\n;;;;\"Court\", A;0611111111\r\n"));
        std::optional<SimulatorProcess> sim(std::in_place, QStringList{u"--account"_s, kMail + u":demo:1"_s});
        QVERIFY(sim->isRunning());
        const QStringList send{u"--data-dir"_s, dir.path(), u"mailing"_s, u"send"_s, u"--message"_s, u"Bonjour"_s};
        Run r = cli(sim->baseUrl(),
                    send + QStringList{dir.filePath(u"liste.kxg"_s), u"--results"_s, dir.filePath(u"first.csv"_s)});
        QCOMPARE(r.status, 3);

        sim.emplace(QStringList{u"--account"_s, kMail + u":demo:50"_s});
        QVERIFY(sim->isRunning());
        r = cli(sim->baseUrl(), send + QStringList{u"--retry-failed"_s, dir.filePath(u"first.csv"_s)});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out, u"(0611111111) \"Court\", A : Le message a été envoyé\n"_s);
        // The app's export: number as stored, Windows-1252.
        // A row without an answer in time goes again only with --include-unknown.
        QVERIFY(dir.write(u"export.csv"_s, "0622222222;Mme Zo\xE9;80;Le message a \xE9t\xE9 envoy\xE9;accepted\r\n"
                                           "06 33 33 33 33;Luc Bon;83;Vous devez cr\xE9"
                                           "diter votre compte;refused\r\n"
                                           "0644444444;Ana;0;?;unknown\r\n"
                                           "0655555555;Eve;0;x;not_sent\r\n"));
        r = cli(sim->baseUrl(), send + QStringList{u"--retry-failed"_s, dir.filePath(u"export.csv"_s)});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out, u"(06 33 33 33 33) Luc Bon : Le message a été envoyé\n"
                        u"(0655555555) Eve : Le message a été envoyé\n"_s);
        QVERIFY2(r.err.contains(u"1 row(s) of "_s), qPrintable(r.err));
        r = cli(sim->baseUrl(),
                send + QStringList{u"--retry-failed"_s, dir.filePath(u"export.csv"_s), u"--include-unknown"_s});
        QVERIFY2(r.out.contains(u"\n(0644444444) Ana : Le message a été envoyé\n"_s), qPrintable(r.out));
        QVERIFY(dir.write(u"ok.csv"_s, "0622222222;Mme Zo\xE9;81;x\r\n"));
        r = cli(sim->baseUrl(), send + QStringList{u"--retry-failed"_s, dir.filePath(u"ok.csv"_s)});
        QCOMPARE(r.status, 0);
        const auto outbox = sim->outbox();
        QCOMPARE(outbox.size(), 4);
        QCOMPARE(outbox[0][u"number"_s].toString(), u"0611111111"_s);
        QCOMPARE(outbox[1][u"number"_s].toString(), u"0633333333"_s);
        QCOMPARE(outbox[2][u"number"_s].toString(), u"0655555555"_s);
        QCOMPARE(outbox[3][u"number"_s].toString(), u"0644444444"_s);
    }

    // Each row reaches the --results file as soon as it has its outcome: a run killed midway
    // leaves the record of every SMS answered, whole lines only.
    void resultsWrittenRowByRow()
    {
        TestDataDir dir;
        QVERIFY(prepare(dir));
        QByteArray list;
        for (int i = 0; i < 6; ++i)
            list += ";;;;A;061111111" + QByteArray::number(i) + "\r\n";
        QVERIFY(dir.write(u"liste.kxg"_s, list));
        SimulatorProcess sim({u"--account"_s, kMail + u":demo:50"_s, u"--delay-ms"_s, u"250"_s});
        QVERIFY(sim.isRunning());
        QProcess process;
        parlevo::test::startCli(process,
                                {u"--data-dir"_s, dir.path(), u"mailing"_s, u"send"_s, dir.filePath(u"liste.kxg"_s),
                                 u"--message"_s, u"x"_s, u"--results"_s, dir.filePath(u"r.csv"_s)},
                                sim.baseUrl());
        QTRY_VERIFY_WITH_TIMEOUT(dir.read(u"r.csv"_s).count("\r\n") >= 3, 10000);
        process.kill();
        QVERIFY(process.waitForFinished(5000));
        const QByteArray written = dir.read(u"r.csv"_s);
        QVERIFY(written.endsWith("\r\n"));
        const QList<QByteArray> lines = written.chopped(1).split('\n');
        QCOMPARE(lines[0], QByteArray("number,full_name,code,text,outcome\r"));
        for (qsizetype i = 1; i < lines.size(); ++i)
            QCOMPARE(lines[i], "061111111" + QByteArray::number(i - 1) + ",A,80,Le message a été envoyé,accepted\r");
        // At most the SMS in flight is missing from the file.
        const qsizetype sent = sim.outbox().size();
        QVERIFY2(sent >= lines.size() - 1 && sent <= lines.size() && sent < 6, qPrintable(QString::number(sent)));
    }

#ifdef Q_OS_UNIX
    // Ctrl+C ends the run once the SMS in flight have their answers: every row is in the results
    // file, in list order, those never started as not sent, and the exit status says it stopped.
    void interruptStopsAfterTheSmsInFlight()
    {
        TestDataDir dir;
        QVERIFY(prepare(dir));
        constexpr int kRows = 40;
        QVERIFY(dir.write(u"liste.kxg"_s, numberedList(kRows)));
        SimulatorProcess sim({u"--account"_s, kMail + u":demo:500"_s, u"--delay-ms"_s, u"100"_s});
        QVERIFY(sim.isRunning());
        QProcess process;
        parlevo::test::startCli(process,
                                {u"--data-dir"_s, dir.path(), u"mailing"_s, u"send"_s, dir.filePath(u"liste.kxg"_s),
                                 u"--message"_s, u"x"_s, u"--parallel"_s, u"2"_s, u"--results"_s,
                                 dir.filePath(u"r.csv"_s)},
                                sim.baseUrl());
        QTRY_VERIFY_WITH_TIMEOUT(dir.read(u"r.csv"_s).count("\r\n") >= 4, 10000);
        ::kill(pid_t(process.processId()), SIGINT);
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 130);
        const QList<QByteArray> lines = dir.read(u"r.csv"_s).split('\n');
        QCOMPARE(lines.size(), kRows + 2); // the header, the rows, and nothing after the last break
        const qsizetype sent = sim.outbox().size();
        QVERIFY2(sent >= 4 && sent < kRows, qPrintable(QString::number(sent)));
        for (int i = 0; i < kRows; ++i) {
            const QByteArray expected = i < sent ? ",80,Le message a été envoyé,accepted\r"
                                                 : ",0,Non envoyé : l'envoi a été arrêté avant ce SMS,not_sent\r";
            QCOMPARE(lines[i + 1], numberOf(i) + ",A" + expected);
        }
    }

    // A run killed at any moment, then taken up again, sends every row once: the gateway sees no
    // number twice, and the only rows it never sees are those the journal left unknown (at most
    // one per request in flight), which a resume does not send without --include-unknown.
    void killedRunResumesWithoutDoubles()
    {
        TestDataDir dir;
        QVERIFY(prepare(dir));
        constexpr int kRows = 2000;
        constexpr int kParallel = 4;
        QVERIFY(dir.write(u"liste.kxg"_s, numberedList(kRows)));
        SimulatorProcess sim({u"--account"_s, kMail + u":demo:100000"_s, u"--delay-ms"_s, u"3"_s, u"--verbose"_s});
        QVERIFY(sim.isRunning());
        QProcess process;
        parlevo::test::startCli(process,
                                {u"--data-dir"_s, dir.path(), u"mailing"_s, u"send"_s, dir.filePath(u"liste.kxg"_s),
                                 u"--message"_s, u"x"_s, u"--parallel"_s, QString::number(kParallel)},
                                sim.baseUrl());
        QVERIFY(process.waitForStarted());
        // Somewhere in the run, after its first SMS.
        QTRY_VERIFY_WITH_TIMEOUT(!sim.outbox().isEmpty(), 10000);
        QTest::qWait(QRandomGenerator::global()->bounded(50, 1500));
        process.kill();
        QVERIFY(process.waitForFinished(5000));
        const qsizetype beforeResume = sim.outbox().size();
        QVERIFY2(beforeResume < kRows, "the run ended before it was killed");

        // Run while this loop turns: the simulator's log must be read as it comes, or it stalls.
        QProcess resume;
        parlevo::test::startCli(
            resume,
            {u"--data-dir"_s, dir.path(), u"mailing"_s, u"resume"_s, u"--parallel"_s, QString::number(kParallel)},
            sim.baseUrl());
        QTRY_VERIFY_WITH_TIMEOUT(resume.state() == QProcess::NotRunning, 60000);
        const QString resumedErr = QString::fromUtf8(resume.readAllStandardError());
        QVERIFY2(resume.exitCode() == 0, qPrintable(resumedErr));
        QMap<QString, int> requests;
        static const QRegularExpression numero(u"numero=(\\d+)"_s);
        for (const QString &line : sim.log().split(u'\n')) {
            const auto match = numero.match(line);
            if (match.hasMatch())
                ++requests[match.captured(1)];
        }
        for (auto it = requests.cbegin(); it != requests.cend(); ++it)
            QVERIFY2(it.value() == 1, qPrintable(it.key() + u" requested twice"_s));
        const qsizetype neverSeen = kRows - requests.size();
        QVERIFY2(neverSeen <= kParallel, qPrintable(QString::number(neverSeen)));
        static const QRegularExpression unknownCount(u"(\\d+) row\\(s\\) left without an answer"_s);
        const auto told = unknownCount.match(resumedErr);
        const int unknown = told.hasMatch() ? told.captured(1).toInt() : 0;
        QVERIFY2(unknown >= neverSeen && unknown <= kParallel, qPrintable(resumedErr));
        QCOMPARE(sim.outbox().size(), requests.size());
        // The run is complete now: nothing is left to take up.
        QCOMPARE(cli(sim.baseUrl(), {u"--data-dir"_s, dir.path(), u"mailing"_s, u"resume"_s}).status, 64);
    }
#endif

    // A results file that cannot be read or is not one: a usage error and nothing sent.
    void retryFailedBadFile_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing") << QByteArray() << u"cannot read"_s;
        QTest::newRow("empty") << QByteArray("\r\n") << u"no result row"_s;
        QTest::newRow("three fields") << QByteArray("0611111111;A;84;x\r\n0612;B;84\r\n") << u"line 2 has 3"_s;
        QTest::newRow("code not a number") << QByteArray("0611111111;A;échec;x\r\n") << u"line 1: the code"_s;
        QTest::newRow("outcome against its code") << QByteArray("0611111111;A;80;x;refused\r\n") << u"does not fit"_s;
        QTest::newRow("CLI file, open quote")
            << QByteArray("number,full_name,code,text\r\n0611111111,\"A,84,x\r\n") << u"quoted field"_s;
    }
    void retryFailedBadFile()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);
        TestDataDir dir;
        QVERIFY(prepare(dir));
        if (!bytes.isEmpty())
            QVERIFY(dir.write(u"r.csv"_s, bytes));
        SimulatorProcess sim({u"--account"_s, kMail + u":demo:50"_s});
        QVERIFY(sim.isRunning());
        const Run r = cli(sim.baseUrl(), {u"--data-dir"_s, dir.path(), u"mailing"_s, u"send"_s, u"--message"_s, u"x"_s,
                                          u"--retry-failed"_s, dir.filePath(u"r.csv"_s)});
        QCOMPARE(r.status, 64);
        QVERIFY2(r.err.contains(reason), qPrintable(r.err));
        QVERIFY(sim.outbox().isEmpty());
    }

    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("file and group") << QStringList{u"a.kxg"_s, u"--group"_s, u"Amis"_s, u"--message"_s, u"x"_s};
        QTest::newRow("retry and group") << QStringList{u"--retry-failed"_s, u"r.csv"_s,     u"--group"_s,
                                                        u"Amis"_s,           u"--message"_s, u"x"_s};
        QTest::newRow("neither") << QStringList{u"--message"_s, u"x"_s};
        QTest::newRow("no message") << QStringList{u"--group"_s, u"Amis"_s};
        QTest::newRow("empty group") << QStringList{u"--group"_s, u"Personne"_s, u"--message"_s, u"x"_s};
        QTest::newRow("bad date") << QStringList{u"--group"_s, u"Amis"_s, u"--message"_s,
                                                 u"x"_s,       u"--at"_s, u"demain"_s};
        const QStringList group{u"--group"_s, u"Amis"_s, u"--message"_s, u"x"_s};
        QTest::newRow("parallel 0") << group + QStringList{u"--parallel"_s, u"0"_s};
        QTest::newRow("parallel 9") << group + QStringList{u"--parallel"_s, u"9"_s};
        QTest::newRow("parallel not a number") << group + QStringList{u"--parallel"_s, u"four"_s};
        QTest::newRow("negative rate") << group + QStringList{u"--rate"_s, u"-1"_s};
        QTest::newRow("rate not a number") << group + QStringList{u"--rate"_s, u"1.5"_s};
    }
    void usageErrors()
    {
        QFETCH(QStringList, arguments);
        TestDataDir dir;
        QVERIFY(prepare(dir));
        SimulatorProcess sim({u"--account"_s, kMail + u":demo:50"_s});
        QVERIFY(sim.isRunning());
        const Run r = cli(sim.baseUrl(), QStringList{u"--data-dir"_s, dir.path(), u"mailing"_s, u"send"_s} + arguments);
        QCOMPARE(r.status, 64);
        QVERIFY(sim.outbox().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestCliMailing)
#include "test_cli_mailing.moc"
