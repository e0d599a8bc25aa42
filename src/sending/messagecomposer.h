#pragma once

#include "messages/predefinis.h"

#include <QStringList>
#include <QWidget>

#include <functional>

class QCheckBox;
class QDateEdit;
class QDateTime;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimeEdit;

namespace parlevo {

struct Config;
class TextTable;
struct ClassContact;
class LabelLink;
class SmsTextEdit;

// What the single SMS and the mailing windows share below their recipients: the sender, the
// message box with its predefined-messages link, its counter and its coding indicator, the
// deferred moment, the preview and send buttons.
class MessageComposer final : public QWidget {
    Q_OBJECT
public:
    // SenderFirst: the sender above the message box, the deferred box on a row of its own.
    // SenderBelow: a lower message box with the sender below it, the deferred box beside the date.
    enum class Arrangement { SenderFirst, SenderBelow };
    // Always: every change of the message or the sender reaches the preview; WhileVisible: only
    // while the preview is on screen.
    enum class PreviewRefresh { Always, WhileVisible };
    // previewContact: the contact the preview is cut for, null for the whole message.
    // owner: the window the preview is placed beside.
    MessageComposer(const TextTable &textes, const Config &config, const PredefiniList &predefinis, QWidget &owner,
                    Arrangement arrangement, PreviewRefresh refresh,
                    std::function<const ClassContact *()> previewContact, QWidget *parent);
    Q_DISABLE_COPY_MOVE(MessageComposer)

    // Default sender and prompt, then the preview; the deferred controls keep their state.
    void reset();
    void setPickersToNow();
    QString Build_Differer() const;
    // Ticks the deferred box and sets its date and time to when.
    void deferTo(const QDateTime &when);
    // Before any SMS: a deferred time the gateway would refuse (past, or less than a minute ahead)
    // is told, and the user sends now (the box is unticked) or chooses another time (false: the
    // date picker has the focus, nothing is sent).
    bool deferredTimeAccepted();
    // The same question for a deferred value already found too soon.
    bool sendNowInstead(const QString &differer);
    void Update_Appercu();
    // The preview follows a change, as the refresh rule says.
    void refreshPreview();

    QString sender() const;
    // The message as it is sent, line breaks as CR LF.
    QString message() const;
    // Turns merge fields on: the preview shows the message merged for its contact, and the counter
    // and the coding count longestMessage(message), the longest text the merge gives. columns: the
    // merge fields of the rows' spreadsheet columns, if any.
    void setMergeFields(std::function<QString(const QString &message)> longestMessage,
                        std::function<QStringList()> columns = {});
    // The counter and the coding indicator, after a change of the message or of what it is merged with.
    void MAJ_NbCar();
    void clearMessage();
    QPushButton *sendButton() const { return m_commandEnvoyer; }
    // A button of the window's own, placed before the preview and send buttons.
    void addButton(QPushButton *button);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void build(Arrangement arrangement);
    void Checkdifferer_Click(bool ticked);
    void PopUp_Predefinis();

    const TextTable &m_textes;
    const Config &m_config;
    const PredefiniList &m_predefinis;
    QWidget &m_owner;
    PreviewRefresh m_refresh;
    std::function<const ClassContact *()> m_previewContact;
    std::function<QString(const QString &)> m_longestMessage;
    std::function<QStringList()> m_mergeColumns;
    QLineEdit *m_textExpediteur = nullptr;
    QLabel *m_labelNbMax = nullptr;
    QLabel *m_labelPopUp = nullptr;
    SmsTextEdit *m_textSMS = nullptr;
    QLabel *m_labelNBCar = nullptr;
    QLabel *m_labelCodage = nullptr;
    LabelLink *m_linkGsmFriendly = nullptr;
    QCheckBox *m_checkDifferer = nullptr;
    QLabel *m_labelDate = nullptr;
    QDateEdit *m_pickerDate = nullptr;
    QLabel *m_labelHeure = nullptr;
    QTimeEdit *m_pickerTime = nullptr;
    QPushButton *m_cmdAppercu = nullptr;
    QPushButton *m_commandEnvoyer = nullptr;
    QHBoxLayout *m_sendRow = nullptr;
};

} // namespace parlevo
