#include "app/appstate.h"
#include "app/mdiformmain.h"
#include "gateway/classsendora.h"
#include "simulatorprocess.h"
#include "testdatadir.h"

#include <QLabel>
#include <QTest>
#include <QTimer>

using namespace parlevo;

// The credit panel against the real gateway simulator: what the status bar shows and which
// requests reach the gateway.
class TestMainWindowGateway : public QObject {
    Q_OBJECT
private slots:
    void creditPanelFollowsTheGateway()
    {
        test::SimulatorProcess sim({u"--account"_qs, u"demo@parlevo.test:demo:1250"_qs, u"--verbose"_qs});
        QVERIFY(sim.isRunning());
        test::TestDataDir dir;
        AppState state(dir.path());
        state.Gateway().setBaseUrl(sim.baseUrl());
        state.Gateway().Mail = u"demo@parlevo.test"_qs;
        state.Gateway().Password = u"demo"_qs;

        QTime now(9, 15, 3);
        MainWindowHooks hooks;
        hooks.clock = [&now] { return now; };
        MDIForm_Main window(state, std::move(hooks));
        auto *timer = window.findChild<QTimer *>(u"TimerHeure"_qs);
        timer->stop(); // ticks come from the test
        const auto panel = [&window] { return window.findChild<QLabel *>(u"LabelSolde"_qs)->text(); };
        QCOMPARE(panel(), u"---"_qs);

        // The first ten-second boundary asks the gateway; "1 250" on the page reads as 1250.
        now = QTime(9, 15, 10);
        QVERIFY(QMetaObject::invokeMethod(timer, "timeout"));
        QTRY_COMPARE(panel(), u"Nombre de SMS restant sur votre compte : 1250"_qs);
        QCOMPARE(sim.log().count(u"/soldes_logiciel.php?email=demo%40parlevo.test&pass=demo"_qs), 1);

        // Without a password the panel says the credit is unavailable and no request is made.
        state.Gateway().Password.clear();
        window.MAJ_SoldeSMS();
        QCOMPARE(panel(), u"Nombre de SMS restant sur votre compte : information non disponible actuellement !"_qs);
        QCOMPARE(sim.log().count(u"/soldes_logiciel.php"_qs), 1);
    }
};

QTEST_MAIN(TestMainWindowGateway)
#include "test_mainwindow_gateway.moc"
