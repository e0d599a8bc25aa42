// parlevo-cli contacts run as a user runs it.
#include "cliprocess.h"
#include "testdatadir.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

using namespace Qt::StringLiterals;

using parlevo::test::TestDataDir;

namespace {

using Run = parlevo::test::CliRun;

// "contacts" with those arguments, in that data directory.
Run contacts(const TestDataDir &dir, const QStringList &arguments)
{
    return parlevo::test::runCli(QStringList{u"--data-dir"_s, dir.path(), u"contacts"_s} + arguments);
}

} // namespace

class TestCliContacts : public QObject {
    Q_OBJECT
private slots:
    void listFilters_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("output");
        const QString dupuis = u"Personnel\t\tMme\tAnne\tDupuis\t0687654321\n"_s;
        const QString martin = u"Travail\tAcme\tM.\tJean\tMartin\t0611223344\n"_s;
        const QString dupont = u"travail\t\t\t\t Dupont \t0600000000\n"_s;
        const QString zoe = u"\tSociété Générale\t\tZoé\t\t06 12 34 56 78\n"_s;
        QTest::newRow("all") << QStringList{u"list"_s} << dupuis + martin + dupont + zoe;
        QTest::newRow("group contains, any case") << QStringList{u"list"_s, u"--group"_s, u"TRAV"_s} << martin + dupont;
        QTest::newRow("search nom") << QStringList{u"list"_s, u"--search"_s, u"DUP"_s, u"--in"_s, u"nom"_s}
                                    << dupuis + dupont;
        QTest::newRow("search societe") << QStringList{u"list"_s, u"--search"_s, u"acme"_s, u"--in"_s, u"societe"_s}
                                        << martin;
    }
    void listFilters()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, output);
        TestDataDir dir;
        QVERIFY(dir.write(u"Contacts.lst"_s, parlevo::test::fixtureBytes(u"contacts_example.lst"_s)));
        const Run r = contacts(dir, arguments);
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out, output);
        // Listing leaves the data directory as it was.
        QVERIFY(!QFile::exists(dir.filePath(u"Contacts.bak"_s)));
    }

    // optout changes only its list; contacts check names each contact concerned and changes
    // nothing; a list that cannot be read is a failure, a wrong option a usage error.
    void optOutAndCheck()
    {
        TestDataDir dir;
        const QByteArray book = "A;;M.;Jean;Un;06 12 34 56 78\r\nA;;;Luc;Fixe;01 23 45 67 89\r\n"
                                "B;;Mme;Anne;Deux;0033612345678\r\nB;;;Paul;Court;0612\r\n";
        QVERIFY(dir.write(u"Contacts.lst"_s, book));
        const auto cli = [&dir](const QStringList &arguments) {
            return parlevo::test::runCli(QStringList{u"--data-dir"_s, dir.path()} + arguments);
        };
        Run r = cli({u"optout"_s, u"add"_s, u"+33 6 12 34 56 78"_s, u"0612345678"_s});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out, u"1 added, 1 already listed\n"_s);
        QCOMPARE(dir.read(u"Desinscrits.lst"_s), QByteArray("+33 6 12 34 56 78\r\n"));

        r = cli({u"contacts"_s, u"check"_s, u"--group"_s, u"b"_s});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out, u"invalid\tCourt Paul\t0612\nopted out\tMme Deux Anne\t0033612345678\n"_s);
        r = cli({u"contacts"_s, u"check"_s});
        QCOMPARE(r.out, u"invalid\tCourt Paul\t0612\nnot mobile\tFixe Luc\t01 23 45 67 89\n"
                        u"duplicate +33612345678\tM. Un Jean\t06 12 34 56 78\n"
                        u"duplicate +33612345678\tMme Deux Anne\t0033612345678\n"
                        u"opted out\tM. Un Jean\t06 12 34 56 78\nopted out\tMme Deux Anne\t0033612345678\n"_s);
        QCOMPARE(dir.read(u"Contacts.lst"_s), book);
        QVERIFY(!QFile::exists(dir.filePath(u"Contacts.bak"_s)));

        QCOMPARE(cli({u"optout"_s, u"remove"_s, u"06.12.34.56.78"_s}).out, u"1 removed, 0 not listed\n"_s);
        QCOMPARE(cli({u"optout"_s, u"list"_s}).out, QString());
        QCOMPARE(cli({u"contacts"_s, u"check"_s, u"--bogus"_s}).status, 64);
        QVERIFY(QDir().mkpath(dir.filePath(u"Desinscrits.lst"_s)));
        QCOMPARE(cli({u"contacts"_s, u"check"_s}).status, 1);
    }

    void importThenAdd()
    {
        TestDataDir dir;
        QVERIFY(dir.write(u"Contacts.lst"_s, "Amis;;;;Martin;06\r\n"));
        Run r = contacts(dir, {u"import"_s, parlevo::test::fixturePath(u"import_example.csv"_s)});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out, u"Importer depuis un fichier CSV:\n\n2 contact(s) importé(s)\n"_s);

        r = contacts(dir, {u"add"_s, u"--gsm"_s, u"06 12"_s});
        QCOMPARE(r.status, 64);
        QVERIFY(r.err.startsWith(u"Vous devez entrer un nom de contact\n"_s));
        r = contacts(dir, {u"add"_s, u"--nom"_s, u"Roy"_s, u"--gsm"_s, u"06+33"_s});
        QCOMPARE(r.status, 64);
        r = contacts(dir, {u"add"_s, u"--nom"_s, u"Roy;er"_s, u"--gsm"_s, u"06"_s});
        QCOMPARE(r.status, 64);
        r = contacts(dir, {u"add"_s, u"--nom"_s, u"Roy"_s, u"--gsm"_s, u"06 12.3"_s, u"--groupe"_s, u"Clients"_s,
                           u"--titre"_s, u"Dr."_s});
        QCOMPARE(r.status, 0);
        // A leading "+" is taken, and stored the way the gateway wants it.
        QCOMPARE(contacts(dir, {u"add"_s, u"--nom"_s, u"Ray"_s, u"--gsm"_s, u"+33 6 55 44 33 22"_s}).status, 0);
        QCOMPARE(dir.read(u"Contacts.lst"_s), QByteArray("Amis;;;;Martin;06\r\n"
                                                         "Travail;Parlevo;Mr;Jean;Dupont;0612345678\r\n"
                                                         "Personnel;;Mme;Anne;Dupuis;0687654321\r\n"
                                                         "Clients;;Dr.;;Roy;06 12.3\r\n"
                                                         ";;;;Ray;0033655443322\r\n"));

        r = contacts(dir, {u"import"_s, dir.filePath(u"absent.csv"_s)});
        QCOMPARE(r.status, 1);
        QVERIFY(r.err.contains(u"0 contact(s) importé(s)"_s));

        // Characters the book's Windows-1252 file cannot hold are refused, not saved as "?".
        const QByteArray book = dir.read(u"Contacts.lst"_s);
        r = contacts(dir, {u"add"_s, u"--nom"_s, u"Иванов"_s, u"--gsm"_s, u"06"_s, u"--prenom"_s, u"😀"_s});
        QCOMPARE(r.status, 64);
        QVERIFY2(r.err.startsWith(u"Ces caractères ne peuvent pas être enregistrés : 😀Ивано\n"_s), qPrintable(r.err));
        // A spreadsheet's UTF-8 export is read as UTF-8; its lines that the book cannot hold are left out.
        QVERIFY(dir.write(u"utf8.csv"_s, "\xEF\xBB\xBF"
                                         "Amis;;;No\xC3\xABl;Durand;07\r\nAmis;;;\xD0\x98;Petrov;08\n"));
        r = contacts(dir, {u"import"_s, dir.filePath(u"utf8.csv"_s)});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out, u"Importer depuis un fichier CSV:\n\n1 contact(s) importé(s)\n\n"
                        u"1 ligne(s) refusée(s), avec des caractères impossibles à enregistrer : И\n\n"
                        u"1 numéro(s) illisible(s), importé(s) tel(s) quel(s)\n"_s);
        QCOMPARE(dir.read(u"Contacts.lst"_s), book + "Amis;;;No\xebl;Durand;07\r\n");
    }

    void vCardImportAndExport()
    {
        TestDataDir dir;
        QVERIFY(dir.write(u"Contacts.lst"_s, "Amis;;;;Martin;06\r\n"));
        // Known by its content, whatever its name.
        QVERIFY(dir.write(u"cards.txt"_s, parlevo::test::fixtureBytes(u"vcard_thunderbird40.vcf"_s)));
        Run r = contacts(dir, {u"import"_s, dir.filePath(u"cards.txt"_s), u"--group"_s, u"Amis"_s});
        QCOMPARE(r.status, 0);
        // Each number the import rewrote is told.
        QCOMPARE(r.out, u"Importer depuis un fichier vCard:\n\n2 contact(s) importé(s)\n\n2 numéro(s) corrigé(s) :\n"
                        u"M. Nguyen Thi Lan : +33-6-98-76-54-32 -> 0033698765432\n"
                        u"Haddad Sami : +216-71-000-000 -> 0021671000000\n"_s);
        QCOMPARE(dir.read(u"Contacts.lst"_s), QByteArray("Amis;;;;Martin;06\r\n"
                                                         "Amis;Parlevo;M.;Thi Lan;Nguyen;0033698765432\r\n"
                                                         "Amis;;;Sami;Haddad;0021671000000\r\n"));
        QCOMPARE(contacts(dir, {u"import"_s, dir.filePath(u"absent.vcf"_s)}).status, 1);

        r = contacts(dir, {u"export"_s, u"--vcard"_s, dir.filePath(u"out.vcf"_s), u"--group"_s, u"AMIS"_s});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out,
                 u"3 contact(s) exporté(s) vers %1\n"_s.arg(QDir::toNativeSeparators(dir.filePath(u"out.vcf"_s))));
        QCOMPARE(dir.read(u"out.vcf"_s).count("BEGIN:VCARD"), 3);
        QCOMPARE(contacts(dir, {u"export"_s}).status, 64);
        r = contacts(dir, {u"export"_s, u"--vcard"_s, dir.filePath(u"no/such/dir/out.vcf"_s)});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.startsWith(u"parlevo-cli: Le fichier "_s), qPrintable(r.err));
    }

    void headerCsvImportSaysWhichColumnWentWhere()
    {
        TestDataDir dir;
        const Run r = contacts(dir, {u"import"_s, parlevo::test::fixturePath(u"csv_thunderbird.csv"_s)});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out, u"groupe <- (none)\nsociete <- \"Organization\"\ntitre <- (none)\nprenom <- \"First Name\"\n"
                        u"nom <- \"Last Name\"\ngsm <- \"Mobile Number\"\n"
                        u"Importer depuis un fichier CSV:\n\n2 contact(s) importé(s)\n"_s);
        QCOMPARE(dir.read(u"Contacts.lst"_s), QByteArray(";Acme;;Paul;Martin;07 98 76 54 32\r\n;;;Lucie;Blanc;\r\n"));
    }

    // Without a number column the import stops and names the columns; --map names any column, and
    // --group puts every contact of a CSV file in one group. A file of no contact exits 1.
    void headerCsvMapAndGroup()
    {
        TestDataDir dir;
        QVERIFY(dir.write(u"clients.csv"_s, "Client,Appeler,Ville\r\nAnne Roy,06 12 34 56 78,Lyon\r\n"));
        Run r = contacts(dir, {u"import"_s, dir.filePath(u"clients.csv"_s)});
        QCOMPARE(r.status, 64);
        QVERIFY2(r.err.startsWith(u"parlevo-cli: no column was recognised as the number: name it with --map "
                                  u"gsm=HEADER; the columns are: \"Client\", \"Appeler\", \"Ville\"\n"_s),
                 qPrintable(r.err));
        QCOMPARE(contacts(dir, {u"import"_s, dir.filePath(u"clients.csv"_s), u"--map"_s, u"gsm=Phone"_s}).status, 64);
        QCOMPARE(contacts(dir, {u"import"_s, dir.filePath(u"clients.csv"_s), u"--map"_s, u"tel=Appeler"_s}).status, 64);
        QVERIFY(!QFile::exists(dir.filePath(u"Contacts.lst"_s)));

        r = contacts(dir, {u"import"_s, dir.filePath(u"clients.csv"_s), u"--map"_s, u"gsm=appeler"_s, u"--map"_s,
                           u"groupe=Ville"_s});
        QCOMPARE(r.status, 0);
        QVERIFY2(r.out.contains(u"gsm <- \"Appeler\"\n"_s), qPrintable(r.out));
        QVERIFY(dir.write(u"plain.csv"_s, ";;;Luc;Petit;0612345679\r\n"));
        QCOMPARE(contacts(dir, {u"import"_s, dir.filePath(u"plain.csv"_s), u"--group"_s, u"VIP"_s}).status, 0);
        QCOMPARE(dir.read(u"Contacts.lst"_s),
                 QByteArray("Lyon;;;;Anne Roy;06 12 34 56 78\r\nVIP;;;Luc;Petit;0612345679\r\n"));

        QVERIFY(dir.write(u"empty.vcf"_s, "BEGIN:VCARD\r\nEND:VCARD\r\n"));
        r = contacts(dir, {u"import"_s, dir.filePath(u"empty.vcf"_s)});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains(u"ne contient aucun contact"_s), qPrintable(r.err));
    }

    // The CLI never writes what it could not read, and says why instead of printing nothing.
    void unreadableBookAndUnusableDirectory()
    {
        TestDataDir dir;
        QVERIFY(dir.write(u"Contacts.lst"_s, QByteArray("A;;;;Nul\0after;06\r\n", 19)));
        Run r = contacts(dir, {u"list"_s});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out, u"A\t\t\t\tNul\0after\t06\n"_s); // whole fields, a NUL included
        QCOMPARE(contacts(dir, {u"add"_s, u"--nom"_s, u"B"_s, u"--gsm"_s, u"07"_s}).status, 0);
        const QByteArray book = dir.read(u"Contacts.lst"_s);
        QCOMPARE(book, QByteArray("A;;;;Nul\0after;06\r\n;;;;B;07\r\n", 29));

#ifdef Q_OS_UNIX
        // Unreadable and unwritable by the file's and the folder's modes (Windows keeps no such modes).
        QVERIFY(QFile::setPermissions(dir.path(), QFileDevice::Permissions(0x7777)));
        QVERIFY(QFile::setPermissions(dir.filePath(u"Contacts.lst"_s), QFileDevice::Permissions()));
        r = parlevo::test::runCliUnprivileged({u"--data-dir"_s, dir.path(), u"contacts"_s, u"list"_s});
        if (r.status == -2)
            QSKIP("running as root without setpriv: no unprivileged user to read as");
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains(u"parlevo-cli: cannot read "_s), qPrintable(r.err));
        r = parlevo::test::runCliUnprivileged(
            {u"--data-dir"_s, dir.path(), u"contacts"_s, u"add"_s, u"--nom"_s, u"C"_s, u"--gsm"_s, u"08"_s});
        QCOMPARE(r.status, 1);
        // A directory the user cannot write in: the lock's real reason, not "already running".
        // Writable by nobody, so it holds for an ordinary user who owns it as well as for root's stand-in.
        QVERIFY(QFile::setPermissions(dir.path(), QFileDevice::Permissions(0x5555)));
        r = parlevo::test::runCliUnprivileged(
            {u"--data-dir"_s, dir.path(), u"contacts"_s, u"add"_s, u"--nom"_s, u"C"_s, u"--gsm"_s, u"08"_s});
        QVERIFY(QFile::setPermissions(dir.path(), QFileDevice::Permissions(0x7755)));
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains(u"parlevo-cli: cannot lock the data directory "_s), qPrintable(r.err));
        QVERIFY(QFile::setPermissions(dir.filePath(u"Contacts.lst"_s), QFileDevice::ReadOwner));
        QCOMPARE(dir.read(u"Contacts.lst"_s), book);
#endif

        // A data directory that is a file cannot be locked: the real reason, not "already running".
        r = parlevo::test::runCli({u"--data-dir"_s, dir.filePath(u"Contacts.lst"_s), u"contacts"_s, u"add"_s,
                                   u"--nom"_s, u"D"_s, u"--gsm"_s, u"09"_s});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.startsWith(u"parlevo-cli: cannot lock the data directory "_s), qPrintable(r.err));
        QCOMPARE(dir.read(u"Contacts.lst"_s), book);
    }
};

QTEST_GUILESS_MAIN(TestCliContacts)
#include "test_clicontacts.moc"
