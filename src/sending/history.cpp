#include "history.h"

#include "addressbook/sortkeys.h"
#include "base/csvtext.h"
#include "base/shared.h"
#include "base/storefile.h"
#include "base/textes.h"
#include "base/txt.h"
#include "messages/mergefields.h"
#include "messages/outgoing.h"
#include "messages/smsencoding.h"
#include "numberreview.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <array>
#include <condition_variable>
#include <cstdio>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>

using namespace Qt::StringLiterals;

namespace parlevo {

namespace {

// How often a load under way hands the window what it has read.
constexpr qint64 kShowEveryMs = 250;

qint64 stampOfDate(QDate date)
{
    return (qint64(date.year()) * 10000 + date.month() * 100 + date.day()) * 1000000000;
}

} // namespace

QString historyText(const JournalHead &head, const ClassContact &contact)
{
    return mergedMessage(head.message, contact, head.columns);
}

int historyUnits(const TextTable &textes, const JournalHead &head, const ClassContact &contact)
{
    return analyseSmsText(textToSend(textes, head.sender, historyText(head, contact), contact)).parts;
}

HistoryResult historyResultOf(SendOutcome outcome)
{
    switch (outcome) {
    case SendOutcome::Accepted:
        return HistoryResult::Accepted;
    case SendOutcome::Refused:
    case SendOutcome::Busy:
        return HistoryResult::Refused;
    case SendOutcome::Unknown:
        return HistoryResult::NoAnswer;
    case SendOutcome::Skipped:
        return HistoryResult::Skipped;
    case SendOutcome::Unreachable:
    case SendOutcome::NotSent:
        break;
    }
    return HistoryResult::NotSent;
}

QString historyResultText(const TextTable &textes, const History &history, const HistoryRow &row)
{
    // A row left out by the opt-out list of the day of a resume has no reason in the head.
    if (row.reply.outcome == SendOutcome::Skipped) {
        if (const QString why = skipReasonText(textes, history.runs()[row.run].head.skipOf(row.row)); !why.isEmpty())
            return why;
    }
    return replyText(textes, row.reply.full());
}

QString historySummaryText(const TextTable &textes, const HistoryRun &run)
{
    QString summary = textes(Txt::RunSummary)
                          .arg(run.counts[int(HistoryResult::Accepted)])
                          .arg(run.counts[int(HistoryResult::Refused)])
                          .arg(run.counts[int(HistoryResult::NoAnswer)])
                          .arg(run.counts[int(HistoryResult::NotSent)]);
    if (const qsizetype skipped = run.counts[int(HistoryResult::Skipped)]; skipped > 0)
        summary += u' ' + textes(Txt::SkippedCount).arg(skipped);
    return summary;
}

SendReply historyReply(JournalRowState state, const SendReply &reply)
{
    switch (state) {
    case JournalRowState::Done:
        return reply;
    case JournalRowState::Started:
        return SendReply{0, SendOutcome::Unknown};
    case JournalRowState::NotStarted:
    case JournalRowState::Missing:
        break;
    }
    return SendReply{0, SendOutcome::NotSent};
}

// A run's recipients as their journal wrote them, and the keys its rows are searched by: a few
// dozen bytes a row rather than eight strings.
// The keys are UTF-8: folded names are mostly ASCII, and a substring of UTF-8 is found byte by byte.
struct HistoryRunRows {
    QByteArray fields;
    std::vector<std::pair<quint32, quint32>> fieldSpans;
    std::string names;
    std::vector<quint32> nameEnds;
    std::string digits;
    std::vector<quint32> digitEnds;
    // The folded text the run sent when its message has no merge field, else one a row.
    bool oneText = true;
    QString text;
    std::string mergedTexts;
    std::vector<quint32> mergedEnds;

    ClassContact contact(std::size_t row) const
    {
        if (row >= fieldSpans.size())
            return {};
        const auto [begin, end] = fieldSpans[row];
        return journalContact(QByteArrayView(fields).sliced(begin, end - begin));
    }
    static std::string_view keyAt(const std::string &keys, const std::vector<quint32> &ends, std::size_t row)
    {
        const quint32 begin = row == 0 ? 0 : ends[row - 1];
        return std::string_view(keys).substr(begin, ends[row] - begin);
    }
    std::string_view name(std::size_t row) const { return keyAt(names, nameEnds, row); }
    std::string_view numberDigits(std::size_t row) const { return keyAt(digits, digitEnds, row); }
    std::string_view mergedText(std::size_t row) const { return keyAt(mergedTexts, mergedEnds, row); }
};

namespace {

// One journal read for the history, its rows newest first (their run is set once it is placed).
struct HistoryPiece {
    std::optional<HistoryRun> run;
    std::vector<HistoryRow> rows;
    QString problem;
};

// The search keys of a row straight from its journal fields (group, company, title, first name,
// last name, number) when its name and number are plain ASCII without escapes, as nearly all are:
// no contact is made for it. False, with nothing appended, for any other row.
bool appendAsciiKeys(QByteArrayView fields, std::string &names, std::string &digits)
{
    // What each ASCII character folds to for a search; 0 where it folds out of ASCII.
    static const std::array<char, 128> folded = [] {
        std::array<char, 128> table{};
        for (char16_t c = 1; c < 128; ++c) {
            const QString f = searchFoldedText(QStringView(&c, 1));
            table[c] = f.size() == 1 && f.front().unicode() < 128 ? char(f.front().unicode()) : 0;
        }
        return table;
    }();
    constexpr int kFields = 6;
    std::array<QByteArrayView, kFields> parts;
    for (QByteArrayView &part : parts) {
        const qsizetype tab = fields.indexOf('\t');
        part = tab < 0 ? fields : fields.first(tab);
        fields = tab < 0 ? QByteArrayView() : fields.sliced(tab + 1);
    }
    const auto plain = [](QByteArrayView text) {
        return std::all_of(text.begin(), text.end(),
                           [](char c) { return uchar(c) - 1u < 127u && c != '\\' && folded[uchar(c)] != 0; });
    };
    // The name as the contact's full name reads: title, last name, first name, each with a blank.
    const std::array<QByteArrayView, 3> name{parts[2], parts[4], parts[3]};
    if (!std::all_of(name.begin(), name.end(), plain) || !plain(parts[5]))
        return false;
    for (QByteArrayView part : name) {
        if (part.isEmpty())
            continue;
        for (char c : part)
            names += folded[uchar(c)];
        names += folded[' '];
    }
    for (char c : parts[5]) {
        if (c >= '0' && c <= '9')
            digits += c;
    }
    return true;
}

bool newerRow(const HistoryRow &a, const HistoryRow &b)
{
    // Of two rows of the same millisecond, the one its journal names later; runs are placed
    // newest first.
    if (a.stamp != b.stamp)
        return a.stamp > b.stamp;
    if (a.run != b.run)
        return a.run < b.run;
    return a.row > b.row;
}

HistoryPiece readPiece(const TextTable &textes, const QString &path)
{
    HistoryPiece piece;
    auto kept = std::make_shared<HistoryRunRows>();
    // Mapped rather than read: fresh memory for a copy of every journal costs more than reading it.
    QFile file(path);
    const bool opened = file.open(QIODevice::ReadOnly);
    uchar *const mapped = opened && file.size() > 0 ? file.map(0, file.size()) : nullptr;
    std::optional<QByteArray> bytes;
    if (mapped)
        bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(mapped), qsizetype(file.size()));
    else
        bytes = readWholeFile(path, &piece.problem);
    std::optional<JournalContent> content;
    if (bytes) {
        content = readJournal(*bytes, &piece.problem, [&kept](qsizetype row, QByteArrayView fields) {
            if (std::size_t(row) >= kept->fieldSpans.size())
                kept->fieldSpans.resize(std::size_t(row) + 1);
            const auto begin = quint32(kept->fields.size());
            kept->fields.append(fields);
            kept->fieldSpans[std::size_t(row)] = {begin, quint32(kept->fields.size())};
        });
    }
    if (!content) {
        piece.problem = QDir::toNativeSeparators(path) + u": "_s + piece.problem;
        return piece;
    }
    const JournalHead &head = content->head;
    const std::size_t count = content->states.size();
    kept->fieldSpans.resize(count);
    kept->nameEnds.reserve(count);
    kept->digitEnds.reserve(count);
    HistoryRun &run = piece.run.emplace();
    run.single = content->single;
    run.path = path;
    run.rowCount = qsizetype(count);
    // A message without a merge field is the same text for every row: folded and measured once.
    const bool merged = head.message.contains(u'{');
    kept->oneText = !merged;
    if (!merged)
        kept->text = searchFoldedText(head.message);
    int sameUnits = -1;
    const qint64 started = localStamp(head.started.toString(Qt::ISODateWithMs));
    piece.rows.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        // The contact is made only when a row needs it: a million of them cost more than the rest.
        std::optional<ClassContact> made;
        const auto contact = [&]() -> const ClassContact & { return made ? *made : made.emplace(kept->contact(i)); };
        const auto [begin, end] = kept->fieldSpans[i];
        if (!appendAsciiKeys(QByteArrayView(kept->fields).sliced(begin, end - begin), kept->names, kept->digits)) {
            kept->names += searchFoldedText(contact().FullName()).toStdString();
            kept->digits += DigitsOnly(contact().Phone).toStdString();
        }
        kept->nameEnds.push_back(quint32(kept->names.size()));
        kept->digitEnds.push_back(quint32(kept->digits.size()));
        if (merged) {
            const ClassContact &c = contact();
            kept->mergedTexts += searchFoldedText(historyText(head, c)).toStdString();
            kept->mergedEnds.push_back(quint32(kept->mergedTexts.size()));
        }
        HistoryRow &row = piece.rows.emplace_back();
        row.stamp = content->stamps[i] != 0 ? content->stamps[i] : started;
        row.row = quint32(i);
        const SendReply reply = historyReply(content->states[i], content->replies[i]);
        row.reply = HistoryReply{reply.code, reply.outcome};
        row.result = historyResultOf(row.reply.outcome);
        ++run.counts[int(row.result)];
        if (row.result == HistoryResult::Accepted && !run.single) {
            if (merged)
                run.units += historyUnits(textes, head, contact());
            else
                run.units += sameUnits < 0 ? (sameUnits = historyUnits(textes, head, contact())) : sameUnits;
        }
    }
    // Grown by doubling: what is kept for long is cut to size.
    kept->fields.squeeze();
    kept->names.shrink_to_fit();
    kept->fieldSpans.shrink_to_fit();
    kept->digits.shrink_to_fit();
    kept->mergedTexts.shrink_to_fit();
    std::sort(piece.rows.begin(), piece.rows.end(), newerRow);
    run.head = std::move(content->head);
    run.rows = std::move(kept);
    return piece;
}

std::size_t cores()
{
    return std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, 8);
}

// The journals of a data directory, newest first.
QStringList journalsNewestFirst(const QString &dataDir)
{
    QStringList paths = journalFiles(dataDir) + singleSendFiles(dataDir);
    std::reverse(paths.begin(), paths.end());
    return paths;
}

// Reads the journals side by side, one at a time per core, and hands each over in their order;
// take returns false to stop early.
void readInOrder(const TextTable &textes, const QStringList &paths, std::size_t shares, const std::atomic<bool> &stop,
                 const std::function<void(HistoryPiece)> &take)
{
    const auto count = std::size_t(paths.size());
    std::vector<std::optional<HistoryPiece>> pieces(count);
    std::mutex mutex;
    std::condition_variable ready;
    std::atomic<std::size_t> next = 0;
    const auto reader = [&] {
        for (std::size_t i = next++; i < count && !stop; i = next++) {
            HistoryPiece piece = readPiece(textes, paths[qsizetype(i)]);
            {
                const std::lock_guard lock(mutex);
                pieces[i] = std::move(piece);
            }
            ready.notify_all();
        }
        // A reader that stops wakes the one waiting for its pieces, which then stops too.
        {
            const std::lock_guard lock(mutex);
        }
        ready.notify_all();
    };
    std::vector<std::thread> readers;
    for (std::size_t share = 0; share < std::min(shares, count); ++share)
        readers.emplace_back(reader);
    for (std::size_t i = 0; i < count && !stop; ++i) {
        std::unique_lock lock(mutex);
        ready.wait(lock, [&] { return pieces[i].has_value() || stop; });
        if (!pieces[i])
            break;
        HistoryPiece piece = std::move(*pieces[i]);
        pieces[i].reset();
        lock.unlock();
        take(std::move(piece));
    }
    for (std::thread &r : readers)
        r.join();
}

} // namespace

// Places the runs as they come, newest first, and their rows in the history's order.
class HistoryAssembly {
public:
    void add(HistoryPiece piece, QStringList *problems)
    {
        if (!piece.run) {
            if (problems)
                problems->append(piece.problem);
            return;
        }
        const auto run = quint32(m_history.m_runs.size());
        m_history.m_runs.push_back(std::move(*piece.run));
        for (HistoryRow &row : piece.rows)
            row.run = run;
        m_waiting.push_back(std::move(piece.rows));
    }
    // The history of every run added so far. unchanged: how many of its first rows were already
    // there, in the same places, the last time.
    const History &settled(std::size_t *unchanged = nullptr)
    {
        std::vector<HistoryRow> &rows = m_history.m_rows;
        std::size_t total = rows.size();
        for (const auto &piece : m_waiting)
            total += piece.size();
        // Grown once to its size: fresh memory is costly here, a vector doubling its way up more so.
        rows.reserve(total);
        const auto middle = std::ptrdiff_t(rows.size());
        for (auto &piece : m_waiting) {
            const auto from = std::ptrdiff_t(rows.size());
            rows.insert(rows.end(), piece.begin(), piece.end());
            // Runs mostly follow each other in time: merging is nearly a concatenation.
            std::inplace_merge(rows.begin() + middle, rows.begin() + from, rows.end(), newerRow);
            piece = {};
        }
        m_waiting.clear();
        const auto firstMoved = std::ptrdiff_t(
            std::upper_bound(rows.begin(), rows.begin() + middle,
                             middle < std::ptrdiff_t(rows.size()) ? rows[std::size_t(middle)] : HistoryRow{},
                             newerRow) -
            rows.begin());
        std::inplace_merge(rows.begin(), rows.begin() + middle, rows.end(), newerRow);
        if (unchanged)
            *unchanged = std::size_t(std::min(firstMoved, middle));
        return m_history;
    }
    History take() { return std::move(m_history); }

private:
    History m_history;
    std::vector<std::vector<HistoryRow>> m_waiting;
};

History History::load(const TextTable &textes, const QString &dataDir, QStringList *problems)
{
    HistoryAssembly assembly;
    const std::atomic<bool> never = false;
    readInOrder(textes, journalsNewestFirst(dataDir), cores(), never,
                [&](HistoryPiece piece) { assembly.add(std::move(piece), problems); });
    assembly.settled();
    return assembly.take();
}

HistoryLoader::HistoryLoader(const TextTable &textes, QObject *parent)
    : QObject(parent)
    , m_textes(textes)
{
}

HistoryLoader::~HistoryLoader()
{
    stop();
}

void HistoryLoader::stop()
{
    if (m_stop)
        *m_stop = true;
    if (m_worker.joinable())
        m_worker.join();
    m_stop.reset();
    m_loading = false;
    // Whatever the stopped worker posted is for a load given up.
    ++m_generation;
}

void HistoryLoader::start(const QString &dataDir)
{
    stop();
    m_loading = true;
    m_stop = std::make_shared<std::atomic<bool>>(false);
    const quint64 generation = m_generation;
    const auto deliver = [this, generation](History history, bool extends, std::optional<QStringList> problems) {
        QMetaObject::invokeMethod(
            this,
            [this, generation, extends, history = std::move(history), problems = std::move(problems)]() mutable {
                if (generation != m_generation)
                    return;
                m_history = std::move(history);
                m_extends = extends;
                if (problems) {
                    m_worker.join();
                    m_loading = false;
                }
                emit arrived();
                if (problems)
                    emit finished(*problems);
            },
            Qt::QueuedConnection);
    };
    m_worker = std::thread([&textes = m_textes, dataDir, deliver, stopFlag = m_stop] {
        HistoryAssembly assembly;
        QStringList problems;
        QElapsedTimer sinceShown;
        std::size_t shownRows = 0;
        bool shownAny = false;
        const auto settle = [&] {
            std::size_t unchanged = 0;
            const History &history = assembly.settled(&unchanged);
            const bool extends = shownAny && unchanged == shownRows;
            shownRows = history.rows().size();
            shownAny = true;
            return extends;
        };
        // Every core reads: the window's work as the rows come is short, and a thread that waits
        // for its events is the first the system wakes.
        readInOrder(textes, journalsNewestFirst(dataDir), cores(), *stopFlag, [&](HistoryPiece piece) {
            assembly.add(std::move(piece), &problems);
            // The newest run at once, then what has come a few times a second: each copy handed
            // over costs the window its new rows' filter.
            if (!shownAny || sinceShown.elapsed() >= kShowEveryMs) {
                const bool extends = settle();
                deliver(assembly.settled(), extends, std::nullopt);
                sinceShown.start();
            }
        });
        if (!*stopFlag) {
            const bool extends = settle();
            deliver(assembly.take(), extends, problems);
        }
    });
}

ClassContact History::contact(const HistoryRow &row) const
{
    return m_runs[row.run].rows->contact(row.row);
}

std::vector<ClassContact> History::runContacts(quint32 run) const
{
    std::vector<ClassContact> contacts;
    const HistoryRun &r = m_runs[run];
    contacts.reserve(std::size_t(r.rowCount));
    for (qsizetype row = 0; row < r.rowCount; ++row)
        contacts.push_back(r.rows->contact(std::size_t(row)));
    return contacts;
}

QString History::text(const HistoryRow &row) const
{
    const JournalHead &head = m_runs[row.run].head;
    // Most messages have no merge field: the text is the message itself, shared.
    if (m_runs[row.run].rows->oneText)
        return head.message;
    return historyText(head, contact(row));
}

std::vector<quint32> History::filtered(const HistoryFilter &filter, std::size_t first) const
{
    const QString text = searchFoldedText(filter.text);
    const QString digits = DigitsOnly(filter.number);
    const std::string digitsSought = digits.toStdString();
    const std::string textSought = text.toStdString();
    const qint64 from = filter.from.isValid() ? stampOfDate(filter.from) : 0;
    const qint64 to = filter.to.isValid() ? stampOfDate(filter.to.addDays(1)) : 0;
    // A run's single text is searched once.
    std::vector<signed char> runTextMatches(m_runs.size(), -1);
    if (!text.isEmpty()) {
        for (std::size_t run = 0; run < m_runs.size(); ++run) {
            if (m_runs[run].rows->oneText)
                runTextMatches[run] = m_runs[run].rows->text.contains(text);
        }
    }
    std::vector<quint32> shown;
    for (std::size_t i = first; i < m_rows.size(); ++i) {
        const HistoryRow &row = m_rows[i];
        if ((filter.result && row.result != *filter.result) || (from != 0 && row.stamp < from) ||
            (to != 0 && row.stamp >= to))
            continue;
        const HistoryRunRows &rows = *m_runs[row.run].rows;
        if (!digits.isEmpty() && rows.numberDigits(row.row).find(digitsSought) == std::string_view::npos)
            continue;
        if (!text.isEmpty()) {
            const signed char runMatch = runTextMatches[row.run];
            const bool textMatch =
                runMatch < 0 ? rows.mergedText(row.row).find(textSought) != std::string_view::npos : runMatch > 0;
            if (!textMatch && rows.name(row.row).find(textSought) == std::string_view::npos)
                continue;
        }
        shown.push_back(quint32(i));
    }
    return shown;
}

QString historyTimeText(const HistoryRow &row)
{
    // Straight from the stamp's digits (yyyyMMddHHmmsszzz): the command line prints a million.
    if (row.stamp <= 0)
        return {};
    char digits[24];
    std::snprintf(digits, sizeof digits, "%017lld", static_cast<long long>(row.stamp));
    const char16_t text[] = {char16_t(digits[0]),
                             char16_t(digits[1]),
                             char16_t(digits[2]),
                             char16_t(digits[3]),
                             u'-',
                             char16_t(digits[4]),
                             char16_t(digits[5]),
                             u'-',
                             char16_t(digits[6]),
                             char16_t(digits[7]),
                             u' ',
                             char16_t(digits[8]),
                             char16_t(digits[9]),
                             u':',
                             char16_t(digits[10]),
                             char16_t(digits[11]),
                             u':',
                             char16_t(digits[12]),
                             char16_t(digits[13])};
    return QString::fromUtf16(text, qsizetype(std::size(text)));
}

QString historyDateText(const TextTable &textes, const HistoryRow &row)
{
    return dateTimeOfStamp(row.stamp).toString(textes(Txt::HistoryDateFormat));
}

QByteArray historySpreadsheet(const TextTable &textes, const History &history, const std::vector<quint32> &rows)
{
    const auto field = [](const QString &value) { return csvField(value, u';'); };
    QString csv = textes(Txt::HistorySpreadsheetTitles) + u"\r\n"_s;
    for (quint32 i : rows) {
        const HistoryRow &row = history.rows()[i];
        const ClassContact &c = history.contact(row);
        csv += historyDateText(textes, row) + u';' + field(c.Phone) + u';' + field(c.FullName().trimmed()) + u';' +
               field(history.text(row)) + u';' + QString::number(row.reply.code) + u';' +
               field(historyResultText(textes, history, row)) + u';' + history.runs()[row.run].head.runId + u"\r\n"_s;
    }
    return "\xEF\xBB\xBF" + csv.toUtf8();
}

std::vector<CampaignFigures> campaignFigures(const History &history)
{
    std::vector<CampaignFigures> campaigns;
    for (quint32 run = 0; run < history.runs().size(); ++run) {
        const HistoryRun &r = history.runs()[run];
        if (r.single)
            continue;
        CampaignFigures figures;
        figures.run = run;
        figures.rows = r.rowCount;
        figures.accepted = r.counts[int(HistoryResult::Accepted)];
        figures.refused = r.counts[int(HistoryResult::Refused)];
        figures.noAnswer = r.counts[int(HistoryResult::NoAnswer)];
        figures.leftOut = r.counts[int(HistoryResult::Skipped)];
        figures.units = r.units;
        campaigns.push_back(figures);
    }
    std::stable_sort(campaigns.begin(), campaigns.end(),
                     [&history](const CampaignFigures &a, const CampaignFigures &b) {
                         return history.runs()[a.run].head.started > history.runs()[b.run].head.started;
                     });
    return campaigns;
}

QString campaignsCsv(const History &history, const std::vector<CampaignFigures> &campaigns)
{
    QString csv = u"date,run,message,rows,accepted,refused,no_answer,left_out,sms_units\r\n"_s;
    for (const CampaignFigures &c : campaigns) {
        const JournalHead &head = history.runs()[c.run].head;
        csv += head.started.toString(u"yyyy-MM-dd HH:mm:ss"_s) + u',' + head.runId + u',' + csvField(head.message) +
               u',' + QString::number(c.rows) + u',' + QString::number(c.accepted) + u',' + QString::number(c.refused) +
               u',' + QString::number(c.noAnswer) + u',' + QString::number(c.leftOut) + u',' +
               QString::number(c.units) + u"\r\n"_s;
    }
    return csv;
}

QString historyCsv(const TextTable &textes, const History &history, const std::vector<quint32> &rows)
{
    QString csv = u"date,number,name,text,code,result,outcome,run\r\n"_s;
    for (quint32 i : rows) {
        const HistoryRow &row = history.rows()[i];
        const ClassContact &c = history.contact(row);
        csv += historyTimeText(row) + u',' + csvField(c.Phone) + u',' + csvField(c.FullName().trimmed()) + u',' +
               csvField(history.text(row)) + u',' + QString::number(row.reply.code) + u',' +
               csvField(historyResultText(textes, history, row)) + u',' + outcomeKeyword(row.reply.outcome) + u',' +
               history.runs()[row.run].head.runId + u"\r\n"_s;
    }
    return csv;
}

} // namespace parlevo
