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

#include <algorithm>
#include <thread>
#include <tuple>

using namespace Qt::StringLiterals;

namespace parlevo {

namespace {

qint64 stampOfDate(QDate date)
{
    return (qint64(date.year()) * 10000 + date.month() * 100 + date.day()) * 1000000000;
}

void appendKey(std::vector<char16_t> &buffer, std::vector<quint32> &ends, QStringView key)
{
    buffer.insert(buffer.end(), key.utf16(), key.utf16() + key.size());
    ends.push_back(quint32(buffer.size()));
}

QStringView keyAt(const std::vector<char16_t> &buffer, const std::vector<quint32> &ends, std::size_t i)
{
    const quint32 begin = i == 0 ? 0 : ends[i - 1];
    return QStringView(buffer.data() + begin, qsizetype(ends[i] - begin));
}

} // namespace

QString historyText(const JournalHead &head, const ClassContact &contact)
{
    return mergedMessage(head.message, contact, head.columns);
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
    return replyText(textes, row.reply);
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

History History::load(const QString &dataDir, QStringList *problems)
{
    const QStringList paths = journalFiles(dataDir) + singleSendFiles(dataDir);
    // The journals are read side by side, one share of them per core, and taken in their order.
    std::vector<std::optional<JournalContent>> contents(std::size_t(paths.size()));
    std::vector<QString> errors(contents.size());
    const auto readShare = [&](std::size_t first, std::size_t step) {
        for (std::size_t i = first; i < contents.size(); i += step) {
            const auto bytes = readWholeFile(paths[qsizetype(i)], &errors[i]);
            if (bytes)
                contents[i] = readJournal(*bytes, &errors[i]);
        }
    };
    const std::size_t shares = std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, 8);
    std::vector<std::thread> readers;
    for (std::size_t share = 1; share < shares; ++share)
        readers.emplace_back(readShare, share, shares);
    readShare(0, shares);
    for (std::thread &reader : readers)
        reader.join();

    History history;
    for (std::size_t i = 0; i < contents.size(); ++i) {
        if (contents[i])
            history.addRun(std::move(*contents[i]), paths[qsizetype(i)]);
        else if (problems)
            problems->append(QDir::toNativeSeparators(paths[qsizetype(i)]) + u": "_s + errors[i]);
    }
    // Newest first; of two rows of the same millisecond, the one its journal names later.
    std::sort(history.m_rows.begin(), history.m_rows.end(), [](const HistoryRow &a, const HistoryRow &b) {
        return std::tie(a.stamp, a.run, a.row) > std::tie(b.stamp, b.run, b.row);
    });
    history.buildKeys();
    return history;
}

void History::addRun(JournalContent content, const QString &path)
{
    const auto run = quint32(m_runs.size());
    HistoryRun &added = m_runs.emplace_back();
    added.single = content.single;
    added.path = path;
    const qint64 started = localStamp(content.head.started.toString(Qt::ISODateWithMs));
    for (std::size_t i = 0; i < content.states.size(); ++i) {
        HistoryRow &row = m_rows.emplace_back();
        row.stamp = content.stamps[i] != 0 ? content.stamps[i] : started;
        row.run = run;
        row.row = quint32(i);
        row.reply = historyReply(content.states[i], content.replies[i]);
        row.result = historyResultOf(row.reply.outcome);
        ++added.counts[int(row.result)];
    }
    added.head = std::move(content.head);
}

void History::buildKeys()
{
    m_textOf.reserve(m_rows.size());
    m_nameEnds.reserve(m_rows.size());
    m_digitEnds.reserve(m_rows.size());
    QString lastText;
    for (const HistoryRow &row : m_rows) {
        const ClassContact &c = contact(row);
        const QString sent = text(row);
        // A run's rows share their text: it is folded once, not once a row.
        if (m_texts.empty() || sent != lastText) {
            m_texts.push_back(searchFoldedText(sent));
            lastText = sent;
        }
        m_textOf.push_back(quint32(m_texts.size() - 1));
        appendKey(m_names, m_nameEnds, searchFoldedText(c.FullName()));
        appendKey(m_digits, m_digitEnds, DigitsOnly(c.Phone));
    }
}

const ClassContact &History::contact(const HistoryRow &row) const
{
    return m_runs[row.run].head.rows[row.row];
}

QString History::text(const HistoryRow &row) const
{
    return historyText(m_runs[row.run].head, contact(row));
}

std::vector<quint32> History::filtered(const HistoryFilter &filter) const
{
    const QString text = searchFoldedText(filter.text);
    const QString digits = DigitsOnly(filter.number);
    const qint64 from = filter.from.isValid() ? stampOfDate(filter.from) : 0;
    const qint64 to = filter.to.isValid() ? stampOfDate(filter.to.addDays(1)) : 0;
    // Each distinct text is searched once.
    std::vector<char> textMatches(m_texts.size());
    for (std::size_t i = 0; i < m_texts.size(); ++i)
        textMatches[i] = char(m_texts[i].contains(text));
    std::vector<quint32> shown;
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        const HistoryRow &row = m_rows[i];
        if ((filter.result && row.result != *filter.result) || (from != 0 && row.stamp < from) ||
            (to != 0 && row.stamp >= to))
            continue;
        if (!digits.isEmpty() && !keyAt(m_digits, m_digitEnds, i).contains(digits))
            continue;
        if (!text.isEmpty() && !textMatches[m_textOf[i]] && !keyAt(m_names, m_nameEnds, i).contains(text))
            continue;
        shown.push_back(quint32(i));
    }
    return shown;
}

QString historyTimeText(const HistoryRow &row)
{
    return dateTimeOfStamp(row.stamp).toString(u"yyyy-MM-dd HH:mm:ss"_s);
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

std::vector<CampaignFigures> campaignFigures(const TextTable &textes, const History &history)
{
    std::vector<CampaignFigures> campaigns;
    std::vector<qsizetype> at(history.runs().size(), -1);
    for (quint32 run = 0; run < history.runs().size(); ++run) {
        const HistoryRun &r = history.runs()[run];
        if (r.single)
            continue;
        at[run] = qsizetype(campaigns.size());
        CampaignFigures figures;
        figures.run = run;
        figures.rows = qsizetype(r.head.rows.size());
        figures.accepted = r.counts[int(HistoryResult::Accepted)];
        figures.refused = r.counts[int(HistoryResult::Refused)];
        figures.noAnswer = r.counts[int(HistoryResult::NoAnswer)];
        figures.leftOut = r.counts[int(HistoryResult::Skipped)];
        campaigns.push_back(figures);
    }
    // The units go by each accepted text as it left: the sender's prefix, the merge, the cut.
    for (const HistoryRow &row : history.rows()) {
        if (row.result != HistoryResult::Accepted || at[row.run] < 0)
            continue;
        const ClassContact &contact = history.contact(row);
        const QString sent = textToSend(textes, history.runs()[row.run].head.sender, history.text(row), contact);
        campaigns[std::size_t(at[row.run])].units += analyseSmsText(sent).parts;
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
