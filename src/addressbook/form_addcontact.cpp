#include "form_addcontact.h"

#include "addressbook.h"
#include "addressbook/groupcollection.h"
#include "base/config.h"
#include "base/dialogframe.h"
#include "base/messagebox.h"
#include "base/shared.h"
#include "base/textes.h"
#include "base/txt.h"
#include "contactrules.h"
#include "numberinput.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <memory>

using namespace Qt::StringLiterals;

namespace parlevo {

ContactFieldValidator::ContactFieldValidator(QObject *parent)
    : QValidator(parent)
{
}

QValidator::State ContactFieldValidator::validate(QString &input, int &pos) const
{
    // The characters refused are dropped where they stand; the cursor keeps its place among
    // the characters kept.
    const QString before = input.left(pos);
    const QString kept = withoutForbidden(input);
    if (kept.size() != input.size()) {
        pos = int(withoutForbidden(before).size());
        input = kept;
    }
    return Acceptable;
}

namespace {

// The titles offered, "Dr." to "Sr".
constexpr Txt kTitles[] = {Txt::TitleDoctor, Txt::TitleMister, Txt::TitleMaitre,    Txt::TitleMonsignor, Txt::TitleMiss,
                           Txt::TitleMadam,  Txt::TitleFather, Txt::TitleProfessor, Txt::TitleSister};

QLineEdit *makeEdit(const QString &name, QWidget *parent)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setValidator(new ContactFieldValidator(edit));
    return edit;
}

// The number box filters what the user types or pastes, never the stored value it is given: a
// validator would rewrite "+33 6 12-34" as soon as the contact is shown. Only the characters an
// edit brings (between the unchanged start and end of the text) are filtered.
QLineEdit *makeNumberEdit(const QString &name, QWidget *parent)
{
    auto *edit = makeEdit(name, parent);
    auto previous = std::make_shared<QString>();
    QObject::connect(edit, &QLineEdit::textChanged, edit, [previous](const QString &text) { *previous = text; });
    QObject::connect(edit, &QLineEdit::textEdited, edit, [edit, previous](const QString &text) {
        const QString &old = *previous;
        qsizetype head = 0;
        while (head < old.size() && head < text.size() && old[head] == text[head])
            ++head;
        qsizetype tail = 0;
        while (tail < old.size() - head && tail < text.size() - head &&
               old[old.size() - 1 - tail] == text[text.size() - 1 - tail])
            ++tail;
        const QString typed = text.mid(head, text.size() - head - tail);
        const QString kept = numberCharactersOnly(typed, head == 0);
        if (kept == typed)
            return;
        edit->setText(text.left(head) + kept + text.right(tail));
        edit->setCursorPosition(int(head + kept.size()));
    });
    return edit;
}

QComboBox *makeCombo(const QString &name, QWidget *parent)
{
    auto *combo = new QComboBox(parent);
    combo->setObjectName(name);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    // Typing "Client" where "Clients VIP" is offered must give "Client".
    combo->setCompleter(nullptr);
    combo->setValidator(new ContactFieldValidator(combo));
    return combo;
}

} // namespace

Form_AddContact::Form_AddContact(const TextTable &textes, AddressBook &book, QWidget *parent)
    : QDialog(parent, kDialogFrame)
    , m_textes(textes)
    , m_book(book)
{
    setObjectName(u"Form_AddContact"_s);
    setModal(true);
    auto *frame = new QGroupBox(textes(Txt::ContactDetails), this);
    frame->setObjectName(u"FrameContact"_s);
    auto *form = new QFormLayout(frame);
    for (const ContactFieldInfo *field : kStoredFields) {
        const QString key = QString::fromUtf16(field->key);
        const ContactColumn column = field->column;
        QWidget *edit;
        if (column == ContactColumn::Groupe || column == ContactColumn::Titre)
            edit = makeCombo(u"Combo"_s + key, frame);
        else
            edit = (column == ContactColumn::GSM ? makeNumberEdit : makeEdit)(u"Text"_s + key, frame);
        auto *label = new QLabel(textes(field->caption) + u" :"_s, frame);
        label->setObjectName(u"Label"_s + key);
        label->setBuddy(edit);
        edit->setMinimumWidth(220);
        form->addRow(label, edit);
        m_edits[std::size_t(column)] = edit;
    }
    m_comboGroupe = static_cast<QComboBox *>(m_edits[std::size_t(ContactColumn::Groupe)]);
    auto *titles = static_cast<QComboBox *>(m_edits[std::size_t(ContactColumn::Titre)]);
    for (Txt title : kTitles)
        titles->addItem(textes(title));

    m_accepter = new QPushButton(this);
    m_accepter->setObjectName(u"CMD_Accepter"_s);
    m_accepter->setDefault(true);
    auto *annuler = new QPushButton(textes(Txt::CancelButton), this);
    annuler->setObjectName(u"CMD_Annuler"_s);
    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(m_accepter, QDialogButtonBox::AcceptRole);
    buttons->addButton(annuler, QDialogButtonBox::RejectRole);
    connect(m_accepter, &QPushButton::clicked, this, &Form_AddContact::CMD_Accepter_Click);
    connect(annuler, &QPushButton::clicked, this, &Form_AddContact::CMD_Annuler_Click);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addWidget(buttons);
}

void Form_AddContact::prepare(Txt title, Txt acceptText)
{
    setWindowTitle(QString::fromUtf16(kMessageBoxTitle) + u" - "_s + m_textes(title));
    m_accepter->setText(m_textes(acceptText));
    m_comboGroupe->clear();
    m_comboGroupe->addItems(m_book.colGroupes().names());
    m_comboGroupe->setEditText(QString());
}

void Form_AddContact::runOn(ClassContact &contact)
{
    m_contact = &contact;
    Etat = false;
    m_edits[std::size_t(ContactColumn::Nom)]->setFocus();
    exec();
}

void Form_AddContact::Ajoute(ClassContact &contact)
{
    prepare(Txt::NewContactTitle, Txt::AddButton);
    for (const ContactFieldInfo *field : kStoredFields) {
        if (auto *combo = qobject_cast<QComboBox *>(m_edits[std::size_t(field->column)]))
            combo->setEditText(QString());
        else
            static_cast<QLineEdit *>(m_edits[std::size_t(field->column)])->clear();
    }
    runOn(contact);
}

void Form_AddContact::Modifie(ClassContact &contact)
{
    prepare(Txt::EditContactTitle, Txt::ModifyButton);
    // A value of the book holds none of the refused characters, so the fields take it whole.
    for (const ContactFieldInfo *field : kStoredFields) {
        if (auto *combo = qobject_cast<QComboBox *>(m_edits[std::size_t(field->column)]))
            combo->setEditText(contact.*field->member);
        else
            static_cast<QLineEdit *>(m_edits[std::size_t(field->column)])->setText(contact.*field->member);
    }
    runOn(contact);
}

void Form_AddContact::CMD_Accepter_Click()
{
    ClassContact typed;
    for (const ContactFieldInfo *field : kStoredFields) {
        const QWidget *edit = m_edits[std::size_t(field->column)];
        const auto *combo = qobject_cast<const QComboBox *>(edit);
        typed.*field->member = combo ? combo->currentText() : static_cast<const QLineEdit *>(edit)->text();
    }
    typed.Phone = readNumberInput(m_book.phoneCheck(), typed.Phone).number;
    if (const std::optional<Txt> error = contactEditorError(typed.Nom, typed.Phone)) {
        MsgBox(m_textes(*error), vbOKOnly | vbCritical);
        m_edits[std::size_t(*error == Txt::NoLastName ? ContactColumn::Nom : ContactColumn::GSM)]->setFocus();
        return;
    }
    // Saved as "?" they would be lost: the user is told which characters, and the dialog stays.
    if (const QString refused = unsavableCharacters(typed); !refused.isEmpty()) {
        MsgBox(QString(m_textes(Txt::UnsavableCharacters)).replace(u"%1"_s, refused), vbOKOnly | vbCritical);
        return;
    }
    if (m_contact) {
        for (const ContactFieldInfo *field : kStoredFields)
            (*m_contact).*field->member = typed.*field->member;
    }
    Etat = true;
    Ajoute_Groupe(m_book.colGroupes(), typed.Groupe);
    accept();
}

void Form_AddContact::CMD_Annuler_Click()
{
    Etat = false;
    reject();
}

void Form_AddContact::closeEvent(QCloseEvent *event)
{
    Etat = false;
    QDialog::closeEvent(event);
}

} // namespace parlevo
