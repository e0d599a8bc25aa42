#pragma once

#include "sortkeys.h"

#include <QDialog>
#include <QList>

#include <array>
#include <vector>

class QCheckBox;
class QComboBox;
class QElapsedTimer;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;

namespace parlevo {

class AddressBook;
struct Config;
class TextTable;
class ContactListView;
struct ClassContact;

// The modal contact picker: one recipient for a single SMS (TypeSource 0) or several contacts
// for a mailing (any other TypeSource). Callers set TypeSource, call ImporteCarnet() and Init(),
// run exec(), then read Result and SelContact (single) or selectedContacts() (mailing).
class Form_SelContact final : public QDialog {
    Q_OBJECT
public:
    Form_SelContact(const TextTable &textes, const Config &config, AddressBook &book, QWidget *parent = nullptr);
    ~Form_SelContact() override;
    Q_DISABLE_COPY_MOVE(Form_SelContact)

    int TypeSource = 0;
    // Single mode: true when a contact was chosen, and that contact (owned by the address book).
    bool Result = false;
    ClassContact *SelContact = nullptr;

    // Takes a fresh snapshot of the address book and of the group list.
    void ImporteCarnet();
    // Sets the mode's texts and lists the contacts.
    void Init();
    // Lists the contacts the group or the deep search keeps.
    void Remplit_LV_Carnet();
    // Mailing mode: the contacts of the selected rows, in list order; none when the picker was
    // closed without Accept.
    QList<ClassContact *> selectedContacts() const;

    void CMD_Accepter_Click();

    ContactListView *list() const { return m_list; }
    // The snapshot, in address book order.
    const std::vector<ClassContact *> &TempContact() const { return m_temp; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool mailingMode() const { return TypeSource != 0; }
    void resetSearch();
    void CheckFiltre_Click();
    void showProgress(int value, QElapsedTimer &sinceShown);
    const std::vector<quint32> &sortedSnapshot();

    const TextTable &m_textes;
    AddressBook &m_book;
    std::vector<ClassContact *> m_temp;
    // The five search fields of the snapshot, folded once when it is taken.
    std::array<FoldedField, 5> m_fields;
    // The snapshot in the list's sort order, as positions in m_temp, and the order it is in.
    std::vector<quint32> m_order;
    bool m_orderValid = false;
    int m_orderColumn = -1;
    ContactColumn m_orderKey = ContactColumn::Groupe;
    Qt::SortOrder m_orderDirection = Qt::AscendingOrder;
    bool m_accepted = false;
    ContactListView *m_list;
    QComboBox *m_comboGroupe;
    QLabel *m_labelFrame;
    QCheckBox *m_checkFiltre;
    QLabel *m_labelRechercher;
    QLineEdit *m_textRecherche;
    QLabel *m_labelDans;
    QComboBox *m_comboDans;
    QPushButton *m_filtre;
    QPushButton *m_accepter;
    QLabel *m_count;
    QProgressBar *m_progress;
    QMenu *m_menuSelection;
};

} // namespace parlevo
