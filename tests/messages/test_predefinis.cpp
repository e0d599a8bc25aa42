#include "app/appstate.h"
#include "filesizelimit.h"
#include "messages/predefinis.h"
#include "testdatadir.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace parlevo;

namespace {

const QString kSms = QString::fromUtf16(kPredefinisFileName);
const QString kBak = QString::fromUtf16(kPredefinisBackupName);

const PredefiniList kExample{
    {u"Bonjour"_qs, u"Salut\r\nÀ bientôt"_qs},
    {QString(), u"Rappel"_qs},
};

} // namespace

Q_DECLARE_METATYPE(parlevo::PredefiniList)

namespace QTest {
template <> char *toString(const parlevo::PredefiniList &list)
{
    QStringList parts;
    for (const parlevo::ClassPredefini &p : list)
        parts.append(u'[' + p.Nom + u"]=[" + QString(p.Message).replace(u"\r\n"_qs, u"<CRLF>"_qs) + u']');
    return qstrdup(parts.join(u", "_qs).toUtf8().constData());
}
} // namespace QTest

class TestPredefinis : public QObject {
    Q_OBJECT
private slots:
    void savesTheExampleByteForByte()
    {
        test::TestDataDir dir;
        AppState state(dir.path());
        state.colPredefinis() = kExample;
        QVERIFY(Sauve_Predefinis(state));
        QCOMPARE(dir.read(kSms), test::fixtureBytes(u"predefinis_example.sms"_qs));
        QCOMPARE(dir.read(kSms), QByteArray("2\r\nBonjour;Salut\\n\xc0 bient\xf4t\r\n;Rappel\r\n"));
    }

    void loads_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<PredefiniList>("expected");
        QTest::newRow("example") << u"predefinis_example.sms"_qs << kExample;
        QTest::newRow("count larger than the records")
            << u"predefinis_count_too_large.sms"_qs
            << PredefiniList{{u"Premier"_qs, u"un"_qs}, {u"Second"_qs, u"deux"_qs}};
        QTest::newRow("count not a number") << u"predefinis_not_a_number.sms"_qs << PredefiniList{};
        QTest::newRow("count zero") << u"predefinis_zero.sms"_qs << PredefiniList{};
        // " 2.6" rounds to 3; no ";" gives a name alone; the text runs to the end of the line.
        QTest::newRow("odd records") << u"predefinis_odd.sms"_qs
                                     << PredefiniList{{u"Sans texte"_qs, QString()},
                                                      {u"Note"_qs, u"x;y\r\nz"_qs},
                                                      {u"Trois"_qs, u"3;"_qs}};
    }
    void loads()
    {
        QFETCH(QString, file);
        QFETCH(PredefiniList, expected);
        test::TestDataDir dir;
        QVERIFY(dir.write(kSms, test::fixtureBytes(file)));
        AppState state(dir.path());
        QVERIFY(Charge_Predefinis(state));
        QCOMPARE(state.colPredefinis(), expected);
    }

    void countIsReadLikeANumber_data()
    {
        QTest::addColumn<QByteArray>("firstLine");
        QTest::addColumn<int>("records");
        QTest::newRow("plain") << QByteArray("2") << 2;
        QTest::newRow("blanks and trailing text") << QByteArray("  \t1 records") << 1;
        QTest::newRow("half rounds to even") << QByteArray("2.5") << 2;
        QTest::newRow("above half rounds up") << QByteArray("1.51") << 2;
        QTest::newRow("negative") << QByteArray("-3") << 0;
        QTest::newRow("empty") << QByteArray() << 0;
        QTest::newRow("huge") << QByteArray("99999999999999999999999") << 3;
    }
    void countIsReadLikeANumber()
    {
        QFETCH(QByteArray, firstLine);
        QFETCH(int, records);
        const PredefiniList list = readPredefinis(QByteArray(firstLine + "\r\nA;a\r\nB;b\r\nC;c\r\n"));
        QCOMPARE(list.size(), records);
    }

    // Names and texts that would break the file keep each record on its own line.
    void recordsStayOnTheirLines()
    {
        const PredefiniList written{
            {u"Nom;avec\r\nsaut"_qs, u"a;b\nc\rd\r\ne"_qs},
            {u"Suivant"_qs, u"fin"_qs},
        };
        const QByteArray bytes = predefinisBytes(written);
        QCOMPARE(bytes, QByteArray("2\r\nNom avec  saut;a;b\\nc\\nd\\ne\r\nSuivant;fin\r\n"));
        QCOMPARE(readPredefinis(bytes),
                 (PredefiniList{{u"Nom avec  saut"_qs, u"a;b\r\nc\r\nd\r\ne"_qs}, {u"Suivant"_qs, u"fin"_qs}}));
    }

    void startupCopyAndEmptyList()
    {
        test::TestDataDir dir;
        const QByteArray found = test::fixtureBytes(u"predefinis_example.sms"_qs);
        QVERIFY(dir.write(kSms, found));
        QVERIFY(dir.write(kBak, "1\r\nold;copy\r\n"));
        {
            AppState state(dir.path());
            QVERIFY(Charge_Predefinis(state));
            QCOMPARE(dir.read(kBak), found);
            state.colPredefinis().removeFirst();
            QVERIFY(Sauve_Predefinis(state));
            QCOMPARE(dir.read(kSms), QByteArray("1\r\n;Rappel\r\n"));
            QCOMPARE(dir.read(kBak), found);

            state.colPredefinis().clear();
            QVERIFY(Sauve_Predefinis(state));
            QVERIFY(!QFile::exists(dir.filePath(kSms)));
        }
        // The next start finds no file: an empty list, and the copy of the last start stays.
        AppState next(dir.path());
        QVERIFY(Charge_Predefinis(next));
        QVERIFY(next.colPredefinis().isEmpty());
        QCOMPARE(dir.read(kBak), found);
    }

    void failedSaveKeepsThePreviousFile()
    {
        test::TestDataDir dir;
        const QByteArray previous = test::fixtureBytes(u"predefinis_example.sms"_qs);
        QVERIFY(dir.write(kSms, previous));
        AppState state(dir.path());
        QVERIFY(Charge_Predefinis(state));
        state.colPredefinis().append({u"Long"_qs, QString(8000, u'x')});
        {
            test::FileSizeLimit diskFull(4096);
            if (!diskFull.active())
                QSKIP("no file size limit on this system");
            QVERIFY(!Sauve_Predefinis(state));
        }
        QCOMPARE(dir.read(kSms), previous);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), (QStringList{kBak, kSms}));
    }
};

QTEST_GUILESS_MAIN(TestPredefinis)
#include "test_predefinis.moc"
