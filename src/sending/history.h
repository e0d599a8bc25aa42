#pragma once

#include "gateway/sendreply.h"
#include "sendjournal.h"

#include <QDate>
#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

namespace parlevo {

class TextTable;

// What became of an SMS, as the history sorts and counts it: the classes of a run's summary.
enum class HistoryResult : quint8 {
    Accepted,
    Refused,
    NoAnswer, // left without a complete answer: it may have been sent
    NotSent,  // never reached the gateway, or never started
    Skipped,  // left out on purpose (opted out, a repeat, not a valid mobile number): never sent
};
constexpr int kHistoryResults = 5;

struct HistoryRunRows;

// One run read back from its journal, with its counts by result. A million rows would not fit as
// contacts: head.rows stays empty and the history keeps them compactly (History::contact).
struct HistoryRun {
    JournalHead head;
    bool single = false;
    QString path;
    qsizetype rowCount = 0;
    qsizetype counts[kHistoryResults] = {};
    // The SMS units its accepted texts used, each in the parts its coding needs.
    qint64 units = 0;
    // Shared by every copy of the history: a window shown while loading gets copies.
    std::shared_ptr<const HistoryRunRows> rows;
};

// A reply as the journal records it: a million of them are kept.
struct HistoryReply {
    quint8 code = 0;
    SendOutcome outcome = SendOutcome::NotSent;

    SendReply full() const { return SendReply{code, outcome}; }
};

// One SMS of a run.
struct HistoryRow {
    qint64 stamp = 0; // when its outcome came, else when it left, else the run's start (localStamp)
    quint32 run = 0;  // in History::runs()
    quint32 row = 0;  // in the run's rows
    HistoryReply reply;
    HistoryResult result = HistoryResult::NotSent;
};

// What the list shows: every part is optional and all must match.
struct HistoryFilter {
    QString text;   // in the SMS text or the recipient's name, ignoring case and accents
    QString number; // its digits, in the number's digits
    std::optional<HistoryResult> result;
    QDate from; // invalid: no bound
    QDate to;
};

// Everything the journals of a data directory tell of the SMS sent: mailing runs, single sends
// and command-line runs, newest first. The texts searched are folded once at load, so a filter
// over a hundred thousand rows only reads memory in order.
class History final {
public:
    // Reads every journal; a journal that cannot be read is named in *problems and left out.
    // textes: for what each run cost (the sender's prefix counts).
    static History load(const TextTable &textes, const QString &dataDir, QStringList *problems = nullptr);

    const std::vector<HistoryRun> &runs() const { return m_runs; }
    const std::vector<HistoryRow> &rows() const { return m_rows; }
    ClassContact contact(const HistoryRow &row) const;
    // Every recipient of a run, in its order.
    std::vector<ClassContact> runContacts(quint32 run) const;
    // The text the row's SMS carried.
    QString text(const HistoryRow &row) const;

    // The positions in rows() from first on that the filter lets through, in order.
    std::vector<quint32> filtered(const HistoryFilter &filter, std::size_t first = 0) const;

private:
    friend class HistoryAssembly;

    std::vector<HistoryRun> m_runs;
    std::vector<HistoryRow> m_rows;
};

// Reads the history of a data directory in the background, newest runs first: the window shows
// what has arrived while the rest is read, and stays free to close. One load at a time.
class HistoryLoader final : public QObject {
    Q_OBJECT
public:
    explicit HistoryLoader(const TextTable &textes, QObject *parent = nullptr);
    ~HistoryLoader() override;
    Q_DISABLE_COPY_MOVE(HistoryLoader)

    // Starts reading the journals again; a load under way is given up.
    void start(const QString &dataDir);
    // Gives up a load under way; returns once its reading has stopped.
    void stop();
    bool isLoading() const { return m_loading; }
    // The history read so far, once arrived() said so.
    History takeHistory() { return std::move(m_history); }
    // Whether that history is the one before with more runs, whose rows all come after its rows.
    bool extendsLast() const { return m_extends; }

signals:
    // More of the history has been read (all of it, the last time).
    void arrived();
    // Every journal is read; problems names those that could not be.
    void finished(const QStringList &problems);

private:
    const TextTable &m_textes;
    std::thread m_worker;
    std::shared_ptr<std::atomic<bool>> m_stop;
    quint64 m_generation = 0;
    bool m_loading = false;
    bool m_extends = false;
    History m_history;
};

// The text an SMS of a run carried: the run's message merged for the row's contact. (Searching
// goes by the message as typed and the contact's name.)
QString historyText(const JournalHead &head, const ClassContact &contact);
// What an SMS of the run takes, in the parts its coding needs, as it leaves (prefix, merge, cut).
int historyUnits(const TextTable &textes, const JournalHead &head, const ClassContact &contact);

HistoryResult historyResultOf(SendOutcome outcome);
// The reply shown for a row, whatever state its journal left it in.
SendReply historyReply(JournalRowState state, const SendReply &reply);
// The result text of a row: the reply's, or why the row was left out.
QString historyResultText(const TextTable &textes, const History &history, const HistoryRow &row);
// A run's counts by result, as its summary line tells them.
QString historySummaryText(const TextTable &textes, const HistoryRun &run);

// The rows as CSV (UTF-8, CR LF): a header line, then date, number, name, text, code, result,
// outcome and run for each.
QString historyCsv(const TextTable &textes, const History &history, const std::vector<quint32> &rows);

// The same rows for a spreadsheet opened by a double click in a French office: UTF-8 with a byte
// order mark, ";" between fields, French column titles, the date as the interface shows it.
QByteArray historySpreadsheet(const TextTable &textes, const History &history, const std::vector<quint32> &rows);

// What a mailing campaign came to: one run, taken up or not, with its figures.
struct CampaignFigures {
    quint32 run = 0; // in History::runs()
    qsizetype rows = 0;
    qsizetype accepted = 0;
    qsizetype refused = 0;
    qsizetype noAnswer = 0;
    qsizetype leftOut = 0;
    // The SMS the gateway accepted, each text counted in the parts its coding needs.
    qint64 units = 0;
};

// The mailing runs (not the single sends), newest first.
std::vector<CampaignFigures> campaignFigures(const History &history);

// The campaigns as CSV (UTF-8, CR LF): a header line, then date, run, message, rows, accepted,
// refused, no_answer, left_out and sms_units for each.
QString campaignsCsv(const History &history, const std::vector<CampaignFigures> &campaigns);

// "yyyy-MM-dd HH:mm:ss" of a row, for scripts.
QString historyTimeText(const HistoryRow &row);
// A row's date and time as the interface shows them ("dd/MM/yyyy HH:mm" in French).
QString historyDateText(const TextTable &textes, const HistoryRow &row);

} // namespace parlevo
