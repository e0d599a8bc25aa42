#include "addressbook/addressbook.h"
#include "addressbook/contactcollection.h"
#include "addressbook/contactlistmodel.h"
#include "base/datadir.h"
#include "base/textes.h"
#include "contactfixtures.h"
#include "testdatadir.h"
#include "widgetdriver.h"

#include <QAbstractItemModelTester>
#include <QItemSelectionModel>
#include <QTest>

using namespace Qt::StringLiterals;

using namespace parlevo;

namespace {

void add(AddressBook &book, const QString &groupe, const QString &nom)
{
    test::addContact(book, {.Groupe = groupe, .Nom = nom});
}

using parlevo::test::columnTexts;

std::vector<ClassContact *> everyone(AddressBook &book)
{
    std::vector<ClassContact *> all;
    for (ClassContact &c : book.colContacts())
        all.push_back(&c);
    return all;
}

} // namespace

class TestContactListModel : public QObject {
    Q_OBJECT
private slots:
    void followsTheBook()
    {
        test::TestDataDir dir;
        DataDir data(dir.path());
        AddressBook book(data);
        for (const char16_t *nom : {u"d", u"b", u"f", u"a", u"e", u"c"})
            add(book, u"G"_s, QString::fromUtf16(nom));
        const TextTable textes;
        ContactListModel model(textes);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.setColumns({ContactColumn::Nom, ContactColumn::Groupe});
        QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), u"Nom"_s);
        QCOMPARE(model.headerData(1, Qt::Horizontal, ContactListModel::KeyRole).toString(), u"Groupe"_s);
        model.sortBy(0, Qt::AscendingOrder);
        model.setContacts(everyone(book));
        model.follow(&book.colContacts(), true);
        QCOMPARE(columnTexts(model, 0), (QStringList{u"a"_s, u"b"_s, u"c"_s, u"d"_s, u"e"_s, u"f"_s}));
        QCOMPARE(model.index(0, 1).data(ContactListModel::KeyRole).toString(), u"4"_s);

        // A selected row follows its contact through a sort.
        QItemSelectionModel selection(&model);
        selection.select(model.index(1, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        model.sortBy(0, Qt::DescendingOrder);
        QCOMPARE(columnTexts(model, 0), (QStringList{u"f"_s, u"e"_s, u"d"_s, u"c"_s, u"b"_s, u"a"_s}));
        QCOMPARE(selection.selectedRows(), (QModelIndexList{model.index(4, 0)}));

        add(book, u"H"_s, u"bb"_s);
        QCOMPARE(columnTexts(model, 0), (QStringList{u"f"_s, u"e"_s, u"d"_s, u"c"_s, u"bb"_s, u"b"_s, u"a"_s}));
        book.colContacts().find(u"7"_s)->Nom = u"z"_s;
        book.colContacts().notifyChanged(u"7"_s);
        QCOMPARE(model.index(4, 0).data().toString(), u"z"_s);
        // Rows in separate runs go, each run at once.
        book.colContacts().remove(QStringList{u"3"_s, u"7"_s, u"2"_s, u"99"_s});
        QCOMPARE(columnTexts(model, 0), (QStringList{u"e"_s, u"d"_s, u"c"_s, u"a"_s}));
    }

    void manyRunsRemovedAndBulkAppend()
    {
        test::TestDataDir dir;
        DataDir data(dir.path());
        AddressBook book(data);
        for (int i = 0; i < 100; ++i)
            add(book, {}, u"%1"_s.arg(i, 3, 10, QLatin1Char('0')));
        const TextTable textes;
        ContactListModel model(textes);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.setColumns({ContactColumn::Nom});
        model.setStripeColors(Qt::white, Qt::yellow);
        model.sortBy(0, Qt::AscendingOrder);
        model.setContacts(everyone(book));
        model.follow(&book.colContacts(), true);
        QStringList odd;
        for (int i = 1; i <= 100; i += 2)
            odd.append(QString::number(i));
        book.colContacts().remove(odd);
        QCOMPARE(model.rowCount(), 50);
        QCOMPARE(model.index(49, 0).data().toString(), u"099"_s);

        std::vector<std::unique_ptr<ClassContact>> more;
        more.push_back(std::make_unique<ClassContact>());
        more.back()->Nom = u"000"_s;
        more.back()->GUID = book.NextKey();
        book.colContacts().append(std::move(more));
        QCOMPARE(model.rowCount(), 51);
        QCOMPARE(model.index(0, 0).data().toString(), u"000"_s);
        QCOMPARE(model.index(0, 0).data(Qt::BackgroundRole), model.index(2, 0).data(Qt::BackgroundRole));
        QVERIFY(model.index(0, 0).data(Qt::BackgroundRole) != model.index(1, 0).data(Qt::BackgroundRole));
    }
};

QTEST_MAIN(TestContactListModel)
#include "test_contactlistmodel.moc"
