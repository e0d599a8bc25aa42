#include "addressbook/contactstore.h"
#include "app/appstate.h"
#include "filesizelimit.h"
#include "testdatadir.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace parlevo;

namespace {

const QString kLst = QString::fromUtf16(kContactsFileName);
const QString kBak = QString::fromUtf16(kContactsBackupName);

// Groupe|Societe|Titre|Prenom|Nom|Phone of every contact, in order.
QStringList rows(AppState &state)
{
    QStringList out;
    for (const ClassContact &c : state.colContacts())
        out.append(QStringList{c.Groupe, c.Societe, c.Titre, c.Prenom, c.Nom, c.Phone}.join(u'|'));
    return out;
}

void addContact(AppState &state, const QStringList &fields)
{
    auto c = std::make_unique<ClassContact>();
    c->Groupe = fields.value(0);
    c->Societe = fields.value(1);
    c->Titre = fields.value(2);
    c->Prenom = fields.value(3);
    c->Nom = fields.value(4);
    c->Phone = fields.value(5);
    c->GUID = state.NextKey();
    state.colContacts().add(std::move(c));
}

} // namespace

class TestContactStore : public QObject {
    Q_OBJECT
private slots:
    void fullName_data()
    {
        QTest::addColumn<QString>("titre");
        QTest::addColumn<QString>("prenom");
        QTest::addColumn<QString>("nom");
        QTest::addColumn<QString>("fullName");
        QTest::newRow("all three") << u"Mme"_qs << u"Anne"_qs << u"Dupuis"_qs << u"Mme Dupuis Anne "_qs;
        QTest::newRow("last name only") << QString() << QString() << u"Dupont"_qs << u"Dupont "_qs;
        QTest::newRow("title and first name") << u"Dr."_qs << u"Paul"_qs << QString() << u"Dr. Paul "_qs;
        QTest::newRow("none") << QString() << QString() << QString() << QString();
        QTest::newRow("blanks kept") << QString() << u" Zoé"_qs << u"Roy "_qs << u"Roy   Zoé "_qs;
    }
    void fullName()
    {
        QFETCH(QString, titre);
        QFETCH(QString, prenom);
        QFETCH(QString, nom);
        QFETCH(QString, fullName);
        ClassContact c;
        c.Titre = titre;
        c.Prenom = prenom;
        c.Nom = nom;
        c.Phone = u"0600000000"_qs;
        c.Societe = u"Acme"_qs;
        QCOMPARE(c.FullName(), fullName);
    }

    void loadsTheBookAndItsGroups()
    {
        test::TestDataDir dir;
        QVERIFY(dir.write(kLst, test::fixtureBytes(u"contacts_example.lst"_qs)));
        AppState state(dir.path());
        QVERIFY(Charge_Contacts(state));

        QCOMPARE(rows(state), (QStringList{
                                  u"Personnel||Mme|Anne|Dupuis|0687654321"_qs,
                                  u"Travail|Acme|M.|Jean|Martin|0611223344"_qs,
                                  u"travail|||| Dupont |0600000000"_qs,
                                  u"|Société Générale||Zoé||06 12 34 56 78"_qs,
                              }));
        QStringList keys;
        for (const ClassContact &c : state.colContacts())
            keys.append(c.GUID);
        QCOMPARE(keys, (QStringList{u"1"_qs, u"2"_qs, u"3"_qs, u"4"_qs}));
        QCOMPARE(state.colContacts().find(u"1"_qs)->FullName(), u"Mme Dupuis Anne "_qs);
        // Travail and travail are one group, kept as first met; no group adds nothing.
        QCOMPARE(state.colGroupes().names(), (QStringList{u"Personnel"_qs, u"Travail"_qs}));
        QVERIFY(state.colGroupes().contains(u"TRAVAIL"_qs));
        // Keys keep counting for contacts added later in the run.
        QCOMPARE(state.NextKey(), u"5"_qs);
    }

    void loadsDamagedLines()
    {
        test::TestDataDir dir;
        QVERIFY(dir.write(kLst, test::fixtureBytes(u"contacts_broken.lst"_qs)));
        AppState state(dir.path());
        QVERIFY(Charge_Contacts(state));
        QCOMPARE(rows(state), (QStringList{
                                  u"Amis||Dr.|Paul|Durand|0612345678"_qs,
                                  u"Amis|Acme|M.|||"_qs,
                                  u"|||||"_qs,
                                  u"Seul|||||"_qs,
                                  QString(u"\u0081\u0000ÿ|€||||\u009d"_qs),
                                  u"Lf||||Unix|0700000000"_qs,
                                  u"Fin||||Dernier|0799999999"_qs,
                              }));
        QCOMPARE(state.colGroupes().names(),
                 (QStringList{u"Amis"_qs, u"Seul"_qs, QString(u"\u0081\u0000ÿ"_qs), u"Lf"_qs, u"Fin"_qs}));

        // Saved again, every line has its six fields and the extra ones are gone.
        QVERIFY(Sauve_Contacts(state, dir.filePath(kLst)));
        QCOMPARE(dir.read(kLst), QByteArray("Amis;;Dr.;Paul;Durand;0612345678\r\n"
                                            "Amis;Acme;M.;;;\r\n"
                                            ";;;;;\r\n"
                                            "Seul;;;;;\r\n"
                                            "\x81\x00\xff;\x80;;;;\x9d\r\n"
                                            "Lf;;;;Unix;0700000000\r\n"
                                            "Fin;;;;Dernier;0799999999\r\n",
                                            131));
    }

    // A book of several megabytes is decoded on several threads where the machine has them;
    // every contact, key and group must come out as from one thread.
    void largeBookLoadsInFileOrder()
    {
        const int count = 120000;
        const char *const ends[] = {"\r\n", "\n", "\r"};
        QByteArray bytes;
        QStringList expectedGroups;
        for (int i = 0; i < count; ++i) {
            const QByteArray group =
                i < count / 2 ? QByteArray("G" + QByteArray::number(i % 3)) : QByteArray(i % 5 ? "g1" : "late");
            if (!expectedGroups.contains(QLatin1String(group), Qt::CaseInsensitive))
                expectedGroups.append(QLatin1String(group));
            bytes += group + ";Soci\xe9t\xe9 " + QByteArray::number(i) + ";M.;Jean;Nom" + QByteArray::number(i) +
                     ";06" + QByteArray::number(i).rightJustified(8, '0') + ends[i % 3];
        }
        QVERIFY(bytes.size() > 4 << 20);
        test::TestDataDir dir;
        QVERIFY(dir.write(kLst, bytes));
        AppState state(dir.path());
        QVERIFY(Charge_Contacts(state));

        QCOMPARE(state.colContacts().count(), count);
        int i = 0;
        for (const ClassContact &c : state.colContacts()) {
            const QString n = QString::number(i);
            if (c.GUID != QString::number(i + 1) || c.Nom != u"Nom"_qs + n || c.Societe != u"Société "_qs + n ||
                c.Phone != u"06"_qs + n.rightJustified(8, u'0') || c.Titre != u"M."_qs)
                QFAIL(qPrintable(u"contact "_qs + n + u" reads "_qs + c.GUID + u'|' + c.Societe + u'|' + c.Nom));
            ++i;
        }
        QCOMPARE(state.colGroupes().names(), expectedGroups);
    }

    void saveAndLoadGiveTheSameBook()
    {
        test::TestDataDir dir;
        const QList<QStringList> book{
            {u" Amis "_qs, u"  "_qs, u"Mlle"_qs, u" Léa"_qs, u"Noël "_qs, u"+33 6 12"_qs},
            {QString(), QString(), QString(), QString(), QString(), QString()},
            {u"Œuvre"_qs, u"€ & Cie"_qs, u"P."_qs, u"Jean-Luc"_qs, u"D'Arc"_qs, u"0611"_qs},
        };
        {
            AppState state(dir.path());
            for (const QStringList &fields : book)
                addContact(state, fields);
            QVERIFY(Sauve_Contacts(state, dir.filePath(kLst)));
        }
        QCOMPARE(dir.read(kLst), QByteArray(" Amis ;  ;Mlle; L\xe9\x61;No\xebl ;+33 6 12\r\n"
                                            ";;;;;\r\n"
                                            "\x8cuvre;\x80 & Cie;P.;Jean-Luc;D'Arc;0611\r\n"));

        AppState next(dir.path());
        next.NextKey();
        QVERIFY(Charge_Contacts(next));
        QStringList expected;
        for (const QStringList &fields : book)
            expected.append(fields.join(u'|'));
        QCOMPARE(rows(next), expected);
        QCOMPARE(next.colContacts().at(0)->GUID, u"2"_qs);
    }

    void separatorsInValuesBecomeBlanks()
    {
        test::TestDataDir dir;
        AppState state(dir.path());
        addContact(state, {u"A;B"_qs, u"x\r\ny"_qs, u"z\n"_qs, u"\r"_qs, u"中文"_qs, u"06;07"_qs});
        QVERIFY(Sauve_Contacts(state, dir.filePath(kLst)));
        QCOMPARE(dir.read(kLst), QByteArray("A B;x  y;z ; ;??;06 07\r\n"));
    }

    void startupCopyIsTheFileFoundAtStartup()
    {
        test::TestDataDir dir;
        const QByteArray found = test::fixtureBytes(u"contacts_example.lst"_qs);
        QVERIFY(dir.write(kLst, found));
        QVERIFY(dir.write(kBak, "older copy\r\n"));
        AppState state(dir.path());
        QVERIFY(Charge_Contacts(state));
        QCOMPARE(dir.read(kBak), found);

        state.colContacts().remove(u"2"_qs);
        addContact(state, {u"Nouveau"_qs});
        QVERIFY(Sauve_Contacts(state, dir.filePath(kLst)));
        QVERIFY(dir.read(kLst) != found);
        QCOMPARE(dir.read(kBak), found);
    }

    void noBookNoCopy()
    {
        test::TestDataDir dir;
        QVERIFY(dir.write(kBak, "copy of an earlier run\r\n"));
        AppState state(dir.path());
        QVERIFY(Charge_Contacts(state));
        QVERIFY(state.colContacts().isEmpty());
        QCOMPARE(dir.read(kBak), QByteArray("copy of an earlier run\r\n"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{kBak});
    }

    void emptiedBookLeavesNoFile()
    {
        test::TestDataDir dir;
        QVERIFY(dir.write(kLst, test::fixtureBytes(u"contacts_example.lst"_qs)));
        AppState state(dir.path());
        QVERIFY(Charge_Contacts(state));
        state.colContacts().remove(QStringList{u"1"_qs, u"2"_qs, u"3"_qs, u"4"_qs});
        QVERIFY(Sauve_Contacts(state, dir.filePath(kLst)));
        QVERIFY(!QFile::exists(dir.filePath(kLst)));
        QCOMPARE(dir.read(kBak), test::fixtureBytes(u"contacts_example.lst"_qs));
    }

    // A save that fails half-way must leave the previous book exactly as it was: deleting it
    // first, or writing over it in place, would lose it.
    void failedSaveKeepsThePreviousFile()
    {
        test::TestDataDir dir;
        const QByteArray previous = test::fixtureBytes(u"contacts_example.lst"_qs);
        QVERIFY(dir.write(kLst, previous));
        AppState state(dir.path());
        QVERIFY(Charge_Contacts(state));
        for (int i = 0; i < 500; ++i)
            addContact(state, {u"Groupe"_qs, u"Société"_qs, u"M."_qs, u"Jean"_qs, u"Martin"_qs, u"0600000000"_qs});
        {
            test::FileSizeLimit diskFull(4096);
            if (!diskFull.active())
                QSKIP("no file size limit on this system");
            QVERIFY(!Sauve_Contacts(state, dir.filePath(kLst)));
        }
        QCOMPARE(dir.read(kLst), previous);
        // The half-written file is not left behind either.
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), (QStringList{kBak, kLst}));
    }

    void saveIntoAMissingDirectoryFails()
    {
        test::TestDataDir dir;
        QVERIFY(dir.write(u"NotADirectory"_qs, "a file"));
        AppState state(dir.path());
        addContact(state, {u"Amis"_qs});
        QVERIFY(!Sauve_Contacts(state, dir.filePath(u"NotADirectory/"_qs + kLst)));
        QVERIFY(!Sauve_Contacts(state, dir.filePath(u"Missing/"_qs + kLst)));
        QCOMPARE(dir.read(u"NotADirectory"_qs), QByteArray("a file"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{u"NotADirectory"_qs});
    }

    void unreadableBookLoadsNothing()
    {
        test::TestDataDir dir;
        QVERIFY(QDir(dir.path()).mkdir(kLst));
        AppState state(dir.path());
        QVERIFY(!Charge_Contacts(state));
        QVERIFY(state.colContacts().isEmpty());
        QVERIFY(!QFile::exists(dir.filePath(kBak)));
    }
};

QTEST_GUILESS_MAIN(TestContactStore)
#include "test_contactstore.moc"
