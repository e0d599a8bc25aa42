// Reading the cards of other programs, and the vCard file the address book writes.
#include "addressbook/addressbook.h"
#include "addressbook/contactcollection.h"
#include "addressbook/csvimport.h"
#include "addressbook/vcard.h"
#include "base/datadir.h"
#include "base/textes.h"
#include "testdatadir.h"

#include <QTest>

using namespace Qt::StringLiterals;

using namespace parlevo;

namespace {

// Group, company, title, first name, last name, number: the contacts file's order.
QStringList stored(const ClassContact &c)
{
    return {c.Groupe, c.Societe, c.Titre, c.Prenom, c.Nom, c.Phone};
}

QList<QStringList> readFixture(const QString &name)
{
    int key = 0;
    QList<QStringList> records;
    for (const auto &contact : readVCards(test::fixtureBytes(name), [&key] { return QString::number(++key); }))
        records.append(stored(*contact));
    return records;
}

} // namespace

class TestVCard : public QObject {
    Q_OBJECT
private slots:
    void readsExportsOfOtherPrograms_data()
    {
        QTest::addColumn<QString>("fixture");
        QTest::addColumn<QList<QStringList>>("contacts");
        QTest::newRow("Android 2.1, quoted-printable, agent")
            << u"vcard_android21.vcf"_s
            << QList<QStringList>{
                   {{}, u"Société Générale"_s, u"Mme"_s, u"Anne-Éléonore"_s, u"Dupuis"_s, u"+33 6 87 65 43 21"_s},
                   {{}, {}, {}, u"Garage"_s, u"Martin"_s, u"04-78-00-00-00"_s},
                   {{}, {}, {}, u"René"_s, u"Léger"_s, u"0655443322"_s}};
        QTest::newRow("iOS 3.0, labelled items, company card")
            << u"vcard_ios30.vcf"_s
            << QList<QStringList>{
                   {{}, u"Clinique du Parc"_s, u"Dr"_s, u"Jean-Baptiste"_s, u"Lefèvre"_s, u"06 12 34 56 78"_s},
                   {{}, u"Boulangerie Rousseau"_s, {}, {}, u"Boulangerie Rousseau"_s, u"04 91 00 00 00"_s}};
        QTest::newRow("Google 3.0, categories")
            << u"vcard_google30.vcf"_s
            << QList<QStringList>{
                   {u"Clients 2024"_s, u"Atelier, Bois & Cie"_s, {}, u"Chloé"_s, u"Bernard"_s, u"07 11 22 33 44"_s},
                   {{}, {}, {}, u"Marc"_s, {}, u"+1 (555) 010-2030"_s}};
        QTest::newRow("Thunderbird 4.0, tel: URIs")
            << u"vcard_thunderbird40.vcf"_s
            << QList<QStringList>{
                   {u"Fournisseurs"_s, u"Parlevo"_s, u"M."_s, u"Thi Lan"_s, u"Nguyen"_s, u"+33-6-98-76-54-32"_s},
                   {{}, {}, {}, u"Sami"_s, u"Haddad"_s, u"+216-71-000-000"_s}};
    }
    void readsExportsOfOtherPrograms()
    {
        QFETCH(QString, fixture);
        QFETCH(QList<QStringList>, contacts);
        QCOMPARE(readFixture(fixture), contacts);
    }

    void detectsCardsByContent_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("vCard");
        QTest::newRow("plain") << QByteArray("BEGIN:VCARD\r\nVERSION:3.0\r\n") << true;
        QTest::newRow("BOM, blank lines, lower case") << QByteArray("\xEF\xBB\xBF\r\n  \nbegin:vcard\n") << true;
        QTest::newRow("CSV") << QByteArray("Travail;Parlevo;Mr;Jean;Dupont;0612345678\r\n") << false;
        QTest::newRow("empty") << QByteArray() << false;
    }
    void detectsCardsByContent()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, vCard);
        QCOMPARE(looksLikeVCard(bytes), vCard);
    }

    // Windows tools save "Unicode" as UTF-16 with a byte order mark, in either order.
    void readsUtf16()
    {
        const QString card = u"BEGIN:VCARD\r\nVERSION:3.0\r\nN:Lefèvre;Zoé;;;\r\nTEL:06 12\r\nEND:VCARD\r\n"_s;
        for (const bool little : {true, false}) {
            QByteArray bytes(little ? "\xFF\xFE" : "\xFE\xFF");
            for (const QChar c : card) {
                const char low = char(c.unicode() & 0xFF);
                const char high = char(c.unicode() >> 8);
                bytes += little ? low : high;
                bytes += little ? high : low;
            }
            QVERIFY(looksLikeVCard(bytes));
            const auto contacts = readVCards(bytes, [] { return u"1"_s; });
            QCOMPARE(contacts.size(), std::size_t(1));
            QCOMPARE(stored(*contacts[0]), (QStringList{{}, {}, {}, u"Zoé"_s, u"Lefèvre"_s, u"06 12"_s}));
        }
    }

    // The exact bytes: CR LF, escapes, a fold at 75 octets that never cuts a UTF-8 sequence.
    void writesFoldedEscapedVersion3()
    {
        ClassContact a;
        a.Groupe = u"Amis, proches"_s;
        a.Societe = u"Dupont\\Fils"_s;
        a.Titre = u"Mme"_s;
        a.Prenom = u"Anne"_s;
        a.Nom = u"Dupuis"_s;
        a.Phone = u"06 87 65 43 21"_s;
        ClassContact b;
        b.Nom = QString(70, u'x') + u"éé"_s;
        const QByteArray expected = "BEGIN:VCARD\r\nVERSION:3.0\r\n"
                                    "N:Dupuis;Anne;;Mme;\r\n"
                                    "FN:Mme Anne Dupuis\r\n"
                                    "ORG:Dupont\\\\Fils\r\n"
                                    "TEL;TYPE=CELL:06 87 65 43 21\r\n"
                                    "CATEGORIES:Amis\\, proches\r\n"
                                    "END:VCARD\r\n"
                                    "BEGIN:VCARD\r\nVERSION:3.0\r\n"
                                    "N:" +
                                    QByteArray(70, 'x') + "\xC3\xA9\r\n \xC3\xA9;;;;\r\n" +
                                    "FN:" + QByteArray(70, 'x') +
                                    "\xC3\xA9\r\n \xC3\xA9\r\n"
                                    "END:VCARD\r\n";
        QCOMPARE(vCardsOf({&a, &b}), expected);

        // And back: the six fields as they were.
        int key = 0;
        const auto back = readVCards(expected, [&key] { return QString::number(++key); });
        QCOMPARE(back.size(), std::size_t(2));
        QCOMPARE(stored(*back[0]), stored(a));
        QCOMPARE(stored(*back[1]), stored(b));
        QCOMPARE(back[1]->GUID, u"2"_s);
    }

    // The import keeps the CSV import's limits and names the vCard file in its message.
    void importWithChosenGroupAndRefusedCard()
    {
        test::TestDataDir dir;
        QVERIFY(dir.write(u"mixed.vcf"_s, "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Petrov;\xD0\x98;;;\r\nEND:VCARD\r\n"
                                          "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Roy;Luc;;;\r\nCATEGORIES:Amis\r\n"
                                          "TEL:07\r\nEND:VCARD\r\n"));
        DataDir data(dir.path());
        AddressBook book(data);
        const ContactImportResult result = importVCardFile(book, dir.filePath(u"mixed.vcf"_s), u"Clients"_s);
        QCOMPARE(book.colContacts().count(), 1);
        QCOMPARE(stored(*book.colContacts().at(0)), (QStringList{u"Clients"_s, {}, {}, u"Luc"_s, u"Roy"_s, u"07"_s}));
        QCOMPARE(importMessage(TextTable(), result, {}),
                 u"Importer depuis un fichier vCard:\r\n\r\n1 contact(s) importé(s)\r\n\r\n"
                 u"1 fiche(s) refusée(s), avec des caractères impossibles à enregistrer : И\r\n\r\n"
                 u"1 numéro(s) illisible(s), importé(s) tel(s) quel(s)"_s);
    }
};

QTEST_GUILESS_MAIN(TestVCard)
#include "test_vcard.moc"
