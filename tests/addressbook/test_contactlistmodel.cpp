#include "addressbook/contactcollection.h"
#include "addressbook/contactlistmodel.h"
#include "base/appstate.h"
#include "contactfixtures.h"
#include "testdatadir.h"
#include "widgetdriver.h"

#include <QAbstractItemModelTester>
#include <QItemSelectionModel>
#include <QTest>

using namespace Qt::StringLiterals;

using namespace parlevo;

namespace {

void add(AppState &state, const QString &groupe, const QString &nom)
{
    test::addContact(state, {.Groupe = groupe, .Nom = nom});
}

using parlevo::test::columnTexts;

std::vector<ClassContact *> everyone(AppState &state)
{
    std::vector<ClassContact *> all;
    for (ClassContact &c : state.colContacts())
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
        AppState state(dir.path());
        for (const char16_t *nom : {u"d", u"b", u"f", u"a", u"e", u"c"})
            add(state, u"G"_s, QString::fromUtf16(nom));
        ContactListModel model(state.textTable());
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.setColumns({ContactColumn::Nom, ContactColumn::Groupe});
        QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), u"Nom"_s);
        QCOMPARE(model.headerData(1, Qt::Horizontal, ContactListModel::KeyRole).toString(), u"Groupe"_s);
        model.sortBy(0, Qt::AscendingOrder);
        model.setContacts(everyone(state));
        model.follow(&state.colContacts(), true);
        QCOMPARE(columnTexts(model, 0), (QStringList{u"a"_s, u"b"_s, u"c"_s, u"d"_s, u"e"_s, u"f"_s}));
        QCOMPARE(model.index(0, 1).data(ContactListModel::KeyRole).toString(), u"4"_s);

        // A selected row follows its contact through a sort.
        QItemSelectionModel selection(&model);
        selection.select(model.index(1, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        model.sortBy(0, Qt::DescendingOrder);
        QCOMPARE(columnTexts(model, 0), (QStringList{u"f"_s, u"e"_s, u"d"_s, u"c"_s, u"b"_s, u"a"_s}));
        QCOMPARE(selection.selectedRows(), (QModelIndexList{model.index(4, 0)}));

        add(state, u"H"_s, u"bb"_s);
        QCOMPARE(columnTexts(model, 0), (QStringList{u"f"_s, u"e"_s, u"d"_s, u"c"_s, u"bb"_s, u"b"_s, u"a"_s}));
        state.colContacts().find(u"7"_s)->Nom = u"z"_s;
        state.colContacts().notifyChanged(u"7"_s);
        QCOMPARE(model.index(4, 0).data().toString(), u"z"_s);
        // Rows in separate runs go, each run at once.
        state.colContacts().remove(QStringList{u"3"_s, u"7"_s, u"2"_s, u"99"_s});
        QCOMPARE(columnTexts(model, 0), (QStringList{u"e"_s, u"d"_s, u"c"_s, u"a"_s}));
    }

    void manyRunsRemovedAndBulkAppend()
    {
        test::TestDataDir dir;
        AppState state(dir.path());
        for (int i = 0; i < 100; ++i)
            add(state, {}, u"%1"_s.arg(i, 3, 10, QLatin1Char('0')));
        ContactListModel model(state.textTable());
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.setColumns({ContactColumn::Nom});
        model.setStripeColors(Qt::white, Qt::yellow);
        model.sortBy(0, Qt::AscendingOrder);
        model.setContacts(everyone(state));
        model.follow(&state.colContacts(), true);
        QStringList odd;
        for (int i = 1; i <= 100; i += 2)
            odd.append(QString::number(i));
        state.colContacts().remove(odd);
        QCOMPARE(model.rowCount(), 50);
        QCOMPARE(model.index(49, 0).data().toString(), u"099"_s);

        std::vector<std::unique_ptr<ClassContact>> more;
        more.push_back(std::make_unique<ClassContact>());
        more.back()->Nom = u"000"_s;
        more.back()->GUID = state.NextKey();
        state.colContacts().append(std::move(more));
        QCOMPARE(model.rowCount(), 51);
        QCOMPARE(model.index(0, 0).data().toString(), u"000"_s);
        QCOMPARE(model.index(0, 0).data(Qt::BackgroundRole), model.index(2, 0).data(Qt::BackgroundRole));
        QVERIFY(model.index(0, 0).data(Qt::BackgroundRole) != model.index(1, 0).data(Qt::BackgroundRole));
    }
};

QTEST_MAIN(TestContactListModel)
#include "test_contactlistmodel.moc"
