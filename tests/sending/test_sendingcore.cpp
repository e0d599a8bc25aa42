// The sending rules that need no window: the deferred value, the mailing file, the result texts.
#include "app/textes.h"
#include "sending/differer.h"
#include "sending/mailingfile.h"
#include "sending/sendrun.h"
#include "testdatadir.h"

#include <QTest>

using namespace parlevo;
using parlevo::test::TestDataDir;

namespace {

std::function<QString()> counter()
{
    auto n = std::make_shared<int>(0);
    return [n] { return QString::number(++*n); };
}

ClassContact contact(const QString &groupe, const QString &societe, const QString &titre, const QString &prenom,
                     const QString &nom, const QString &phone)
{
    ClassContact c;
    c.Groupe = groupe;
    c.Societe = societe;
    c.Titre = titre;
    c.Prenom = prenom;
    c.Nom = nom;
    c.Phone = phone;
    return c;
}

QStringList fields(const ClassContact &c)
{
    return {c.Groupe, c.Societe, c.Titre, c.Prenom, c.Nom, c.Phone, c.GUID};
}

} // namespace

class TestSendingCore : public QObject {
    Q_OBJECT
private slots:
    void buildDifferer_data()
    {
        QTest::addColumn<bool>("ticked");
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QTime>("time");
        QTest::addColumn<QString>("value");
        QTest::newRow("not ticked") << false << QDate(2027, 2, 1) << QTime(9, 5) << QString();
        QTest::newRow("single digits padded") << true << QDate(2027, 2, 1) << QTime(9, 5) << u"090501022027"_qs;
        QTest::newRow("two digits each") << true << QDate(2026, 3, 7) << QTime(14, 5) << u"140507032026"_qs;
        QTest::newRow("midnight, last day") << true << QDate(2026, 12, 31) << QTime(0, 0) << u"000031122026"_qs;
        QTest::newRow("seconds ignored") << true << QDate(2030, 10, 10) << QTime(23, 59, 59) << u"235910102030"_qs;
    }
    void buildDifferer()
    {
        QFETCH(bool, ticked);
        QFETCH(QDate, date);
        QFETCH(QTime, time);
        QFETCH(QString, value);
        QCOMPARE(Build_Differer(ticked, date, time), value);
    }

    void resultTexts_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        QTest::newRow("no reply") << 0 << u"Impossible de joindre le serveur d'envoi de SMS !"_qs;
        QTest::newRow("sent") << 80 << u"Le message a été envoyé"_qs;
        QTest::newRow("deferred") << 81 << u"Le message est enregistré pour un envoi en différé"_qs;
        QTest::newRow("duplicate") << 91 << u"Le message a déjà été envoyé à ce numéro dans les 24 dernières heures"_qs;
        QTest::newRow("beyond the table") << 200 << u"(200)"_qs;
    }
    void resultTexts()
    {
        QFETCH(int, code);
        QFETCH(QString, text);
        TextTable textes;
        QCOMPARE(resultText(textes, code), text);
    }

    void rowAndProgressTexts()
    {
        TextTable textes;
        QCOMPARE(recipientText(contact(u"G"_qs, u"S"_qs, u"M."_qs, u"Jean"_qs, u"Dupont"_qs, u"06 12-34.56 78"_qs)),
                 u"(06 12-34.56 78) M. Dupont Jean "_qs);
        QCOMPARE(recipientText(ClassContact{}), u"() "_qs);
        QCOMPARE(progressText(textes, 0, 10), u"0 SMS sur 10 d'envoyé."_qs);
    }

    // Fields are written as they are: a ";" inside one shifts the following ones on reading.
    void mailingFileRoundTrip()
    {
        TestDataDir dir;
        const QString path = dir.filePath(u"liste.kxg"_qs);
        const ClassContact a = contact(u"Amis"_qs, u"Sté; Dupont"_qs, u"M."_qs, u"Jean"_qs, u"Dupont"_qs, u"0612"_qs);
        const ClassContact b = contact(u"Clients"_qs, QString(), QString(), u"Zoé"_qs, u"Éric"_qs, u"0698765432"_qs);
        QVERIFY(Sauve_Mailing(path, {&a, &b}));
        QCOMPARE(dir.read(u"liste.kxg"_qs), QByteArray("Amis;St\xe9; Dupont;M.;Jean;Dupont;0612\r\n"
                                                       "Clients;;;Zo\xe9;\xc9ric;0698765432\r\n"));
        const auto rows = Charge_Mailing(path, counter());
        QVERIFY(rows);
        QCOMPARE(rows->size(), 2u);
        QCOMPARE(fields(*(*rows)[0]),
                 (QStringList{u"Amis"_qs, u"Sté"_qs, u" Dupont"_qs, u"M."_qs, u"Jean"_qs, u"Dupont"_qs, u"1"_qs}));
        QCOMPARE(fields(*(*rows)[1]),
                 (QStringList{u"Clients"_qs, QString(), QString(), u"Zoé"_qs, u"Éric"_qs, u"0698765432"_qs, u"2"_qs}));
    }

    void mailingFileEdges()
    {
        TestDataDir dir;
        QVERIFY(Sauve_Mailing(dir.filePath(u"vide.kxg"_qs), {}));
        QVERIFY(QFileInfo::exists(dir.filePath(u"vide.kxg"_qs)));
        QCOMPARE(QFileInfo(dir.filePath(u"vide.kxg"_qs)).size(), 0);
        QVERIFY(!Charge_Mailing(dir.filePath(u"absent.kxg"_qs), counter()));
        // An empty line is a row of empty fields; short lines leave the rest empty.
        QVERIFY(dir.write(u"court.kxg"_qs, "\r\nA;B\r\nA;B;C;D;E;F;G;H"));
        const auto rows = Charge_Mailing(dir.filePath(u"court.kxg"_qs), counter());
        QVERIFY(rows);
        QCOMPARE(rows->size(), 3u);
        QCOMPARE(fields(*(*rows)[0]), (QStringList{{}, {}, {}, {}, {}, {}, u"1"_qs}));
        QCOMPARE(fields(*(*rows)[1]), (QStringList{u"A"_qs, u"B"_qs, {}, {}, {}, {}, u"2"_qs}));
        QCOMPARE(fields(*(*rows)[2]), (QStringList{u"A"_qs, u"B"_qs, u"C"_qs, u"D"_qs, u"E"_qs, u"F"_qs, u"3"_qs}));
        // A file that cannot be written leaves nothing behind.
        QVERIFY(!Sauve_Mailing(dir.filePath(u"absent/dir/x.kxg"_qs), {}));
    }
};

QTEST_GUILESS_MAIN(TestSendingCore)
#include "test_sendingcore.moc"
