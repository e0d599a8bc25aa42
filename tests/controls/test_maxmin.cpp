#include "controls/maxmin.h"

#include <QSignalSpy>
#include <QTest>

using namespace parlevo;

class TestMaxMin : public QObject {
    Q_OBJECT
private slots:
    void limitsAppliedAndRemoved()
    {
        QWidget window;
        window.setMinimumSize(20, 10);
        auto *limiter = new MaxMin(&window);
        limiter->setMinWidth(200);
        limiter->setMinHeight(150);
        limiter->setMaxWidth(400);
        limiter->setMaxHeight(300);
        window.resize(1000, 1000);
        QCOMPARE(window.size(), QSize(400, 300));
        window.resize(10, 10);
        QCOMPARE(window.size(), QSize(200, 150));

        limiter->setEnabled(false);
        QCOMPARE(window.minimumSize(), QSize(20, 10));
        QCOMPARE(window.maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
        window.resize(1000, 1000);
        QCOMPARE(window.size(), QSize(1000, 1000));

        limiter->setEnabled(true);
        QCOMPARE(window.size(), QSize(400, 300));
        QCOMPARE(window.minimumSize(), QSize(200, 150));
    }

    // The platform's application-state reports are simulated through the signal Qt raises for them.
    void activationReportedOncePerChange()
    {
        QWidget window;
        auto *limiter = new MaxMin(&window);
        QSignalSpy activated(limiter, &MaxMin::Activate);
        QSignalSpy deactivated(limiter, &MaxMin::Deactivate);
        auto report = [](Qt::ApplicationState state) { emit qGuiApp->applicationStateChanged(state); };
        report(Qt::ApplicationInactive);
        deactivated.clear();

        report(Qt::ApplicationActive);
        QCOMPARE(activated.count(), 1);
        report(Qt::ApplicationInactive);
        report(Qt::ApplicationHidden);
        QCOMPARE(deactivated.count(), 1);
        report(Qt::ApplicationActive);
        report(Qt::ApplicationActive);
        QCOMPARE(activated.count(), 2);

        limiter->setEnabled(false);
        report(Qt::ApplicationInactive);
        report(Qt::ApplicationActive);
        QCOMPARE(activated.count(), 2);
        QCOMPARE(deactivated.count(), 1);
    }
};

QTEST_MAIN(TestMaxMin)
#include "test_maxmin.moc"
