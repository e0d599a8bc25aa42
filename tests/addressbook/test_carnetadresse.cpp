#include "addressbook/contactcollection.h"
#include "addressbook/contactlistview.h"
#include "addressbook/form_addcontact.h"
#include "addressbook/form_carnetadresse.h"
#include "addressbook/form_changegroup.h"
#include "addressbook/form_csvcolumns.h"
#include "addressbook/form_importcsv.h"
#include "addressbook/groupcollection.h"
#include "base/filedialog.h"
#include "base/messagebox.h"
#include "contactfixtures.h"
#include "messageboxresponder.h"
#include "testdatadir.h"
#include "testparts.h"
#include "widgetdriver.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>

using namespace Qt::StringLiterals;

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

using parlevo::test::columnTexts;

} // namespace

class TestCarnetAdresse : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<test::TestDataDir> m_dir;
    std::unique_ptr<test::Parts> m_parts;
    std::unique_ptr<Form_CarnetAdresse> m_form;

    void fill(int count)
    {
        for (int i = 0; i < count; ++i) {
            const Person &p = kPeople[i];
            const auto text = [](const char16_t *s) { return QString::fromUtf16(s); };
            test::addContact(m_parts->book,
                             {text(p.groupe), text(p.titre), text(p.prenom), text(p.nom), text(p.phone)});
            Ajoute_Groupe(m_parts->book.colGroupes(), text(p.groupe));
        }
    }
    ContactListView *list() const { return m_form->findChild<ContactListView *>(u"ListViewCA"_s); }
    QPushButton *button(const QString &name) const { return m_form->findChild<QPushButton *>(name); }
    QString countText() const { return m_form->findChild<QLabel *>(u"LabelNBFiche"_s)->text(); }
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
        m_parts = std::make_unique<test::Parts>(m_dir->path());
        m_form =
            std::make_unique<Form_CarnetAdresse>(m_parts->textes, m_parts->config, m_parts->book, m_parts->autoSave);
        m_form->resize(800, 600);
        m_form->show();
    }
    void cleanup()
    {
        m_form.reset();
        m_parts.reset();
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
        QCOMPARE(button(u"CMD_Modifier"_s)->isEnabled(), enabled);
        QCOMPARE(button(u"CMD_Supprimer"_s)->isEnabled(), enabled);
        QCOMPARE(list()->selectionModel()->selectedRows().size(), selected);
        QCOMPARE(countText(), u"Nombre de contacts : %1"_s.arg(contacts));
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, QPoint(5, 200));
        QCOMPARE(button(u"CMD_Modifier"_s)->isEnabled(), contacts > 0);
    }

    // Ctrl+F reaches the search box; typing filters the list and its count, a contact deleted
    // meanwhile leaves the results, and Escape brings every contact back.
    void searchAsYouType()
    {
        fill(3);
        m_form->Init();
        m_form->activateWindow();
        QTest::keyClick(list(), Qt::Key_F, Qt::ControlModifier);
        auto *search = m_form->findChild<QLineEdit *>(u"TextRecherche"_s);
        QTRY_VERIFY(search->hasFocus());
        QTest::keyClicks(search, u"DU"_s);
        QCOMPARE(list()->model()->rowCount(), 1);
        QCOMPARE(list()->listModel()->contactAt(0)->Nom, u"Dupuis"_s);
        QCOMPARE(countText(), u"Nombre de contacts : 1"_s);
        search->setText(u"a"_s);
        QCOMPARE(list()->model()->rowCount(), 3);
        QVERIFY(m_parts->book.colContacts().remove(list()->listModel()->contactAt(0)->GUID));
        QCOMPARE(list()->model()->rowCount(), 2);
        QTest::keyClick(search, Qt::Key_Escape);
        QCOMPARE(search->text(), QString());
        QCOMPARE(list()->model()->rowCount(), 2);
    }

    void columnsFromTheFlags()
    {
        fill(2);
        Config &c = m_parts->config;
        c.ColumnGroup = c.ColumnCompany = c.ColumnFullName = c.ColumnGSM = false;
        m_form->Init();
        QCOMPARE(list()->model()->columnCount(), 0);
        QCOMPARE(list()->model()->rowCount(), 2);
        QCOMPARE(countText(), u"Nombre de contacts : 2"_s);
        c.ColumnGSM = true;
        m_form->Init();
        QCOMPARE(list()->model()->columnCount(), 1);
        QCOMPARE(columnTexts(*list()->model(), 0), (QStringList{u"10"_s, u"9"_s}));
    }

    void headerClicks()
    {
        fill(3);
        Config &c = m_parts->config;
        c.ColumnLastName = true;
        c.ColumnCompany = c.ColumnFullName = c.ColumnGSM = false;
        m_form->Init();
        QHeaderView *header = list()->header();
        QCOMPARE(header->sortIndicatorSection(), 0);
        QCOMPARE(header->sortIndicatorOrder(), Qt::AscendingOrder);
        QCOMPARE(columnTexts(*list()->model(), 0), (QStringList{u"Amis"_s, u"Personnel"_s, u"Travail"_s}));
        const QStringList up{u"Blanc"_s, u"Dupuis"_s, u"Martin"_s};
        const QStringList down{u"Martin"_s, u"Dupuis"_s, u"Blanc"_s};
        clickHeader(1);
        QCOMPARE(columnTexts(*list()->model(), 1), up);
        clickHeader(1);
        QCOMPARE(columnTexts(*list()->model(), 1), down);
        QCOMPARE(list()->columnTag(1), u"DOWN"_s);
        clickHeader(0);
        QCOMPARE(columnTexts(*list()->model(), 0), (QStringList{u"Amis"_s, u"Personnel"_s, u"Travail"_s}));
        clickHeader(1);
        QCOMPARE(columnTexts(*list()->model(), 1), down);
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
        // Shift+F10 opens the list's menu as the menu key does.
        QSignalSpy menu(list(), &ContactListView::rightButtonPressed);
        QTest::keyClick(list(), Qt::Key_F10, Qt::ShiftModifier);
        QCOMPARE(menu.size(), 1);
        QTRY_VERIFY(QApplication::activePopupWidget());
        QApplication::activePopupWidget()->close();
        m_form->findChild<QAction *>(u"MNU_Inverse"_s)->trigger();
        QCOMPARE(list()->selectionModel()->selectedRows().size(), 0);
    }

    void deleteOneAsksWithTheFullName()
    {
        fill(3);
        m_form->Init();
        const int row = columnTexts(*list()->model(), 3).indexOf(u"10"_s);
        selectRows({row});
        test::MessageBoxResponder answers(vbNo);
        // The keypad's Delete and Shift+Delete ask as Delete does; "Non" is the default answer.
        QTest::keyClick(list(), Qt::Key_Delete, Qt::KeypadModifier);
        QTest::keyClick(list(), Qt::Key_Delete, Qt::ShiftModifier);
        QCOMPARE(answers.shown().size(), 2);
        QCOMPARE(answers.shown()[0].text,
                 u"Etes-vous sûr de vouloir supprimer ce contact ?\r\n\r\n' Mme Dupuis Anne  '"_s);
        QCOMPARE(answers.shown()[0].style, 52 + vbDefaultButton2);
        QCOMPARE(m_parts->book.colContacts().count(), 3);
        answers.setAnswer(vbYes);
        button(u"CMD_Supprimer"_s)->click();
        QVERIFY(!m_parts->book.colContacts().contains(u"2"_s));
        QCOMPARE(list()->model()->rowCount(), 2);
        QVERIFY(!button(u"CMD_Modifier"_s)->isEnabled());
        QCOMPARE(countText(), u"Nombre de contacts : 2"_s);
    }

    void deleteThreeAsksOnce()
    {
        fill(3);
        m_form->Init();
        selectRows({0, 1, 2});
        test::MessageBoxResponder answers(vbYes);
        button(u"CMD_Supprimer"_s)->click();
        QCOMPARE(answers.shown().size(), 1);
        QCOMPARE(answers.shown()[0].text, u"Etes-vous sûr de vouloir supprimer ces contacts ?"_s);
        QCOMPARE(answers.shown()[0].style, 52 + vbDefaultButton2);
        QCOMPARE(m_parts->book.colContacts().count(), 0);
        QCOMPARE(countText(), u"Nombre de contacts : 0"_s);
    }

    void addChecksThenAdds()
    {
        fill(2);
        m_form->Init();
        // Cancel uses up a key.
        test::whenModalShown<Form_AddContact>(
            [](Form_AddContact *d) { d->findChild<QPushButton *>(u"CMD_Annuler"_s)->click(); });
        button(u"CMD_Ajouter"_s)->click();
        QCOMPARE(m_parts->book.colContacts().count(), 2);

        test::MessageBoxResponder answers;
        QStringList messages;
        test::whenModalShown<Form_AddContact>([&messages, &answers](Form_AddContact *d) {
            auto *nom = d->findChild<QLineEdit *>(u"TextNom"_s);
            auto *gsm = d->findChild<QLineEdit *>(u"TextGSM"_s);
            auto *accept = d->findChild<QPushButton *>(u"CMD_Accepter"_s);
            accept->click();
            QTest::keyClicks(nom, u"Roy;er"_s);
            accept->click();
            gsm->setFocus();
            // A leading "+" is typed like a digit, and stored as the gateway wants it.
            gsm->insert(u"+33 6a;12 34 56 78\n"_s);
            d->findChild<QComboBox *>(u"ComboGroupe"_s)->setEditText(u"Nouveau"_s);
            d->findChild<QComboBox *>(u"ComboTitre"_s)->setEditText(u"Sir"_s);
            for (const auto &shown : answers.shown())
                messages.append(shown.text);
            accept->click();
        });
        button(u"CMD_Ajouter"_s)->click();
        QCOMPARE(messages,
                 (QStringList{u"Vous devez entrer un nom de contact"_s, u"Vous devez entrer un numéro de GSM"_s}));
        QCOMPARE(m_parts->book.colContacts().count(), 3);
        ClassContact *added = m_parts->book.colContacts().find(u"4"_s);
        QVERIFY(added);
        QCOMPARE(added->Nom, u"Royer"_s);
        QCOMPARE(added->Phone, u"0033612345678"_s);
        QCOMPARE(added->Titre, u"Sir"_s);
        QCOMPARE(m_parts->book.colGroupes().names().last(), u"Nouveau"_s);
        QCOMPARE(countText(), u"Nombre de contacts : 3"_s);
        QVERIFY(columnTexts(*list()->model(), 0).contains(u"Nouveau"_s));
    }

    void modifyThenCancelKeepsTheContact()
    {
        fill(2);
        m_form->Init();
        list()->selectionModel()->setCurrentIndex(list()->model()->index(1, 0), QItemSelectionModel::NoUpdate);
        ClassContact *contact = list()->currentContact();
        const QString prenom = contact->Prenom;
        test::whenModalShown<Form_AddContact>([](Form_AddContact *d) {
            d->findChild<QLineEdit *>(u"TextPrenom"_s)->setText(u"Autre"_s);
            d->findChild<QPushButton *>(u"CMD_Annuler"_s)->click();
        });
        button(u"CMD_Modifier"_s)->click();
        QCOMPARE(contact->Prenom, prenom);
        // The stored number is shown and kept as it is; a group typed is not completed into a
        // longer one; characters the book cannot hold are refused by name.
        contact->Phone = u"+33 6 12-34"_s;
        Ajoute_Groupe(m_parts->book.colGroupes(), u"Clients VIP"_s);
        test::MessageBoxResponder answers;
        test::whenModalShown<Form_AddContact>([&answers](Form_AddContact *d) {
            auto *groupe = d->findChild<QComboBox *>(u"ComboGroupe"_s);
            groupe->setEditText(QString());
            QTest::keyClicks(groupe->lineEdit(), u"Client"_s);
            d->findChild<QLineEdit *>(u"TextNom"_s)->setText(u"Zola Иван"_s);
            d->findChild<QPushButton *>(u"CMD_Accepter"_s)->click();
            QCOMPARE(answers.shown().size(), 1);
            QCOMPARE(answers.shown()[0].text, u"Ces caractères ne peuvent pas être enregistrés : Иван"_s);
            d->findChild<QLineEdit *>(u"TextNom"_s)->setText(u"Zola"_s);
            d->findChild<QPushButton *>(u"CMD_Accepter"_s)->click();
        });
        button(u"CMD_Modifier"_s)->click();
        QCOMPARE(contact->Nom, u"Zola"_s);
        QCOMPARE(contact->Phone, u"+33 6 12-34"_s);
        QCOMPARE(contact->Groupe, u"Client"_s);
        QVERIFY(list()->model()->index(1, 2).data().toString().contains(u"Zola"_s));
    }

    void groupChange_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("groups");
        QTest::newRow("new") << u"Clients"_s << QStringList{u"Travail"_s, u"Personnel"_s, u"Amis"_s, u"Clients"_s};
        QTest::newRow("empty") << QString() << QStringList{u"Travail"_s, u"Personnel"_s, u"Amis"_s};
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
            d->findChild<QComboBox *>(u"ComboGroup"_s)->setEditText(name);
            d->findChild<QPushButton *>(u"CMD_ChangeGroupe"_s)->click();
        });
        m_form->findChild<QAction *>(u"MNU_DefGroupe"_s)->trigger();
        QCOMPARE(m_parts->book.colGroupes().names(), groups);
        QCOMPARE(columnTexts(*list()->model(), 0), (QStringList{name, u"Personnel"_s, name}));

        test::whenModalShown<Form_ChangeGroup>([](Form_ChangeGroup *d) { d->close(); });
        m_form->findChild<QAction *>(u"MNU_DefGroupe"_s)->trigger();
        QCOMPARE(columnTexts(*list()->model(), 0), (QStringList{name, u"Personnel"_s, name}));
    }

    void importFromTheMenu()
    {
        fill(1);
        m_form->Init();
        test::MessageBoxResponder answers;
        // Cancelled in the explanation: no file dialog, no message.
        test::whenModalShown<Form_ImportCSV>(
            [](Form_ImportCSV *d) { d->findChild<QPushButton *>(u"CMD_Annuler"_s)->click(); });
        FileDialog::setNextFileName(test::fixturePath(u"import_example.csv"_s));
        m_form->findChild<QAction *>(u"MNU_ImportCSV"_s)->trigger();
        QCOMPARE(answers.shown().size(), 0);

        test::whenModalShown<Form_ImportCSV>(
            [](Form_ImportCSV *d) { d->findChild<QPushButton *>(u"CMD_ChargeCSV"_s)->click(); });
        m_form->findChild<QAction *>(u"MNU_ImportCSV"_s)->trigger();
        QCOMPARE(answers.shown().size(), 1);
        QCOMPARE(answers.shown()[0].text, u"Importer depuis un fichier CSV:\r\n\r\n2 contact(s) importé(s)"_s);
        QCOMPARE(answers.shown()[0].style, 64);
        QCOMPARE(countText(), u"Nombre de contacts : 3"_s);
        QCOMPARE(columnTexts(*list()->model(), 0), (QStringList{u"Personnel"_s, u"Travail"_s, u"Travail"_s}));

        answers.clear();
        m_form->ImportCSV(m_dir->filePath(u"absent.csv"_s));
        QCOMPARE(answers.shown().size(), 1);
        QCOMPARE(answers.shown()[0].style, 16);
        QCOMPARE(m_parts->book.colContacts().count(), 3);
    }

    // Another program's CSV file: the columns pre-filled from its header, changed by the user.
    void headerCsvGoesThroughTheColumnChoice()
    {
        test::MessageBoxResponder answers;
        test::whenModalShown<Form_ImportCSV>(
            [](Form_ImportCSV *d) { d->findChild<QPushButton *>(u"CMD_ChargeCSV"_s)->click(); });
        test::whenModalShown<Form_CsvColumns>([](Form_CsvColumns *d) {
            QCOMPARE(test::child<QTableWidget>(d, u"TablePreview")->rowCount(), 2);
            auto *gsm = test::child<QComboBox>(d, u"ComboColumn_gsm");
            QCOMPARE(gsm->currentText(), u"Mobile Number"_s);
            QCOMPARE(test::child<QComboBox>(d, u"ComboColumn_groupe")->currentText(), u"(ne pas importer)"_s);
            // No number column: the user is asked to name one before going on.
            auto *suivant = test::child<QPushButton>(d, u"CMD_Suivant");
            gsm->setCurrentIndex(0);
            QVERIFY(!suivant->isEnabled());
            QVERIFY(test::child<QLabel>(d, u"LabelChooseNumber")->isVisibleTo(d));
            gsm->setCurrentIndex(gsm->findText(u"Home Phone"_s));
            QVERIFY(suivant->isEnabled());
            QVERIFY(!test::child<QLabel>(d, u"LabelChooseNumber")->isVisibleTo(d));
            test::child<QComboBox>(d, u"ComboGroupe")->setEditText(u"Salon"_s);
            suivant->click();
        });
        FileDialog::setNextFileName(test::fixturePath(u"csv_thunderbird.csv"_s));
        m_form->findChild<QAction *>(u"MNU_ImportCSV"_s)->trigger();
        QCOMPARE(answers.shown().size(), 1);
        QCOMPARE(answers.shown()[0].text, u"Importer depuis un fichier CSV:\r\n\r\n2 contact(s) importé(s)"_s);
        QCOMPARE(m_parts->book.colContacts().at(0)->Phone, QString());
        QCOMPARE(m_parts->book.colContacts().at(1)->Phone, u"05 55 55 55 55"_s);
        QCOMPARE(m_parts->book.colContacts().at(1)->Groupe, u"Salon"_s);
        QVERIFY(m_parts->book.colGroupes().contains(u"Salon"_s));
    }

    void vCardImportAndExportFromTheMenus()
    {
        fill(2);
        m_form->Init();
        test::MessageBoxResponder answers;
        // Imported into a group typed in, then that group alone exported.
        const auto chooseGroup = [](const QString &group) {
            test::whenModalShown<Form_ChangeGroup>([group](Form_ChangeGroup *d) {
                auto *combo = test::child<QComboBox>(d, u"ComboGroup");
                if (combo->isEditable())
                    combo->setEditText(group);
                else
                    combo->setCurrentIndex(combo->findText(group));
                test::child<QPushButton>(d, u"CMD_ChangeGroupe")->click();
            });
        };
        chooseGroup(u"Clients"_s);
        FileDialog::setNextFileName(test::fixturePath(u"vcard_thunderbird40.vcf"_s));
        m_form->findChild<QAction *>(u"MNU_ImportVCard"_s)->trigger();
        QCOMPARE(answers.shown().size(), 1);
        // The numbers rewritten follow; the report itself is the import's.
        QVERIFY(
            answers.shown()[0].text.startsWith(u"Importer depuis un fichier vCard:\r\n\r\n2 contact(s) importé(s)"_s));
        QCOMPARE(countText(), u"Nombre de contacts : 4"_s);
        QCOMPARE(m_parts->book.colContacts().at(3)->Groupe, u"Clients"_s);
        chooseGroup(u"Clients"_s);
        FileDialog::setNextFileName(m_dir->filePath(u"clients.vcf"_s));
        m_form->findChild<QAction *>(u"MNU_ExportVCard"_s)->trigger();
        QCOMPARE(answers.shown().last().text.left(20), u"2 contact(s) exporté"_s);
        answers.clear();

        // The selected rows only.
        clickHeader(0);
        selectRows({0});
        const QString path = m_dir->filePath(u"out.vcf"_s);
        FileDialog::setNextFileName(path);
        m_form->findChild<QAction *>(u"MNU_ExportVCard"_s)->trigger();
        QCOMPARE(answers.shown().size(), 1);
        QCOMPARE(answers.shown()[0].text, u"1 contact(s) exporté(s) vers "_s + QDir::toNativeSeparators(path));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll().count("BEGIN:VCARD"), 1);
        file.close();

        // An existing file is replaced only when the user says so.
        selectRows({0, 1});
        answers.setNextAnswers({vbNo});
        FileDialog::setNextFileName(path);
        m_form->findChild<QAction *>(u"MNU_ExportVCard"_s)->trigger();
        QCOMPARE(answers.shown().size(), 2);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll().count("BEGIN:VCARD"), 1);
    }
};

QTEST_MAIN(TestCarnetAdresse)
#include "test_carnetadresse.moc"
