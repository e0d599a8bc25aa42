// Numbers read with the phone numbering plans: kinds, international form, one number written
// several ways, the opt-out list and its file.
#include "addressbook/addressbook.h"
#include "addressbook/numberinput.h"
#include "addressbook/optoutlist.h"
#include "addressbook/phonecheck.h"
#include "base/datadir.h"
#include "testdatadir.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace parlevo;

Q_DECLARE_METATYPE(parlevo::NumberKind)

class TestPhoneCheck : public QObject {
    Q_OBJECT
private slots:
    void readsNumbers_data()
    {
        QTest::addColumn<QString>("region");
        QTest::addColumn<QString>("number");
        QTest::addColumn<NumberKind>("kind");
        QTest::addColumn<QString>("e164");
        const auto mobile = NumberKind::Mobile;
        const auto fixed = NumberKind::Fixed;
        const auto invalid = NumberKind::Invalid;
        QTest::newRow("fr mobile blanks") << u"FR"_s << u"06 12 34 56 78"_s << mobile << u"+33612345678"_s;
        QTest::newRow("fr mobile dots") << u"FR"_s << u"07.81.23.45.67"_s << mobile << u"+33781234567"_s;
        QTest::newRow("fr mobile 00") << u"FR"_s << u"0033 6 12 34 56 78"_s << mobile << u"+33612345678"_s;
        QTest::newRow("fr landline") << u"FR"_s << u"01 23 45 67 89"_s << fixed << u"+33123456789"_s;
        QTest::newRow("fr toll-free") << u"FR"_s << u"0 800 12 34 56"_s << NumberKind::Other << u"+33800123456"_s;
        QTest::newRow("fr too short") << u"FR"_s << u"0612"_s << invalid << QString();
        QTest::newRow("fr too long") << u"FR"_s << u"+33 6 12 34 56 78 9"_s << invalid << QString();
        QTest::newRow("no digit") << u"FR"_s << u"abc"_s << invalid << QString();
        QTest::newRow("uk mobile") << u"FR"_s << u"+44 7911 123456"_s << mobile << u"+447911123456"_s;
        QTest::newRow("be mobile") << u"FR"_s << u"0032 470 12 34 56"_s << mobile << u"+32470123456"_s;
        QTest::newRow("us either") << u"FR"_s << u"+1 650 253 0000"_s << mobile << u"+16502530000"_s;
        QTest::newRow("de landline") << u"FR"_s << u"+49 30 1234567"_s << fixed << u"+49301234567"_s;
        QTest::newRow("national in de") << u"DE"_s << u"030 1234567"_s << fixed << u"+49301234567"_s;
        QTest::newRow("italian zero") << u"FR"_s << u"+39 06 1234 5678"_s << fixed << u"+390612345678"_s;
        QTest::newRow("unknown region") << u"XX"_s << u"06 12 34 56 78"_s << mobile << u"+33612345678"_s;
    }
    void readsNumbers()
    {
        QFETCH(QString, region);
        QFETCH(QString, number);
        QFETCH(NumberKind, kind);
        QFETCH(QString, e164);
        PhoneCheck check(region);
        QCOMPARE(check.kind(number), kind);
        QCOMPARE(check.normalise(number), e164);
    }

    // The number stored from the number typed or found in a file, with what the import report tells.
    void readsNumbersIn_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("changed");
        QTest::addColumn<bool>("unreadable");
        QTest::newRow("french as typed") << u"06 12 34 56 78"_s << u"06 12 34 56 78"_s << false << false;
        QTest::newRow("00 as typed") << u"0033 6 12 34 56 78"_s << u"0033 6 12 34 56 78"_s << false << false;
        QTest::newRow("plus") << u"+33 6 12 34 56 78"_s << u"0033612345678"_s << true << false;
        QTest::newRow("plus foreign") << u"+44 7911 123456"_s << u"00447911123456"_s << true << false;
        QTest::newRow("plus (0)") << u"+33 (0)6 55 44 33 22"_s << u"0033655443322"_s << true << false;
        QTest::newRow("00 (0)") << u"0033 (0)6 55 44 33 22"_s << u"0033655443322"_s << true << false;
        QTest::newRow("missing 0") << u"658202938"_s << u"0658202938"_s << true << false;
        QTest::newRow("missing 0 and +") << u"33 6 12 34 56 78"_s << u"0612345678"_s << true << false;
        QTest::newRow("google two") << u"06 21 31 41 51 ::: 07 88 77 66 55"_s << u"06 21 31 41 51"_s << true << false;
        QTest::newRow("landline then mobile")
            << u"01 23 45 67 89 / +33 7 88 77 66 55"_s << u"0033788776655"_s << true << false;
        QTest::newRow("semicolon two") << u"0612345678; 0788776655"_s << u"0612345678"_s << true << false;
        QTest::newRow("one number slashed") << u"06 12 / 34 56 78"_s << u"06 12 / 34 56 78"_s << false << false;
        QTest::newRow("garbage") << u"n/a"_s << u"n/a"_s << false << true;
        QTest::newRow("too short plus") << u"+33 6"_s << u"+33 6"_s << false << true;
        QTest::newRow("empty") << QString() << QString() << false << false;
    }

    void readsNumbersIn()
    {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        QFETCH(bool, changed);
        QFETCH(bool, unreadable);
        PhoneCheck check(u"FR"_s);
        const NumberInput input = readNumberInput(check, typed);
        QCOMPARE(input.number, stored);
        QCOMPARE(input.changed, changed);
        QCOMPARE(input.unreadable, unreadable);
    }

    void regionFollowsLocale()
    {
        QCOMPARE(PhoneCheck::regionOf(QLocale(QLocale::German, QLocale::Switzerland)), u"CH"_s);
        QCOMPARE(PhoneCheck::regionOf(QLocale::c()), u"FR"_s);
    }

    // The opt-out list's quick key is the library's key, for the spellings it works out itself and
    // for those it leaves to the library, in regions with a quick reading and without.
    void quickMatchKeyIsTheLibrarys()
    {
        const QStringList spellings{u"06 12 34 56 78"_s,
                                    u"0612"_s,
                                    u"+33 6 12 34 56 78"_s,
                                    u"+33 (0)6 12 34 56 78"_s,
                                    u"0033612345678"_s,
                                    u"00330612345678"_s,
                                    u"+44 7911 123456"_s,
                                    u"07911 123456"_s,
                                    u"0044 7911 123456"_s,
                                    u"+49 30 123456"_s,
                                    u"030 123456"_s,
                                    u"+41 44 668 18 00"_s,
                                    u"044 668 18 00"_s,
                                    u"+377 93 15 20 00"_s,
                                    u"+31 20 123 4567"_s,
                                    u"+32 2 555 12 12"_s,
                                    u"01"_s,
                                    u"0123"_s,
                                    u"+3"_s,
                                    u"+330"_s,
                                    u"+33"_s,
                                    u"00"_s,
                                    u"+1 202 555 0143"_s,
                                    u"+39 06 1234 5678"_s,
                                    u"0 6"_s,
                                    u"+4407911123456"_s,
                                    u"+49 0030 1234"_s,
                                    u"12345"_s,
                                    u"+0612"_s,
                                    u"0330612345678"_s,
                                    u"06 12 34 56 78 90 12 34 56 78"_s,
                                    u"+33 61"_s,
                                    u"0612345"_s,
                                    u"06123456789"_s,
                                    u"+352 621 123 456"_s,
                                    u"0800 123 456"_s};
        for (const QString &region :
             {u"FR"_s, u"GB"_s, u"DE"_s, u"BE"_s, u"CH"_s, u"NL"_s, u"MC"_s, u"LU"_s, u"US"_s}) {
            PhoneCheck quick(region);
            PhoneCheck library(region);
            for (const QString &number : spellings)
                QVERIFY2(quick.quickMatchKey(number) == library.matchKey(number),
                         qPrintable(region + u": "_s + number + u" -> "_s + quick.quickMatchKey(number) +
                                    u" instead of "_s + library.matchKey(number)));
        }
    }

    // Invalid, not mobile, repeats however written (an invalid number by its digits), opted out;
    // then the rows a run leaves out, once per number or at every row, with or without the numbers
    // that are not valid mobile ones.
    void checksAMailing()
    {
        PhoneCheck check(u"FR"_s);
        OptOutList optOuts(check);
        QVERIFY(optOuts.add(u"0044 7911 123456"_s));
        const QStringList numbers{u"06 12 34 56 78"_s,     u"01 23 45 67 89"_s,  u"+33612345678"_s, u"0612"_s,
                                  u"0033 6 12 34 56 78"_s, u"+44 7911 123456"_s, u"06.12"_s};
        const NumberCheck result = checkNumbers(check, numbers, &optOuts);
        QCOMPARE(result.invalid, (std::vector<qsizetype>{3, 6}));
        QCOMPARE(result.notMobile, (std::vector<qsizetype>{1}));
        QCOMPARE(result.duplicates, (std::vector<std::vector<qsizetype>>{{0, 2, 4}, {3, 6}}));
        QCOMPARE(result.optedOut, (std::vector<qsizetype>{5}));
        QCOMPARE(result.repeatCount(), 3);

        using enum RowSkip;
        QCOMPARE(skippedRows(result, numbers.size(), true),
                 (std::vector<RowSkip>{None, None, Repeat, None, Repeat, OptedOut, Repeat}));
        QCOMPARE(skippedRows(result, numbers.size(), false),
                 (std::vector<RowSkip>{None, None, None, None, None, OptedOut, None}));
        // Leaving out what is not a valid mobile number: an opted-out row keeps its reason, an invalid
        // repeat is told as invalid.
        QCOMPARE(skippedRows(result, numbers.size(), true, true),
                 (std::vector<RowSkip>{None, Invalid, Repeat, Invalid, Repeat, OptedOut, Invalid}));
    }

    // Read: blanks trimmed, blank and damaged lines skipped, a repeat under another spelling
    // dropped. Written back in Windows-1252 with CR LF; the start-up copy is the file as found.
    void optOutFileRoundTrip()
    {
        test::TestDataDir dir;
        const QByteArray found = "06 12 34 56 78\r\n\r\n  +33 6 12 34 56 78 \r\n\xe9;;\x01\r\n0033 1 23 45 67 89\n"
                                 "07 81 23 45 67";
        QVERIFY(dir.write(QString::fromUtf16(kOptOutFileName), found));
        DataDir data(dir.path());
        AddressBook book(data);
        QVERIFY(Charge_Desinscrits(book));
        QCOMPARE(dir.read(QString::fromUtf16(kOptOutBackupName)), found);
        OptOutList &list = book.optOuts();
        QCOMPARE(list.numbers(), (QStringList{u"06 12 34 56 78"_s, u"0033 1 23 45 67 89"_s, u"07 81 23 45 67"_s}));
        QVERIFY(list.contains(u"+33612345678"_s));
        QVERIFY(!list.add(u"0612345678"_s));
        QVERIFY(list.remove(u"01.23.45.67.89"_s));
        QVERIFY(!list.remove(u"01.23.45.67.89"_s));
        QVERIFY(list.add(u"+44 7911 123456"_s));
        QVERIFY(Sauve_Desinscrits(book));
        QCOMPARE(dir.read(QString::fromUtf16(kOptOutFileName)),
                 QByteArray("06 12 34 56 78\r\n07 81 23 45 67\r\n+44 7911 123456\r\n"));

        list.setNumbers({});
        QVERIFY(Sauve_Desinscrits(book));
        QVERIFY(!QFile::exists(dir.filePath(QString::fromUtf16(kOptOutFileName))));
    }
};

QTEST_GUILESS_MAIN(TestPhoneCheck)
#include "test_phonecheck.moc"
