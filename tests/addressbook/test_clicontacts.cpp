// parlevo-cli contacts run as a user runs it.
#include "cliprocess.h"
#include "testdatadir.h"

#include <QProcess>
#include <QTest>

using namespace Qt::StringLiterals;

using parlevo::test::TestDataDir;

namespace {

using Run = parlevo::test::CliRun;

Run cli(const TestDataDir &dir, const QStringList &arguments)
{
    return parlevo::test::runCli(QStringList{u"--data-dir"_s, dir.path()} + arguments);
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
        QTest::newRow("group Tous") << QStringList{u"list"_s, u"--group"_s, u"Tous"_s}
                                    << dupuis + martin + dupont + zoe;
        QTest::newRow("search nom") << QStringList{u"list"_s, u"--search"_s, u"DUP"_s, u"--in"_s, u"nom"_s}
                                    << dupuis + dupont;
        QTest::newRow("empty search in societe")
            << QStringList{u"list"_s, u"--search"_s, QString(), u"--in"_s, u"societe"_s} << martin + zoe;
    }
    void listFilters()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, output);
        TestDataDir dir;
        QVERIFY(dir.write(u"Contacts.lst"_s, parlevo::test::fixtureBytes(u"contacts_example.lst"_s)));
        const Run r = cli(dir, QStringList{u"contacts"_s} + arguments);
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out, output);
        // Listing leaves the data directory as it was.
        QVERIFY(!QFile::exists(dir.filePath(u"Contacts.bak"_s)));
    }

    void importThenAdd()
    {
        TestDataDir dir;
        QVERIFY(dir.write(u"Contacts.lst"_s, "Amis;;;;Martin;06\r\n"));
        Run r = cli(dir, {u"contacts"_s, u"import"_s, parlevo::test::fixturePath(u"import_example.csv"_s)});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out, u"Importer depuis un fichier CSV:\n\n2 contact(s) importé(s)\n"_s);

        r = cli(dir, {u"contacts"_s, u"add"_s, u"--gsm"_s, u"06 12"_s});
        QCOMPARE(r.status, 64);
        QVERIFY(r.err.startsWith(u"Vous devez entrer un nom de contact\n"_s));
        r = cli(dir, {u"contacts"_s, u"add"_s, u"--nom"_s, u"Roy"_s, u"--gsm"_s, u"+33"_s});
        QCOMPARE(r.status, 64);
        r = cli(dir, {u"contacts"_s, u"add"_s, u"--nom"_s, u"Roy;er"_s, u"--gsm"_s, u"06"_s});
        QCOMPARE(r.status, 64);
        r = cli(dir, {u"contacts"_s, u"add"_s, u"--nom"_s, u"Roy"_s, u"--gsm"_s, u"06 12.3"_s, u"--groupe"_s,
                      u"Clients"_s, u"--titre"_s, u"Dr."_s});
        QCOMPARE(r.status, 0);
        QCOMPARE(dir.read(u"Contacts.lst"_s), QByteArray("Amis;;;;Martin;06\r\n"
                                                         "Travail;Parlevo;Mr;Jean;Dupont;0612345678\r\n"
                                                         "Personnel;;Mme;Anne;Dupuis;0687654321\r\n"
                                                         "Clients;;Dr.;;Roy;06 12.3\r\n"));

        r = cli(dir, {u"contacts"_s, u"import"_s, dir.filePath(u"absent.csv"_s)});
        QCOMPARE(r.status, 1);
        QVERIFY(r.err.contains(u"0 contact(s) importé(s)"_s));
    }
};

QTEST_GUILESS_MAIN(TestCliContacts)
#include "test_clicontacts.moc"
