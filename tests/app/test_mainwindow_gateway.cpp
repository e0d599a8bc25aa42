#include "app/appstate.h"
#include "app/mdiformmain.h"
#include "base/messagebox.h"
#include "base/txt.h"
#include "contactfixtures.h"
#include "gateway/classsendora.h"
#include "sending/sendjournal.h"
#include "simulatorprocess.h"
#include "testdatadir.h"

#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

using namespace parlevo;

// The credit panel against the real gateway simulator: what the status bar shows and which
// requests reach the gateway.
class TestMainWindowGateway : public QObject {
    Q_OBJECT
private slots:
    void creditPanelFollowsTheGateway()
    {
        test::SimulatorProcess sim(test::demoAccount(1250) + QStringList{u"--verbose"_s});
        QVERIFY(sim.isRunning());
        test::TestDataDir dir;
        AppState state(dir.path());
        sim.connect(state.Gateway());

        QTime now(9, 15, 3);
        MainWindowHooks hooks;
        hooks.clock = [&now] { return now; };
        MDIForm_Main window(state, std::move(hooks));
        auto *timer = window.findChild<QTimer *>(u"TimerHeure"_s);
        timer->stop(); // ticks come from the test
        const auto panel = [&window] { return window.findChild<QLabel *>(u"LabelSolde"_s)->text(); };
        QCOMPARE(panel(), u"---"_s);

        // The first ten-second boundary asks the gateway; "1 250" on the page reads as 1250.
        now = QTime(9, 15, 10);
        QVERIFY(QMetaObject::invokeMethod(timer, "timeout"));
        QTRY_COMPARE(panel(), u"Nombre de SMS restant sur votre compte : 1250"_s);
        QCOMPARE(sim.log().count(u"/soldes_logiciel.php?email=demo%40parlevo.test&pass=demo"_s), 1);

        // Without a password the panel says the credit is unavailable and no request is made.
        state.Gateway().Password.clear();
        window.MAJ_SoldeSMS();
        QTRY_COMPARE(panel(), u"Nombre de SMS restant sur votre compte : information non disponible actuellement !"_s);
        QCOMPARE(sim.log().count(u"/soldes_logiciel.php"_s), 1);

        // The password typed again in the preferences: one query, once the typing has paused.
        window.KXB_Prefs_Click();
        QTest::keyClicks(window.findChild<QLineEdit *>(u"Text_SendoraPassword"_s), u"demo"_s);
        QCOMPARE(sim.log().count(u"/soldes_logiciel.php"_s), 1);
        QTRY_COMPARE_WITH_TIMEOUT(panel(), u"Nombre de SMS restant sur votre compte : 1250"_s, 3000);
        QCOMPARE(sim.log().count(u"/soldes_logiciel.php"_s), 2);
    }

    // A run cut short is offered at start-up only when no other process sends it, under its own
    // decisions (its number written another way is not sent again); the close question holds
    // its SMS back while it is read, and Non lets the run go on.
    void interruptedRunOfferedOnceAndHeldWhileAsked()
    {
        test::SimulatorProcess sim(test::demoAccount(1000) + QStringList{u"--delay-ms"_s, u"100"_s});
        test::TestDataDir dir;
        AppState state(dir.path());
        sim.connect(state.Gateway());
        state.config().ParallelRequests = 1;
        JournalHead head{QString(), QDateTime(), QString(), u"Bonjour {prenom}"_s, QString(), {}};
        head.policy = NumberPolicy::OncePerNumber;
        head.region = u"FR"_s;
        for (int i = 0; i < 12; ++i) {
            const QString phone = i == 6 ? u"+33 6 00 00 00 00"_s : u"06000000%1"_s.arg(i, 2, 10, QChar(u'0'));
            head.rows.push_back(test::makeContact({.Prenom = u"P%1"_s.arg(i), .Nom = u"N"_s, .Phone = phone}));
        }
        QString error;
        {
            const auto journal = SendJournal::create(state.dataDir(), head, &error);
            QVERIFY2(journal, qPrintable(error));
            const std::vector<qsizetype> first{0};
            QVERIFY(journal->recordStarted(first));
            QVERIFY(journal->recordDone(0, {80, SendOutcome::Accepted}));
        }
        const QString path = *interruptedJournal(state.dataDir(), true);

        QList<QString> asked;
        qsizetype sentWhileAsked = -1;
        const MessageBoxHandler previous = setMessageBoxHandler([&](const QString &text, int) {
            asked.append(text);
            if (text != state.Textes(Txt::StopMailingAndQuit))
                return int(vbYes);
            const qsizetype before = sim.outbox().size();
            QTest::qWait(600);
            sentWhileAsked = sim.outbox().size() - before;
            return int(vbNo);
        });
        MDIForm_Main window(state, MainWindowHooks{});
        {
            HoldFailure failure{};
            const auto held = holdRun(state.dataDir(), path, &failure, &error);
            QVERIFY(held);
            window.offerInterruptedRun();
            QVERIFY(asked.isEmpty());
        }
        QTimer::singleShot(400, &window, [&window] { window.close(); });
        window.offerInterruptedRun();
        QTRY_VERIFY_WITH_TIMEOUT(!window.loadedActivity(Activity::Mailing)->isRunning(), 20000);
        setMessageBoxHandler(previous);
        QCOMPARE(asked.size(), 2);
        QVERIFY(asked[0].contains(u"10 SMS sur 12"_s));
        QVERIFY(sentWhileAsked >= 0 && sentWhileAsked <= 1);
        QStringList expected;
        for (int i = 1; i < 12; ++i) {
            if (i != 6)
                expected.append(u"06000000%1"_s.arg(i, 2, 10, QChar(u'0')));
        }
        QCOMPARE(sim.outboxField(u"number"_s), expected);
        QVERIFY(!interruptedJournal(state.dataDir(), false));
    }
};

QTEST_MAIN(TestMainWindowGateway)
#include "test_mainwindow_gateway.moc"
