#include "base/textes.h"
#include "base/textesdefaults.h"
#include "base/txt.h"
#include "testdatadir.h"

#include <QSet>
#include <QTest>

#include <algorithm>
#include <utility>

using namespace Qt::StringLiterals;

using namespace parlevo;

namespace {

// An entry by its number, for the entries no name stands for.
const QString &entry(const TextTable &table, int number)
{
    return table(static_cast<Txt>(number));
}

} // namespace

class TestTextes : public QObject {
    Q_OBJECT
private slots:
    void builtInTexts()
    {
        TextTable t;
        t.LoadTextes(QString());
        QCOMPARE(t(Txt::AddressBookButton), u"Carnet\nd'adresses"_s);
        // No default, an explicitly empty default, and indices outside the table.
        for (int i : {0, 333, 335, 400, 429, 999, 1001, -1})
            QVERIFY2(entry(t, i).isEmpty(), qPrintable(QString::number(i)));
        // Index 300 + code is a gateway code's text: the codes without one must stay empty, or
        // a refusal would show some other message.
        for (int i = 335; i <= 378; ++i)
            QVERIFY2(entry(t, i).isEmpty(), qPrintable(QString::number(i)));
        int filled = 0;
        for (int i = 1; i <= TextTable::kCount; ++i)
            filled += entry(t, i).isEmpty() ? 0 : 1;
        QCOMPARE(filled, 420);
        // A table built without loading holds the same texts.
        QCOMPARE(TextTable()(Txt::AddressBookButton), t(Txt::AddressBookButton));
    }

    // A name without a built-in text would show an empty caption; a text without a name is one
    // the code cannot reach by name. The empty defaults are deliberate and need no name.
    void everyNameHasADefaultAndEveryTextAName()
    {
        QSet<int> withDefault;
        QSet<int> nonEmpty;
        for (const TexteDefault &d : kTextesDefaults) {
            withDefault.insert(d.index);
            if (*d.utf8Text != '\0')
                nonEmpty.insert(d.index);
        }
        QSet<int> named;
        for (const NamedText &text : kAllTexts) {
            const int number = static_cast<int>(text.text);
            QVERIFY2(withDefault.contains(number), text.name);
            named.insert(number);
        }
        for (int number : std::as_const(nonEmpty))
            QVERIFY2(named.contains(number), qPrintable(QString::number(number)));
    }

    // Language files written for the older 400-entry table fill only these slots below 401. Texts
    // added since live at 401 and above, where such a file cannot overwrite them.
    void textsBelow401AreTheOlderTablesOnly()
    {
        const std::pair<int, int> olderTable[] = {
            {1, 58},    {64, 64},   {66, 66},   {68, 104},  {106, 116}, {119, 150}, {152, 190}, {200, 208}, {210, 214},
            {219, 245}, {252, 253}, {279, 286}, {302, 306}, {308, 317}, {320, 324}, {330, 334}, {379, 391}};
        for (const TexteDefault &d : kTextesDefaults) {
            const bool allowed = d.index > 400 || std::ranges::any_of(olderTable, [&d](const auto &range) {
                                     return d.index >= range.first && d.index <= range.second;
                                 });
            QVERIFY2(allowed, qPrintable(QString::number(d.index)));
        }
    }

    void languageFileOverrides()
    {
        test::TestDataDir dir;
        QVERIFY(dir.write(u"Languages/English.lng"_s, "; translated by hand\r\n"
                                                      "[Strings]\r\n"
                                                      "Textes(4)=Parlevo is already running!\\nBye\r\n"
                                                      "TEXTES(5) = \"&Send\" \r\n"
                                                      "Textes(6)=\r\n"
                                                      "Textes(07)=leading zero\r\n"
                                                      "Textes( 8)=blank inside\r\n"
                                                      "Textes(10)=caf\xe9\r\n"
                                                      "Textes(11)=" +
                                                          QByteArray(300, 'a') +
                                                          "\r\n"
                                                          "Textes(4)=second occurrence\r\n"
                                                          "[Other]\r\n"
                                                          "Textes(9)=other section\r\n"));
        TextTable t;
        t.LoadTextes(dir.filePath(u"Languages/English.lng"_s));
        QCOMPARE(t(Txt::AlreadyRunning), u"Parlevo is already running!\nBye"_s);
        QCOMPARE(t(Txt::SendButton), u"&Send"_s);
        QCOMPARE(t(Txt::ConfigureButton), QString()); // present but empty: the entry becomes empty
        QCOMPARE(t(Txt::NextButton), u"&Suivant"_s);
        QCOMPARE(t(Txt::CancelButton), u"A&nnuler"_s);
        QCOMPARE(t(Txt::SaveButton), u"&Sauvegarder"_s);
        QCOMPARE(t(Txt::RecipientButton), u"café"_s);
        QCOMPARE(t(Txt::ChooseRecipient), QString(254, u'a'));        // long values are cut
        QCOMPARE(t(Txt::AddressBookButton), u"Carnet\nd'adresses"_s); // missing keys keep their defaults
    }

    // A missing file, a directory or no file at all: the defaults, even after another language.
    void reloadOrMissingFileGivesDefaults()
    {
        test::TestDataDir dir;
        QVERIFY(dir.write(u"a.lng"_s, "[Strings]\r\nTextes(4)=A\r\n"));
        TextTable t;
        for (const QString &path : {dir.filePath(u"Languages/Klingon.lng"_s), dir.path(), QString()}) {
            t.LoadTextes(dir.filePath(u"a.lng"_s));
            QCOMPARE(t(Txt::AlreadyRunning), u"A"_s);
            t.LoadTextes(path);
            QCOMPARE(t(Txt::AlreadyRunning), u"Parlevo est déjà lancé !"_s);
        }
    }
};

QTEST_GUILESS_MAIN(TestTextes)
#include "test_textes.moc"
