#include "addressbook/contactrules.h"
#include "addressbook/csvimport.h"
#include "app/appstate.h"
#include "testdatadir.h"

#include <QDir>
#include <QTest>

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
        ClassContact c = contact(u"G"_qs, u"S"_qs, u"Dupuis"_qs, u"06"_qs);
        c.Titre = u"Mme"_qs;
        QCOMPARE(columnValue(c, ContactColumn::FullName), u"Mme Dupuis "_qs);
        QCOMPARE(columnValue(c, ContactColumn::GSM), u"06"_qs);
    }

    void sortComparesTextIgnoringCase()
    {
        std::vector<ClassContact> book{contact({}, {}, u"9"_qs), contact({}, {}, u"b"_qs), contact({}, {}, u"10"_qs),
                                       contact({}, {}, u"B"_qs), contact({}, {}, u"a"_qs)};
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
        QCOMPARE(names(), (QStringList{u"10"_qs, u"9"_qs, u"a"_qs, u"b"_qs, u"B"_qs}));
        sortContacts(rows, ContactColumn::Nom, false);
        QCOMPARE(names(), (QStringList{u"b"_qs, u"B"_qs, u"a"_qs, u"9"_qs, u"10"_qs}));
    }

    // Short texts, shared beginnings, accents, case and NUL units against the one-pair comparison,
    // for a whole sort and for new rows merged into rows already sorted.
    void sortAgreesWithTheComparison()
    {
        const QString pieces[] = {u"ab"_qs, u"AB"_qs, u"abc"_qs, u"a"_qs, QString(QChar(0)), u"É"_qs,
                                  u"é"_qs,  u" "_qs,  u"Z"_qs,   u"ß"_qs, u"1"_qs,           QString()};
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
        const QString texts[] = {QString(),  u"a"_qs,    u"Dupont"_qs, u"DUPUIS"_qs,      u"éÉé"_qs,
                                 u"xDUp"_qs, u"ddup"_qs, u"Straße"_qs, u"\U00010400x"_qs, u"\U00010428"_qs,
                                 u"dupd"_qs, u"aaab"_qs, u"É"_qs};
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
                         qPrintable(text + u" / "_qs + part));
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
        QTest::newRow("name inside another") << u"Clients VIP"_qs << u"Client"_qs << true;
        QTest::newRow("same name") << u"Client"_qs << u"Client"_qs << true;
        QTest::newRow("longer item") << u"Client"_qs << u"Clients VIP"_qs << false;
        QTest::newRow("case") << u"CLIENT"_qs << u"client"_qs << true;
        QTest::newRow("no group under a group") << QString() << u"Client"_qs << false;
        QTest::newRow("no group under all") << QString() << u"Tous"_qs << true;
    }
    void groupFilter()
    {
        QFETCH(QString, groupe);
        QFETCH(QString, item);
        QFETCH(bool, listed);
        QCOMPARE(listedByGroup(contact(groupe, {}, u"X"_qs), item, u"Tous"_qs), listed);
    }

    void deepSearch_data()
    {
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("listed");
        QTest::newRow("dup in Nom") << 3 << u"dup"_qs << QStringList{u"Dupont"_qs, u"DUPUIS"_qs};
        QTest::newRow("empty in Societe") << 0 << QString() << QStringList{u"Martin"_qs, u"DUPUIS"_qs};
        QTest::newRow("number") << 4 << u"12"_qs << QStringList{u"Martin"_qs};
        QTest::newRow("nothing") << 3 << u"zz"_qs << QStringList{};
        QTest::newRow("unknown field") << 9 << QString() << QStringList{};
    }
    void deepSearch()
    {
        QFETCH(int, field);
        QFETCH(QString, text);
        QFETCH(QStringList, listed);
        const ClassContact book[] = {contact({}, {}, u"Dupont"_qs, u"06"_qs),
                                     contact({}, u"Acme"_qs, u"Martin"_qs, u"0612"_qs),
                                     contact({}, u" "_qs, u"DUPUIS"_qs)};
        QStringList found;
        for (const ClassContact &c : book) {
            if (listedBySearch(c, field, text))
                found.append(c.Nom);
        }
        QCOMPARE(found, listed);
    }

    void editorChecksLastNameFirst()
    {
        QCOMPARE(contactEditorError({}, {}), 135);
        QCOMPARE(contactEditorError({}, u"06"_qs), 135);
        QCOMPARE(contactEditorError(u"Dupont"_qs, {}), 136);
        QCOMPARE(contactEditorError(u" "_qs, u" "_qs), 0);
    }

    void fieldFilters()
    {
        QCOMPARE(numberCharactersOnly(u"+33 6.12-ab\t34"_qs), u"33 6.1234"_qs);
        QCOMPARE(withoutForbidden(u"a;b\r\nc d"_qs), u"abc d"_qs);
    }

    void importAppendsEveryLine_data()
    {
        QTest::addColumn<QString>("fixture");
        QTest::addColumn<QList<QStringList>>("contacts");
        QTest::newRow("example")
            << u"import_example.csv"_qs
            << QList<QStringList>{
                   {u"Travail"_qs, u"Parlevo"_qs, u"Mr"_qs, u"Jean"_qs, u"Dupont"_qs, u"0612345678"_qs, u"6"_qs},
                   {u"Personnel"_qs, {}, u"Mme"_qs, u"Anne"_qs, u"Dupuis"_qs, u"0687654321"_qs, u"7"_qs}};
        // A header line, a short line ended by a lone LF, quotes kept, an empty line, extra fields.
        QTest::newRow("mixed") << u"import_mixed.csv"_qs
                               << QList<QStringList>{{u"Groupe"_qs, u"Société"_qs, u"Titre"_qs, u"Prénom"_qs, u"Nom"_qs,
                                                      u"N° de GSM"_qs, u"6"_qs},
                                                     {u"Amis"_qs, {}, {}, {}, u"Martin"_qs, {}, u"7"_qs},
                                                     {u"\"Clients\""_qs, u"\" Acme \""_qs, u"M."_qs, u"Paul"_qs,
                                                      u"Durand"_qs, u"06 12"_qs, u"8"_qs},
                                                     {{}, {}, {}, {}, {}, {}, u"9"_qs},
                                                     {u"A"_qs, u"B"_qs, u"C"_qs, u"D"_qs, u"E"_qs, u"F"_qs, u"10"_qs}};
    }
    void importAppendsEveryLine()
    {
        QFETCH(QString, fixture);
        QFETCH(QList<QStringList>, contacts);
        test::TestDataDir dir;
        AppState state(dir.path());
        for (int i = 0; i < 5; ++i)
            state.NextKey();
        auto first = std::make_unique<ClassContact>(contact({}, {}, u"Premier"_qs));
        first->GUID = u"1"_qs;
        state.colContacts().add(std::move(first));

        const CsvImportResult result = importCsvFile(state, test::fixturePath(fixture));
        QVERIFY(result.opened);
        QCOMPARE(result.count, contacts.size());
        QCOMPARE(state.colContacts().count(), contacts.size() + 1);
        QCOMPARE(state.colContacts().at(0)->Nom, u"Premier"_qs);
        for (qsizetype i = 0; i < contacts.size(); ++i)
            QCOMPARE(fields(*state.colContacts().at(i + 1)), contacts[i]);
        // Imported groups wait for the next start.
        QCOMPARE(state.colGroupes().count(), 0);
        QCOMPARE(csvImportMessage(state.textTable(), result, {}),
                 u"Importer depuis un fichier CSV:\r\n\r\n%1 contact(s) importé(s)"_qs.arg(contacts.size()));
    }

    void importOfEmptyOrUnreadableFile()
    {
        test::TestDataDir dir;
        AppState state(dir.path());
        QVERIFY(dir.write(u"empty.csv"_qs, {}));
        CsvImportResult result = importCsvFile(state, dir.filePath(u"empty.csv"_qs));
        QVERIFY(result.opened);
        QCOMPARE(result.count, 0);
        QCOMPARE(csvImportMessage(state.textTable(), result, {}),
                 u"Importer depuis un fichier CSV:\r\n\r\n0 contact(s) importé(s)"_qs);

        const QString missing = dir.filePath(u"missing.csv"_qs);
        result = importCsvFile(state, missing);
        QVERIFY(!result.opened);
        QCOMPARE(state.colContacts().count(), 0);
        QCOMPARE(csvImportMessage(state.textTable(), result, missing), u"Importer depuis un fichier CSV:\r\n\r\n"_qs +
                                                                           QDir::toNativeSeparators(missing) +
                                                                           u"\r\n\r\n0 contact(s) importé(s)"_qs);
    }
};

QTEST_GUILESS_MAIN(TestContactRules)
#include "test_contactrules.moc"
