#pragma once

#include <QDialog>
#include <QList>

namespace parlevo {

class AppState;
class ClassContact;

// The modal contact picker: one recipient for a single SMS (TypeSource 0) or several contacts
// for a mailing (any other TypeSource). Callers set TypeSource, call ImporteCarnet() and Init(),
// run exec(), then read Result and SelContact (single) or selectedContacts() (mailing).
class Form_SelContact final : public QDialog {
    Q_OBJECT
public:
    explicit Form_SelContact(AppState &state, QWidget *parent = nullptr);
    Q_DISABLE_COPY_MOVE(Form_SelContact)

    int TypeSource = 0;
    // Single mode: true when a contact was chosen, and that contact (owned by the address book).
    bool Result = false;
    ClassContact *SelContact = nullptr;

    // Takes a fresh snapshot of the address book and of the group list.
    void ImporteCarnet();
    // Sets the mode's texts and lists the contacts.
    void Init();
    // Mailing mode: the contacts of the selected rows, in list order.
    QList<ClassContact *> selectedContacts() const;

private:
    AppState &m_state;
};

} // namespace parlevo
