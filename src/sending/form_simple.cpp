#include "form_simple.h"

#include "addressbook/addressbook.h"
#include "addressbook/form_selcontact.h"
#include "addressbook/optoutlist.h"
#include "base/basics.h"
#include "base/config.h"
#include "base/datadir.h"
#include "base/messagebox.h"
#include "base/shared.h"
#include "base/textes.h"
#include "base/txt.h"
#include "controls/accessibility.h"
#include "gateway/classsendora.h"
#include "messages/outgoing.h"
#include "messages/predefinis.h"
#include "sendingcontrols.h"
#include "singlesend.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace parlevo {

Form_Simple::Form_Simple(const Basics &basics, AddressBook &book, PredefinedMessages &messages, ClassSendora &gateway,
                         QWidget &owner, QWidget *parent)
    : SectionPage(basics.textes(Txt::SingleTitle), activityIcon(Activity::Simple), parent)
    , m_textes(basics.textes)
    , m_config(basics.config)
    , m_dataDir(basics.dataDir)
    , m_book(book)
    , m_messages(messages)
    , m_gateway(gateway)
    , m_owner(owner)
{
    setObjectName(u"Form_Simple"_s);
    buildWindow();
    connect(m_cmdContact, &QPushButton::clicked, this, &Form_Simple::CMD_Contact_Click);
    connect(m_composer->sendButton(), &QPushButton::clicked, this, &Form_Simple::CommandEnvoyer_Click);
}

void Form_Simple::buildWindow()
{
    QWidget *page = new QWidget(this);
    auto *column = new QVBoxLayout(page);
    column->setContentsMargins(20, 0, 0, 0);
    column->setSpacing(8);

    auto *labelContact = named(new QLabel(m_textes(Txt::ChooseRecipient), page), u"LabelChoixContact");
    column->addWidget(labelContact);
    m_textContact = named(new QLineEdit(page), u"TextContact");
    captionFor(labelContact, m_textContact);
    m_cmdContact = named(new QPushButton(m_textes(Txt::RecipientButton), page), u"CMD_Contact");
    auto *contactRow = new QHBoxLayout;
    contactRow->setSpacing(10);
    contactRow->addWidget(m_textContact);
    contactRow->addWidget(m_cmdContact);
    column->addLayout(contactRow);

    // The contact last picked is the one the preview is cut for.
    m_composer = new MessageComposer(
        m_textes, m_config, m_messages.colPredefinis(), m_owner, MessageComposer::Arrangement::SenderFirst,
        MessageComposer::PreviewRefresh::Always, [this] { return &m_selContact; }, page);
    column->addWidget(m_composer);

    contentLayout()->addWidget(page);
    contentLayout()->addStretch(1);
}

void Form_Simple::Init()
{
    m_composer->reset();
    m_textContact->clear();
}

void Form_Simple::applyPickedContact(const ClassContact &contact)
{
    m_selContact = contact;
    m_pickedNumber = singleSendNumber(contact.Phone);
    const QString fullName = contact.FullName();
    m_pickedText = fullName.isEmpty() ? m_pickedNumber : m_pickedNumber + u" - " + fullName;
    m_textContact->setText(m_pickedText);
}

void Form_Simple::CMD_Contact_Click()
{
    Form_SelContact picker(m_textes, m_config, m_book, &m_owner);
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
    return singleSendNumber(m_textContact->text());
}

void Form_Simple::CommandEnvoyer_Click()
{
    const QString number = recipientNumber();
    if (number.isEmpty()) {
        MsgBox(m_textes(Txt::EnterNumber), vbOKOnly | vbCritical);
        m_textContact->setFocus();
        return;
    }
    // An opted-out number refused mailings, not every SMS: the user decides.
    if (m_book.optOuts().contains(number) && MsgBox(QString(m_textes(Txt::SendToOptedOut)).replace(u"%1"_s, number),
                                                    vbYesNo | vbQuestion | vbDefaultButton2) != vbYes)
        return;
    if (!m_composer->deferredTimeAccepted())
        return;
    // The window waits for the gateway without holding the program: the button stays off until
    // the answer, so a second click cannot send again.
    m_composer->sendButton()->setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const QString text = textToSend(m_textes, m_composer->sender(), m_composer->message(), m_selContact);
    const QString differer = Build_Differer();
    ClassContact recipient = m_selContact;
    if (m_textContact->text() != m_pickedText)
        recipient = ClassContact{};
    recipient.Phone = number;
    sendJournaled(m_gateway, m_dataDir.path(), {recipient, m_composer->sender(), m_composer->message(), differer},
                  number, text, [self = QPointer<Form_Simple>(this)](const SendReply &reply) {
                      QApplication::restoreOverrideCursor();
                      if (self)
                          self->sendEnded(reply);
                  });
}

void Form_Simple::sendEnded(const SendReply &reply)
{
    const bool sent = reply.outcome == SendOutcome::Accepted;
    m_gateway.reportFailure(reply);
    if (sent)
        MsgBox(m_textes(Txt::SmsSent), vbOKOnly | vbInformation);
    emit creditMayHaveChanged();
    // After a failure the user corrects and sends again: what was typed stays.
    if (sent) {
        m_textContact->clear();
        m_pickedText.clear();
        m_pickedNumber.clear();
        m_composer->clearMessage();
    }
    m_composer->sendButton()->setEnabled(true);
}

} // namespace parlevo
