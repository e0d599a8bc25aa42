// parlevo-cli run as a user runs it, against the real gateway simulator.
#include "base/privatefile.h"
#include "cliprocess.h"
#include "gateway/classsendora.h"
#include "prefs/configfile.h"
#include "simulatorprocess.h"
#include "testdatadir.h"
#include "testparts.h"

#include <QProcess>
#include <QTcpServer>
#include <QTest>

#ifdef Q_OS_LINUX
#include <sys/resource.h>
#endif

using namespace Qt::StringLiterals;

using namespace parlevo;
using parlevo::test::SimulatorProcess;
using parlevo::test::TestDataDir;

namespace {

using Run = parlevo::test::CliRun;
using parlevo::test::kDemoMail;

} // namespace

class TestCli : public QObject {
    Q_OBJECT
private:
    QUrl m_gateway;

    Run cli(const QStringList &arguments, const QByteArray &input = {})
    {
        return parlevo::test::runCli(arguments, m_gateway, input);
    }

    // A data directory whose configuration holds the demo account, written by the CLI itself.
    bool configureAccount(const TestDataDir &dir, const QString &password = u"demo"_s)
    {
        const Run r = cli({u"account"_s, u"--data-dir"_s, dir.path(), u"--email"_s, kDemoMail, u"--password-stdin"_s},
                          password.toUtf8() + "\n");
        return r.status == 0;
    }

private slots:
    void accountWritesTheConfigurationAsTheAppReadsIt()
    {
        TestDataDir dir;
        QVERIFY(dir.write(u"Parlevo.cfg"_s, "[Parlevo]\r\nFrom=Paul\r\nMaximized=1\r\nTop=77\r\n"));
        const Run r = cli({u"--data-dir"_s, dir.path(), u"account"_s, u"--email"_s, kDemoMail, u"--password-stdin"_s},
                          "s3cr&t é\r\n");
        QCOMPARE(r.status, 0);
        test::Parts state(dir.path());
        LoadConfig(state.config, state.gateway, state.cipher, state.dataDir);
        QCOMPARE(state.gateway.Mail, kDemoMail);
        QCOMPARE(state.gateway.Password, u"s3cr&t é"_s);
        QCOMPARE(state.config.Expediteur, u"Paul"_s);
        QVERIFY(state.config.WindowMaximized);
        QVERIFY(dir.read(u"Parlevo.cfg"_s).contains("Top=77"));
        QVERIFY(!dir.read(u"Parlevo.cfg"_s).contains("s3cr"));
        // The password's key is the e-mail beside it: the file is its owner's alone.
        QVERIFY(isOwnerOnly(dir.filePath(u"Parlevo.cfg"_s)));

        // A new e-mail without a password re-keys the stored one.
        QCOMPARE(cli({u"account"_s, u"--data-dir"_s, dir.path(), u"--email"_s, u"other@parlevo.test"_s}).status, 0);
        LoadConfig(state.config, state.gateway, state.cipher, state.dataDir);
        QCOMPARE(state.gateway.Mail, u"other@parlevo.test"_s);
        QCOMPARE(state.gateway.Password, u"s3cr&t é"_s);
    }

    // The proxy set here is the one a send then goes through, with its credentials; --clear-proxy
    // forgets it and leaves the account as it was.
    void accountSetsTheProxy()
    {
        SimulatorProcess sim(test::demoAccount(5) +
                             QStringList{u"--proxy"_s, u"--proxy-auth"_s, u"me:p@ss"_s, u"--verbose"_s});
        QVERIFY(sim.isRunning());
        m_gateway = sim.baseUrl();
        TestDataDir dir;
        QVERIFY(configureAccount(dir));
        const QString proxy = u"127.0.0.1:"_s + QString::number(sim.baseUrl().port());
        QCOMPARE(cli({u"account"_s, u"--data-dir"_s, dir.path(), u"--proxy"_s, proxy, u"--proxy-user"_s, u"me"_s,
                      u"--proxy-password-stdin"_s},
                     "p@ss\n")
                     .status,
                 0);
        QCOMPARE(
            cli({u"send"_s, u"--data-dir"_s, dir.path(), u"--to"_s, u"0612345678"_s, u"--message"_s, u"Un"_s}).status,
            0);
        QTRY_COMPARE(sim.log().count(u" GET "_s + sim.baseUrl().toString() + u"/http.php?"_s), 1);
        QCOMPARE(sim.log().count(u" GET "_s), 1);

        QCOMPARE(cli({u"account"_s, u"--data-dir"_s, dir.path(), u"--clear-proxy"_s}).status, 0);
        test::Parts state(dir.path());
        LoadConfig(state.config, state.gateway, state.cipher, state.dataDir);
        QVERIFY(!state.gateway.Proxy.isSet());
        QCOMPARE(state.gateway.Password, u"demo"_s);
    }

    void balanceAndSend()
    {
        SimulatorProcess sim(test::demoAccount(1250));
        QVERIFY(sim.isRunning());
        m_gateway = sim.baseUrl();
        TestDataDir dir;
        QVERIFY(configureAccount(dir));

        Run r = cli({u"balance"_s, u"--data-dir"_s, dir.path()});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out, u"1250\n"_s);

        // --to sends every digit of an international number, "+" as "00"; --from gives the sender. Before sending, one
        // line on standard error tells how the text sent is coded; standard output keeps the gateway's text.
        r = cli({u"send"_s, u"--data-dir"_s, dir.path(), u"--to"_s, u"+33 (6) 12-34-56-78-99"_s, u"--message"_s,
                 u"Ça coûte « trop »"_s, u"--from"_s, u"Zoé"_s});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out, u"Le message a été envoyé\n"_s);
        QCOMPARE(r.err, u"Unicode : 27 caractère(s), 1 SMS - Caractères qui imposent l'Unicode : û « »\n"_s);
        QCOMPARE(sim.outboxField(u"number"_s), QStringList{u"003361234567899"_s});
        QCOMPARE(sim.outboxField(u"text"_s), QStringList{u"De : Zoé, Ça coûte « trop »"_s});

        r = cli({u"send"_s, u"--data-dir"_s, dir.path(), u"--to"_s, u"0612345678"_s, u"--message"_s,
                 u"Rendez-vous & café"_s, u"--at"_s, u"2030-02-01 09:05"_s});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out, u"Le message est enregistré pour un envoi en différé\n"_s);
        QCOMPARE(sim.outboxField(u"deferred"_s), (QStringList{QString(), u"090501022030"_s}));
        QCOMPARE(sim.outboxField(u"text"_s).last(), u"Rendez-vous & café"_s);

        // Refused: the same number and text again within 24 hours.
        r = cli({u"send"_s, u"--data-dir"_s, dir.path(), u"--to"_s, u"0612345678"_s, u"--message"_s,
                 u"Rendez-vous & café"_s});
        QCOMPARE(r.status, 3);
        QCOMPARE(r.out, QString());
        QCOMPARE(r.err, u"GSM 7 bits : 18 caractère(s), 1 SMS\n"
                        u"Votre envoi de SMS a échoué à cause de :\n(91) 'Le message a déjà été envoyé à ce numéro "
                        u"dans les 24 dernières heures'\n"_s);

        r = cli({u"balance"_s, u"--data-dir"_s, dir.path()});
        QCOMPARE(r.out, u"1248\n"_s);
    }

    void wrongAccountAndUnreachableGateway()
    {
        SimulatorProcess sim(test::demoAccount(5));
        QVERIFY(sim.isRunning());
        m_gateway = sim.baseUrl();
        TestDataDir dir;
        QVERIFY(configureAccount(dir, u"wrong"_s));
        Run r = cli({u"balance"_s, u"--data-dir"_s, dir.path()});
        QCOMPARE(r.status, 2);
        QCOMPARE(r.err, u"information non disponible actuellement !\n"_s);
        r = cli({u"send"_s, u"--data-dir"_s, dir.path(), u"--to"_s, u"0612345678"_s, u"--message"_s, u"m"_s});
        QCOMPARE(r.status, 3);
        QVERIFY(r.err.contains(u"(82)"_s));

        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        m_gateway = QUrl(u"http://127.0.0.1:"_s + QString::number(closed.serverPort()));
        closed.close();
        r = cli({u"send"_s, u"--data-dir"_s, dir.path(), u"--to"_s, u"0612345678"_s, u"--message"_s, u"m"_s});
        QCOMPARE(r.status, 2);
        QCOMPARE(r.err,
                 u"GSM 7 bits : 1 caractère(s), 1 SMS\n"
                 u"Votre envoi de SMS a échoué à cause de :\nImpossible de joindre le serveur d'envoi de SMS !\n"_s);
        QCOMPARE(cli({u"balance"_s, u"--data-dir"_s, dir.path()}).status, 2);
    }

    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("no command") << QStringList{};
        QTest::newRow("unknown command") << QStringList{u"fly"_s};
        QTest::newRow("unknown option") << QStringList{u"balance"_s, u"--fast"_s};
        QTest::newRow("send without number") << QStringList{u"send"_s, u"--message"_s, u"m"_s};
        QTest::newRow("send with a number without digits")
            << QStringList{u"send"_s, u"--to"_s, u"Paul"_s, u"--message"_s, u"m"_s};
        QTest::newRow("send without message") << QStringList{u"send"_s, u"--to"_s, u"0612345678"_s};
        QTest::newRow("bad --at") << QStringList{u"send"_s, u"--to"_s, u"0612345678"_s,      u"--message"_s,
                                                 u"m"_s,    u"--at"_s, u"2030-02-30 09:05"_s};
        QTest::newRow("--at in the past") << QStringList{u"send"_s, u"--to"_s, u"0612345678"_s,      u"--message"_s,
                                                         u"m"_s,    u"--at"_s, u"2020-01-01 09:05"_s};
        QTest::newRow("account without e-mail") << QStringList{u"account"_s};
        // An empty password would leave a cipher text that no longer deciphers.
        QTest::newRow("account with an empty password")
            << QStringList{u"account"_s, u"--email"_s, u"a@b.c"_s, u"--password-stdin"_s};
        QTest::newRow("--proxy with a path") << QStringList{u"account"_s, u"--proxy"_s, u"proxy.lan:3128/x"_s};
        QTest::newRow("--proxy-user without --proxy") << QStringList{u"account"_s, u"--proxy-user"_s, u"me"_s};
        QTest::newRow("data-dir without value") << QStringList{u"--data-dir"_s};
    }
    void usageErrors()
    {
        QFETCH(QStringList, arguments);
        TestDataDir dir;
        m_gateway = QUrl(u"http://127.0.0.1:1"_s);
        const Run r = cli(arguments.isEmpty() || arguments == QStringList{u"--data-dir"_s}
                              ? arguments
                              : arguments + QStringList{u"--data-dir"_s, dir.path()});
        QCOMPARE(r.status, 64);
        QVERIFY(!r.err.isEmpty());
        QVERIFY(!QFile::exists(dir.filePath(u"Parlevo.cfg"_s)));
    }

    // The password is held in clear in memory: the tool never leaves a core file of itself.
    void noCoreFile()
    {
#ifdef Q_OS_LINUX
        rlimit limit{};
        QVERIFY(getrlimit(RLIMIT_CORE, &limit) == 0);
        if (limit.rlim_max == 0)
            QSKIP("core files are off for every process here: nothing to turn off");
        const rlimit previous = limit;
        limit.rlim_cur = limit.rlim_max;
        QVERIFY(setrlimit(RLIMIT_CORE, &limit) == 0); // inherited by the tool
        TestDataDir dir;
        QProcess tool;
        tool.start(parlevo::test::cliProgram(),
                   {u"account"_s, u"--data-dir"_s, dir.path(), u"--email"_s, kDemoMail, u"--password-stdin"_s});
        setrlimit(RLIMIT_CORE, &previous);
        QVERIFY(tool.waitForStarted());
        // While it waits for the password, its own limit can be read.
        const auto coreLimit = [&tool] {
            QFile limits(u"/proc/%1/limits"_s.arg(tool.processId()));
            if (!limits.open(QIODevice::ReadOnly))
                return QByteArray();
            for (const QByteArray &line : limits.readAll().split('\n')) {
                if (line.startsWith("Max core file size"))
                    return line.mid(26).simplified().split(' ').value(0);
            }
            return QByteArray();
        };
        QTRY_COMPARE_WITH_TIMEOUT(coreLimit(), QByteArray("0"), 10000);
        tool.write("demo\n");
        tool.closeWriteChannel();
        QVERIFY(tool.waitForFinished());
#else
        QSKIP("reads the tool's limits from /proc");
#endif
    }

    void helpOnEveryCommand()
    {
        for (const QStringList &arguments : {QStringList{u"--help"_s}, QStringList{u"balance"_s, u"--help"_s},
                                             QStringList{u"send"_s, u"--help"_s}, QStringList{u"account"_s, u"-h"_s}}) {
            const Run r = cli(arguments);
            QCOMPARE(r.status, 0);
            QVERIFY2(r.out.startsWith(u"Usage: parlevo-cli"_s), qPrintable(r.out));
        }
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "test_cli.moc"
