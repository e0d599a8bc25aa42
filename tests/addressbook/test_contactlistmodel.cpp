#include "addressbook/contactlistmodel.h"
#include "app/appstate.h"
#include "testdatadir.h"

#include <QAbstractItemModelTester>
#include <QItemSelectionModel>
#include <QTest>

using namespace parlevo;

namespace {

void add(AppState &state, const QString &groupe, const QString &nom)
{
    auto c = std::make_unique<ClassContact>();
    c->Groupe = groupe;
    c->Nom = nom;
    c->GUID = state.NextKey();
    state.colContacts().add(std::move(c));
}

QStringList column(const ContactListModel &model, int col)
{
    QStringList out;
    for (int row = 0; row < model.rowCount(); ++row)
        out.append(model.index(row, col).data().toString());
    return out;
}

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
            add(state, u"G"_qs, QString::fromUtf16(nom));
        ContactListModel model(state.textTable());
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.setColumns({ContactColumn::Nom, ContactColumn::Groupe});
        QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), u"Nom"_qs);
        QCOMPARE(model.headerData(1, Qt::Horizontal, ContactListModel::KeyRole).toString(), u"Groupe"_qs);
        model.sortBy(0, Qt::AscendingOrder);
        model.setContacts(everyone(state));
        model.follow(&state.colContacts(), true);
        QCOMPARE(column(model, 0), (QStringList{u"a"_qs, u"b"_qs, u"c"_qs, u"d"_qs, u"e"_qs, u"f"_qs}));
        QCOMPARE(model.index(0, 1).data(ContactListModel::KeyRole).toString(), u"4"_qs);

        // A selected row follows its contact through a sort.
        QItemSelectionModel selection(&model);
        selection.select(model.index(1, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        model.sortBy(0, Qt::DescendingOrder);
        QCOMPARE(column(model, 0), (QStringList{u"f"_qs, u"e"_qs, u"d"_qs, u"c"_qs, u"b"_qs, u"a"_qs}));
        QCOMPARE(selection.selectedRows(), (QModelIndexList{model.index(4, 0)}));

        add(state, u"H"_qs, u"bb"_qs);
        QCOMPARE(column(model, 0), (QStringList{u"f"_qs, u"e"_qs, u"d"_qs, u"c"_qs, u"bb"_qs, u"b"_qs, u"a"_qs}));
        state.colContacts().find(u"7"_qs)->Nom = u"z"_qs;
        state.colContacts().notifyChanged(u"7"_qs);
        QCOMPARE(model.index(4, 0).data().toString(), u"z"_qs);
        // Rows in separate runs go, each run at once.
        state.colContacts().remove(QStringList{u"3"_qs, u"7"_qs, u"2"_qs, u"99"_qs});
        QCOMPARE(column(model, 0), (QStringList{u"e"_qs, u"d"_qs, u"c"_qs, u"a"_qs}));
    }

    void manyRunsRemovedAndBulkAppend()
    {
        test::TestDataDir dir;
        AppState state(dir.path());
        for (int i = 0; i < 100; ++i)
            add(state, {}, u"%1"_qs.arg(i, 3, 10, QLatin1Char('0')));
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
        QCOMPARE(model.index(49, 0).data().toString(), u"099"_qs);

        std::vector<std::unique_ptr<ClassContact>> more;
        more.push_back(std::make_unique<ClassContact>());
        more.back()->Nom = u"000"_qs;
        more.back()->GUID = state.NextKey();
        state.colContacts().append(std::move(more));
        QCOMPARE(model.rowCount(), 51);
        QCOMPARE(model.index(0, 0).data().toString(), u"000"_qs);
        QCOMPARE(model.index(0, 0).data(Qt::BackgroundRole), model.index(2, 0).data(Qt::BackgroundRole));
        QVERIFY(model.index(0, 0).data(Qt::BackgroundRole) != model.index(1, 0).data(Qt::BackgroundRole));
    }
};

QTEST_MAIN(TestContactListModel)
#include "test_contactlistmodel.moc"
