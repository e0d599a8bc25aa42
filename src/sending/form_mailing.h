#pragma once

#include "addressbook/contactcollection.h"
#include "base/activitywindow.h"
#include "mailingplan.h"
#include "mailingsheet.h"
#include "messagecomposer.h"
#include "messages/mergefields.h"
#include "sendjournal.h"
#include "sendrun.h"

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QTimer;

namespace parlevo {

class AddressBook;
class ClassSendora;
struct Config;
class DataDir;
class TextTable;
struct Basics;
class PredefinedMessages;
class ContactListView;
class Form_EnvoiMailing;
class Form_SelContact;
class LabelLink;

// Prepares a mailing: the recipients (copies taken from the address book, by group, through the
// picker or from a mailing file), one message, the sender and the deferred moment; saves the
// list and hands everything to the send run.
class Form_Mailing final : public SectionPage {
    Q_OBJECT
public:
    // owner: the window the picker, the preview and the send window are placed on; knownCredit:
    // the credit last read from the gateway, if any, for the warning before a send.
    Form_Mailing(const Basics &basics, AddressBook &book, PredefinedMessages &messages, ClassSendora &gateway,
                 QWidget &owner, std::function<std::optional<qint64>()> knownCredit, QWidget *parent = nullptr);
    ~Form_Mailing() override;
    Q_DISABLE_COPY_MOVE(Form_Mailing)

    // An empty mailing: group items from the group list, columns, pickers at the current moment,
    // no row, prompt and default sender. The deferred box keeps its state.
    void Init() override;
    bool isRunning() const override;
    void stopRun() override;
    void setRunHeldByQuestion(bool held) override;
    QString Build_Differer() const { return m_composer->Build_Differer(); }
    void Init_ColonneLV();
    void CountContact();
    void AutosizeColumns();
    void SetLVBackGround();
    void Update_Appercu() { m_composer->Update_Appercu(); }

    // Adds a copy of every contact of the address book in this group (case-sensitive).
    void addGroup(const QString &name);
    void MNU_Carnet_Click();
    void MNU_ChargerMailing_Click();
    // Adds the rows of a spreadsheet (CSV or .xlsx), its columns chosen over a preview; the columns
    // that give no contact field become merge fields.
    void MNU_ChargerTableur_Click();
    // The merge fields of the list's spreadsheet columns (empty for none), and their headers.
    const QStringList &sheetColumns() const { return m_columns; }
    // autosize: a save through the link sizes the columns afterwards.
    void saveMailing(bool autosize);
    void MNU_Supprimer_Click();
    void MNU_SupprimerTout_Click();
    void CommandEnvoyer_Click();
    // Sends the selected row's text (the first row's without a selection) once to the user's own number.
    void CommandTest_Click();
    // The list popup as a right click shows it, at a screen point.
    void showListPopup(const QPoint &globalPos);

    ContactCollection &ColContactMailing() { return m_colContactMailing; }
    ContactListView *list() const { return m_list; }
    QMenu *listPopup() const { return m_menuPopUp; }
    QMenu *addMenu() const { return m_menuAjouter; }
    QMenu *groupMenu() const { return m_menuGroupe; }
    // The send run's window, once a mailing was sent.
    Form_EnvoiMailing *envoiMailing() const { return m_envoi; }
    // Takes up the run a journal records (a run cut short), in the result window.
    void resumeInterrupted(HeldRun held, bool includeUnknown);
    // The rows in display order and the texts in force, as the send run reads them.
    MailingSource mailingSource();

private:
    void showCost();
    // The list and the texts as they stand.
    MailingDraft draft() const;
    // Commercial SMS outside the sending hours: Yes defers them to the next allowed time, No sends
    // them all the same, Cancel sends nothing.
    int askSendingHours(const PlanWarning &hours);
    // The contact of a row in display order, as the merge reads the rows.
    std::function<const ClassContact *(qsizetype)> rowContact() const;
    // The message merged over the rows: the longest text and the rows lacking a field.
    MergeReport mergedFor(const MergeTemplate &message) const;
    // run: starts it, true when it did.
    void heldForRun(const std::function<bool()> &run);
    Form_EnvoiMailing &envoi();
    void buildWindow();
    void buildMenus();
    void rebuildGroupItems();
    void TimerShowForm_Timer();
    // Adds copies of these contacts as new rows and tells how many were added.
    void addCopies(const std::vector<const ClassContact *> &contacts);
    void announceAdded(qsizetype count);
    void addSheet(MailingSheet sheet);
    // The spreadsheet's columns in the list and under it; none once the list is empty.
    void showSheetColumns();

    const TextTable &m_textes;
    Config &m_config;
    DataDir &m_dataDir;
    AddressBook &m_book;
    PredefinedMessages &m_messages;
    ClassSendora &m_gateway;
    QWidget &m_owner;
    std::function<std::optional<qint64>()> m_knownCredit;
    ContactCollection m_colContactMailing;
    ContactListView *m_list = nullptr;
    QLabel *m_labelNBFiche = nullptr;
    // What the list costs as it stands, every row counted.
    QLabel *m_labelCout = nullptr;
    QLabel *m_labelChamps = nullptr;
    // The merge fields of the rows' spreadsheet columns, with the headers they came from; each
    // row's values are in its Extra in this order (rows added otherwise have none).
    QStringList m_columns;
    QStringList m_columnHeaders;
    QTimer *m_costTimer = nullptr;
    LabelLink *m_linkAjouter = nullptr;
    LabelLink *m_linkSauver = nullptr;
    MessageComposer *m_composer = nullptr;
    QPushButton *m_commandTest = nullptr;
    QTimer *m_timerShowForm = nullptr;
    QMenu *m_menuPopUp = nullptr;
    QMenu *m_menuAjouter = nullptr;
    QMenu *m_menuGroupe = nullptr;
    QAction *m_mnuSupprimerTout = nullptr;
    QAction *m_mnuSupprimer = nullptr;
    QAction *m_mnuSauver = nullptr;
    std::unique_ptr<Form_SelContact> m_picker;
    Form_EnvoiMailing *m_envoi = nullptr;
};

} // namespace parlevo
