#include "app/ini.h"
#include "testdatadir.h"

#include <QTest>

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
        QTest::newRow("blanks around") << f << u"parlevo"_qs << u"from"_qs << u"Jean Dupont"_qs;
        QTest::newRow("double quotes") << f << u"Parlevo"_qs << u"Quoted"_qs << u"  spaced  "_qs;
        QTest::newRow("single quotes") << f << u"Parlevo"_qs << u"Single"_qs << u"x"_qs;
        QTest::newRow("quotes that differ stay") << f << u"Parlevo"_qs << u"Mismatched"_qs << u"\"x'"_qs;
        QTest::newRow("first occurrence wins") << f << u"PARLEVO"_qs << u"dup"_qs << u"first"_qs;
        QTest::newRow("empty value") << f << u"Parlevo"_qs << u"Empty"_qs << QString();
        QTest::newRow("value holding =") << f << u"Parlevo"_qs << u"Equals"_qs << u"a=b"_qs;
        QTest::newRow("comment is no key") << f << u"Parlevo"_qs << u"; Comment"_qs << u"<default>"_qs;
        QTest::newRow("key before any section") << f << QString() << u"top"_qs << u"<default>"_qs;
        QTest::newRow("second copy of a section") << f << u"Parlevo"_qs << u"Later"_qs << u"<default>"_qs;
        QTest::newRow("LF line ends") << f << u"account"_qs << u"E-MAIL"_qs << u"lf@only.test"_qs;
        QTest::newRow("cut to 254") << QByteArray("[S]\r\nK=" + QByteArray(260, 'v')) << u"S"_qs << u"K"_qs
                                    << QString(254, u'v');
        QTest::newRow("Windows-1252") << QByteArray("[S]\r\nK=\x80 \xe9t\xe9") << u"S"_qs << u"K"_qs << u"€ été"_qs;
    }
    void reading()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        test::TestDataDir dir;
        QVERIFY(dir.write(u"a.ini"_qs, file));
        QCOMPARE(ReadIni(section, key, u"<default>"_qs, dir.filePath(u"a.ini"_qs)), expected);
    }

    void writeReplacesInPlaceAndKeepsTheRest()
    {
        test::TestDataDir dir;
        const QString path = dir.filePath(u"a.ini"_qs);
        QVERIFY(dir.write(u"a.ini"_qs, "; settings\r\n"
                                       "[Parlevo]\r\n"
                                       "Unknown=kept\r\n"
                                       "from = old\r\n"
                                       "\r\n"
                                       "[Other]\r\n"
                                       "From=untouched\r\n"));
        QVERIFY(WriteIni(u"PARLEVO"_qs, u"From"_qs, u"new"_qs, path));
        QVERIFY(WriteIni(u"Parlevo"_qs, u"Top"_qs, u"1000"_qs, path));
        QVERIFY(WriteIni(u"Account"_qs, u"E-mail"_qs, u"a@b.c"_qs, path));
        QCOMPARE(dir.read(u"a.ini"_qs), QByteArray("; settings\r\n"
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
        const QString path = dir.filePath(u"new.ini"_qs);
        QCOMPARE(ReadIni(u"S"_qs, u"K"_qs, u"d"_qs, path), u"d"_qs); // a missing file gives the default
        QVERIFY(WriteIni(u"S"_qs, u"K"_qs, u"two\r\nlines é"_qs, path));
        QCOMPARE(dir.read(u"new.ini"_qs), QByteArray("[S]\r\nK=two  lines \xe9\r\n"));
        QCOMPARE(ReadIni(u"S"_qs, u"K"_qs, QString(), path), u"two  lines é"_qs);
    }

    void failedWriteLeavesFileWhole()
    {
        test::TestDataDir dir;
        // The target is a directory: nothing can be renamed over it.
        QVERIFY(dir.write(u"cfg/keep"_qs, "x"));
        QVERIFY(!WriteIni(u"S"_qs, u"K"_qs, u"v"_qs, dir.filePath(u"cfg"_qs)));
        QCOMPARE(dir.read(u"cfg/keep"_qs), QByteArray("x"));
        // A file in a missing directory cannot be created either.
        QVERIFY(!WriteIni(u"S"_qs, u"K"_qs, u"v"_qs, dir.filePath(u"missing/a.ini"_qs)));
    }
};

QTEST_GUILESS_MAIN(TestIni)
#include "test_ini.moc"
