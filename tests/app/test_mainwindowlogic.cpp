#include "app/mainwindowlogic.h"
#include "base/textes.h"
#include "base/windowplacement.h"

#include <QLocale>
#include <QTest>

using namespace Qt::StringLiterals;

using namespace parlevo;

class TestMainWindowLogic : public QObject {
    Q_OBJECT
private slots:
    void soldePanel_data()
    {
        QTest::addColumn<QString>("solde");
        QTest::addColumn<QString>("panel");
        QTest::newRow("credit") << u"120"_s << u"Nombre de SMS restant sur votre compte : 120"_s;
        QTest::newRow("zero") << u"0"_s << u"Nombre de SMS restant sur votre compte : 0"_s;
        QTest::newRow("unavailable")
            << QString() << u"Nombre de SMS restant sur votre compte : information non disponible actuellement !"_s;
        QTest::newRow("unknown marker")
            << u"---"_s << u"Nombre de SMS restant sur votre compte : information non disponible actuellement !"_s;
    }
    void soldePanel()
    {
        QFETCH(QString, solde);
        QFETCH(QString, panel);
        const TextTable textes;
        QCOMPARE(SoldePanelText(textes, solde), panel);
    }

    void refreshDue_data()
    {
        QTest::addColumn<QString>("panel");
        QTest::addColumn<QTime>("previous");
        QTest::addColumn<QTime>("now");
        QTest::addColumn<bool>("due");
        const QString unknown = u"---"_s;
        const QString known = u"Nombre de SMS restant sur votre compte : 120"_s;
        QTest::newRow("first tick on a ten") << unknown << QTime() << QTime(9, 15, 30) << true;
        QTest::newRow("first tick off a ten") << unknown << QTime() << QTime(9, 15, 31) << false;
        QTest::newRow("unknown, ten reached") << unknown << QTime(9, 15, 19) << QTime(9, 15, 20) << true;
        QTest::newRow("unknown, between tens") << unknown << QTime(9, 15, 21) << QTime(9, 15, 22) << false;
        QTest::newRow("unknown, late tick skipped the ten") << unknown << QTime(9, 15, 19) << QTime(9, 15, 21) << true;
        QTest::newRow("known, ten reached") << known << QTime(9, 15, 19) << QTime(9, 15, 20) << false;
        QTest::newRow("known, minute reached") << known << QTime(9, 15, 59) << QTime(9, 16, 0) << true;
        QTest::newRow("known, late tick skipped the minute") << known << QTime(9, 15, 59) << QTime(9, 16, 1) << true;
        QTest::newRow("same second twice") << known << QTime(9, 16, 0, 100) << QTime(9, 16, 0, 900) << false;
        QTest::newRow("midnight") << known << QTime(23, 59, 59) << QTime(0, 0, 0) << true;
        QTest::newRow("unavailable sentence is not the marker")
            << u"Nombre de SMS restant sur votre compte : information non disponible actuellement !"_s
            << QTime(9, 15, 9) << QTime(9, 15, 10) << false;
    }
    void refreshDue()
    {
        QFETCH(QString, panel);
        QFETCH(QTime, previous);
        QFETCH(QTime, now);
        QFETCH(bool, due);
        QCOMPARE(SoldeRefreshDue(panel, previous, now), due);
    }

    void clockText_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("text");
        QTest::newRow("French") << QLocale(QLocale::French, QLocale::France) << u"14:05:09"_s;
        QTest::newRow("English (US)") << QLocale(QLocale::English, QLocale::UnitedStates) << u"2:05:09 PM"_s;
    }
    void clockText()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, text);
        // Newer locale data (Qt 6.8) puts a narrow no-break space before AM and PM, older a space.
        QCOMPARE(ClockText(QTime(14, 5, 9), locale).replace(QChar(0x202F), u' '), text);
    }

    void twips_data()
    {
        QTest::addColumn<double>("dpi");
        QTest::addColumn<int>("twips");
        QTest::addColumn<int>("pixels");
        QTest::newRow("96 dpi") << 96.0 << 8910 << 594;
        QTest::newRow("120 dpi") << 120.0 << 8055 << 671;
        QTest::newRow("negative") << 96.0 << -1500 << -100;
    }
    void twips()
    {
        QFETCH(double, dpi);
        QFETCH(int, twips);
        QFETCH(int, pixels);
        QCOMPARE(twipsToPixels(twips, dpi), pixels);
        QCOMPARE(twipsToPixels(pixelsToTwips(pixels, dpi), dpi), pixels);
    }

    void keepOnScreen_data()
    {
        QTest::addColumn<QRect>("saved");
        QTest::addColumn<QRect>("placed");
        // Two monitors side by side; the primary one's work area leaves room for a task bar.
        QTest::newRow("on the primary") << QRect(100, 80, 600, 500) << QRect(100, 80, 600, 500);
        QTest::newRow("on the second") << QRect(2000, 100, 600, 500) << QRect(2000, 100, 600, 500);
        QTest::newRow("across both") << QRect(1700, 100, 600, 500) << QRect(1700, 100, 600, 500);
        QTest::newRow("mostly off, title bar reachable") << QRect(-550, -10, 600, 500) << QRect(-550, -10, 600, 500);
        QTest::newRow("monitor unplugged") << QRect(4000, 300, 600, 500) << QRect(660, 270, 600, 500);
        QTest::newRow("only a sliver shows") << QRect(-590, 100, 600, 500) << QRect(660, 270, 600, 500);
        QTest::newRow("larger than the primary") << QRect(5000, 0, 3000, 2000) << QRect(0, 0, 1920, 1040);
    }
    void keepOnScreen()
    {
        QFETCH(QRect, saved);
        QFETCH(QRect, placed);
        const QRect primary(0, 0, 1920, 1080);
        const QRect second(1920, 0, 1280, 1024);
        QCOMPARE(parlevo::keepOnScreen(saved, {primary, second}, QRect(0, 0, 1920, 1040)), placed);
    }

    void geometryToSave_data()
    {
        QTest::addColumn<int>("states");
        QTest::addColumn<QRect>("saved");
        const QRect normal(120, 90, 640, 480);
        QTest::newRow("normal") << int(Qt::WindowNoState) << QRect(130, 95, 650, 490);
        QTest::newRow("minimised: parking position ignored") << int(Qt::WindowMinimized) << normal;
        QTest::newRow("maximised") << int(Qt::WindowMaximized) << normal;
        QTest::newRow("minimised from maximised") << int(Qt::WindowMinimized | Qt::WindowMaximized) << normal;
    }
    void geometryToSave()
    {
        QFETCH(int, states);
        QFETCH(QRect, saved);
        const QRect current = states == Qt::WindowNoState ? QRect(130, 95, 650, 490) : QRect(-32000, -32000, 160, 28);
        QCOMPARE(parlevo::geometryToSave(Qt::WindowStates(states), current, QRect(120, 90, 640, 480)), saved);
    }
};

QTEST_GUILESS_MAIN(TestMainWindowLogic)
#include "test_mainwindowlogic.moc"
