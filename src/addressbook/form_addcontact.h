#pragma once

#include "base/txt.h"

#include <QDialog>
#include <QValidator>

#include <QValidator>
#include <array>

class QComboBox;
class QPushButton;

namespace parlevo {

class AddressBook;
class TextTable;
struct ClassContact;

// Keeps ";", CR and LF out of a field, typed or pasted: they would break the contacts file.
class ContactFieldValidator final : public QValidator {
    Q_OBJECT
public:
    explicit ContactFieldValidator(QObject *parent = nullptr);
    State validate(QString &input, int &pos) const override;
};

// The contact editor: Ajoute edits a contact just created, Modifie one of the book. Etat tells
// the caller whether the fields were written into the contact.
class Form_AddContact final : public QDialog {
    Q_OBJECT
public:
    Form_AddContact(const TextTable &textes, AddressBook &book, QWidget *parent = nullptr);
    Q_DISABLE_COPY_MOVE(Form_AddContact)

    bool Etat = false;

    void Ajoute(ClassContact &contact);
    void Modifie(ClassContact &contact);

    void CMD_Accepter_Click();
    void CMD_Annuler_Click();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void prepare(Txt title, Txt acceptText);
    void runOn(ClassContact &contact);

    const TextTable &m_textes;
    AddressBook &m_book;
    ClassContact *m_contact = nullptr;
    // The edit of each field, by its column; none for the full name.
    std::array<QWidget *, 7> m_edits{};
    QComboBox *m_comboGroupe;
    QPushButton *m_accepter;
};

} // namespace parlevo
