#pragma once

#include "addressbook/classcontact.h"
#include "addressbook/phonecheck.h"
#include "base/filelock.h"
#include "gateway/sendreply.h"

#include <QDateTime>
#include <QFile>
#include <QString>
#include <QStringList>

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <thread>
#include <vector>

class QObject;

namespace parlevo {

// Whether a number on several rows of a run gets one SMS or one per row.
enum class NumberPolicy : unsigned char { OncePerNumber, EveryRow };

// What a run sends, as its journal's head records it, with the decisions made before its first
// SMS: every later try of the run (a resume, a resend) applies them again.
struct JournalHead {
    QString runId;
    QDateTime started;
    QString sender;
    QString message;
    QString differer;
    std::vector<ClassContact> rows;
    NumberPolicy policy = NumberPolicy::OncePerNumber;
    // The region numbers were read in when repeats were found ("FR").
    QString region = {};
    // Why each row is left out; empty when no row is.
    std::vector<RowSkip> skips = {};
    // A test SMS sent to the user's own number, with a mailing row's text.
    bool test = false;
    // The merge fields of the spreadsheet the rows were read from; each row's values in its Extra.
    QStringList columns = {};

    RowSkip skipOf(qsizetype row) const
    {
        return row < qsizetype(skips.size()) ? skips[std::size_t(row)] : RowSkip::None;
    }
};

// The journal of one mailing run: a text file in the data directory's Journal folder, one record
// a line, only ever appended. Each SMS is recorded before its request leaves, flushed to the disk
// first, and again with its outcome; a run killed at any moment can then be taken up again
// without sending any SMS twice. Each line ends with a check value, so a damaged line is seen.
//
// The lines are written by a thread of the journal's own, in the order they were given: waiting
// for the disk then holds back no answer of the gateway, and the requests that become ready while
// the disk is busy go down together in its next trip.
class SendJournal final {
public:
    static constexpr int kKeptRuns = 100;
    // Single sends are kept apart, in a folder and a count of their own: a busy day of single
    // sends must not push the mailing runs out of their window.
    static constexpr int kKeptSingleSends = 1000;
    ~SendJournal();
    SendJournal(const SendJournal &) = delete;
    SendJournal &operator=(const SendJournal &) = delete;

    // Starts the journal of a new run (its id and start time are set here), held by this process
    // for as long as the journal object lives, and removes the oldest journals beyond kKeptRuns
    // that no process holds; nothing, with the reason, when the file cannot be written.
    static std::unique_ptr<SendJournal> create(const QString &dataDir, JournalHead &head, QString *error);
    // The same for one SMS sent alone: marked as such in its head, never offered for a resume.
    static std::unique_ptr<SendJournal> createSingle(const QString &dataDir, JournalHead &head, QString *error);
    // Opens a run's journal to record more of it: a run taken up again, held through its lock.
    static std::unique_ptr<SendJournal> reopen(const QString &path, std::unique_ptr<FileLock> lock, QString *error);

    // Removes the journal of a run that sent nothing: it must never be offered or taken up.
    void discard();

    // The run's row of each row a new run sends, when that run sends only some of them (a run taken
    // up again); without it, run row i is journal row i.
    void setRowMap(std::vector<qsizetype> rows) { m_rowMap = std::move(rows); }

    // Records that these rows' requests are about to leave, and returns once the lines are on the
    // disk; false when they could not be written: the requests must not leave then.
    bool recordStarted(std::span<const qsizetype> runRows);
    // The same without waiting: done is called later, in context's thread, once the lines are on
    // the disk (true) or could not be written (false). context must outlive the call.
    void recordStartedLater(std::span<const qsizetype> runRows, QObject *context, std::function<void(bool)> done);
    // Records a row's outcome (written through to the system, not waited for on the disk: a lost
    // outcome only makes the row unknown).
    bool recordDone(qsizetype runRow, const SendReply &reply);
    // Records that the run is taken up again (with differer, the deferred value its rows now go
    // with, when not the recorded one), and how it ended.
    bool recordResumed(const std::optional<QString> &differer = std::nullopt);
    bool recordEnd(bool complete);

    QString path() const { return m_file.fileName(); }

private:
    struct Pending {
        QByteArray bytes;
        bool durable = false;
        std::function<void(bool)> written; // called in the writer thread
    };

    SendJournal(const QString &path, std::unique_ptr<FileLock> lock);
    static std::unique_ptr<SendJournal> createIn(const QString &folder, int kept, bool single, JournalHead &head,
                                                 QString *error);
    void startWriter();
    void stopWriter();
    void writerLoop();
    void enqueue(Pending pending);
    bool appendAndWait(const QByteArray &bytes);
    QByteArray startedLines(std::span<const qsizetype> runRows) const;
    qsizetype journalRow(qsizetype runRow) const;

    std::unique_ptr<FileLock> m_lock;
    // Used by the writer thread only, once it runs.
    QFile m_file;
    std::vector<qsizetype> m_rowMap;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Pending> m_queue;
    bool m_closing = false;
    bool m_failed = false;
    std::thread m_writer;
};

// Where a row of a journaled run stands.
enum class JournalRowState : quint8 {
    NotStarted, // no request was made
    Started,    // recorded as leaving, no outcome: it may have been sent
    Done,       // has its outcome
    Missing,    // its recipient line is damaged: it cannot be sent
};

// A journal read back.
struct JournalContent {
    JournalHead head;
    std::vector<JournalRowState> states;
    std::vector<SendReply> replies; // for the rows Done
    bool complete = false;          // the run went through every row
    bool ended = false;             // it was ended, stopped or complete, rather than cut short
    bool single = false;            // one SMS sent alone, not a mailing
    // A request may have left: a row was recorded as leaving, or a line that may have said so is
    // damaged. A run that never started is not taken up: the user ran it again after fixing
    // whatever stopped it.
    bool startedAny = false;
    // For each row, when its outcome came, else when it left, as localStamp gives; 0 for neither.
    std::vector<qint64> stamps;
    // A line each for what was skipped ("line 12 is damaged and was skipped") or is missing.
    QStringList problems;
};

// Reads a journal. A damaged line is skipped and named in problems; one that may have recorded a
// request leaving counts as one, so a row it might concern is never taken for not started. Nothing,
// with the reason, when the head (texts, deferred value, row count) cannot be read.
std::optional<JournalContent> readJournal(const QByteArray &bytes, QString *error);
// The same for a reader that keeps the recipients its own way (the history keeps a million):
// head.rows stays empty and readRow gets each readable recipient line's contact fields as written
// (escaped, tab-separated: group, company, title, first name, last name, number), then its notes.
using JournalRowReader = std::function<void(qsizetype row, QByteArrayView fields)>;
std::optional<JournalContent> readJournal(const QByteArray &bytes, QString *error, const JournalRowReader &readRow);
// The contact of such fields, its spreadsheet values (Extra) read from the notes.
ClassContact journalContact(QByteArrayView fields);

// What taking a run up again sends: the rows never started, those a busy gateway refused without
// serving them and, with includeUnknown, the rows that may have left without an answer; rowMap
// gives each one's row in the run. The run's own decisions hold: rows it left out stay out, and
// when it sent once per number, a row whose number is on an earlier row is left out too.
// numberKey tells when two spellings are one number (PhoneCheck::matchKey in the run's region).
struct ResumePlan {
    std::vector<ClassContact> rows;
    std::vector<qsizetype> rowMap;
    qsizetype unknown = 0; // rows that may have been sent
};
ResumePlan planResume(const JournalContent &content, bool includeUnknown,
                      const std::function<QString(const QString &)> &numberKey);

// The rows of a finished run to send again (refused, never delivered, busy; with includeUnknown,
// those without an answer), as the run's decisions allow: when it sent once per number, no row
// whose number had an SMS accepted, or possibly sent, in the run. outcomes: one per row.
std::vector<qsizetype> retryRows(const std::vector<ClassContact> &rows, const std::vector<SendOutcome> &outcomes,
                                 NumberPolicy policy, bool includeUnknown,
                                 const std::function<QString(const QString &)> &numberKey);

// A run held by this process so that it can be taken up again: its journal read while the lock
// is held, so that no other process can take it up meanwhile.
struct HeldRun {
    QString path;
    JournalContent content;
    std::unique_ptr<FileLock> lock;
};
enum class HoldFailure {
    Unreadable,   // not a journal, or it cannot be read
    InUse,        // another process sends this run now
    NeverStarted, // the run never sent an SMS: nothing to take up
    Copy,         // a copy of another journal of the same run
    Single,       // one SMS sent alone
};
std::optional<HeldRun> holdRun(const QString &dataDir, const QString &path, HoldFailure *failure, QString *error);

// The newest journal of a run that did not go through every row, that no other process sends
// now, that sent at least one SMS and is not a copy of another journal; with cutShortOnly, only of
// a run cut short by a crash or a kill (a run the user stopped is not offered again).
// heldElsewhere, when given, receives the newest such run that another process sends now.
std::optional<QString> interruptedJournal(const QString &dataDir, bool cutShortOnly, QString *heldElsewhere = nullptr);

// True when path, a journal of the run runId, is a copy of another journal of that run in the data
// directory (as a file manager names a copy): the run's own journal is the one named by its id,
// else the first by name. History and resumes take a run once.
bool isCopyOfAnotherJournal(const QString &dataDir, const QString &path, const QString &runId);

// The journal folder of a data directory, and its journals, oldest first.
QString journalDir(const QString &dataDir);
QStringList journalFiles(const QString &dataDir);
// The same for the single sends.
QString singleSendDir(const QString &dataDir);
QStringList singleSendFiles(const QString &dataDir);
// Makes the journal folders and files readable by the user alone, as new ones are made (they
// hold numbers, names and texts); for journals written before they were.
void protectJournals(const QString &dataDir);

// A journal's local time (ISO, with milliseconds) as the number yyyyMMddHHmmsszzz, which sorts as
// the times do and is read much faster than a QDateTime; 0 when the text is not such a time.
qint64 localStamp(QStringView iso);
qint64 localStamp(QByteArrayView iso);
QDateTime dateTimeOfStamp(qint64 stamp);

} // namespace parlevo
