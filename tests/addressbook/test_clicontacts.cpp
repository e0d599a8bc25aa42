// parlevo-cli contacts run as a user runs it.
#include "cliprocess.h"
#include "testdatadir.h"

#include <QProcess>
#include <QTest>

using parlevo::test::TestDataDir;

namespace {

using Run = parlevo::test::CliRun;

Run cli(const TestDataDir &dir, const QStringList &arguments)
{
    return parlevo::test::runCli(QStringList{u"--data-dir"_qs, dir.path()} + arguments);
}

} // namespace

class TestCliContacts : public QObject {
    Q_OBJECT
private slots:
    void listFilters_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("output");
        const QString dupuis = u"Personnel\t\tMme\tAnne\tDupuis\t0687654321\n"_qs;
        const QString martin = u"Travail\tAcme\tM.\tJean\tMartin\t0611223344\n"_qs;
        const QString dupont = u"travail\t\t\t\t Dupont \t0600000000\n"_qs;
        const QString zoe = u"\tSociété Générale\t\tZoé\t\t06 12 34 56 78\n"_qs;
        QTest::newRow("all") << QStringList{u"list"_qs} << dupuis + martin + dupont + zoe;
        QTest::newRow("group contains, any case")
            << QStringList{u"list"_qs, u"--group"_qs, u"TRAV"_qs} << martin + dupont;
        QTest::newRow("group Tous") << QStringList{u"list"_qs, u"--group"_qs, u"Tous"_qs}
                                    << dupuis + martin + dupont + zoe;
        QTest::newRow("search nom") << QStringList{u"list"_qs, u"--search"_qs, u"DUP"_qs, u"--in"_qs, u"nom"_qs}
                                    << dupuis + dupont;
        QTest::newRow("empty search in societe")
            << QStringList{u"list"_qs, u"--search"_qs, QString(), u"--in"_qs, u"societe"_qs} << martin + zoe;
    }
    void listFilters()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, output);
        TestDataDir dir;
        QVERIFY(dir.write(u"Contacts.lst"_qs, parlevo::test::fixtureBytes(u"contacts_example.lst"_qs)));
        const Run r = cli(dir, QStringList{u"contacts"_qs} + arguments);
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out, output);
        // Listing leaves the data directory as it was.
        QVERIFY(!QFile::exists(dir.filePath(u"Contacts.bak"_qs)));
    }

    void importThenAdd()
    {
        TestDataDir dir;
        QVERIFY(dir.write(u"Contacts.lst"_qs, "Amis;;;;Martin;06\r\n"));
        Run r = cli(dir, {u"contacts"_qs, u"import"_qs, parlevo::test::fixturePath(u"import_example.csv"_qs)});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out, u"Importer depuis un fichier CSV:\n\n2 contact(s) importé(s)\n"_qs);

        r = cli(dir, {u"contacts"_qs, u"add"_qs, u"--gsm"_qs, u"06 12"_qs});
        QCOMPARE(r.status, 64);
        QVERIFY(r.err.startsWith(u"Vous devez entrer un nom de contact\n"_qs));
        r = cli(dir, {u"contacts"_qs, u"add"_qs, u"--nom"_qs, u"Roy"_qs, u"--gsm"_qs, u"+33"_qs});
        QCOMPARE(r.status, 64);
        r = cli(dir, {u"contacts"_qs, u"add"_qs, u"--nom"_qs, u"Roy;er"_qs, u"--gsm"_qs, u"06"_qs});
        QCOMPARE(r.status, 64);
        r = cli(dir, {u"contacts"_qs, u"add"_qs, u"--nom"_qs, u"Roy"_qs, u"--gsm"_qs, u"06 12.3"_qs, u"--groupe"_qs,
                      u"Clients"_qs, u"--titre"_qs, u"Dr."_qs});
        QCOMPARE(r.status, 0);
        QCOMPARE(dir.read(u"Contacts.lst"_qs), QByteArray("Amis;;;;Martin;06\r\n"
                                                          "Travail;Parlevo;Mr;Jean;Dupont;0612345678\r\n"
                                                          "Personnel;;Mme;Anne;Dupuis;0687654321\r\n"
                                                          "Clients;;Dr.;;Roy;06 12.3\r\n"));

        r = cli(dir, {u"contacts"_qs, u"import"_qs, dir.filePath(u"absent.csv"_qs)});
        QCOMPARE(r.status, 1);
        QVERIFY(r.err.contains(u"0 contact(s) importé(s)"_qs));
    }
};

QTEST_GUILESS_MAIN(TestCliContacts)
#include "test_clicontacts.moc"
