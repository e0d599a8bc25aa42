#include "base/datadir.h"
#include "messages/predefinis.h"
#include "testdatadir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

using namespace Qt::StringLiterals;

using namespace parlevo;

namespace {

const QString kSms = QString::fromUtf16(kPredefinisFileName);
const QString kBak = QString::fromUtf16(kPredefinisBackupName);
const QByteArray kExampleBytes("2\r\nBonjour;Salut\\n\xc0 bient\xf4t\r\n;Rappel\r\n");

// "Nom=Message" of each record, joined by " | ", line breaks shown as <CRLF>.
QString describe(const PredefiniList &list)
{
    QStringList parts;
    for (const ClassPredefini &p : list)
        parts.append(p.Nom + u'=' + QString(p.Message).replace(u"\r\n"_s, u"<CRLF>"_s));
    return parts.join(u" | "_s);
}

} // namespace

class TestPredefinis : public QObject {
    Q_OBJECT
private slots:
    void savesTheExampleByteForByte()
    {
        test::TestDataDir dir;
        DataDir data(dir.path());
        PredefinedMessages messages(data);
        messages.colPredefinis() = {{u"Bonjour"_s, u"Salut\r\nÀ bientôt"_s}, {QString(), u"Rappel"_s}};
        QVERIFY(Sauve_Predefinis(messages));
        QCOMPARE(dir.read(kSms), kExampleBytes);
        QCOMPARE(test::fixtureBytes(u"predefinis_example.sms"_s), kExampleBytes);
    }

    void loads_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("records");
        QTest::newRow("example") << u"predefinis_example.sms"_s << u"Bonjour=Salut<CRLF>À bientôt | =Rappel"_s;
        QTest::newRow("count larger than the records")
            << u"predefinis_count_too_large.sms"_s << u"Premier=un | Second=deux"_s;
        QTest::newRow("count not a number") << u"predefinis_not_a_number.sms"_s << QString();
        QTest::newRow("count zero") << u"predefinis_zero.sms"_s << QString();
        // " 2.6" rounds to 3; no ";" gives a name alone; the text runs to the end of its line.
        QTest::newRow("odd records") << u"predefinis_odd.sms"_s << u"Sans texte= | Note=x;y<CRLF>z | Trois=3;"_s;
    }
    void loads()
    {
        QFETCH(QString, file);
        QFETCH(QString, records);
        test::TestDataDir dir;
        QVERIFY(dir.write(kSms, test::fixtureBytes(file)));
        DataDir data(dir.path());
        PredefinedMessages messages(data);
        QVERIFY(Charge_Predefinis(messages));
        QCOMPARE(describe(messages.colPredefinis()), records);
    }

    void countIsReadLikeANumber_data()
    {
        QTest::addColumn<QByteArray>("firstLine");
        QTest::addColumn<int>("records");
        QTest::newRow("blanks and trailing text") << QByteArray("  \t1 records") << 1;
        QTest::newRow("half rounds to even") << QByteArray("2.5") << 2;
        QTest::newRow("above half rounds up") << QByteArray("1.51") << 2;
        QTest::newRow("negative") << QByteArray("-3") << 0;
        QTest::newRow("huge") << QByteArray("99999999999999999999999") << 3;
    }
    void countIsReadLikeANumber()
    {
        QFETCH(QByteArray, firstLine);
        QFETCH(int, records);
        QCOMPARE(readPredefinis(QByteArray(firstLine + "\r\nA;a\r\nB;b\r\nC;c\r\n")).size(), records);
    }

    // Names and texts that would break the file keep each record on its own line.
    void recordsStayOnTheirLines()
    {
        const QByteArray bytes =
            predefinisBytes({{u"Nom;avec\r\nsaut"_s, u"a;b\nc\rd\r\ne"_s}, {u"Suivant"_s, u"fin"_s}});
        QCOMPARE(bytes, QByteArray("2\r\nNom avec  saut;a;b\\nc\\nd\\ne\r\nSuivant;fin\r\n"));
        QCOMPARE(describe(readPredefinis(bytes)), u"Nom avec  saut=a;b<CRLF>c<CRLF>d<CRLF>e | Suivant=fin"_s);
    }

    void startupCopyAndEmptyList()
    {
        test::TestDataDir dir;
        QVERIFY(dir.write(kSms, kExampleBytes));
        QVERIFY(dir.write(kBak, "1\r\nold;copy\r\n"));
        {
            DataDir data(dir.path());
            PredefinedMessages messages(data);
            QVERIFY(Charge_Predefinis(messages));
            QCOMPARE(dir.read(kBak), kExampleBytes);
            messages.colPredefinis().removeFirst();
            QVERIFY(Sauve_Predefinis(messages));
            QCOMPARE(dir.read(kSms), QByteArray("1\r\n;Rappel\r\n"));
            QCOMPARE(dir.read(kBak), kExampleBytes);
            messages.colPredefinis().clear();
            QVERIFY(Sauve_Predefinis(messages));
            QVERIFY(!QFile::exists(dir.filePath(kSms)));
        }
        // The next start finds no file: an empty list, and the copy of the last start stays.
        DataDir nextData(dir.path());
        PredefinedMessages next(nextData);
        QVERIFY(Charge_Predefinis(next));
        QVERIFY(next.colPredefinis().isEmpty());
        QCOMPARE(dir.read(kBak), kExampleBytes);
    }

    // (A full disk leaving the previous file whole is the shared file writer's rule, checked with
    // the address book.)
    void failedSaveKeepsThePreviousFile()
    {
        // A file that exists but cannot be read (here a directory) is neither removed nor replaced.
        test::TestDataDir device;
        QVERIFY(QDir(device.path()).mkdir(kSms));
        DataDir unreadableData(device.path());
        PredefinedMessages unreadable(unreadableData);
        QVERIFY(!Charge_Predefinis(unreadable));
        QVERIFY(!Sauve_Predefinis(unreadable));
        unreadable.colPredefinis().append({u"Un"_s, u"1"_s});
        QVERIFY(!Sauve_Predefinis(unreadable));
        QVERIFY(QFileInfo(device.filePath(kSms)).isDir());
    }
};

QTEST_GUILESS_MAIN(TestPredefinis)
#include "test_predefinis.moc"
