#include "form_predefinis.h"

#include "base/autosave.h"
#include "base/config.h"
#include "base/messagebox.h"
#include "base/shared.h"
#include "base/textes.h"
#include "base/theme.h"
#include "base/txt.h"
#include "controls/accessibility.h"
#include "messages/predefinis.h"
#include "outgoing.h"
#include "smstextedit.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace parlevo {

namespace {

constexpr int kPositionRole = Qt::UserRole;

template <typename W> W *named(W *widget, const char16_t *name)
{
    widget->setObjectName(QString::fromUtf16(name));
    return widget;
}

} // namespace

Form_Predefinis::Form_Predefinis(const TextTable &textes, PredefinedMessages &messages, AutoSave &autoSave,
                                 QWidget *parent)
    : SectionPage(textes(Txt::PredefinedMessages), activityIcon(Activity::Predefinis), parent)
    , m_textes(textes)
    , m_messages(messages)
    , m_autoSave(autoSave)
{
    setObjectName(u"Form_Predefinis"_s);
    buildWindow();

    connect(m_list, &QListWidget::itemClicked, this, &Form_Predefinis::ListPredefinis_Click);
    connect(m_list, &QListWidget::itemDoubleClicked, this, &Form_Predefinis::CMD_Modifier_Click);
    // Moving to a row with the keyboard shows it as a click does.
    connect(m_list, &QListWidget::currentRowChanged, this, [this] {
        if (m_list->hasFocus())
            ListPredefinis_Click();
    });
    connect(m_ajouter, &QPushButton::clicked, this, &Form_Predefinis::CMD_Ajouter_Click);
    connect(m_modifier, &QPushButton::clicked, this, &Form_Predefinis::CMD_Modifier_Click);
    connect(m_supprimer, &QPushButton::clicked, this, &Form_Predefinis::CMD_Supprimer_Click);
    connect(m_accepter, &QPushButton::clicked, this, &Form_Predefinis::CMD_Accepter_Click);
    connect(m_annuler, &QPushButton::clicked, this, &Form_Predefinis::CMD_Annuler_Click);
    connect(m_textNom, &QLineEdit::returnPressed, this, [this] { m_textSMS->setFocus(); });
    connect(m_textSMS, &QPlainTextEdit::textChanged, this, &Form_Predefinis::showCount);
    m_list->installEventFilter(this);
    showCount();
    setEditMode(false);
    enableRowButtons(false);
}

void Form_Predefinis::buildWindow()
{
    QWidget *page = new QWidget(this);
    auto *grid = new QGridLayout(page);
    grid->setContentsMargins(20, 0, 0, 0);
    grid->setHorizontalSpacing(16);
    grid->setVerticalSpacing(8);

    auto *labelList = named(new QLabel(m_textes(Txt::PredefinedList), page), u"LabelPredefinis");
    grid->addWidget(labelList, 0, 0);
    m_list = named(new QListWidget(page), u"ListPredefinis");
    captionFor(labelList, m_list);
    grid->addWidget(m_list, 1, 0, 6, 1);
    // The grid's spacings differ, so nested rows would get none: give them the style's own.
    const int buttonGap = standardGap(*this);
    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(buttonGap);
    m_ajouter = named(new QPushButton(m_textes(Txt::AddButton), page), u"CMD_Ajouter");
    m_modifier = named(new QPushButton(m_textes(Txt::ModifyButton), page), u"CMD_Modifier");
    m_supprimer = named(new QPushButton(m_textes(Txt::DeleteButton), page), u"CMD_Supprimer");
    buttons->addWidget(m_ajouter);
    buttons->addWidget(m_modifier);
    buttons->addWidget(m_supprimer);
    buttons->addStretch(1);
    grid->addLayout(buttons, 7, 0);

    m_labelNom = named(new QLabel(m_textes(Txt::PredefinedName), page), u"LabelNomPredefinis");
    m_textNom = named(new QLineEdit(page), u"TextNomPredefinis");
    // A ";" would split the record in two when the file is read back.
    m_textNom->setValidator(new QRegularExpressionValidator(QRegularExpression(u"[^;]*"_s), m_textNom));
    captionFor(m_labelNom, m_textNom);
    m_labelMessage = named(new QLabel(m_textes(Txt::PredefinedMessage), page), u"LabelMessagePredefini");
    m_textSMS = named(new SmsTextEdit(page), u"TextSMS");
    m_textSMS->setMaxLength(static_cast<int>(kSmsMaxLength));
    // The prompt goes with the focus, as in the send windows.
    m_textSMS->setPrompt(m_textes(Txt::EnterMessageHere));
    captionFor(m_labelMessage, m_textSMS);
    m_labelNBCar = named(new QLabel(page), u"LabelNBCar");
    grid->addWidget(m_labelNom, 1, 1);
    grid->addWidget(m_textNom, 2, 1);
    grid->addWidget(m_labelMessage, 3, 1);
    grid->addWidget(m_textSMS, 4, 1, 2, 1);
    grid->addWidget(m_labelNBCar, 6, 1);
    auto *edit = new QHBoxLayout;
    edit->setSpacing(buttonGap);
    edit->addStretch(1);
    m_accepter = named(new QPushButton(m_textes(Txt::AcceptButton), page), u"CMD_Accepter");
    m_annuler = named(new QPushButton(m_textes(Txt::CancelButton), page), u"CMD_Annuler");
    edit->addWidget(m_accepter);
    edit->addWidget(m_annuler);
    grid->addLayout(edit, 7, 1);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    // The message box takes the height the labels do not need.
    grid->setRowStretch(5, 1);
    contentLayout()->addWidget(page, 1);
}

void Form_Predefinis::Init()
{
    fillList();
    setEditMode(false);
    enableRowButtons(false);
}

void Form_Predefinis::fillList()
{
    m_list->clear();
    const PredefiniList &list = m_messages.colPredefinis();
    for (qsizetype i = 0; i < list.size(); ++i) {
        auto *item = new QListWidgetItem(list.at(i).Nom, m_list);
        item->setData(kPositionRole, static_cast<int>(i + 1));
    }
}

void Form_Predefinis::setEditMode(bool editing)
{
    m_list->setEnabled(!editing);
    m_ajouter->setEnabled(!editing);
    for (QWidget *w :
         {static_cast<QWidget *>(m_labelNom), static_cast<QWidget *>(m_textNom), static_cast<QWidget *>(m_labelMessage),
          static_cast<QWidget *>(m_textSMS), static_cast<QWidget *>(m_labelNBCar), static_cast<QWidget *>(m_accepter),
          static_cast<QWidget *>(m_annuler)})
        w->setEnabled(editing);
    enableRowButtons(false);
}

void Form_Predefinis::enableRowButtons(bool enabled)
{
    m_modifier->setEnabled(enabled);
    m_supprimer->setEnabled(enabled);
}

int Form_Predefinis::selectedPosition() const
{
    const QList<QListWidgetItem *> selected = m_list->selectedItems();
    return selected.isEmpty() ? 0 : selected.first()->data(kPositionRole).toInt();
}

void Form_Predefinis::showCount()
{
    m_labelNBCar->setText(m_textes(Txt::CharactersLeft) + QString::number(kSmsMaxLength - m_textSMS->length()));
}

void Form_Predefinis::ListPredefinis_Click()
{
    const int position = selectedPosition();
    const PredefiniList &list = m_messages.colPredefinis();
    if (position < 1 || position > list.size())
        return;
    m_textNom->setText(list.at(position - 1).Nom);
    m_textSMS->setPlainText(list.at(position - 1).Message);
    enableRowButtons(true);
}

void Form_Predefinis::CMD_Ajouter_Click()
{
    setEditMode(true);
    m_adding = true;
    m_textNom->setText(m_textes(Txt::NewPredefinedName));
    m_textSMS->setPlainText(m_textes(Txt::EnterMessageHere));
    m_textNom->selectAll();
    m_textNom->setFocus();
}

void Form_Predefinis::CMD_Modifier_Click()
{
    const int position = selectedPosition();
    const PredefiniList &list = m_messages.colPredefinis();
    if (position < 1 || position > list.size())
        return;
    m_textNom->setText(list.at(position - 1).Nom);
    m_textSMS->setPlainText(list.at(position - 1).Message);
    m_adding = false;
    setEditMode(true);
    m_textNom->selectAll();
    m_textNom->setFocus();
}

void Form_Predefinis::CMD_Accepter_Click()
{
    PredefiniList &list = m_messages.colPredefinis();
    const QString name = m_textNom->text();
    // Accepted before the box had the focus, the prompt is still there: it is no message.
    const QString typed = m_textSMS->toPlainText();
    const QString message = typed == m_textes(Txt::EnterMessageHere) ? QString() : typed;
    if (m_adding) {
        list.append(ClassPredefini{name, message});
    } else {
        const int position = selectedPosition();
        if (position >= 1 && position <= list.size())
            list[position - 1] = ClassPredefini{name, message};
    }
    m_autoSave.changed(QString::fromUtf16(kPredefinisFileName));
    setEditMode(false);
    fillList();
    // The last row bearing the accepted name is the one left selected.
    for (int row = m_list->count() - 1; row >= 0; --row) {
        if (m_list->item(row)->text() == name) {
            m_list->setCurrentRow(row);
            ListPredefinis_Click();
            break;
        }
    }
    enableRowButtons(true);
}

void Form_Predefinis::CMD_Annuler_Click()
{
    setEditMode(false);
    enableRowButtons(selectedPosition() != 0);
}

void Form_Predefinis::CMD_Supprimer_Click()
{
    const int position = selectedPosition();
    if (position == 0)
        return;
    if (MsgBox(m_textes(Txt::ConfirmDeletePredefined), vbYesNo | vbExclamation | vbDefaultButton2) != vbYes) {
        m_list->setFocus();
        return;
    }
    PredefiniList &list = m_messages.colPredefinis();
    if (position <= list.size())
        list.removeAt(position - 1);
    m_autoSave.changed(QString::fromUtf16(kPredefinisFileName));
    fillList();
    m_textNom->clear();
    m_textSMS->clear();
    enableRowButtons(false);
}

bool Form_Predefinis::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_list && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Delete && selectedPosition() != 0) {
        CMD_Supprimer_Click();
        return true;
    }
    return SectionPage::eventFilter(watched, event);
}

} // namespace parlevo
