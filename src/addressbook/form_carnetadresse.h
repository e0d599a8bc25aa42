#pragma once

#include "base/activitywindow.h"
#include "base/txt.h"

#include <memory>
#include <optional>
#include <utility>

class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;

namespace parlevo {

class AddressBook;
class AutoSave;
struct Config;
class TextTable;
struct ClassContact;
struct ContactImportResult;
class ContactListView;
class ContactSearch;
class Form_AddContact;
class Form_ChangeGroup;
class Form_ImportCSV;
class LabelLink;

// The address book: every contact of colContacts in the chosen columns, sorting, selection,
// add, modify, delete, group change, the CSV and vCard imports and the vCard export.
class Form_CarnetAdresse final : public SectionPage {
    Q_OBJECT
public:
    Form_CarnetAdresse(const TextTable &textes, const Config &config, AddressBook &book, AutoSave &autoSave,
                       QWidget *parent = nullptr);
    ~Form_CarnetAdresse() override;
    Q_DISABLE_COPY_MOVE(Form_CarnetAdresse)

    // Rebuilds the columns (the preferences may have changed them) and refills the rows.
    void Init() override;
    void Init_ColonneLV();
    void Remplit_lv();
    void AutosizeColumns();

    void CMD_Ajouter_Click();
    void CMD_Modifier_Click();
    void CMD_Supprimer_Click();
    void MNU_DefGroupe_Click();
    // The explanation, the file dialog, then the import.
    void MNU_ImportCSV_Click();
    // Appends the contacts of one file and tells the user how many were read.
    void ImportCSV(const QString &path);
    // The file dialog, then the import of a vCard file.
    void MNU_ImportVCard_Click();
    // Writes the selected contacts (all when none is) to a vCard file the user names.
    void MNU_ExportVCard_Click();

    ContactListView *list() const { return m_list; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The group for a vCard import or export, empty for none; nothing when the user gave up.
    std::optional<QString> askGroup(Txt title, Txt caption, Txt action, bool existingOnly);
    // The closing message of an import, then the count.
    void tellImported(const ContactImportResult &result, const QString &path);
    void updateCountLabel();
    void setEditButtonsEnabled(bool enabled);
    bool searching() const;
    // The search over the book in the list's order, built again after a change or a new order.
    ContactSearch &searchIndex();
    // The list shows what the search box finds (every contact for an empty box).
    void showFound();
    void selectFirstRow();

    const TextTable &m_textes;
    AddressBook &m_book;
    AutoSave &m_autoSave;
    ContactListView *m_list;
    QLineEdit *m_search;
    // Built when the box gets the focus, dropped when the book changes.
    std::unique_ptr<ContactSearch> m_searchIndex;
    std::pair<int, Qt::SortOrder> m_searchOrder{-1, Qt::AscendingOrder};
    QLabel *m_count;
    QPushButton *m_modifier;
    QPushButton *m_supprimer;
    LabelLink *m_importLink;
    QMenu *m_menuListview;
    QMenu *m_menuImporter;
    Form_AddContact *m_addContact = nullptr;
    Form_ChangeGroup *m_changeGroup = nullptr;
    Form_ImportCSV *m_importCsv = nullptr;
};

} // namespace parlevo
