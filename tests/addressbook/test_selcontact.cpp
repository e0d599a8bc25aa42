#include "addressbook/contactlistview.h"
#include "addressbook/form_selcontact.h"
#include "app/appstate.h"
#include "modaldriver.h"
#include "testdatadir.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>

using namespace parlevo;

class TestSelContact : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<test::TestDataDir> m_dir;
    std::unique_ptr<AppState> m_state;
    std::unique_ptr<Form_SelContact> m_picker;

    void add(const QString &groupe, const QString &societe, const QString &nom)
    {
        auto c = std::make_unique<ClassContact>();
        c->Groupe = groupe;
        c->Societe = societe;
        c->Nom = nom;
        c->Phone = u"06"_qs;
        c->GUID = m_state->NextKey();
        Ajoute_Groupe(*m_state, groupe);
        m_state->colContacts().add(std::move(c));
    }
    QStringList listedNames() const
    {
        QStringList names;
        for (ClassContact *c : m_picker->list()->listModel()->contacts())
            names.append(c->Nom);
        return names;
    }
    template <typename W> W *child(const QString &name) const { return m_picker->findChild<W *>(name); }
    QString count() const { return child<QLabel>(u"LabelNBFiche"_qs)->text(); }
    void open(int mode)
    {
        m_picker = std::make_unique<Form_SelContact>(*m_state);
        m_picker->TypeSource = mode;
        m_picker->ImporteCarnet();
        m_picker->Init();
    }
    void search(int field, const QString &text)
    {
        if (!child<QCheckBox>(u"CheckFiltre"_qs)->isChecked())
            child<QCheckBox>(u"CheckFiltre"_qs)->click();
        child<QComboBox>(u"Combo_Dans"_qs)->setCurrentIndex(field);
        child<QLineEdit>(u"TextRecherche"_qs)->setText(text);
        child<QPushButton>(u"CMD_Filtre"_qs)->click();
    }
    void chooseGroup(const QString &name)
    {
        auto *combo = child<QComboBox>(u"ComboGroupe"_qs);
        const int index = combo->findText(name);
        QVERIFY(index >= 0);
        combo->setCurrentIndex(index);
        emit combo->activated(index);
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<test::TestDataDir>();
        m_state = std::make_unique<AppState>(m_dir->path());
        m_state->config().ColumnLastName = true;
        add(u"Client"_qs, u"Acme"_qs, u"Dupont"_qs);
        add(u"Clients VIP"_qs, {}, u"DUPUIS"_qs);
        add({}, u"Zeta"_qs, u"Martin"_qs);
        add(u"Amis"_qs, {}, u"Blanc"_qs);
    }
    void cleanup()
    {
        m_picker.reset();
        m_state.reset();
        m_dir.reset();
    }

    void groupFilter()
    {
        open(1);
        QCOMPARE(m_picker->windowTitle(), u"Parlevo - Ajouter des contacts au SMS Mailing"_qs);
        QCOMPARE(count(), u"Résultat : 4 contacts"_qs);
        chooseGroup(u"Client"_qs);
        QCOMPARE(listedNames(), (QStringList{u"Dupont"_qs, u"DUPUIS"_qs}));
        chooseGroup(u"Clients VIP"_qs);
        QCOMPARE(listedNames(), QStringList{u"DUPUIS"_qs});
        QCOMPARE(count(), u"Résultat : 1 contacts"_qs);
    }

    void deepSearch()
    {
        open(1);
        QVERIFY(!child<QLineEdit>(u"TextRecherche"_qs)->isEnabled());
        search(3, u"dup"_qs);
        QCOMPARE(listedNames(), (QStringList{u"Dupont"_qs, u"DUPUIS"_qs}));
        search(0, QString());
        QCOMPARE(listedNames(), (QStringList{u"Martin"_qs, u"Dupont"_qs}));
        search(3, u"zz"_qs);
        QCOMPARE(count(), u"Résultat : 0 contacts"_qs);
        auto *accept = child<QPushButton>(u"CMD_Accepter"_qs);
        QVERIFY(!accept->isEnabled());
        search(3, u"dup"_qs);
        QVERIFY(!accept->isEnabled());
        // After a header click, a search lists in the clicked order.
        ContactListView *list = m_picker->list();
        const int nom = int(list->listModel()->columns().indexOf(ContactColumn::Nom));
        list->columnClicked(nom);
        if (list->listModel()->sortOrder() == Qt::AscendingOrder)
            list->columnClicked(nom);
        search(3, u"DU"_qs);
        QCOMPARE(listedNames(), (QStringList{u"DUPUIS"_qs, u"Dupont"_qs}));
        // Choosing a group turns the search off and lists that group.
        chooseGroup(u"Amis"_qs);
        QVERIFY(!child<QCheckBox>(u"CheckFiltre"_qs)->isChecked());
        QVERIFY(!child<QPushButton>(u"CMD_Filtre"_qs)->isEnabled());
        QCOMPARE(listedNames(), QStringList{u"Blanc"_qs});
    }

    void singleModeDoubleClickChooses()
    {
        open(0);
        QCOMPARE(m_picker->windowTitle(), u"Parlevo - Sélectionner le destinataire"_qs);
        QCOMPARE(child<QPushButton>(u"CMD_Accepter"_qs)->text(), u"Sélectionner ce contact"_qs);
        ContactListView *list = m_picker->list();
        QCOMPARE(list->selectionMode(), QAbstractItemView::SingleSelection);
        test::whenModalShown<Form_SelContact>([list](Form_SelContact *) {
            const QRect row = list->visualRect(list->model()->index(2, 0));
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row.center());
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row.center());
        });
        QCOMPARE(m_picker->exec(), int(QDialog::Accepted));
        QVERIFY(m_picker->Result);
        QCOMPARE(m_picker->SelContact->Nom, u"Dupont"_qs);
        QCOMPARE(m_picker->SelContact, m_state->colContacts().find(u"1"_qs));
    }

    void mailingModeHandsBackListedRows()
    {
        open(1);
        chooseGroup(u"Client"_qs);
        ContactListView *list = m_picker->list();
        test::whenModalShown<Form_SelContact>([list](Form_SelContact *picker) {
            QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier);
            picker->findChild<QPushButton *>(u"CMD_Accepter"_qs)->click();
        });
        m_picker->exec();
        QCOMPARE(m_picker->selectedContacts(),
                 (QList<ClassContact *>{m_state->colContacts().find(u"1"_qs), m_state->colContacts().find(u"2"_qs)}));

        // Closed by its close box: nothing counts as chosen.
        open(1);
        test::whenModalShown<Form_SelContact>([](Form_SelContact *picker) {
            picker->findChild<ContactListView *>(u"ListViewCA"_qs)->selectAll();
            picker->close();
        });
        m_picker->exec();
        QVERIFY(m_picker->selectedContacts().isEmpty());
    }

    void selectionMenuAndSearchLabel()
    {
        open(1);
        m_picker->show();
        ContactListView *list = m_picker->list();
        auto *menu = child<QMenu>(u"MNU_Selection"_qs);
        QTest::mouseClick(list->viewport(), Qt::RightButton, {}, list->visualRect(list->model()->index(3, 0)).center());
        QTRY_VERIFY(menu->isVisible());
        menu->findChild<QAction *>(u"MNU_Inverse"_qs)->trigger();
        menu->close();
        QCOMPARE(list->selectedContacts().size(), 3);
        // The right button chose the row under it; the inverse is every other row.
        QVERIFY(!list->selectedContacts().contains(list->listModel()->contactAt(3)));

        // The title beside the box switches the search like the box itself.
        auto *label = child<QLabel>(u"LabelFrame"_qs);
        QTest::mouseClick(label, Qt::LeftButton);
        QVERIFY(child<QCheckBox>(u"CheckFiltre"_qs)->isChecked());
        QVERIFY(child<QLineEdit>(u"TextRecherche"_qs)->isEnabled());
        search(3, u"dup"_qs);
        QTest::mouseClick(label, Qt::LeftButton);
        QVERIFY(!child<QLineEdit>(u"TextRecherche"_qs)->isEnabled());
        QCOMPARE(listedNames().size(), 4);

        // One contact at a time: no selection menu.
        open(0);
        m_picker->show();
        menu = child<QMenu>(u"MNU_Selection"_qs);
        QTest::mouseClick(m_picker->list()->viewport(), Qt::RightButton, {},
                          m_picker->list()->visualRect(m_picker->list()->model()->index(0, 0)).center());
        QTest::qWait(50);
        QVERIFY(!menu->isVisible());
    }
};

QTEST_MAIN(TestSelContact)
#include "test_selcontact.moc"
