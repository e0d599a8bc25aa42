#include "addressbook/contactlistview.h"
#include "addressbook/form_addcontact.h"
#include "addressbook/form_carnetadresse.h"
#include "addressbook/form_changegroup.h"
#include "addressbook/form_importcsv.h"
#include "app/appstate.h"
#include "app/filedialog.h"
#include "messageboxresponder.h"
#include "modaldriver.h"
#include "testdatadir.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace parlevo;

namespace {

struct Person {
    const char16_t *groupe, *titre, *prenom, *nom, *phone;
};

const Person kPeople[] = {
    {u"Travail", u"M.", u"Jean", u"Martin", u"9"},
    {u"Personnel", u"Mme", u"Anne", u"Dupuis", u"10"},
    {u"Amis", u"", u"Paul", u"Blanc", u"0611"},
};

QStringList columnTexts(QAbstractItemModel *model, int column)
{
    QStringList out;
    for (int row = 0; row < model->rowCount(); ++row)
        out.append(model->index(row, column).data().toString());
    return out;
}

} // namespace

class TestCarnetAdresse : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<test::TestDataDir> m_dir;
    std::unique_ptr<AppState> m_state;
    std::unique_ptr<Form_CarnetAdresse> m_form;

    void fill(int count)
    {
        for (int i = 0; i < count; ++i) {
            auto c = std::make_unique<ClassContact>();
            const Person &p = kPeople[i];
            c->Groupe = QString::fromUtf16(p.groupe);
            c->Titre = QString::fromUtf16(p.titre);
            c->Prenom = QString::fromUtf16(p.prenom);
            c->Nom = QString::fromUtf16(p.nom);
            c->Phone = QString::fromUtf16(p.phone);
            c->GUID = m_state->NextKey();
            Ajoute_Groupe(*m_state, c->Groupe);
            m_state->colContacts().add(std::move(c));
        }
    }
    ContactListView *list() const { return m_form->findChild<ContactListView *>(u"ListViewCA"_qs); }
    QPushButton *button(const QString &name) const { return m_form->findChild<QPushButton *>(name); }
    QString countText() const { return m_form->findChild<QLabel *>(u"LabelNBFiche"_qs)->text(); }
    void clickHeader(int section)
    {
        QHeaderView *header = list()->header();
        const QPoint at(header->sectionViewportPosition(section) + 5, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    }
    void selectRows(const QList<int> &rows)
    {
        list()->clearSelection();
        for (int row : rows)
            list()->selectionModel()->select(list()->model()->index(row, 0),
                                             QItemSelectionModel::Select | QItemSelectionModel::Rows);
        list()->selectionModel()->setCurrentIndex(list()->model()->index(rows.first(), 0),
                                                  QItemSelectionModel::NoUpdate);
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<test::TestDataDir>();
        m_state = std::make_unique<AppState>(m_dir->path());
        m_form = std::make_unique<Form_CarnetAdresse>(*m_state);
        m_form->resize(800, 600);
        m_form->show();
    }
    void cleanup()
    {
        m_form.reset();
        m_state.reset();
        m_dir.reset();
    }

    void enabledStates_data()
    {
        QTest::addColumn<int>("contacts");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<int>("selected");
        QTest::newRow("none") << 0 << false << 0;
        QTest::newRow("one") << 1 << false << 0;
        QTest::newRow("two") << 2 << true << 1;
    }
    void enabledStates()
    {
        QFETCH(int, contacts);
        QFETCH(bool, enabled);
        QFETCH(int, selected);
        fill(contacts);
        m_form->Init();
        QCOMPARE(button(u"CMD_Modifier"_qs)->isEnabled(), enabled);
        QCOMPARE(button(u"CMD_Supprimer"_qs)->isEnabled(), enabled);
        QCOMPARE(list()->selectionModel()->selectedRows().size(), selected);
        QCOMPARE(countText(), u"Nombre de contacts : %1"_qs.arg(contacts));
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, QPoint(5, 200));
        QCOMPARE(button(u"CMD_Modifier"_qs)->isEnabled(), contacts > 0);
    }

    void columnsFromTheFlags()
    {
        fill(2);
        Config &c = m_state->config();
        c.ColumnGroup = c.ColumnCompany = c.ColumnFullName = c.ColumnGSM = false;
        m_form->Init();
        QCOMPARE(list()->model()->columnCount(), 0);
        QCOMPARE(list()->model()->rowCount(), 2);
        QCOMPARE(countText(), u"Nombre de contacts : 2"_qs);
        c.ColumnGSM = true;
        m_form->Init();
        QCOMPARE(list()->model()->columnCount(), 1);
        QCOMPARE(columnTexts(list()->model(), 0), (QStringList{u"10"_qs, u"9"_qs}));
    }

    void headerClicks()
    {
        fill(3);
        Config &c = m_state->config();
        c.ColumnLastName = true;
        c.ColumnCompany = c.ColumnFullName = c.ColumnGSM = false;
        m_form->Init();
        QHeaderView *header = list()->header();
        QCOMPARE(header->sortIndicatorSection(), 0);
        QCOMPARE(header->sortIndicatorOrder(), Qt::AscendingOrder);
        QCOMPARE(columnTexts(list()->model(), 0), (QStringList{u"Amis"_qs, u"Personnel"_qs, u"Travail"_qs}));
        const QStringList up{u"Blanc"_qs, u"Dupuis"_qs, u"Martin"_qs};
        const QStringList down{u"Martin"_qs, u"Dupuis"_qs, u"Blanc"_qs};
        clickHeader(1);
        QCOMPARE(columnTexts(list()->model(), 1), up);
        clickHeader(1);
        QCOMPARE(columnTexts(list()->model(), 1), down);
        QCOMPARE(list()->columnTag(1), u"DOWN"_qs);
        clickHeader(0);
        QCOMPARE(columnTexts(list()->model(), 0), (QStringList{u"Amis"_qs, u"Personnel"_qs, u"Travail"_qs}));
        clickHeader(1);
        QCOMPARE(columnTexts(list()->model(), 1), down);
        QCOMPARE(header->sortIndicatorSection(), 1);
        QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);
    }

    void selectAllKeys()
    {
        fill(3);
        m_form->Init();
        list()->setFocus();
        QTest::keyClick(list(), Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(list()->selectionModel()->selectedRows().size(), 1);
        QTest::keyClick(list(), Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(list()->selectionModel()->selectedRows().size(), 3);
        m_form->findChild<QAction *>(u"MNU_Inverse"_qs)->trigger();
        QCOMPARE(list()->selectionModel()->selectedRows().size(), 0);
    }

    void deleteOneAsksWithTheFullName()
    {
        fill(3);
        m_form->Init();
        const int row = columnTexts(list()->model(), 3).indexOf(u"10"_qs);
        selectRows({row});
        test::MessageBoxResponder answers(vbNo);
        QTest::keyClick(list(), Qt::Key_Delete);
        QCOMPARE(answers.shown().size(), 1);
        QCOMPARE(answers.shown()[0].text,
                 u"Etes-vous sûr de vouloir supprimer ce contact ?\r\n\r\n' Mme Dupuis Anne  '"_qs);
        QCOMPARE(answers.shown()[0].style, 52);
        QCOMPARE(m_state->colContacts().count(), 3);
        answers.setAnswer(vbYes);
        button(u"CMD_Supprimer"_qs)->click();
        QVERIFY(!m_state->colContacts().contains(u"2"_qs));
        QCOMPARE(list()->model()->rowCount(), 2);
        QVERIFY(!button(u"CMD_Modifier"_qs)->isEnabled());
        QCOMPARE(countText(), u"Nombre de contacts : 2"_qs);
    }

    void deleteThreeAsksOnce()
    {
        fill(3);
        m_form->Init();
        selectRows({0, 1, 2});
        test::MessageBoxResponder answers(vbYes);
        button(u"CMD_Supprimer"_qs)->click();
        QCOMPARE(answers.shown().size(), 1);
        QCOMPARE(answers.shown()[0].text, u"Etes-vous sûr de vouloir supprimer ces contacts ?"_qs);
        QCOMPARE(m_state->colContacts().count(), 0);
        QCOMPARE(countText(), u"Nombre de contacts : 0"_qs);
    }

    void addChecksThenAdds()
    {
        fill(2);
        m_form->Init();
        // Cancel uses up a key.
        test::whenModalShown<Form_AddContact>([](Form_AddContact *d) {
            QCOMPARE(d->windowTitle(), u"Parlevo - Ajouter un contact"_qs);
            d->findChild<QPushButton *>(u"CMD_Annuler"_qs)->click();
        });
        button(u"CMD_Ajouter"_qs)->click();
        QCOMPARE(m_state->colContacts().count(), 2);

        test::MessageBoxResponder answers;
        QStringList messages;
        test::whenModalShown<Form_AddContact>([&messages, &answers](Form_AddContact *d) {
            auto *nom = d->findChild<QLineEdit *>(u"TextNom"_qs);
            auto *gsm = d->findChild<QLineEdit *>(u"TextGSM"_qs);
            auto *accept = d->findChild<QPushButton *>(u"CMD_Accepter"_qs);
            QCOMPARE(accept->text(), u"&Ajouter"_qs);
            accept->click();
            QTest::keyClicks(gsm, u"+33 6.1x2-3"_qs);
            QCOMPARE(gsm->text(), u"33 6.123"_qs);
            gsm->clear();
            accept->click();
            QTest::keyClicks(nom, u"Roy;er"_qs);
            accept->click();
            gsm->setFocus();
            gsm->insert(u"06a;12\n"_qs);
            d->findChild<QComboBox *>(u"ComboGroupe"_qs)->setEditText(u"Nouveau"_qs);
            d->findChild<QComboBox *>(u"ComboTitre"_qs)->setEditText(u"Sir"_qs);
            for (const auto &shown : answers.shown())
                messages.append(shown.text);
            accept->click();
        });
        button(u"CMD_Ajouter"_qs)->click();
        QCOMPARE(messages,
                 (QStringList{u"Vous devez entrer un nom de contact"_qs, u"Vous devez entrer un nom de contact"_qs,
                              u"Vous devez entrer un numéro de GSM"_qs}));
        QCOMPARE(m_state->colContacts().count(), 3);
        ClassContact *added = m_state->colContacts().find(u"4"_qs);
        QVERIFY(added);
        QCOMPARE(added->Nom, u"Royer"_qs);
        QCOMPARE(added->Phone, u"0612"_qs);
        QCOMPARE(added->Titre, u"Sir"_qs);
        QCOMPARE(m_state->colGroupes().names().last(), u"Nouveau"_qs);
        QCOMPARE(countText(), u"Nombre de contacts : 3"_qs);
        QVERIFY(columnTexts(list()->model(), 0).contains(u"Nouveau"_qs));
    }

    void modifyThenCancelKeepsTheContact()
    {
        fill(2);
        m_form->Init();
        list()->selectionModel()->setCurrentIndex(list()->model()->index(1, 0), QItemSelectionModel::NoUpdate);
        ClassContact *contact = list()->currentContact();
        const QString prenom = contact->Prenom;
        test::whenModalShown<Form_AddContact>([](Form_AddContact *d) {
            QCOMPARE(d->windowTitle(), u"Parlevo - Modifier un contact"_qs);
            d->findChild<QLineEdit *>(u"TextPrenom"_qs)->setText(u"Autre"_qs);
            d->findChild<QPushButton *>(u"CMD_Annuler"_qs)->click();
        });
        button(u"CMD_Modifier"_qs)->click();
        QCOMPARE(contact->Prenom, prenom);
        test::whenModalShown<Form_AddContact>([](Form_AddContact *d) {
            d->findChild<QLineEdit *>(u"TextNom"_qs)->setText(u"Zola"_qs);
            d->findChild<QPushButton *>(u"CMD_Accepter"_qs)->click();
        });
        button(u"CMD_Modifier"_qs)->click();
        QCOMPARE(contact->Nom, u"Zola"_qs);
        QVERIFY(list()->model()->index(1, 2).data().toString().contains(u"Zola"_qs));
    }

    void groupChange_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("groups");
        QTest::newRow("new") << u"Clients"_qs << QStringList{u"Travail"_qs, u"Personnel"_qs, u"Amis"_qs, u"Clients"_qs};
        QTest::newRow("empty") << QString() << QStringList{u"Travail"_qs, u"Personnel"_qs, u"Amis"_qs};
    }
    void groupChange()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, groups);
        fill(3);
        m_form->Init();
        selectRows({0, 2});
        list()->selectionModel()->setCurrentIndex(list()->model()->index(1, 0), QItemSelectionModel::NoUpdate);
        test::whenModalShown<Form_ChangeGroup>([name](Form_ChangeGroup *d) {
            d->findChild<QComboBox *>(u"ComboGroup"_qs)->setEditText(name);
            d->findChild<QPushButton *>(u"CMD_ChangeGroupe"_qs)->click();
        });
        m_form->findChild<QAction *>(u"MNU_DefGroupe"_qs)->trigger();
        QCOMPARE(m_state->colGroupes().names(), groups);
        QCOMPARE(columnTexts(list()->model(), 0), (QStringList{name, u"Personnel"_qs, name}));

        test::whenModalShown<Form_ChangeGroup>([](Form_ChangeGroup *d) { d->close(); });
        m_form->findChild<QAction *>(u"MNU_DefGroupe"_qs)->trigger();
        QCOMPARE(columnTexts(list()->model(), 0), (QStringList{name, u"Personnel"_qs, name}));
    }

    void importFromTheMenu()
    {
        fill(1);
        m_form->Init();
        test::MessageBoxResponder answers;
        // Cancelled in the explanation: no file dialog, no message.
        test::whenModalShown<Form_ImportCSV>([](Form_ImportCSV *d) {
            QCOMPARE(d->findChild<QLabel *>(u"LabelHelp3"_qs)->text(), u"Groupe;Société;Titre;Prénom;Nom;N° de GSM"_qs);
            d->findChild<QPushButton *>(u"CMD_Annuler"_qs)->click();
        });
        FileDialog::setNextFileName(test::fixturePath(u"import_example.csv"_qs));
        m_form->findChild<QAction *>(u"MNU_ImportCSV"_qs)->trigger();
        QCOMPARE(answers.shown().size(), 0);

        test::whenModalShown<Form_ImportCSV>(
            [](Form_ImportCSV *d) { d->findChild<QPushButton *>(u"CMD_ChargeCSV"_qs)->click(); });
        m_form->findChild<QAction *>(u"MNU_ImportCSV"_qs)->trigger();
        QCOMPARE(answers.shown().size(), 1);
        QCOMPARE(answers.shown()[0].text, u"Importer depuis un fichier CSV:\r\n\r\n2 contact(s) importé(s)"_qs);
        QCOMPARE(answers.shown()[0].style, 64);
        QCOMPARE(countText(), u"Nombre de contacts : 3"_qs);
        QCOMPARE(columnTexts(list()->model(), 0), (QStringList{u"Personnel"_qs, u"Travail"_qs, u"Travail"_qs}));

        answers.clear();
        m_form->ImportCSV(m_dir->filePath(u"absent.csv"_qs));
        QCOMPARE(answers.shown().size(), 1);
        QCOMPARE(answers.shown()[0].style, 16);
        QCOMPARE(m_state->colContacts().count(), 3);
    }
};

QTEST_MAIN(TestCarnetAdresse)
#include "test_carnetadresse.moc"
