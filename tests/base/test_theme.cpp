#include "base/theme.h"

#include <QPalette>
#include <QTest>

using namespace parlevo;

class TestTheme : public QObject {
    Q_OBJECT
private slots:
    void legibility()
    {
        QCOMPARE(qRound(contrastRatio(Qt::black, Qt::white)), 21);
        const QColor night(0x2b, 0x2d, 0x31), linkBlue(0x00, 0x00, 0xC0), lightLink(0x7a, 0xb4, 0xff);
        QCOMPARE(legibleOn(linkBlue, Qt::white), linkBlue);
        QCOMPARE(legibleOn(linkBlue, night, lightLink), lightLink);
        QCOMPARE(legibleOn(linkBlue, night, QColor(0x10, 0x10, 0x40)), QColor(Qt::white));
        QCOMPARE(readableOn(QColor(0xDD, 0xFF, 0xFF)), QColor(Qt::black));
    }

    // On a dark desktop every text the decoration draws reads on the card and the status bar.
    void darkPaletteColours()
    {
        QPalette dark(QColor(0x35, 0x37, 0x3b), QColor(0x2b, 0x2d, 0x31));
        dark.setColor(QPalette::WindowText, QColor(0xe6, 0xe6, 0xe6));
        dark.setColor(QPalette::Link, QColor(0x00, 0x00, 0xC0));
        QVERIFY(isDarkPalette(dark));
        const ThemeColors c = themeColors(dark);
        for (const QColor &text : {c.title, c.heading, c.muted})
            QVERIFY2(contrastRatio(text, c.card) >= 3.0, qPrintable(text.name()));
        QVERIFY(contrastRatio(c.statusText, c.statusBack) >= 3.0);

        const QPalette light(QColor(0xef, 0xef, 0xef), QColor(0xef, 0xef, 0xef));
        QVERIFY(!isDarkPalette(light));
        QCOMPARE(themeColors(light).card, QColor(Qt::white));
    }
};

QTEST_MAIN(TestTheme)
#include "test_theme.moc"
