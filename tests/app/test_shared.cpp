#include "app/appstate.h"
#include "app/codec1252.h"
#include "app/shared.h"
#include "testdatadir.h"

#include <QTest>

using namespace parlevo;

class TestShared : public QObject {
    Q_OBJECT
private slots:
    void digitsOnly_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("digits");
        QTest::newRow("international") << u"+33 (0)6-12.34 56 78"_qs << u"330612345678"_qs;
        QTest::newRow("no digit") << u"Jean Dupont"_qs << QString();
        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("fullwidth and superscript digits dropped") << u"１²3"_qs << u"3"_qs;
    }
    void digitsOnly()
    {
        QFETCH(QString, text);
        QFETCH(QString, digits);
        QCOMPARE(DigitsOnly(text), digits);
    }

    void unescapeNewlines()
    {
        QCOMPARE(UnescapeNewlines(u"a\\nb\\n"_qs), u"a\nb\n"_qs);
        QCOMPARE(UnescapeNewlines(u"a\\tb\\N\\"_qs), u"a\\tb\\N\\"_qs);
        QCOMPARE(UnescapeNewlines(u"\\\\n"_qs), u"\\\n"_qs);
        QCOMPARE(UnescapeNewlines(QString()), QString());
    }

    void nextKeyCountsFromOneEveryRun()
    {
        AppState first(QString{});
        QCOMPARE(first.NextKey(), u"1"_qs);
        QCOMPARE(first.NextKey(), u"2"_qs);
        QCOMPARE(first.NextKey(), u"3"_qs);
        AppState second(QString{});
        QCOMPARE(second.NextKey(), u"1"_qs);
    }

    void fileExists()
    {
        test::TestDataDir dir;
        QVERIFY(dir.write(u"Contacts.lst"_qs, "x"));
        QVERIFY(FileExists(dir.filePath(u"Contacts.lst"_qs)));
        QVERIFY(FileExists(dir.path()));                // a directory counts
        QVERIFY(FileExists(dir.filePath(u"*.lst"_qs))); // so does a wildcard match
        QVERIFY(!FileExists(dir.filePath(u"*.sms"_qs)));
        QVERIFY(!FileExists(dir.filePath(u"Missing.lst"_qs)));
        QVERIFY(!FileExists(QString()));
    }

    void windows1252Codec()
    {
        const QByteArray bytes("\x80\x9c\xe9\xff\x81 ok", 8);
        const QString text = decode1252(bytes);
        QCOMPARE(text, QString(u"€œéÿ\u0081 ok"_qs));
        QCOMPARE(encode1252(text), bytes);
        // Outside the code page: one "?" per character, surrogate pairs included.
        QCOMPARE(encode1252(u"a\u4e2d😀b"_qs), QByteArray("a??b"));
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(char(b));
        QCOMPARE(encode1252(decode1252(all)), all);
    }
};

QTEST_GUILESS_MAIN(TestShared)
#include "test_shared.moc"
