#pragma once

#include "gateway/sendreply.h"
#include "sendjournal.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <optional>
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

// One run read back from its journal, with its counts by result.
struct HistoryRun {
    JournalHead head;
    bool single = false;
    QString path;
    qsizetype counts[kHistoryResults] = {};
};

// One SMS of a run.
struct HistoryRow {
    qint64 stamp = 0; // when its outcome came, else when it left, else the run's start (localStamp)
    quint32 run = 0;  // in History::runs()
    quint32 row = 0;  // in the run's rows
    SendReply reply;
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
    static History load(const QString &dataDir, QStringList *problems = nullptr);

    const std::vector<HistoryRun> &runs() const { return m_runs; }
    const std::vector<HistoryRow> &rows() const { return m_rows; }
    const ClassContact &contact(const HistoryRow &row) const;
    // The text the row's SMS carried.
    QString text(const HistoryRow &row) const;

    // The positions in rows() that the filter lets through, in order.
    std::vector<quint32> filtered(const HistoryFilter &filter) const;

private:
    void addRun(JournalContent content, const QString &path);
    void buildKeys();

    std::vector<HistoryRun> m_runs;
    std::vector<HistoryRow> m_rows;
    // Per row: its folded name and its number's digits in one buffer each, and the index of its
    // folded text among the distinct texts (a run's rows share theirs).
    std::vector<char16_t> m_names;
    std::vector<quint32> m_nameEnds;
    std::vector<char16_t> m_digits;
    std::vector<quint32> m_digitEnds;
    std::vector<QString> m_texts;
    std::vector<quint32> m_textOf;
};

// The text an SMS of a run carried: the run's message merged for the row's contact. (Searching
// goes by the message as typed and the contact's name.)
QString historyText(const JournalHead &head, const ClassContact &contact);

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
std::vector<CampaignFigures> campaignFigures(const TextTable &textes, const History &history);

// The campaigns as CSV (UTF-8, CR LF): a header line, then date, run, message, rows, accepted,
// refused, no_answer, left_out and sms_units for each.
QString campaignsCsv(const History &history, const std::vector<CampaignFigures> &campaigns);

// "yyyy-MM-dd HH:mm:ss" of a row, for scripts.
QString historyTimeText(const HistoryRow &row);
// A row's date and time as the interface shows them ("dd/MM/yyyy HH:mm" in French).
QString historyDateText(const TextTable &textes, const HistoryRow &row);

} // namespace parlevo
