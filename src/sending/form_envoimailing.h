#pragma once

#include "mailingresults.h"
#include "resultmodel.h"
#include "sendjournal.h"
#include "sendrun.h"

#include <QDeadlineTimer>
#include <QWidget>

#include <functional>
#include <memory>

class QKeyEvent;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;
class QTreeView;

namespace parlevo {

class AddressBook;
class ClassSendora;
struct Config;
class DataDir;
class TextTable;

// The window of a mailing send: one result row per SMS, the progress, and Ok to hide it. It
// lives as long as its owner, so the rows of every run stay, each run appending below. Once a
// run is over, its rows can be exported and the ones not accepted sent once more.
class Form_EnvoiMailing final : public QWidget {
    Q_OBJECT
public:
    // owner: the main window, which the window stays above.
    Form_EnvoiMailing(const TextTable &textes, const Config &config, DataDir &dataDir, AddressBook &book,
                      ClassSendora &gateway, QWidget *owner);
    Q_DISABLE_COPY_MOVE(Form_EnvoiMailing)

    // Shows the window and starts sending one SMS per row of source; returns at once, true when
    // the run started, and runFinished tells its end. A call while a run is under way sends
    // nothing. Each run is journaled in the data directory (without a journal when none can be written
    // there), so that a run cut short by a crash can be taken up again.
    // Numbers of the opt-out list are left out; with oncePerNumber, so is a number met again, and
    // with skipInvalid every number that is not a valid mobile number.
    bool Send(const MailingSource &source, const QString &differer, bool oncePerNumber = false,
              bool skipInvalid = false);
    // Takes up a run held by this process: its rows never started or refused by a busy gateway,
    // and with includeUnknown those that may have left without an answer, with the run's texts,
    // deferred value and decisions (rows left out, once per number). True when a run started.
    bool resume(HeldRun held, bool includeUnknown);

    bool isRunning() const { return m_run != nullptr; }
    // Ends the run under way once the SMS in flight have their answers.
    void stopRun();
    // Holds back the next rows of the run under way until pressed again.
    void CMD_Pause_Click();
    // Holds back the next rows while a question about the run is open, as Pause does.
    void setHeldByQuestion(bool held);

    ResultModel *results() const { return m_model; }
    // The rows and texts of the last finished run, and its totals.
    const MailingRunRecord &lastRun() const { return m_lastRun; }
    const SendRunSummary &lastSummary() const { return m_lastSummary; }

    // Writes the last run's results to a file the user picks.
    void CMD_Exporter_Click();
    // After the usual question, sends the last run's texts again, with its deferred value, to its
    // rows whose SMS was neither sent nor kept; they come below as a new run.
    void CMD_Renvoyer_Click();

signals:
    // Before a run started from this window: the caller keeps its own windows still until
    // runFinished and refreshes the credit then, as for the runs it starts.
    void retryStarting();
    // A run, first or second try, has ended; or the one retryStarting announced did not start.
    void runFinished();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    // The run's changes reach the widgets in batches, a few times a second: painting every row
    // of a fast gateway would cost more than sending it.
    void queueRow(const QString &recipient);
    // The journal a run records itself in, given the rows it leaves out: a new one, or the held
    // journal of a run taken up again; none when it cannot be written.
    using JournalOpener = std::function<std::unique_ptr<SendJournal>(const std::vector<RowSkip> &skips)>;
    bool run(const MailingSource &source, const QString &differer, NumberPolicy policy, bool skipInvalid,
             const JournalOpener &openJournal);
    void rowStarted(const ClassContact &contact, const QString &recipient);
    void rowDone(qsizetype sentRow, const ClassContact &contact, const SendReply &reply, const QString &result);
    void gatewayBusy(int seconds);
    void runEnded(const SendRunSummary &summary);
    // The run holds back its next rows while Pause is down or a question about it is open.
    void applyHold();
    // The deferred value a run taken up goes with: the recorded one, or when the gateway would
    // refuse it, now (empty) or another time the user picks; nothing when the user gives up.
    std::optional<QString> differerForResume(const QString &recorded);
    std::optional<QDateTime> pickSendingTime();
    // The last run's rows to send again, as its decisions allow.
    std::vector<ClassContact> resendRows(bool includeUnknown) const;
    void queueResult(int modelRow, const QString &result, SendOutcome outcome);
    void queueProgress(qsizetype done, qsizetype total);
    void flush();

    const TextTable &m_textes;
    const Config &m_config;
    DataDir &m_dataDir;
    AddressBook &m_book;
    ClassSendora &m_gateway;
    QLabel *m_labelTravail;
    // The counts of each outcome, once a run is over.
    QLabel *m_labelBilan;
    QProgressBar *m_progress;
    QTreeView *m_list;
    QPushButton *m_ok;
    QPushButton *m_exporter;
    QPushButton *m_renvoyer;
    QPushButton *m_arreter;
    QPushButton *m_pause;
    ResultModel *m_model;
    QTimer *m_flushTimer;
    std::vector<ResultRow> m_pending;
    // The model row of the current run's first row.
    int m_runBase = 0;
    qsizetype m_done = 0;
    qsizetype m_total = 0;
    // The run under way and its journal; the run goes first.
    std::unique_ptr<SendJournal> m_journal;
    std::unique_ptr<MailingRun> m_run;
    SendRunSummary m_lastSummary;
    bool m_pauseRequested = false;
    bool m_heldByQuestion = false;
    // Shown beside the progress while a busy gateway holds the run back.
    QString m_busyNotice;
    QDeadlineTimer m_busyUntil;
    MailingRunRecord m_recording;
    MailingRunRecord m_lastRun;
    // A run taken up is one campaign: every row of it as recorded before, and the run row of each
    // row sent now. Empty for a new run.
    std::vector<MailingResult> m_takenUpRows;
    std::vector<qsizetype> m_rowMap;
};

} // namespace parlevo
