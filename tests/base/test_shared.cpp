#include "base/codec1252.h"
#include "base/csvtext.h"
#include "base/shared.h"
#include "testdatadir.h"

#include <QTest>

using namespace Qt::StringLiterals;

using namespace parlevo;

class TestShared : public QObject {
    Q_OBJECT
private slots:
    // A field a spreadsheet would run is written as text; our numbers are not touched; what our
    // readers take back is the field as it was, apostrophes of its own included.
    void csvFieldsAreNeverFormulas()
    {
        const QList<std::pair<QString, QString>> cases{
            {u"+SUM(A1) =1+1"_s, u"'+SUM(A1) =1+1"_s},
            {u"=1+1"_s, u"'=1+1"_s},
            {u"-2"_s, u"'-2"_s},
            {u"@cmd"_s, u"'@cmd"_s},
            {u"\tx"_s, u"'\tx"_s},
            {u"'=1"_s, u"''=1"_s},
            {u"0033612345678"_s, u"0033612345678"_s},
            {u"0612345678"_s, u"0612345678"_s},
            {u"l'=x"_s, u"l'=x"_s},
            {u"'plain"_s, u"'plain"_s},
            {QString(), QString()},
        };
        for (const auto &[field, written] : cases) {
            QCOMPARE(spreadsheetSafe(field), written);
            QCOMPARE(fromSpreadsheetSafe(written), field);
        }
        QCOMPARE(csvField(u"=a,b"_s), u"\"'=a,b\""_s);
    }
    void digitsOnly_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("digits");
        QTest::newRow("international") << u"+33 (0)6-12.34 56 78"_s << u"330612345678"_s;
        QTest::newRow("no digit") << u"Jean Dupont"_s << QString();
        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("fullwidth and superscript digits dropped") << u"１²3"_s << u"3"_s;
    }
    void digitsOnly()
    {
        QFETCH(QString, text);
        QFETCH(QString, digits);
        QCOMPARE(DigitsOnly(text), digits);
    }

    void unescapeNewlines()
    {
        QCOMPARE(UnescapeNewlines(u"a\\nb\\n"_s), u"a\nb\n"_s);
        QCOMPARE(UnescapeNewlines(u"a\\tb\\N\\"_s), u"a\\tb\\N\\"_s);
        QCOMPARE(UnescapeNewlines(u"\\\\n"_s), u"\\\n"_s);
        QCOMPARE(UnescapeNewlines(QString()), QString());
    }

    void fileExists()
    {
        test::TestDataDir dir;
        QVERIFY(dir.write(u"Contacts.lst"_s, "x"));
        QVERIFY(FileExists(dir.filePath(u"Contacts.lst"_s)));
        QVERIFY(FileExists(dir.path()));               // a directory counts
        QVERIFY(FileExists(dir.filePath(u"*.lst"_s))); // so does a wildcard match
        QVERIFY(!FileExists(dir.filePath(u"*.sms"_s)));
        QVERIFY(!FileExists(dir.filePath(u"Missing.lst"_s)));
        QVERIFY(!FileExists(QString()));
    }

    void windows1252Codec()
    {
        const QByteArray bytes("\x80\x9c\xe9\xff\x81 ok", 8);
        const QString text = decode1252(bytes);
        QCOMPARE(text, QString(u"€œéÿ\u0081 ok"_s));
        QCOMPARE(encode1252(text), bytes);
        // Outside the code page: one "?" per character, surrogate pairs included.
        QCOMPARE(encode1252(u"a\u4e2d😀b"_s), QByteArray("a??b"));
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(char(b));
        QCOMPARE(encode1252(decode1252(all)), all);
    }
};

QTEST_GUILESS_MAIN(TestShared)
#include "test_shared.moc"
