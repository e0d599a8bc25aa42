// CSV files of other programs: which files need their columns chosen, and what the header gives.
#include "addressbook/csvcolumns.h"
#include "testdatadir.h"

#include <QTest>

using namespace Qt::StringLiterals;

using namespace parlevo;

class TestCsvColumns : public QObject {
    Q_OBJECT
private slots:
    void headerChoosesTheColumns_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QList<QStringList>>("contacts");
        // Group, company, title, first name, last name, number.
        QTest::newRow("Google, quoted fields, group labels")
            << test::fixtureBytes(u"csv_google.csv"_s)
            << QList<QStringList>{
                   {u"Travail"_s, u"Parlevo"_s, u"M."_s, u"Jean"_s, u"Dupont"_s, u"+33 6 12 34 56 78"_s},
                   {{}, u"Dupuis, Fils et Cie"_s, u"Mme"_s, u"Anne"_s, u"Dupuis"_s, u"01 23 45 67 89"_s}};
        QTest::newRow("Outlook in French, Windows-1252, a line break in quotes")
            << test::fixtureBytes(u"csv_outlook_fr.csv"_s)
            << QList<QStringList>{
                   {u"Clients"_s, u"Boulangerie"_s, u"M."_s, u"Jérôme"_s, u"Lefèvre"_s, u"06 11 22 33 44"_s}};
        QTest::newRow("Thunderbird, the mobile column over the others")
            << test::fixtureBytes(u"csv_thunderbird.csv"_s)
            << QList<QStringList>{{{}, u"Acme"_s, {}, u"Paul"_s, u"Martin"_s, u"07 98 76 54 32"_s},
                                  {{}, {}, {}, u"Lucie"_s, u"Blanc"_s, {}}};
        QTest::newRow("spreadsheet in French with \";\"")
            << QByteArray("\xEF\xBB\xBFNom;Pr\xC3\xA9nom;T\xC3\xA9l\xC3\xA9phone mobile;Groupe\r\nRoy;Zo\xC3\xA9;06 "
                          "00;Amis\r\n")
            << QList<QStringList>{{u"Amis"_s, {}, {}, u"Zoé"_s, u"Roy"_s, u"06 00"_s}};
        // One known name is a header: the line is never a contact, nor are columns taken by position.
        QTest::newRow("name, phone") << QByteArray("Name,Phone\r\nAnne Roy,06 12 34 56 78\r\n")
                                     << QList<QStringList>{{{}, {}, {}, {}, u"Anne Roy"_s, u"06 12 34 56 78"_s}};
        QTest::newRow("client, mobile") << QByteArray("Client,Mobile\nLuc,+33 6 12 34 56 78\n")
                                        << QList<QStringList>{{{}, {}, {}, {}, u"Luc"_s, u"+33 6 12 34 56 78"_s}};
        QTest::newRow("full name, mobile number") << QByteArray("Full name,Mobile number,Notes\nEve Roux,0612,x\n")
                                                  << QList<QStringList>{{{}, {}, {}, {}, u"Eve Roux"_s, u"0612"_s}};
        const QString unicode = u"Prénom;Nom;Portable\r\nZoé;Roy;06 00\r\n"_s;
        const QList<QStringList> zoe{{{}, {}, {}, u"Zoé"_s, u"Roy"_s, u"06 00"_s}};
        QByteArray little("\xFF\xFE");
        QByteArray big("\xFE\xFF");
        for (const QChar c : unicode) {
            little += char(c.unicode() & 0xFF);
            little += char(c.unicode() >> 8);
            big += char(c.unicode() >> 8);
            big += char(c.unicode() & 0xFF);
        }
        QTest::newRow("UTF-16 little-endian") << little << zoe;
        QTest::newRow("UTF-16 big-endian") << big << zoe;
        QTest::newRow("tabs without a header: the contacts file's order")
            << QByteArray("Amis\t\tMme\tZo\xE9\tRoy\t06 00\nAmis\t\"a\"\"b\"\n")
            << QList<QStringList>{{u"Amis"_s, {}, u"Mme"_s, u"Zoé"_s, u"Roy"_s, u"06 00"_s},
                                  {u"Amis"_s, u"a\"b"_s, {}, {}, {}, {}}};
    }
    void headerChoosesTheColumns()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QList<QStringList>, contacts);
        const std::optional<CsvTable> table = readCsvTable(bytes);
        QVERIFY(table);
        int key = 0;
        QList<QStringList> records;
        for (const auto &c :
             contactsFromTable(*table, defaultMapping(*table), [&key] { return QString::number(++key); }))
            records.append({c->Groupe, c->Societe, c->Titre, c->Prenom, c->Nom, c->Phone});
        QCOMPARE(records, contacts);
    }

    // The contacts file's own layout keeps the plain import, a first line naming its columns or not.
    void ownLayoutIsNotMapped_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("example") << QByteArray("Travail;Parlevo;Mr;Jean;Dupont;0612345678\r\n");
        QTest::newRow("commas inside fields") << QByteArray("Amis;Dupont, Fils;;;Roy;06\r\n");
        QTest::newRow("one field") << QByteArray("Martin\r\n");
        QTest::newRow("a group named as a column") << QByteArray("Client;;;Anne;Martin;06\r\n");
        QTest::newRow("empty") << QByteArray();
    }
    void ownLayoutIsNotMapped()
    {
        QFETCH(QByteArray, bytes);
        QVERIFY(!readCsvTable(bytes));
    }
};

QTEST_GUILESS_MAIN(TestCsvColumns)
#include "test_csvcolumns.moc"
