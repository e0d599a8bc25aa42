#include "addressbook/addressbook.h"
#include "addressbook/contactcollection.h"
#include "addressbook/contactrules.h"
#include "addressbook/csvimport.h"
#include "addressbook/groupcollection.h"
#include "addressbook/sortkeys.h"
#include "base/datadir.h"
#include "base/textes.h"
#include "base/txt.h"
#include "testdatadir.h"

#include <QDir>
#include <QTest>

using namespace Qt::StringLiterals;

using namespace parlevo;

namespace {

ClassContact contact(const QString &groupe, const QString &societe, const QString &nom, const QString &phone = {})
{
    ClassContact c;
    c.Groupe = groupe;
    c.Societe = societe;
    c.Nom = nom;
    c.Phone = phone;
    return c;
}

QStringList fields(const ClassContact &c)
{
    return {c.Groupe, c.Societe, c.Titre, c.Prenom, c.Nom, c.Phone, c.GUID};
}

} // namespace

class TestContactRules : public QObject {
    Q_OBJECT
private slots:
    void columnsFollowTheFlagsInFixedOrder()
    {
        Config config;
        config.ColumnGroup = config.ColumnCompany = config.ColumnFullName = config.ColumnGSM = false;
        QVERIFY(presentColumns(config).isEmpty());
        config.ColumnGSM = true;
        config.ColumnTitle = true;
        config.ColumnGroup = true;
        QCOMPARE(presentColumns(config),
                 (QList<ContactColumn>{ContactColumn::Groupe, ContactColumn::Titre, ContactColumn::GSM}));
        ClassContact c = contact(u"G"_s, u"S"_s, u"Dupuis"_s, u"06"_s);
        c.Titre = u"Mme"_s;
        QCOMPARE(columnValue(c, ContactColumn::FullName), u"Mme Dupuis "_s);
        QCOMPARE(columnValue(c, ContactColumn::GSM), u"06"_s);
    }

    void sortComparesTextIgnoringCase()
    {
        std::vector<ClassContact> book{contact({}, {}, u"9"_s), contact({}, {}, u"b"_s), contact({}, {}, u"10"_s),
                                       contact({}, {}, u"B"_s), contact({}, {}, u"a"_s)};
        std::vector<ClassContact *> rows;
        for (ClassContact &c : book)
            rows.push_back(&c);
        auto names = [&rows] {
            QStringList out;
            for (const ClassContact *c : rows)
                out.append(c->Nom);
            return out;
        };
        sortContacts(rows, ContactColumn::Nom, true);
        // Numbers sort as text; equal texts keep their order.
        QCOMPARE(names(), (QStringList{u"10"_s, u"9"_s, u"a"_s, u"b"_s, u"B"_s}));
        sortContacts(rows, ContactColumn::Nom, false);
        QCOMPARE(names(), (QStringList{u"b"_s, u"B"_s, u"a"_s, u"9"_s, u"10"_s}));
    }

    // Short texts, shared beginnings, accents, case and NUL units against the one-pair comparison,
    // for a whole sort and for new rows merged into rows already sorted.
    void sortAgreesWithTheComparison()
    {
        const QString pieces[] = {u"ab"_s, u"AB"_s, u"abc"_s, u"a"_s, QString(QChar(0)), u"É"_s, u"é"_s,
                                  u" "_s,  u"Z"_s,  u"ß"_s,   u"1"_s, QString()};
        std::vector<ClassContact> book;
        quint32 seed = 7;
        for (int i = 0; i < 400; ++i) {
            ClassContact c;
            for (QString *field : {&c.Titre, &c.Nom, &c.Prenom}) {
                for (int k = int(seed % 4); k > 0; --k) {
                    seed = seed * 1103515245 + 12345;
                    *field += pieces[(seed >> 16) % std::size(pieces)];
                }
            }
            book.push_back(c);
        }
        for (ContactColumn column : {ContactColumn::Nom, ContactColumn::FullName}) {
            for (bool ascending : {true, false}) {
                std::vector<ClassContact *> expected;
                for (ClassContact &c : book)
                    expected.push_back(&c);
                std::vector<ClassContact *> rows = expected;
                std::stable_sort(expected.begin(), expected.end(), [&](ClassContact *a, ClassContact *b) {
                    const int c = compareIgnoringCase(columnValue(*a, column), columnValue(*b, column));
                    return ascending ? c < 0 : c > 0;
                });
                sortContacts(rows, column, ascending);
                QVERIFY(rows == expected);

                std::vector<ClassContact *> merged(rows.begin(), rows.begin() + 150);
                std::stable_sort(merged.begin(), merged.end(), [&](ClassContact *a, ClassContact *b) {
                    const int c = compareIgnoringCase(columnValue(*a, column), columnValue(*b, column));
                    return ascending ? c < 0 : c > 0;
                });
                const std::size_t prefix = merged.size();
                merged.insert(merged.end(), rows.begin() + 150, rows.end());
                std::vector<ClassContact *> whole = merged;
                sortContacts(merged, column, ascending, prefix);
                sortContacts(whole, column, ascending);
                QVERIFY(merged == whole);
            }
        }
    }

    void searchIgnoresCaseLikeQt()
    {
        const QString texts[] = {QString(), u"a"_s,    u"Dupont"_s, u"DUPUIS"_s,      u"éÉé"_s,
                                 u"xDUp"_s, u"ddup"_s, u"Straße"_s, u"\U00010400x"_s, u"\U00010428"_s,
                                 u"dupd"_s, u"aaab"_s, u"É"_s};
        std::vector<ClassContact> book;
        for (const QString &text : texts)
            book.push_back(contact({}, {}, text));
        std::vector<ClassContact *> rows;
        for (ClassContact &c : book)
            rows.push_back(&c);
        const FoldedField folded(rows, 3);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const QString &text = texts[i];
            for (const QString &part : texts) {
                QVERIFY2(containsIgnoringCase(text, part) == text.contains(part, Qt::CaseInsensitive),
                         qPrintable(text + u" / "_s + part));
                if (foldsUnitByUnit(part))
                    QCOMPARE(folded.listed(i, foldedText(part)), listedBySearch(*rows[i], 3, part));
            }
        }
        QVERIFY(containsIgnoringCase(u"aaab", u"AAB"));
        QVERIFY(!containsIgnoringCase(u"dup", u"dupo"));
    }

    void groupFilter_data()
    {
        QTest::addColumn<QString>("groupe");
        QTest::addColumn<QString>("item");
        QTest::addColumn<bool>("listed");
        QTest::newRow("name inside another") << u"Clients VIP"_s << u"Client"_s << true;
        QTest::newRow("same name") << u"Client"_s << u"Client"_s << true;
        QTest::newRow("longer item") << u"Client"_s << u"Clients VIP"_s << false;
        QTest::newRow("case") << u"CLIENT"_s << u"client"_s << true;
        QTest::newRow("no group under a group") << QString() << u"Client"_s << false;
        QTest::newRow("no group under all") << QString() << u"Tous"_s << true;
    }
    void groupFilter()
    {
        QFETCH(QString, groupe);
        QFETCH(QString, item);
        QFETCH(bool, listed);
        QCOMPARE(listedByGroup(contact(groupe, {}, u"X"_s), item, u"Tous"_s), listed);
    }

    void deepSearch_data()
    {
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("listed");
        QTest::newRow("dup in Nom") << 3 << u"dup"_s << QStringList{u"Dupont"_s, u"DUPUIS"_s};
        QTest::newRow("empty in Societe") << 0 << QString() << QStringList{u"Martin"_s, u"DUPUIS"_s};
        QTest::newRow("number") << 4 << u"12"_s << QStringList{u"Martin"_s};
        QTest::newRow("nothing") << 3 << u"zz"_s << QStringList{};
        QTest::newRow("unknown field") << 9 << QString() << QStringList{};
    }
    void deepSearch()
    {
        QFETCH(int, field);
        QFETCH(QString, text);
        QFETCH(QStringList, listed);
        const ClassContact book[] = {contact({}, {}, u"Dupont"_s, u"06"_s),
                                     contact({}, u"Acme"_s, u"Martin"_s, u"0612"_s), contact({}, u" "_s, u"DUPUIS"_s)};
        QStringList found;
        for (const ClassContact &c : book) {
            if (listedBySearch(c, field, text))
                found.append(c.Nom);
        }
        QCOMPARE(found, listed);
    }

    void editorChecksLastNameFirst()
    {
        QCOMPARE(contactEditorError({}, {}), Txt::NoLastName);
        QCOMPARE(contactEditorError({}, u"06"_s), Txt::NoLastName);
        QCOMPARE(contactEditorError(u"Dupont"_s, {}), Txt::NoNumber);
        QCOMPARE(contactEditorError(u" "_s, u" "_s), std::nullopt);
    }

    void fieldFilters()
    {
        QCOMPARE(numberCharactersOnly(u"+33 6.12-ab\t34+"_s), u"+33 6.1234"_s);
        QCOMPARE(numberCharactersOnly(u"+33 6"_s, false), u"33 6"_s);
        QCOMPARE(withoutForbidden(u"a;b\r\nc d"_s), u"abc d"_s);
    }

    void importAppendsEveryLine_data()
    {
        QTest::addColumn<QString>("fixture");
        QTest::addColumn<QList<QStringList>>("contacts");
        QTest::addColumn<QString>("unreadable");
        QTest::newRow("example")
            << u"import_example.csv"_s
            << QList<QStringList>{{u"Travail"_s, u"Parlevo"_s, u"Mr"_s, u"Jean"_s, u"Dupont"_s, u"0612345678"_s,
                                   u"6"_s},
                                  {u"Personnel"_s, {}, u"Mme"_s, u"Anne"_s, u"Dupuis"_s, u"0687654321"_s, u"7"_s}}
            << QString();
        // A header line, a short line ended by a lone LF, quotes kept, an empty line, extra fields.
        QTest::newRow("mixed") << u"import_mixed.csv"_s
                               << QList<QStringList>{{u"Groupe"_s, u"Société"_s, u"Titre"_s, u"Prénom"_s, u"Nom"_s,
                                                      u"N° de GSM"_s, u"6"_s},
                                                     {u"Amis"_s, {}, {}, {}, u"Martin"_s, {}, u"7"_s},
                                                     {u"\"Clients\""_s, u"\" Acme \""_s, u"M."_s, u"Paul"_s,
                                                      u"Durand"_s, u"06 12"_s, u"8"_s},
                                                     {{}, {}, {}, {}, {}, {}, u"9"_s},
                                                     {u"A"_s, u"B"_s, u"C"_s, u"D"_s, u"E"_s, u"F"_s, u"10"_s}}
                               << u"\r\n\r\n3 numéro(s) illisible(s), importé(s) tel(s) quel(s)"_s;
    }
    void importAppendsEveryLine()
    {
        QFETCH(QString, fixture);
        QFETCH(QList<QStringList>, contacts);
        QFETCH(QString, unreadable);
        test::TestDataDir dir;
        DataDir data(dir.path());
        AddressBook book(data);
        for (int i = 0; i < 5; ++i)
            book.NextKey();
        auto first = std::make_unique<ClassContact>(contact({}, {}, u"Premier"_s));
        first->GUID = u"1"_s;
        book.colContacts().add(std::move(first));

        const ContactImportResult result = importCsvFile(book, test::fixturePath(fixture));
        QVERIFY(result.opened);
        QCOMPARE(result.count, contacts.size());
        QCOMPARE(book.colContacts().count(), contacts.size() + 1);
        QCOMPARE(book.colContacts().at(0)->Nom, u"Premier"_s);
        for (qsizetype i = 0; i < contacts.size(); ++i)
            QCOMPARE(fields(*book.colContacts().at(i + 1)), contacts[i]);
        // Imported groups wait for the next start.
        QCOMPARE(book.colGroupes().count(), 0);
        QCOMPARE(importMessage(TextTable(), result, {}),
                 u"Importer depuis un fichier CSV:\r\n\r\n%1 contact(s) importé(s)"_s.arg(contacts.size()) +
                     unreadable);
    }

    void nearestWindows1252Letters()
    {
        QCOMPARE(nearest1252(u"Nguyễn Thị"_s), u"Nguyên Thi"_s);
        QCOMPARE(nearest1252(u"Łódź, Ștefan, Đorđe"_s), u"Lódz, Stefan, Dorde"_s);
        // Nothing near: left for the import to refuse.
        QCOMPARE(nearest1252(u"Иван 😀"_s), u"Иван 😀"_s);
    }

    // Each number is read on its way in, and characters the book cannot hold are replaced; the
    // report names each contact changed and counts the numbers kept as written.
    void importReadsNumbersAndReplacesCharacters()
    {
        test::TestDataDir dir;
        DataDir data(dir.path());
        AddressBook book(data);
        QVERIFY(dir.write(u"numbers.csv"_s, u"Clients;;;Anne;Martin;+33 6 12 34 56 78\r\n;;;Luc;Petit;658202938\r\n"
                                            u";;;Eve;Roux;n/a\r\n;;;Thị;Nguyễn;06 12 34 56 79\r\n"_s.toUtf8()));
        const ContactImportResult result = importCsvFile(book, dir.filePath(u"numbers.csv"_s));
        QStringList phones;
        for (qsizetype i = 0; i < book.colContacts().count(); ++i)
            phones += book.colContacts().at(i)->Phone;
        QCOMPARE(phones, (QStringList{u"0033612345678"_s, u"0658202938"_s, u"n/a"_s, u"06 12 34 56 79"_s}));
        QCOMPARE(book.colContacts().at(3)->Nom, u"Nguyên"_s);
        QCOMPARE(
            importMessage(TextTable(), result, {}),
            u"Importer depuis un fichier CSV:\r\n\r\n4 contact(s) importé(s)\r\n\r\n"
            u"1 contact(s) avec des caractères remplacés :\r\nNguyên Thi : Thị -> Thi\r\nNguyên Thi : Nguyễn -> Nguyên"
            u"\r\n\r\n2 numéro(s) corrigé(s) :\r\n"
            u"Martin Anne : +33 6 12 34 56 78 -> 0033612345678\r\nPetit Luc : 658202938 -> 0658202938\r\n\r\n"
            u"1 numéro(s) illisible(s), importé(s) tel(s) quel(s)"_s);
    }

    void importOfEmptyOrUnreadableFile()
    {
        test::TestDataDir dir;
        DataDir data(dir.path());
        AddressBook book(data);
        QVERIFY(dir.write(u"empty.csv"_s, {}));
        ContactImportResult result = importCsvFile(book, dir.filePath(u"empty.csv"_s));
        QVERIFY(result.opened);
        QCOMPARE(result.count, 0);
        QCOMPARE(importMessage(TextTable(), result, u"empty.csv"_s),
                 u"Importer depuis un fichier CSV:\r\n\r\nLe fichier empty.csv ne contient aucun contact.\r\n\r\n"
                 u"0 contact(s) importé(s)"_s);

        const QString missing = dir.filePath(u"missing.csv"_s);
        result = importCsvFile(book, missing);
        QVERIFY(!result.opened);
        QCOMPARE(book.colContacts().count(), 0);
        QCOMPARE(importMessage(TextTable(), result, missing), u"Importer depuis un fichier CSV:\r\n\r\n"_s +
                                                                  QDir::toNativeSeparators(missing) +
                                                                  u"\r\n\r\n0 contact(s) importé(s)"_s);
    }
};

QTEST_GUILESS_MAIN(TestContactRules)
#include "test_contactrules.moc"
