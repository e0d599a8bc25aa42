#include "form_simple.h"

#include "addressbook/form_selcontact.h"
#include "base/appstate.h"
#include "base/messagebox.h"
#include "base/shared.h"
#include "controls/accessibility.h"
#include "differer.h"
#include "gateway/classsendora.h"
#include "messages/form_sms.h"
#include "messages/outgoing.h"
#include "messages/smstextedit.h"
#include "sendingcontrols.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimeEdit>

using namespace Qt::StringLiterals;

namespace parlevo {

namespace {

constexpr int kNumberDigits = 10;

template <typename W> W *named(W *widget, const char16_t *name)
{
    widget->setObjectName(QString::fromUtf16(name));
    return widget;
}

} // namespace

Form_Simple::Form_Simple(AppState &state, QWidget &owner, QWidget *parent)
    : SectionPage(state.Textes(130), activityIcon(Activity::Simple), parent)
    , m_state(state)
    , m_owner(owner)
{
    setObjectName(u"Form_Simple"_s);
    buildWindow();

    connect(m_textSMS, &QPlainTextEdit::textChanged, this, [this] {
        MAJ_NbCar();
        Update_Appercu();
    });
    connect(m_textExpediteur, &QLineEdit::textChanged, this, [this] {
        MAJ_NbCar();
        Update_Appercu();
    });
    m_textSMS->setPrompt(state.Textes(49));
    connect(m_cmdContact, &QPushButton::clicked, this, &Form_Simple::CMD_Contact_Click);
    connect(m_checkDifferer, &QCheckBox::toggled, this, &Form_Simple::Checkdifferer_Click);
    connect(m_cmdAppercu, &QPushButton::clicked, this, &Form_Simple::CMD_Appercu_Click);
    connect(m_commandEnvoyer, &QPushButton::clicked, this, &Form_Simple::CommandEnvoyer_Click);
    m_labelNbMax->installEventFilter(this);
    m_labelPopUp->installEventFilter(this);

    m_textSMS->setPlainText(state.Textes(49));
    const QDateTime now = sendingNow();
    m_pickerDate->setDate(now.date());
    m_pickerTime->setTime(QTime(now.time().hour(), now.time().minute()));
    Checkdifferer_Click(false);
}

void Form_Simple::buildWindow()
{
    QWidget *page = new QWidget(this);
    auto *grid = new QGridLayout(page);
    grid->setContentsMargins(20, 0, 0, 0);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(8);
    int row = 0;

    auto *labelContact = named(new QLabel(m_state.Textes(11), page), u"LabelChoixContact");
    grid->addWidget(labelContact, row++, 0, 1, 3);
    m_textContact = named(new QLineEdit(page), u"TextContact");
    captionFor(labelContact, m_textContact);
    m_cmdContact = named(new QPushButton(m_state.Textes(10), page), u"CMD_Contact");
    grid->addWidget(m_textContact, row, 0, 1, 2);
    grid->addWidget(m_cmdContact, row++, 2);

    auto *labelExp = named(new QLabel(m_state.Textes(187), page), u"LabelExpediteur");
    m_textExpediteur = named(new QLineEdit(page), u"TextExpediteur");
    captionFor(labelExp, m_textExpediteur);
    grid->addWidget(labelExp, row, 0);
    grid->addWidget(m_textExpediteur, row++, 1, 1, 2);

    auto *labelMessage = named(new QLabel(m_state.Textes(12), page), u"LabelMessage");
    grid->addWidget(labelMessage, row, 0);
    auto *popRow = new QHBoxLayout;
    popRow->addStretch(1);
    m_labelNbMax = named(new QLabel(m_state.Textes(3), page), u"LabelNbMax");
    m_labelPopUp = named(new QLabel(QString(QChar(0x25BE)), page), u"LabelPopUpPRedefs");
    makePredefinisLink(m_labelNbMax, m_labelPopUp);
    popRow->addWidget(m_labelNbMax);
    popRow->addWidget(m_labelPopUp);
    grid->addLayout(popRow, row++, 1, 1, 2);

    m_textSMS = named(new SmsTextEdit(page), u"TextSMS");
    m_textSMS->setMinimumHeight(110);
    captionFor(labelMessage, m_textSMS);
    grid->addWidget(m_textSMS, row++, 0, 1, 3);
    m_labelNBCar = named(new QLabel(page), u"LabelNBCar");
    auto *countRow = new QHBoxLayout;
    countRow->addWidget(m_labelNBCar);
    countRow->addStretch(1);
    countRow->addWidget(addCodingIndicator(page, m_state.textTable(), m_textExpediteur, m_textSMS));
    grid->addLayout(countRow, row++, 0, 1, 3);

    m_checkDifferer = named(new QCheckBox(m_state.Textes(15), page), u"Checkdifferer");
    grid->addWidget(m_checkDifferer, row++, 0, 1, 3);
    m_labelDate = named(new QLabel(m_state.Textes(16), page), u"LabelDateEnvoi");
    m_pickerDate = named(new QDateEdit(page), u"DTPickerDate");
    m_pickerDate->setCalendarPopup(true);
    m_labelHeure = named(new QLabel(m_state.Textes(17), page), u"LabelHeureEnvoi");
    m_pickerTime = named(new QTimeEdit(page), u"DTPickerTime");
    m_pickerTime->setDisplayFormat(u"HH:mm"_s);
    captionFor(m_labelDate, m_pickerDate);
    captionFor(m_labelHeure, m_pickerTime);
    auto *when = new QHBoxLayout;
    when->addWidget(m_labelDate);
    when->addWidget(m_pickerDate);
    when->addSpacing(16);
    when->addWidget(m_labelHeure);
    when->addWidget(m_pickerTime);
    when->addStretch(1);
    grid->addLayout(when, row++, 0, 1, 3);

    auto *sendRow = new QHBoxLayout;
    sendRow->addWidget(named(new QLabel(m_state.Textes(13), page), u"LabelEnvoyer"));
    sendRow->addStretch(1);
    m_cmdAppercu = named(new QPushButton(m_state.Textes(183), page), u"CMD_Appercu");
    m_commandEnvoyer = named(new QPushButton(m_state.Textes(5), page), u"CommandEnvoyer");
    sendRow->addWidget(m_cmdAppercu);
    sendRow->addWidget(m_commandEnvoyer);
    grid->addLayout(sendRow, row++, 0, 1, 3);
    grid->setColumnStretch(1, 1);

    contentLayout()->addWidget(page);
    contentLayout()->addStretch(1);
}

void Form_Simple::Init()
{
    m_textExpediteur->setText(m_state.config().Expediteur);
    m_textSMS->setPlainText(m_state.Textes(49));
    m_textContact->clear();
    Update_Appercu();
}

void Form_Simple::Update_Appercu()
{
    Form_SMS::instance(m_state).setPreviewText(
        previewText(m_state.textTable(), m_textExpediteur->text(), m_textSMS->sentText(), &m_selContact));
}

QString Form_Simple::Build_Differer() const
{
    return parlevo::Build_Differer(m_checkDifferer->isChecked(), m_pickerDate->date(), m_pickerTime->time());
}

void Form_Simple::MAJ_NbCar()
{
    updateRemainingChars(m_state.textTable(), *m_textExpediteur, *m_textSMS, *m_labelNBCar);
}

void Form_Simple::applyPickedContact(const ClassContact &contact)
{
    m_selContact = contact;
    m_pickedNumber = DigitsOnly(contact.Phone).left(kNumberDigits);
    const QString fullName = contact.FullName();
    m_pickedText = fullName.isEmpty() ? m_pickedNumber : m_pickedNumber + u" - " + fullName;
    m_textContact->setText(m_pickedText);
}

void Form_Simple::CMD_Contact_Click()
{
    Form_SelContact picker(m_state, &m_owner);
    picker.TypeSource = 0;
    picker.ImporteCarnet();
    picker.Init();
    picker.exec();
    if (picker.Result && picker.SelContact)
        applyPickedContact(*picker.SelContact);
}

QString Form_Simple::recipientNumber() const
{
    // Digits in a picked contact's name must not lengthen a short number.
    if (!m_pickedText.isEmpty() && m_textContact->text() == m_pickedText)
        return m_pickedNumber;
    return DigitsOnly(m_textContact->text()).left(kNumberDigits);
}

void Form_Simple::CommandEnvoyer_Click()
{
    const QString number = recipientNumber();
    if (number.isEmpty()) {
        MsgBox(m_state.Textes(44), vbOKOnly | vbCritical);
        m_textContact->setFocus();
        return;
    }
    // Events keep running while the gateway is awaited: a second click must not send again.
    m_commandEnvoyer->setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const QString text = textToSend(m_state.textTable(), m_textExpediteur->text(), m_textSMS->sentText(), m_selContact);
    const bool sent = m_state.Gateway().Send_SMS(number, text, Build_Differer(), false);
    QApplication::restoreOverrideCursor();
    if (sent)
        MsgBox(m_state.Textes(45), vbOKOnly | vbInformation);
    emit creditMayHaveChanged();
    // After a failure the user corrects and sends again: what was typed stays.
    if (sent) {
        m_textContact->clear();
        m_pickedText.clear();
        m_pickedNumber.clear();
        m_textSMS->clear();
    }
    m_commandEnvoyer->setEnabled(true);
}

void Form_Simple::Checkdifferer_Click(bool ticked)
{
    applyDeferred(ticked, m_labelDate, m_pickerDate, m_labelHeure, m_pickerTime);
}

void Form_Simple::CMD_Appercu_Click()
{
    Update_Appercu();
    Form_SMS::instance(m_state).showBeside(m_owner);
}

void Form_Simple::PopUp_Predefinis()
{
    popUpPredefinis(m_state, *m_textSMS);
    if (previewVisible())
        Update_Appercu();
}

bool Form_Simple::eventFilter(QObject *watched, QEvent *event)
{
    if ((watched == m_labelNbMax || watched == m_labelPopUp) && asksForPredefinis(event)) {
        PopUp_Predefinis();
        return true;
    }
    return SectionPage::eventFilter(watched, event);
}

} // namespace parlevo
