#include "mailingresults.h"

#include "base/csvtext.h"

#include "base/codec1252.h"
#include "base/storefile.h"
#include "history.h"
#include "numberreview.h"

#include <QList>

#include <QStringList>
#include <algorithm>
#include <memory>

using namespace Qt::StringLiterals;

namespace parlevo {

namespace {

constexpr qsizetype kOldFields = 4;
constexpr qsizetype kFields = 5;
const QString kCliHeader = u"number,full_name,code,text"_s;
const QString kCliOutcomeHeader = u",outcome"_s;

QString blanked(QString value)
{
    for (QChar &c : value) {
        if (c == u';' || c == u'\r' || c == u'\n')
            c = u' ';
    }
    return value;
}

// A value of the export: on one line, and never read by a spreadsheet as a formula.
QString exported(const QString &value)
{
    return spreadsheetSafe(blanked(value).trimmed());
}

// The records of RFC 4180 text; nothing when a quote is left open.
std::optional<QList<QStringList>> csvRecords(QStringView text)
{
    CsvRecords read = readCsvRecords(text, u',');
    if (read.openQuote)
        return std::nullopt;
    return std::move(read.records);
}

// The fields of one line as a result; false with the reason when they do not fit.
bool toResult(const QStringList &fields, qsizetype line, MailingResult *result, QString *error)
{
    if (fields.size() != kFields && fields.size() != kOldFields) {
        *error =
            u"line %1 has %2 fields, not 5 (number, full name, code, text, outcome)"_s.arg(line).arg(fields.size());
        return false;
    }
    bool ok = false;
    result->code = fields[2].trimmed().toInt(&ok);
    if (!ok) {
        *error = u"line %1: the code \"%2\" is not a number"_s.arg(line).arg(fields[2]);
        return false;
    }
    result->contact.Phone = fromSpreadsheetSafe(fields[0]);
    result->contact.Nom = fromSpreadsheetSafe(fields[1]);
    result->text = fromSpreadsheetSafe(fields[3]);
    result->outcome = outcomeOfCode(result->code);
    if (fields.size() == kFields) {
        const auto outcome = outcomeFromKeyword(fields[4].trimmed());
        // Only code 0 has two meanings; any other outcome must agree with the code.
        if (!outcome || (*outcome != result->outcome &&
                         !(result->code == 0 && (*outcome == SendOutcome::Unknown || *outcome == SendOutcome::NotSent ||
                                                 *outcome == SendOutcome::Skipped || *outcome == SendOutcome::Busy)))) {
            *error =
                u"line %1: the outcome \"%2\" does not fit the code %3"_s.arg(line).arg(fields[4]).arg(result->code);
            return false;
        }
        result->outcome = *outcome;
    }
    return true;
}

} // namespace

std::vector<MailingResult> recordedResults(const TextTable &textes, const JournalContent &content)
{
    std::vector<MailingResult> rows;
    rows.reserve(content.states.size());
    for (std::size_t row = 0; row < content.states.size(); ++row) {
        const SendReply reply = historyReply(content.states[row], content.replies[row]);
        QString text = reply.outcome == SendOutcome::Skipped
                           ? skipReasonText(textes, content.head.skipOf(qsizetype(row)))
                           : QString();
        if (text.isEmpty())
            text = replyText(textes, reply);
        rows.push_back({row < content.head.rows.size() ? content.head.rows[row] : ClassContact{}, reply.code, text,
                        reply.outcome});
    }
    return rows;
}

qsizetype unknownCount(const std::vector<MailingResult> &rows)
{
    return std::count_if(rows.begin(), rows.end(),
                         [](const MailingResult &row) { return row.outcome == SendOutcome::Unknown; });
}

QString cliResultsHeader()
{
    return kCliHeader + kCliOutcomeHeader + u"\r\n"_s;
}

QString cliResultsLine(const QString &number, const MailingResult &row)
{
    return csvField(number) + u',' + csvField(row.contact.FullName().trimmed()) + u',' + QString::number(row.code) +
           u',' + csvField(row.text) + u',' + outcomeKeyword(row.outcome) + u"\r\n"_s;
}

QByteArray resultsFileBytes(const std::vector<MailingResult> &rows)
{
    QByteArray out;
    QString line;
    for (const MailingResult &row : rows) {
        line = spreadsheetSafe(blanked(row.contact.Phone)) + u';' + exported(row.contact.FullName()) + u';' +
               QString::number(row.code) + u';' + spreadsheetSafe(blanked(row.text)) + u';' +
               outcomeKeyword(row.outcome) + u"\r\n"_s;
        appendEncoded1252(out, line);
    }
    return out;
}

bool Sauve_Resultats(const QString &path, const std::vector<MailingResult> &rows)
{
    return replaceFile(path, resultsFileBytes(rows));
}

std::optional<std::vector<MailingResult>> readResultsFile(const QByteArray &bytes, QString *error)
{
    std::vector<MailingResult> rows;
    // A byte order mark that an editor may have put before the header is skipped. Before the
    // program's own form it is text like any other: three characters of Windows-1252.
    const QByteArray afterMark = bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes;
    const QString start = QString::fromUtf8(afterMark.left(kCliHeader.size() + kCliOutcomeHeader.size() + 2));
    const auto headerEndsAt = [&start](qsizetype at) {
        return start.size() == at || start[at] == u'\r' || start[at] == u'\n';
    };
    const bool cli =
        start.startsWith(kCliHeader) &&
        (headerEndsAt(kCliHeader.size()) || (QStringView(start).mid(kCliHeader.size()).startsWith(kCliOutcomeHeader) &&
                                             headerEndsAt(kCliHeader.size() + kCliOutcomeHeader.size())));
    const QByteArray view = cli ? afterMark : bytes;
    if (cli) {
        const auto records = csvRecords(QString::fromUtf8(view));
        if (!records) {
            *error = u"a quoted field is not closed"_s;
            return std::nullopt;
        }
        for (qsizetype i = 1; i < records->size(); ++i) {
            if (records->at(i) == QStringList{QString()})
                continue;
            if (!toResult(records->at(i), i + 1, &rows.emplace_back(), error))
                return std::nullopt;
        }
    } else {
        const QStringList lines = decode1252(view).split(u'\n');
        for (qsizetype i = 0; i < lines.size(); ++i) {
            QString line = lines[i];
            if (line.endsWith(u'\r'))
                line.chop(1);
            if (line.isEmpty())
                continue;
            if (!toResult(line.split(u';'), i + 1, &rows.emplace_back(), error))
                return std::nullopt;
        }
    }
    if (rows.empty()) {
        *error = u"no result row"_s;
        return std::nullopt;
    }
    return rows;
}

MailingSource fixedMailingSource(const std::vector<ClassContact> &contacts, const QString &sender,
                                 const QString &message, const QStringList &columns)
{
    // A copy: the run reads the rows from the event loop, after the caller's list may be gone.
    const auto rows = std::make_shared<const std::vector<ClassContact>>(contacts);
    return MailingSource{[rows] { return static_cast<qsizetype>(rows->size()); },
                         [rows](qsizetype row) { return &(*rows)[static_cast<std::size_t>(row)]; },
                         [sender] { return sender; },
                         [message] { return message; },
                         true,
                         columns};
}

} // namespace parlevo
