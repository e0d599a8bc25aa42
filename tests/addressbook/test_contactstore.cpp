#include "addressbook/addressbook.h"
#include "addressbook/contactcollection.h"
#include "addressbook/contactstore.h"
#include "addressbook/groupcollection.h"
#include "base/datadir.h"
#include "base/storefile.h"
#include "filesizelimit.h"
#include "testdatadir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

using namespace Qt::StringLiterals;

using namespace parlevo;

namespace {

const QString kLst = QString::fromUtf16(kContactsFileName);
const QString kBak = QString::fromUtf16(kContactsBackupName);

// Groupe|Societe|Titre|Prenom|Nom|Phone of every contact, in order.
QStringList rows(AddressBook &book)
{
    QStringList out;
    for (const ClassContact &c : book.colContacts())
        out.append(QStringList{c.Groupe, c.Societe, c.Titre, c.Prenom, c.Nom, c.Phone}.join(u'|'));
    return out;
}

// A contact from "Groupe|Societe|Titre|Prenom|Nom|Phone".
ClassContact fromRow(const QString &row, const QString &key = {})
{
    const QStringList f = row.split(u'|');
    return {f.value(0), f.value(2), f.value(3), f.value(4), f.value(5), f.value(1), {}, key};
}

void addContact(AddressBook &book, const QString &row)
{
    book.colContacts().add(std::make_unique<ClassContact>(fromRow(row, book.NextKey())));
}

QStringList filesIn(const test::TestDataDir &dir)
{
    return QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
}

} // namespace

class TestContactStore : public QObject {
    Q_OBJECT
private slots:
    void fullNameEndsWithABlank()
    {
        QCOMPARE(fromRow(u"G|Acme|Mme|Anne|Dupuis|06"_s).FullName(), u"Mme Dupuis Anne "_s);
        QCOMPARE(fromRow(u"||||Dupont|"_s).FullName(), u"Dupont "_s);
        QCOMPARE(fromRow(u"||Dr.| Paul||"_s).FullName(), u"Dr.  Paul "_s);
        QCOMPARE(fromRow(u"G|Acme||||06"_s).FullName(), QString());
    }

    void loadsTheBookAndItsGroups()
    {
        test::TestDataDir dir;
        QVERIFY(dir.write(kLst, test::fixtureBytes(u"contacts_example.lst"_s)));
        DataDir data(dir.path());
        AddressBook book(data);
        QVERIFY(Charge_Contacts(book));
        QCOMPARE(rows(book),
                 (QStringList{u"Personnel||Mme|Anne|Dupuis|0687654321"_s, u"Travail|Acme|M.|Jean|Martin|0611223344"_s,
                              u"travail|||| Dupont |0600000000"_s, u"|Société Générale||Zoé||06 12 34 56 78"_s}));
        QCOMPARE(book.colContacts().at(2)->GUID, u"3"_s);
        // Travail and travail are one group, kept as first met; no group adds nothing.
        QCOMPARE(book.colGroupes().names(), (QStringList{u"Personnel"_s, u"Travail"_s}));
        QCOMPARE(book.NextKey(), u"5"_s);
    }

    void loadsDamagedLines()
    {
        test::TestDataDir dir;
        QVERIFY(dir.write(kLst, test::fixtureBytes(u"contacts_broken.lst"_s)));
        DataDir data(dir.path());
        AddressBook book(data);
        QVERIFY(Charge_Contacts(book));
        QCOMPARE(rows(book), (QStringList{u"Amis||Dr.|Paul|Durand|0612345678"_s, u"Amis|Acme|M.|||"_s, u"|||||"_s,
                                          u"Seul|||||"_s, QString(u"\u0081\u0000ÿ|€||||\u009d"_s),
                                          u"Lf||||Unix|0700000000"_s, u"Fin||||Dernier|0799999999"_s}));
        // Saved again, every line has its six fields and the fields past the sixth are gone.
        QVERIFY(Sauve_Contacts(book, dir.filePath(kLst)));
        QCOMPARE(dir.read(kLst), QByteArray("Amis;;Dr.;Paul;Durand;0612345678\r\nAmis;Acme;M.;;;\r\n;;;;;\r\n"
                                            "Seul;;;;;\r\n\x81\x00\xff;\x80;;;;\x9d\r\nLf;;;;Unix;0700000000\r\n"
                                            "Fin;;;;Dernier;0799999999\r\n",
                                            131));
    }

    // Several megabytes are decoded on several threads where the machine has them; contacts,
    // keys and groups must come out as from one thread.
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
        DataDir data(dir.path());
        AddressBook book(data);
        QVERIFY(Charge_Contacts(book));
        QCOMPARE(book.colContacts().count(), count);
        int i = 0;
        for (const ClassContact &c : book.colContacts()) {
            const QString n = QString::number(i++);
            if (c.GUID != QString::number(i) || c.Nom != u"Nom"_s + n || c.Societe != u"Société "_s + n ||
                c.Phone != u"06"_s + n.rightJustified(8, u'0') || c.Titre != u"M."_s)
                QFAIL(qPrintable(u"contact "_s + n + u" reads "_s + c.GUID + u'|' + c.Societe + u'|' + c.Nom));
        }
        QCOMPARE(book.colGroupes().names(), expectedGroups);
    }

    void saveAndLoadGiveTheSameBook()
    {
        test::TestDataDir dir;
        const QStringList lines{u" Amis |  |Mlle| Léa|Noël |+33 6 12"_s, u"|||||"_s,
                                u"Œuvre|€ & Cie|P.|Jean-Luc|D'Arc|0611"_s};
        {
            DataDir data(dir.path());
            AddressBook book(data);
            for (const QString &row : lines)
                addContact(book, row);
            QVERIFY(Sauve_Contacts(book, dir.filePath(kLst)));
        }
        QCOMPARE(dir.read(kLst), QByteArray(" Amis ;  ;Mlle; L\xe9\x61;No\xebl ;+33 6 12\r\n;;;;;\r\n"
                                            "\x8cuvre;\x80 & Cie;P.;Jean-Luc;D'Arc;0611\r\n"));
        DataDir nextData(dir.path());
        AddressBook next(nextData);
        next.NextKey();
        QVERIFY(Charge_Contacts(next));
        QCOMPARE(rows(next), lines);
        QCOMPARE(next.colContacts().at(0)->GUID, u"2"_s);
    }

    void separatorsInValuesBecomeBlanks()
    {
        test::TestDataDir dir;
        DataDir data(dir.path());
        AddressBook book(data);
        addContact(book, u"A;B|x\r\ny|z\n|\r|中文|06;07"_s);
        QVERIFY(Sauve_Contacts(book, dir.filePath(kLst)));
        QCOMPARE(dir.read(kLst), QByteArray("A B;x  y;z ; ;??;06 07\r\n"));
    }

    // The copy is made only when a book exists and always holds the book found at start-up.
    void startupCopyAndEmptiedBook()
    {
        test::TestDataDir dir;
        QVERIFY(dir.write(kBak, "copy of an earlier run\r\n"));
        {
            DataDir data(dir.path());
            AddressBook book(data);
            QVERIFY(Charge_Contacts(book));
            QVERIFY(book.colContacts().isEmpty());
            QCOMPARE(dir.read(kBak), QByteArray("copy of an earlier run\r\n"));
        }
        const QByteArray found = test::fixtureBytes(u"contacts_example.lst"_s);
        QVERIFY(dir.write(kLst, found));
        DataDir data(dir.path());
        AddressBook book(data);
        QVERIFY(Charge_Contacts(book));
        QCOMPARE(dir.read(kBak), found);
        book.colContacts().remove(u"2"_s);
        QVERIFY(Sauve_Contacts(book, dir.filePath(kLst)));
        QCOMPARE(dir.read(kLst).size(), found.size() - 40);
        QCOMPARE(dir.read(kBak), found);

        book.colContacts().clear();
        QVERIFY(Sauve_Contacts(book, dir.filePath(kLst)));
        QCOMPARE(filesIn(dir), QStringList{kBak});
        QCOMPARE(dir.read(kBak), found);
    }

    // A save that fails half-way (a full disk) must leave the previous book exactly as it was:
    // deleting it first, or writing over it in place, would lose it.
    void failedSaveKeepsThePreviousFile()
    {
        test::TestDataDir dir;
        const QByteArray previous = test::fixtureBytes(u"contacts_example.lst"_s);
        QVERIFY(dir.write(kLst, previous));
        DataDir data(dir.path());
        AddressBook book(data);
        QVERIFY(Charge_Contacts(book));
        for (int i = 0; i < 500; ++i)
            addContact(book, u"Groupe|Société|M.|Jean|Martin|0600000000"_s);
        {
            test::FileSizeLimit diskFull(4096);
            if (!diskFull.active())
                QSKIP("no file size limit on this system");
            QVERIFY(!Sauve_Contacts(book, dir.filePath(kLst)));
        }
        QCOMPARE(dir.read(kLst), previous);
        QCOMPARE(filesIn(dir), (QStringList{kBak, kLst}));
        // Nor can a save into a directory that is not one do any harm.
        QVERIFY(!Sauve_Contacts(book, dir.filePath(kBak + u'/' + kLst)));
        QCOMPARE(dir.read(kBak), previous);
    }

    // A book that exists but cannot be read (a directory of that name, a device) loads nothing,
    // and no save of the run replaces or removes it.
    void unreadableBookIsKept_data()
    {
        QTest::addColumn<bool>("directory");
        QTest::newRow("directory") << true;
#ifdef Q_OS_UNIX
        // Windows has no device file to name.
        QTest::newRow("device") << false;
#endif
    }
    void unreadableBookIsKept()
    {
        QFETCH(bool, directory);
        test::TestDataDir dir;
        QVERIFY(directory ? QDir(dir.path()).mkdir(kLst) : QFile::link(u"/dev/null"_s, dir.filePath(kLst)));
        DataDir data(dir.path());
        AddressBook book(data);
        QVERIFY(!Charge_Contacts(book));
        QVERIFY(book.colContacts().isEmpty());
        QVERIFY(!Sauve_Contacts(book, dir.filePath(kLst)));
        addContact(book, u"G|||||1"_s);
        QVERIFY(!Sauve_Contacts(book, dir.filePath(kLst)));
        QCOMPARE(filesIn(dir), QStringList{kLst});
        QCOMPARE(QFileInfo(dir.filePath(kLst)).isSymLink(), !directory);
    }

    // A file of unbounded size is refused before reading instead of exhausting memory.
    void unboundedFilesAreRefused()
    {
        test::TestDataDir dir;
        QFile huge(dir.filePath(u"huge.csv"_s));
        QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(kMaxReadBytes + 1)); // sparse: no disk used
        huge.close();
        for (const QString &path : {huge.fileName(), u"/dev/zero"_s}) {
            ReadFailure failure = ReadFailure::None;
            QVERIFY(!readWholeFile(path, nullptr, &failure));
            QCOMPARE(failure, ReadFailure::TooLarge);
        }
    }
};

QTEST_GUILESS_MAIN(TestContactStore)
#include "test_contactstore.moc"
