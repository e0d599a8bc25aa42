// What the address book's search box finds: names, first names and companies without case or
// accents, and a number however it or the search is written.
#include "addressbook/classcontact.h"
#include "addressbook/contactsearch.h"
#include "addressbook/phonecheck.h"
#include "contactfixtures.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace parlevo;
using parlevo::test::makeContact;

class TestContactSearch : public QObject {
    Q_OBJECT
private slots:
    void matching_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("found");
        const QStringList all{u"Martin"_s, u"Dupont"_s, u"Petit"_s, u"Wang"_s};
        QTest::newRow("empty") << u"  "_s << all;
        QTest::newRow("first name, no accent") << u"noelle"_s << QStringList{u"Martin"_s};
        QTest::newRow("upper case, accent") << u"NOËLLE"_s << QStringList{u"Martin"_s};
        QTest::newRow("company") << u"eclat"_s << QStringList{u"Martin"_s};
        QTest::newRow("fields kept apart") << u"noelle salon"_s << QStringList{};
        QTest::newRow("national beginning") << u"06 12"_s << QStringList{u"Martin"_s};
        QTest::newRow("international beginning") << u"+33 6 12"_s << QStringList{u"Martin"_s};
        QTest::newRow("written out beginning") << u"0033 7 11"_s << QStringList{u"Petit"_s};
        QTest::newRow("national for 0033") << u"07.11"_s << QStringList{u"Petit"_s};
        QTest::newRow("digits inside") << u"6129"_s << QStringList{u"Dupont"_s};
        QTest::newRow("foreign digits") << u"138 0013"_s << QStringList{u"Wang"_s};
        QTest::newRow("letters are no number") << u"06a"_s << QStringList{};
    }
    void matching()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, found);
        std::vector<ClassContact> book{
            makeContact(
                {.Prenom = u"Noëlle"_s, .Nom = u"Martin"_s, .Phone = u"06 12 34 56 78"_s, .Societe = u"Salon Éclat"_s}),
            // Its digits hold "0612" nowhere and its key does not begin with "33612".
            makeContact({.Prenom = u"Jean"_s, .Nom = u"Dupont"_s, .Phone = u"+33 6 33 61 29 99"_s}),
            makeContact({.Prenom = u"Zoé"_s, .Nom = u"Petit"_s, .Phone = u"0033 7 11 22 33 44"_s}),
            makeContact({.Prenom = u"Li"_s, .Nom = u"Wang"_s, .Phone = u"+86 138 0013 8000"_s}),
        };
        std::vector<ClassContact *> contacts;
        for (ClassContact &c : book)
            contacts.push_back(&c);
        PhoneCheck check(u"FR"_s);
        const ContactSearch search(check, contacts);
        QStringList names;
        for (const ClassContact *c : search.matching(text))
            names.append(c->Nom);
        QCOMPARE(names, found);
    }
};

QTEST_GUILESS_MAIN(TestContactSearch)
#include "test_contactsearch.moc"
