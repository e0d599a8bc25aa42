#pragma once

#include "base/activitywindow.h"

#include "sendrun.h"

#include <QDate>

#include <deque>

class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace parlevo {

class AddressBook;
class ClassSendora;
struct Config;
class DataDir;
class TextTable;
struct Basics;
class Form_EnvoiMailing;
class HistoryLoader;
class HistoryModel;
struct HistoryFilter;

// Every SMS the journals record, newest first, with its filters, the summary of the current row's
// run, and the commands to send a selection again or export what is shown.
class Form_Historique final : public SectionPage {
    Q_OBJECT
public:
    // owner: the window the result window of a new send stays above.
    Form_Historique(const Basics &basics, AddressBook &book, ClassSendora &gateway, QWidget &owner,
                    QWidget *parent = nullptr);
    Q_DISABLE_COPY_MOVE(Form_Historique)

    // Reads the journals again, in the background: the list fills as they are read.
    void Init() override;
    bool isLoading() const;
    bool isRunning() const override;
    void stopRun() override;
    void setRunHeldByQuestion(bool held) override;

    HistoryModel *model() const { return m_model; }
    HistoryFilter filter() const;

    // After the usual question, sends the selected rows again now, each with its run's texts; the
    // rows go as one mailing run per run they come from, in the mailing's result window.
    void CMD_Renvoyer_Click();
    // Writes the rows shown as CSV to a file the user picks.
    void CMD_Exporter_Click();

private:
    void buildWindow();
    void applyFilter();
    void showSummary();
    // Starts the next of the runs queued by CMD_Renvoyer_Click; with none left, the sending is over.
    void sendNextRun();

    const TextTable &m_textes;
    const Config &m_config;
    DataDir &m_dataDir;
    AddressBook &m_book;
    ClassSendora &m_gateway;
    QWidget &m_owner;
    HistoryLoader *m_loader = nullptr;
    HistoryModel *m_model = nullptr;
    QTableView *m_list = nullptr;
    QLineEdit *m_text = nullptr;
    QLineEdit *m_number = nullptr;
    QComboBox *m_result = nullptr;
    QDateEdit *m_from = nullptr;
    QDateEdit *m_to = nullptr;
    QLabel *m_count = nullptr;
    QLabel *m_summary = nullptr;
    QPushButton *m_renvoyer = nullptr;
    QPushButton *m_exporter = nullptr;
    Form_EnvoiMailing *m_envoi = nullptr;
    // The runs still to send, one after the other, each once the one before has ended.
    struct QueuedRun {
        MailingSource source;
        bool oncePerNumber = false;
    };
    std::deque<QueuedRun> m_queuedRuns;
    // The end of a range left open.
    QDate m_today;
};

} // namespace parlevo
