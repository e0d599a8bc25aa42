#include "form_changegroup.h"

#include "addressbook/groupcollection.h"
#include "base/config.h"
#include "base/dialogframe.h"
#include "base/messagebox.h"
#include "base/shared.h"
#include "base/textes.h"
#include "base/txt.h"
#include "form_addcontact.h"
#include "groupcollection.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace parlevo {

Form_ChangeGroup::Form_ChangeGroup(const TextTable &textes, const GroupCollection &groups, QWidget *parent)
    : QDialog(parent, kDialogFrame)
    , Groupe(QString::fromUtf16(kCancelMarker))
    , m_textes(textes)
    , m_groups(groups)
{
    setObjectName(u"Form_ChangeGroup"_s);
    setModal(true);
    setWindowTitle(QString::fromUtf16(kMessageBoxTitle) + u" - "_s + textes(Txt::ChangeGroup));
    auto *label = m_caption = new QLabel(textes(Txt::NewGroupFor), this);
    label->setObjectName(u"LabelChanger"_s);
    m_comboGroup = new QComboBox(this);
    m_comboGroup->setObjectName(u"ComboGroup"_s);
    m_comboGroup->setEditable(true);
    m_comboGroup->setInsertPolicy(QComboBox::NoInsert);
    m_comboGroup->setCompleter(nullptr); // the name typed is the name given, never a longer one
    m_comboGroup->setValidator(new ContactFieldValidator(m_comboGroup));
    m_comboGroup->setMinimumWidth(260);
    label->setBuddy(m_comboGroup);

    auto *change = m_action = new QPushButton(textes(Txt::ChangeGroup), this);
    change->setObjectName(u"CMD_ChangeGroupe"_s);
    change->setDefault(true);
    auto *annuler = new QPushButton(textes(Txt::CancelButton), this);
    annuler->setObjectName(u"CMD_Annuler"_s);
    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(change, QDialogButtonBox::AcceptRole);
    buttons->addButton(annuler, QDialogButtonBox::RejectRole);
    connect(change, &QPushButton::clicked, this, &Form_ChangeGroup::CMD_ChangeGroupe_Click);
    connect(annuler, &QPushButton::clicked, this, &Form_ChangeGroup::CMD_Annuler_Click);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_comboGroup);
    layout->addWidget(buttons);
}

void Form_ChangeGroup::Init()
{
    m_comboGroup->clear();
    if (m_existingOnly)
        m_comboGroup->addItem(QString());
    m_comboGroup->addItems(m_groups.names());
    m_comboGroup->setCurrentIndex(0);
    m_comboGroup->setEditText(QString());
    // Closing by the window's close box or Escape counts as a cancel.
    Groupe = QString::fromUtf16(kCancelMarker);
    m_comboGroup->setFocus();
}

void Form_ChangeGroup::setPurpose(const QString &title, const QString &caption, const QString &action,
                                  bool existingOnly)
{
    setWindowTitle(QString::fromUtf16(kMessageBoxTitle) + u" - "_s + title);
    m_caption->setText(caption);
    m_action->setText(action);
    m_existingOnly = existingOnly;
    m_comboGroup->setEditable(!existingOnly);
}

void Form_ChangeGroup::CMD_ChangeGroupe_Click()
{
    Groupe = m_comboGroup->currentText();
    accept();
}

void Form_ChangeGroup::CMD_Annuler_Click()
{
    Groupe = QString::fromUtf16(kCancelMarker);
    reject();
}

void Form_ChangeGroup::closeEvent(QCloseEvent *event)
{
    Groupe = QString::fromUtf16(kCancelMarker);
    QDialog::closeEvent(event);
}

} // namespace parlevo
