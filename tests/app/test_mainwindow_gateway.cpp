#include "app/mdiformmain.h"
#include "base/appstate.h"
#include "gateway/classsendora.h"
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
        QCOMPARE(panel(), u"Nombre de SMS restant sur votre compte : information non disponible actuellement !"_s);
        QCOMPARE(sim.log().count(u"/soldes_logiciel.php"_s), 1);

        // The password typed again in the preferences: one query, once the typing has paused.
        window.KXB_Prefs_Click();
        QTest::keyClicks(window.findChild<QLineEdit *>(u"Text_SendoraPassword"_s), u"demo"_s);
        QCOMPARE(sim.log().count(u"/soldes_logiciel.php"_s), 1);
        QTRY_COMPARE_WITH_TIMEOUT(panel(), u"Nombre de SMS restant sur votre compte : 1250"_s, 3000);
        QCOMPARE(sim.log().count(u"/soldes_logiciel.php"_s), 2);
    }
};

QTEST_MAIN(TestMainWindowGateway)
#include "test_mainwindow_gateway.moc"
