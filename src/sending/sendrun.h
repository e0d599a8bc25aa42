#pragma once

#include "addressbook/classcontact.h"
#include "gateway/sendreply.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <deque>
#include <functional>
#include <optional>

namespace parlevo {

class ClassSendora;
class SendJournal;
class TextTable;

// What a mailing send run reads. The rows are read in place, one at a time; the sender and the
// message are asked again for every SMS, so the texts in force at that moment are the ones sent.
struct MailingSource {
    std::function<qsizetype()> rowCount;
    // The contact of a 0-based row in display order; nullptr when the row has none.
    std::function<const ClassContact *(qsizetype row)> contactAt;
    std::function<QString()> sender;
    std::function<QString()> message;
    // The rows may be read all at once before the first SMS, to journal the run. A source whose
    // rows are only to be read one at a time, as each SMS goes, is not journaled.
    bool readAheadAllowed = false;
    // The merge fields of a list read from a spreadsheet: its other columns, in each row's Extra.
    QStringList columns = {};

    // The message for one row: its merge fields filled from the row's contact.
    QString messageFor(const ClassContact &contact) const;
};

// How a run sends. The defaults are one request at a time, no pace, no journal.
struct SendRunOptions {
    static constexpr int kMaxParallel = 8;
    // Requests under way at once, 1 to kMaxParallel.
    int parallel = 1;
    // At most this many requests start in any 60 seconds, evenly spaced; 0 is no limit.
    int perMinute = 0;
    // Requests made to the gateway just before the run (a credit query): the pace counts them as
    // the run's first, so that the gateway never sees more than perMinute in a minute.
    int requestsJustBefore = 0;
    // The length of the pace's minute; only tests make it shorter.
    qint64 paceWindowMs = 60000;
    // When set, each SMS is recorded there before its request leaves, and again with its outcome.
    SendJournal *journal = nullptr;
    // Rows left out on purpose (an opted-out number, a number already sent to): the result shown
    // for a 0-based row, empty to send it. Such a row gets no request and no journal line; it is
    // told with SendOutcome::Skipped and that text, and counted as skipped.
    std::function<QString(qsizetype row)> skipText = {};
};

// Totals of a finished run.
struct SendRunSummary {
    qsizetype total = 0;
    qsizetype accepted = 0;     // 80 or 81
    qsizetype unreachable = 0;  // never reached the gateway, or its answer was not a code
    qsizetype unknown = 0;      // no complete answer in time: may have been sent
    qsizetype refused = 0;      // any other code, and a gateway too busy to serve the request
    qsizetype busy = 0;         // of the refused, those a busy gateway did not serve
    qsizetype notSent = 0;      // never started: the run was stopped first
    qsizetype skipped = 0;      // left out on purpose (SendRunOptions::skipText)
    qsizetype done = 0;         // rows whose request was made
    bool stopped = false;       // the run ended before every row was started
    bool journalFailed = false; // a row could not be recorded, so the run stopped before it
};

// One mailing send: one SMS per row, each tried once, whatever the replies; differer is the same
// for every row. start() returns at once; the run goes on from the event loop and ends with
// finished. The row count is taken once, before the first SMS. Up to options.parallel requests
// are under way at once; with more than one, a reply 83 (no credit left) stops starting rows. A
// gateway too busy to serve a request holds back new rows for the time it asks (a minute when it
// does not say).
//
// Rows start in list order; rowStarted comes before a row's request. rowDone comes once for every
// row, in list order: a row is told once it and every row above it have their outcome. Rows never
// started (the run was stopped) are told with SendOutcome::NotSent and have no rowStarted.
// progress counts the rows whose request has ended, out of the rows not left out on purpose.
//
// An application told to quit during the run is held until the SMS in flight have their answers;
// the run stops there and the quit is asked again.
class MailingRun final : public QObject {
    Q_OBJECT
public:
    MailingRun(ClassSendora &gateway, const TextTable &textes, MailingSource source, QString differer,
               const SendRunOptions &options = {}, QObject *parent = nullptr);
    ~MailingRun() override;
    Q_DISABLE_COPY_MOVE(MailingRun)

    // Begins the run and returns; nothing is told before the event loop runs again.
    void start();
    // Nothing more starts once the SMS in flight have their answers; the rows left are not sent.
    void stop();
    // No new row starts until resume(); the SMS in flight still get their answers.
    void pause();
    void resume();

    bool isPaused() const { return m_paused; }
    bool isFinished() const { return m_finished; }
    // The totals so far; final once finished was emitted.
    const SendRunSummary &summary() const { return m_summary; }

signals:
    void started(qsizetype total);
    void rowStarted(qsizetype row, const parlevo::ClassContact &contact, const QString &recipient);
    void rowDone(qsizetype row, const parlevo::ClassContact &contact, const QString &number,
                 const parlevo::SendReply &reply, const QString &result);
    void progress(qsizetype done, qsizetype total);
    // The gateway said it is too busy: no new row starts for this many seconds.
    void gatewayBusy(int seconds);
    void finished(const parlevo::SendRunSummary &summary);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Row {
        ClassContact contact;
        QString number;
        std::optional<SendReply> reply;
        QString skipText;
    };

    void schedulePump();
    void pump();
    void report();
    qint64 paceWait() const;
    void startRows();
    void skipRows();
    void notStarted(qsizetype row);
    Row &slotOf(qsizetype row);
    void startRow(qsizetype row);
    void rowEnded(qsizetype row, const SendReply &reply);
    void reportProgress();
    void count(SendOutcome outcome);
    void finishRun();

    ClassSendora &m_gateway;
    const TextTable &m_textes;
    const MailingSource m_source;
    const QString m_differer;
    const SendRunOptions m_options;
    const int m_parallel;
    SendRunSummary m_summary;
    // The rows started and not reported yet, from m_nextReport on.
    std::deque<Row> m_rows;
    qsizetype m_nextStart = 0;
    qsizetype m_nextReport = 0;
    // Rows whose place is taken: their request is under way or waits for the journal.
    int m_inFlight = 0;
    int m_waitingForDisk = 0;
    bool m_started = false;
    bool m_stopStarting = false;
    bool m_paused = false;
    bool m_finished = false;
    // A quit was held back until the run ends.
    bool m_quitHeld = false;
    // When the last perMinute requests started, on m_clock.
    std::deque<qint64> m_startTimes;
    // Until when a busy gateway is left alone, on m_clock.
    qint64 m_busyUntil = 0;
    QElapsedTimer m_clock;
    QTimer m_pumpTimer;
    QTimer m_waitTimer;
};

// "(" + phone as stored + ") " + full name (with its final blank).
QString recipientText(const ClassContact &contact);
// "n SMS sur N d'envoyé." in plain decimal.
QString progressText(const TextTable &textes, qsizetype done, qsizetype total);

} // namespace parlevo
