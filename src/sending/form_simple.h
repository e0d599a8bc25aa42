#pragma once

#include "addressbook/classcontact.h"
#include "base/activitywindow.h"

class QCheckBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimeEdit;

namespace parlevo {

class AppState;
class SmsTextEdit;

// Sends one SMS to one recipient, typed or picked in the address book, now or deferred.
class Form_Simple final : public SectionPage {
    Q_OBJECT
public:
    // Longest sender the message box still leaves room for: with a longer sender nothing more
    // can be typed into the message.

    // owner: the window the picker and the preview are placed on.
    Form_Simple(AppState &state, QWidget &owner, QWidget *parent = nullptr);
    Q_DISABLE_COPY_MOVE(Form_Simple)

    // Default sender, prompt text, empty recipient; the deferred controls keep their state.
    void Init() override;
    void Update_Appercu();
    QString Build_Differer() const;

    // The recipient field after a pick: "number - full name", the number being the first 10
    // digits of the contact's phone. While the field keeps exactly this text, that number is
    // the one sent, whatever digits the name holds.
    void applyPickedContact(const ClassContact &contact);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildWindow();
    void MAJ_NbCar();
    void PopUp_Predefinis();
    void CMD_Contact_Click();
    void CommandEnvoyer_Click();
    void Checkdifferer_Click(bool ticked);
    void CMD_Appercu_Click();
    QString recipientNumber() const;

    AppState &m_state;
    QWidget &m_owner;
    QLineEdit *m_textContact = nullptr;
    QPushButton *m_cmdContact = nullptr;
    QLineEdit *m_textExpediteur = nullptr;
    SmsTextEdit *m_textSMS = nullptr;
    QLabel *m_labelNbMax = nullptr;
    QLabel *m_labelPopUp = nullptr;
    QLabel *m_labelNBCar = nullptr;
    QCheckBox *m_checkDifferer = nullptr;
    QLabel *m_labelDate = nullptr;
    QDateEdit *m_pickerDate = nullptr;
    QLabel *m_labelHeure = nullptr;
    QTimeEdit *m_pickerTime = nullptr;
    QPushButton *m_commandEnvoyer = nullptr;
    QPushButton *m_cmdAppercu = nullptr;
    // The contact last picked (a copy: the address book may drop it meanwhile), the field text
    // the pick produced and the number it stands for.
    ClassContact m_selContact;
    QString m_pickedText;
    QString m_pickedNumber;
};

} // namespace parlevo
