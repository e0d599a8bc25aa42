#include "app/mdiformmain.h"
#include "app/startup.h"
#include "base/windowplacement.h"
#include "controls/kxbutton.h"
#include "testdatadir.h"

#include <QScreen>
#include <QTest>

using namespace Qt::StringLiterals;

using namespace parlevo;

// The Quit button and the close box both save the configuration with the window's placement.
class TestQuit : public QObject {
    Q_OBJECT
private slots:
    void quitSavesPlacement_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("maximise");
        QTest::newRow("Quit button") << u"quit"_s << false;
        QTest::newRow("close box, maximised") << u"close"_s << true;
    }
    void quitSavesPlacement()
    {
        QFETCH(QString, how);
        QFETCH(bool, maximise);
        test::TestDataDir dir;
        QVERIFY(dir.write(u"Parlevo.cfg"_s, "[Parlevo]\r\nMaximized=0\r\nTop=1500\r\nLeft=3000\r\nWidth=9000\r\n"
                                            "Height=7500\r\n"));
        const double dpiX = QGuiApplication::primaryScreen()->logicalDotsPerInchX();
        const double dpiY = QGuiApplication::primaryScreen()->logicalDotsPerInchY();
        const QRect moved(40, 30, 620, 480);
        {
            Application application(dir.path());
            QVERIFY(application.start());
            MDIForm_Main *main = application.mainWindow();
            QVERIFY(QTest::qWaitForWindowExposed(main));
            QCOMPARE(main->geometry(), QRect(twipsToPixels(3000, dpiX), twipsToPixels(1500, dpiY),
                                             twipsToPixels(9000, dpiX), twipsToPixels(7500, dpiY)));
            main->setGeometry(moved);
            QTRY_COMPARE(main->geometry(), moved);
            if (maximise) {
                main->showMaximized();
                QTRY_VERIFY(main->isMaximized());
            }
            if (how == u"quit")
                QTest::mouseClick(main->findChild<KXButton *>(u"KXB_Quitter"_s), Qt::LeftButton);
            else
                QVERIFY(main->close());
            QTRY_VERIFY(!application.mainWindow());
        }
        const QByteArray file = dir.read(u"Parlevo.cfg"_s);
        QVERIFY(!file.isEmpty());
        if (maximise) {
            QVERIFY(file.contains("Maximized=1\r\n"));
            QVERIFY2(file.contains("Top=1500\r\nLeft=3000\r\nWidth=9000\r\nHeight=7500\r\n"), file.constData());
        } else {
            const QByteArray placement = "Maximized=0\r\nTop=" + QByteArray::number(pixelsToTwips(moved.top(), dpiY)) +
                                         "\r\nLeft=" + QByteArray::number(pixelsToTwips(moved.left(), dpiX)) +
                                         "\r\nWidth=" + QByteArray::number(pixelsToTwips(moved.width(), dpiX)) +
                                         "\r\nHeight=" + QByteArray::number(pixelsToTwips(moved.height(), dpiY)) +
                                         "\r\n";
            QVERIFY2(file.contains(placement), file.constData());
        }
    }
};

QTEST_MAIN(TestQuit)
#include "test_quit.moc"
