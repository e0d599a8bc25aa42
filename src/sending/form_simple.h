#pragma once

#include "addressbook/classcontact.h"
#include "base/activitywindow.h"
#include "gateway/sendreply.h"
#include "messagecomposer.h"

class QLineEdit;
class QPushButton;

namespace parlevo {

class AddressBook;
class ClassSendora;
struct Config;
class DataDir;
class TextTable;
struct Basics;
class PredefinedMessages;

// Sends one SMS to one recipient, typed or picked in the address book, now or deferred.
class Form_Simple final : public SectionPage {
    Q_OBJECT
public:
    // owner: the window the picker and the preview are placed on.
    Form_Simple(const Basics &basics, AddressBook &book, PredefinedMessages &messages, ClassSendora &gateway,
                QWidget &owner, QWidget *parent = nullptr);
    Q_DISABLE_COPY_MOVE(Form_Simple)

    // Default sender, prompt text, empty recipient; the deferred controls keep their state.
    void Init() override;
    void Update_Appercu() { m_composer->Update_Appercu(); }
    QString Build_Differer() const { return m_composer->Build_Differer(); }

    // The recipient field after a pick: "number - full name", the number being the first 10
    // digits of the contact's phone. While the field keeps exactly this text, that number is
    // the one sent, whatever digits the name holds.
    void applyPickedContact(const ClassContact &contact);

private:
    void buildWindow();
    void CMD_Contact_Click();
    void CommandEnvoyer_Click();
    void sendEnded(const SendReply &reply);
    QString recipientNumber() const;

    const TextTable &m_textes;
    Config &m_config;
    DataDir &m_dataDir;
    AddressBook &m_book;
    PredefinedMessages &m_messages;
    ClassSendora &m_gateway;
    QWidget &m_owner;
    QLineEdit *m_textContact = nullptr;
    QPushButton *m_cmdContact = nullptr;
    MessageComposer *m_composer = nullptr;
    // The contact last picked (a copy: the address book may drop it meanwhile), the field text
    // the pick produced and the number it stands for.
    ClassContact m_selContact;
    QString m_pickedText;
    QString m_pickedNumber;
};

} // namespace parlevo
