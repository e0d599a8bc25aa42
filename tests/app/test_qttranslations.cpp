#include "app/startup.h"

#include <QApplication>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;

using namespace parlevo;

// Runs under LANG=C: whatever the machine's language, Qt's own texts follow the interface's.
class TestQtTranslations : public QObject {
    Q_OBJECT
private slots:
    void standardTextsFollowTheInterface_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<bool>("needsFile");
        QTest::addColumn<QString>("yes");
        QTest::addColumn<QString>("no");
        QTest::addColumn<QString>("december");
        QTest::newRow("French") << u"French"_s << true << u"Oui"_s << u"Non"_s << u"décembre"_s;
        QTest::newRow("English") << u"English"_s << false << u"Yes"_s << u"No"_s << u"December"_s;
        // A language Qt does not know keeps the built-in texts' French.
        QTest::newRow("unknown") << u"Nowhereish"_s << true << u"Oui"_s << u"Non"_s << u"décembre"_s;
        // Back to English after French: the French translation does not stay behind.
        QTest::newRow("English again") << u"English"_s << false << u"Yes"_s << u"No"_s << u"December"_s;
    }
    void standardTextsFollowTheInterface()
    {
        QFETCH(QString, language);
        QFETCH(bool, needsFile);
        QFETCH(QString, yes);
        QFETCH(QString, no);
        QFETCH(QString, december);
        QCOMPARE(QLocale::system().name(), u"C"_s);
        const bool loaded = installQtTranslations(language);
        if (needsFile)
            QVERIFY2(loaded, "no qtbase translation found (package qt6-translations-l10n)");
        QMessageBox box(QMessageBox::Question, u"Parlevo"_s, u"?"_s, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(box.button(QMessageBox::Yes)->text().remove(u'&'), yes);
        QCOMPARE(box.button(QMessageBox::No)->text().remove(u'&'), no);
        QCOMPARE(QLocale().monthName(12), december);
    }
};

QTEST_MAIN(TestQtTranslations)
#include "test_qttranslations.moc"
