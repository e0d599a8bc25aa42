#include "addressbook/contactcollection.h"
#include "addressbook/contactlistview.h"
#include "addressbook/form_selcontact.h"
#include "addressbook/groupcollection.h"
#include "contactfixtures.h"
#include "testdatadir.h"
#include "testparts.h"
#include "widgetdriver.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;

using namespace parlevo;

class TestSelContact : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<test::TestDataDir> m_dir;
    std::unique_ptr<test::Parts> m_parts;
    std::unique_ptr<Form_SelContact> m_picker;

    void add(const QString &groupe, const QString &societe, const QString &nom)
    {
        test::addContact(m_parts->book, {.Groupe = groupe, .Nom = nom, .Phone = u"06"_s, .Societe = societe});
        Ajoute_Groupe(m_parts->book.colGroupes(), groupe);
    }
    QStringList listedNames() const
    {
        QStringList names;
        for (ClassContact *c : m_picker->list()->listModel()->contacts())
            names.append(c->Nom);
        return names;
    }
    template <typename W> W *child(const QString &name) const { return m_picker->findChild<W *>(name); }
    QString count() const { return child<QLabel>(u"LabelNBFiche"_s)->text(); }
    void open(int mode)
    {
        m_picker = std::make_unique<Form_SelContact>(m_parts->textes, m_parts->config, m_parts->book);
        m_picker->TypeSource = mode;
        m_picker->ImporteCarnet();
        m_picker->Init();
    }
    void search(int field, const QString &text)
    {
        if (!child<QCheckBox>(u"CheckFiltre"_s)->isChecked())
            child<QCheckBox>(u"CheckFiltre"_s)->click();
        child<QComboBox>(u"Combo_Dans"_s)->setCurrentIndex(field);
        child<QLineEdit>(u"TextRecherche"_s)->setText(text);
        child<QPushButton>(u"CMD_Filtre"_s)->click();
    }
    void chooseGroup(const QString &name)
    {
        auto *combo = child<QComboBox>(u"ComboGroupe"_s);
        const int index = combo->findText(name);
        QVERIFY(index >= 0);
        combo->setCurrentIndex(index);
        emit combo->activated(index);
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<test::TestDataDir>();
        m_parts = std::make_unique<test::Parts>(m_dir->path());
        m_parts->config.ColumnLastName = true;
        add(u"Client"_s, u"Acme"_s, u"Dupont"_s);
        add(u"Clients VIP"_s, {}, u"DUPUIS"_s);
        add({}, u"Zeta"_s, u"Martin"_s);
        add(u"Amis"_s, {}, u"Blanc"_s);
    }
    void cleanup()
    {
        m_picker.reset();
        m_parts.reset();
        m_dir.reset();
    }

    void groupFilter()
    {
        open(1);
        QCOMPARE(count(), u"Résultat : 4 contacts"_s);
        chooseGroup(u"Clients VIP"_s);
        QCOMPARE(listedNames(), QStringList{u"DUPUIS"_s});
        QCOMPARE(count(), u"Résultat : 1 contacts"_s);
    }

    void deepSearch()
    {
        open(1);
        QVERIFY(!child<QLineEdit>(u"TextRecherche"_s)->isEnabled());
        search(3, u"dup"_s);
        QCOMPARE(listedNames(), (QStringList{u"Dupont"_s, u"DUPUIS"_s}));
        search(3, u"zz"_s);
        QCOMPARE(count(), u"Résultat : 0 contacts"_s);
        auto *accept = child<QPushButton>(u"CMD_Accepter"_s);
        QVERIFY(!accept->isEnabled());
        search(3, u"dup"_s);
        QVERIFY(!accept->isEnabled());
        // After a header click, a search lists in the clicked order.
        ContactListView *list = m_picker->list();
        const int nom = int(list->listModel()->columns().indexOf(ContactColumn::Nom));
        list->columnClicked(nom);
        if (list->listModel()->sortOrder() == Qt::AscendingOrder)
            list->columnClicked(nom);
        search(3, u"DU"_s);
        QCOMPARE(listedNames(), (QStringList{u"DUPUIS"_s, u"Dupont"_s}));
        // Choosing a group turns the search off and lists that group.
        chooseGroup(u"Amis"_s);
        QVERIFY(!child<QCheckBox>(u"CheckFiltre"_s)->isChecked());
        QVERIFY(!child<QPushButton>(u"CMD_Filtre"_s)->isEnabled());
        QCOMPARE(listedNames(), QStringList{u"Blanc"_s});
    }

    void singleModeDoubleClickChooses()
    {
        open(0);
        ContactListView *list = m_picker->list();
        QCOMPARE(list->selectionMode(), QAbstractItemView::SingleSelection);
        test::whenModalShown<Form_SelContact>([list](Form_SelContact *) {
            const QRect row = list->visualRect(list->model()->index(2, 0));
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row.center());
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row.center());
        });
        QCOMPARE(m_picker->exec(), int(QDialog::Accepted));
        QVERIFY(m_picker->Result);
        QCOMPARE(m_picker->SelContact->Nom, u"Dupont"_s);
        QCOMPARE(m_picker->SelContact, m_parts->book.colContacts().find(u"1"_s));
    }

    void mailingModeHandsBackListedRows()
    {
        open(1);
        chooseGroup(u"Client"_s);
        ContactListView *list = m_picker->list();
        test::whenModalShown<Form_SelContact>([list](Form_SelContact *picker) {
            QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier);
            picker->findChild<QPushButton *>(u"CMD_Accepter"_s)->click();
        });
        m_picker->exec();
        QCOMPARE(m_picker->selectedContacts(), (QList<ClassContact *>{m_parts->book.colContacts().find(u"1"_s),
                                                                      m_parts->book.colContacts().find(u"2"_s)}));

        // Closed by its close box: nothing counts as chosen.
        open(1);
        test::whenModalShown<Form_SelContact>([](Form_SelContact *picker) {
            picker->findChild<ContactListView *>(u"ListViewCA"_s)->selectAll();
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
        auto *menu = child<QMenu>(u"MNU_Selection"_s);
        QTest::mouseClick(list->viewport(), Qt::RightButton, {}, list->visualRect(list->model()->index(3, 0)).center());
        QTRY_VERIFY(menu->isVisible());
        menu->findChild<QAction *>(u"MNU_Inverse"_s)->trigger();
        menu->close();
        QCOMPARE(list->selectedContacts().size(), 3);
        // The right button chose the row under it; the inverse is every other row.
        QVERIFY(!list->selectedContacts().contains(list->listModel()->contactAt(3)));

        // The title beside the box switches the search like the box itself.
        auto *label = child<QLabel>(u"LabelFrame"_s);
        QTest::mouseClick(label, Qt::LeftButton);
        QVERIFY(child<QCheckBox>(u"CheckFiltre"_s)->isChecked());
        QVERIFY(child<QLineEdit>(u"TextRecherche"_s)->isEnabled());
        search(3, u"dup"_s);
        QTest::mouseClick(label, Qt::LeftButton);
        QVERIFY(!child<QLineEdit>(u"TextRecherche"_s)->isEnabled());
        QCOMPARE(listedNames().size(), 4);

        // One contact at a time: no selection menu.
        open(0);
        m_picker->show();
        menu = child<QMenu>(u"MNU_Selection"_s);
        QTest::mouseClick(m_picker->list()->viewport(), Qt::RightButton, {},
                          m_picker->list()->visualRect(m_picker->list()->model()->index(0, 0)).center());
        QTest::qWait(50);
        QVERIFY(!menu->isVisible());
    }
};

QTEST_MAIN(TestSelContact)
#include "test_selcontact.moc"
