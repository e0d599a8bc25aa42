#pragma once

#include <QDialog>

class QListWidget;
class QMenu;

namespace parlevo {

class AddressBook;
class TextTable;
class ContactListView;

// The opt-out list: its numbers as written, one removed at a time or one added. Every change is
// saved at once.
class Form_Desinscrits final : public QDialog {
    Q_OBJECT
public:
    Form_Desinscrits(const TextTable &textes, AddressBook &book, QWidget *parent);
    Q_DISABLE_COPY_MOVE(Form_Desinscrits)

private:
    void fill();
    void CMD_Ajouter_Click();
    void CMD_Retirer_Click();

    const TextTable &m_textes;
    AddressBook &m_book;
    QListWidget *m_list = nullptr;
};

// Adds to a list's context menu: opt the selected contacts' numbers out, opt them back in, and
// show the opt-out list. The address book and the mailing list share them.
void addOptOutActions(QMenu *menu, const TextTable &textes, AddressBook &book, ContactListView *list);

} // namespace parlevo
