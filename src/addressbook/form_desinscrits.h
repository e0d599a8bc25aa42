#pragma once

#include <QDialog>

class QListWidget;
class QMenu;

namespace parlevo {

class AppState;
class ContactListView;

// The opt-out list: its numbers as written, one removed at a time or one added. Every change is
// saved at once.
class Form_Desinscrits final : public QDialog {
    Q_OBJECT
public:
    Form_Desinscrits(AppState &state, QWidget *parent);
    Q_DISABLE_COPY_MOVE(Form_Desinscrits)

private:
    void fill();
    void CMD_Ajouter_Click();
    void CMD_Retirer_Click();

    AppState &m_state;
    QListWidget *m_list = nullptr;
};

// Adds to a list's context menu: opt the selected contacts' numbers out, opt them back in, and
// show the opt-out list. The address book and the mailing list share them.
void addOptOutActions(QMenu *menu, AppState &state, ContactListView *list);

} // namespace parlevo
