#include "form_addcontact.h"

#include "addressbook/groupcollection.h"
#include "base/appstate.h"
#include "base/messagebox.h"
#include "contactrules.h"

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

QLineEdit *makeEdit(const char16_t *name, QWidget *parent)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromUtf16(name));
    edit->setValidator(new ContactFieldValidator(edit));
    return edit;
}

// The number box filters what the user types or pastes, never the stored value it is given: a
// validator would rewrite "+33 6 12-34" as soon as the contact is shown. Only the characters an
// edit brings (between the unchanged start and end of the text) are filtered.
QLineEdit *makeNumberEdit(const char16_t *name, QWidget *parent)
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
        const QString kept = numberCharactersOnly(typed);
        if (kept == typed)
            return;
        edit->setText(text.left(head) + kept + text.right(tail));
        edit->setCursorPosition(int(head + kept.size()));
    });
    return edit;
}

QComboBox *makeCombo(const char16_t *name, QWidget *parent)
{
    auto *combo = new QComboBox(parent);
    combo->setObjectName(QString::fromUtf16(name));
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    // Typing "Client" where "Clients VIP" is offered must give "Client".
    combo->setCompleter(nullptr);
    combo->setValidator(new ContactFieldValidator(combo));
    return combo;
}

} // namespace

Form_AddContact::Form_AddContact(AppState &state, QWidget *parent)
    : QDialog(parent)
    , m_state(state)
{
    setObjectName(u"Form_AddContact"_s);
    setModal(true);
    auto *frame = new QGroupBox(state.Textes(164), this);
    frame->setObjectName(u"FrameContact"_s);
    auto *form = new QFormLayout(frame);
    m_comboGroupe = makeCombo(u"ComboGroupe", frame);
    m_textSociete = makeEdit(u"TextSociete", frame);
    m_comboTitre = makeCombo(u"ComboTitre", frame);
    for (int i = 172; i <= 180; ++i)
        m_comboTitre->addItem(state.Textes(i));
    m_textPrenom = makeEdit(u"TextPrenom", frame);
    m_textNom = makeEdit(u"TextNom", frame);
    m_textGSM = makeNumberEdit(u"TextGSM", frame);
    const struct {
        const char16_t *name;
        int text;
        QWidget *field;
    } rows[] = {{u"LabelGroupe", 184, m_comboGroupe}, {u"LabelSociete", 169, m_textSociete},
                {u"LabelTitre", 165, m_comboTitre},   {u"LabelPrenom", 166, m_textPrenom},
                {u"LabelNom", 167, m_textNom},        {u"LabelGSM", 168, m_textGSM}};
    for (const auto &row : rows) {
        auto *label = new QLabel(state.Textes(row.text) + u" :"_s, frame);
        label->setObjectName(QString::fromUtf16(row.name));
        label->setBuddy(row.field);
        row.field->setMinimumWidth(220);
        form->addRow(label, row.field);
    }

    m_accepter = new QPushButton(this);
    m_accepter->setObjectName(u"CMD_Accepter"_s);
    m_accepter->setDefault(true);
    auto *annuler = new QPushButton(state.Textes(8), this);
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

void Form_AddContact::prepare(int title, int acceptText)
{
    setWindowTitle(QString::fromUtf16(kMessageBoxTitle) + u" - "_s + m_state.Textes(title));
    m_accepter->setText(m_state.Textes(acceptText));
    m_comboGroupe->clear();
    m_comboGroupe->addItems(m_state.colGroupes().names());
    m_comboGroupe->setEditText(QString());
}

void Form_AddContact::runOn(ClassContact &contact)
{
    m_contact = &contact;
    Etat = false;
    m_textNom->setFocus();
    exec();
}

void Form_AddContact::Ajoute(ClassContact &contact)
{
    prepare(39, 36);
    for (QLineEdit *edit : {m_textSociete, m_textPrenom, m_textNom, m_textGSM})
        edit->clear();
    m_comboTitre->setEditText(QString());
    runOn(contact);
}

void Form_AddContact::Modifie(ClassContact &contact)
{
    prepare(40, 37);
    // A value of the book holds none of the refused characters, so the fields take it whole.
    m_comboGroupe->setEditText(contact.Groupe);
    m_textSociete->setText(contact.Societe);
    m_comboTitre->setEditText(contact.Titre);
    m_textPrenom->setText(contact.Prenom);
    m_textNom->setText(contact.Nom);
    m_textGSM->setText(contact.Phone);
    runOn(contact);
}

void Form_AddContact::CMD_Accepter_Click()
{
    const int error = contactEditorError(m_textNom->text(), m_textGSM->text());
    if (error != 0) {
        MsgBox(m_state.Textes(error), vbOKOnly | vbCritical);
        (error == 135 ? m_textNom : m_textGSM)->setFocus();
        return;
    }
    ClassContact typed;
    typed.Groupe = m_comboGroupe->currentText();
    typed.Societe = m_textSociete->text();
    typed.Titre = m_comboTitre->currentText();
    typed.Prenom = m_textPrenom->text();
    typed.Nom = m_textNom->text();
    typed.Phone = m_textGSM->text();
    // Saved as "?" they would be lost: the user is told which characters, and the dialog stays.
    if (const QString refused = unsavableCharacters(typed); !refused.isEmpty()) {
        MsgBox(QString(m_state.Textes(289)).replace(u"%1"_s, refused), vbOKOnly | vbCritical);
        return;
    }
    if (m_contact) {
        m_contact->Groupe = typed.Groupe;
        m_contact->Societe = typed.Societe;
        m_contact->Titre = typed.Titre;
        m_contact->Prenom = typed.Prenom;
        m_contact->Nom = typed.Nom;
        m_contact->Phone = typed.Phone;
    }
    Etat = true;
    Ajoute_Groupe(m_state, typed.Groupe);
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
