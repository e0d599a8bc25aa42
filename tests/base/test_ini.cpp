#include "base/ini.h"
#include "testdatadir.h"

#include <QTest>

using namespace Qt::StringLiterals;

using namespace parlevo;

class TestIni : public QObject {
    Q_OBJECT
private slots:
    void reading_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");
        const QByteArray f = "top=ignored\r\n"
                             "[Parlevo]\r\n"
                             "  From  =  Jean Dupont  \r\n"
                             "Quoted=\"  spaced  \"\r\n"
                             "Single='x'\r\n"
                             "Mismatched=\"x'\r\n"
                             "Dup=first\r\n"
                             "DUP=second\r\n"
                             "; Comment=not a key\r\n"
                             "Empty=\r\n"
                             "Equals=a=b\r\n"
                             "[ parlevo ]\r\n"
                             "Later=from a second section\r\n"
                             "[Account]\n"
                             "E-mail=lf@only.test\n";
        QTest::newRow("blanks around") << f << u"parlevo"_s << u"from"_s << u"Jean Dupont"_s;
        QTest::newRow("double quotes") << f << u"Parlevo"_s << u"Quoted"_s << u"  spaced  "_s;
        QTest::newRow("single quotes") << f << u"Parlevo"_s << u"Single"_s << u"x"_s;
        QTest::newRow("quotes that differ stay") << f << u"Parlevo"_s << u"Mismatched"_s << u"\"x'"_s;
        QTest::newRow("first occurrence wins") << f << u"PARLEVO"_s << u"dup"_s << u"first"_s;
        QTest::newRow("empty value") << f << u"Parlevo"_s << u"Empty"_s << QString();
        QTest::newRow("value holding =") << f << u"Parlevo"_s << u"Equals"_s << u"a=b"_s;
        QTest::newRow("comment is no key") << f << u"Parlevo"_s << u"; Comment"_s << u"<default>"_s;
        QTest::newRow("key before any section") << f << QString() << u"top"_s << u"<default>"_s;
        QTest::newRow("second copy of a section") << f << u"Parlevo"_s << u"Later"_s << u"<default>"_s;
        QTest::newRow("LF line ends") << f << u"account"_s << u"E-MAIL"_s << u"lf@only.test"_s;
        QTest::newRow("cut to 254") << QByteArray("[S]\r\nK=" + QByteArray(260, 'v')) << u"S"_s << u"K"_s
                                    << QString(254, u'v');
        QTest::newRow("Windows-1252") << QByteArray("[S]\r\nK=\x80 \xe9t\xe9") << u"S"_s << u"K"_s << u"€ été"_s;
    }
    void reading()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        test::TestDataDir dir;
        QVERIFY(dir.write(u"a.ini"_s, file));
        QCOMPARE(ReadIni(section, key, u"<default>"_s, dir.filePath(u"a.ini"_s)), expected);
    }

    void writeReplacesInPlaceAndKeepsTheRest()
    {
        test::TestDataDir dir;
        const QString path = dir.filePath(u"a.ini"_s);
        QVERIFY(dir.write(u"a.ini"_s, "; settings\r\n"
                                      "[Parlevo]\r\n"
                                      "Unknown=kept\r\n"
                                      "from = old\r\n"
                                      "\r\n"
                                      "[Other]\r\n"
                                      "From=untouched\r\n"));
        QVERIFY(WriteIni(u"PARLEVO"_s, u"From"_s, u"new"_s, path));
        QVERIFY(WriteIni(u"Parlevo"_s, u"Top"_s, u"1000"_s, path));
        QVERIFY(WriteIni(u"Account"_s, u"E-mail"_s, u"a@b.c"_s, path));
        QCOMPARE(dir.read(u"a.ini"_s), QByteArray("; settings\r\n"
                                                  "[Parlevo]\r\n"
                                                  "Unknown=kept\r\n"
                                                  "From=new\r\n"
                                                  "Top=1000\r\n"
                                                  "\r\n"
                                                  "[Other]\r\n"
                                                  "From=untouched\r\n"
                                                  "\r\n"
                                                  "[Account]\r\n"
                                                  "E-mail=a@b.c\r\n"));
    }

    void writeCreatesFileAndKeepsValuesOnOneLine()
    {
        test::TestDataDir dir;
        const QString path = dir.filePath(u"new.ini"_s);
        QCOMPARE(ReadIni(u"S"_s, u"K"_s, u"d"_s, path), u"d"_s); // a missing file gives the default
        QVERIFY(WriteIni(u"S"_s, u"K"_s, u"two\r\nlines é"_s, path));
        QCOMPARE(dir.read(u"new.ini"_s), QByteArray("[S]\r\nK=two  lines \xe9\r\n"));
        QCOMPARE(ReadIni(u"S"_s, u"K"_s, QString(), path), u"two  lines é"_s);
    }

    void failedWriteLeavesFileWhole()
    {
        test::TestDataDir dir;
        // The target is a directory: nothing can be renamed over it.
        QVERIFY(dir.write(u"cfg/keep"_s, "x"));
        QVERIFY(!WriteIni(u"S"_s, u"K"_s, u"v"_s, dir.filePath(u"cfg"_s)));
        QCOMPARE(dir.read(u"cfg/keep"_s), QByteArray("x"));
        // A file in a missing directory cannot be created either.
        QVERIFY(!WriteIni(u"S"_s, u"K"_s, u"v"_s, dir.filePath(u"missing/a.ini"_s)));
    }
};

QTEST_GUILESS_MAIN(TestIni)
#include "test_ini.moc"
