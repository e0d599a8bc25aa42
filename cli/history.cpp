#include "options.h"

#include "addressbook/classcontact.h"
#include "base/shared.h"
#include "base/textes.h"
#include "base/txt.h"
#include "sending/history.h"

#include <QCommandLineParser>
#include <QDate>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace parlevo::cli {

namespace {

constexpr qsizetype kChunk = 1 << 20;

QString oneLine(QString text)
{
    for (QChar &c : text) {
        if (c == u'\n' || c == u'\r' || c == u'\t')
            c = u' ';
    }
    return text;
}

} // namespace

int history(const QString &globalDataDir, const QStringList &arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption since(QStringLiteral("since"), QStringLiteral("Only the SMS of this day and after."),
                                   QStringLiteral("YYYY-MM-DD"));
    const QCommandLineOption number(
        QStringLiteral("number"), QStringLiteral("Only the SMS whose number holds these digits."), QStringLiteral("N"));
    const QCommandLineOption csv(QStringLiteral("csv"),
                                 QStringLiteral("Writes CSV (date, number, name, text, code, result, outcome, run)."));
    const QCommandLineOption runsOption(QStringLiteral("runs"),
                                        QStringLiteral("Prints one line per mailing run instead: date, message, rows, "
                                                       "accepted, refused, no answer, left out and SMS units used."));
    parser.addOptions({since, number, csv, runsOption});
    int status = kAccepted;
    if (!parseCommand(parser, u"history"_s,
                      u"Prints every SMS the journals of the data directory record (mailing runs, single\n"
                      u"sends of the app and of 'send'), newest first: date, number, name, result and text,\n"
                      u"then one summary line per run shown. With --runs, one line per mailing run (a run\n"
                      u"taken up again is one run), newest first: what it cost in SMS units is the parts of\n"
                      u"each accepted text. Exit status: 0 done, 1 a journal could not be\n"
                      u"read (it is named on standard error, the others are printed), 64 usage error."_s,
                      arguments, &status))
        return status;
    HistoryFilter filter;
    if (parser.isSet(since)) {
        filter.from = QDate::fromString(parser.value(since), u"yyyy-MM-dd"_s);
        if (!filter.from.isValid())
            return usage(u"--since wants YYYY-MM-DD, not "_s + parser.value(since), u"history"_s);
    }
    if (parser.isSet(number)) {
        filter.number = parser.value(number);
        if (DigitsOnly(filter.number).isEmpty())
            return usage(u"--number wants digits, not "_s + parser.value(number), u"history"_s);
    }

    if (parser.isSet(runsOption) && parser.isSet(number))
        return usage(u"--number does not apply to --runs"_s, u"history"_s);

    auto parts = loadParts(parser.isSet(dataDirOption()) ? parser.value(dataDirOption()) : globalDataDir);
    QStringList problems;
    const TextTable &textes = parts->textes;
    const History history = History::load(textes, parts->dataDir.path(), &problems);
    for (const QString &problem : problems)
        err(u"parlevo-cli: "_s + problem);
    if (parser.isSet(runsOption)) {
        std::vector<CampaignFigures> campaigns = campaignFigures(history);
        if (filter.from.isValid())
            std::erase_if(campaigns, [&](const CampaignFigures &c) {
                return history.runs()[c.run].head.started.date() < filter.from;
            });
        if (parser.isSet(csv)) {
            write(campaignsCsv(history, campaigns), stdout);
        } else {
            out(u"date                 rows  accepted  refused  no answer  left out  SMS units  message"_s);
            for (const CampaignFigures &c : campaigns) {
                const JournalHead &head = history.runs()[c.run].head;
                const auto column = [](qint64 value, int width) {
                    return QString::number(value).rightJustified(width);
                };
                out(head.started.toString(u"yyyy-MM-dd HH:mm:ss"_s) + column(c.rows, 6) + column(c.accepted, 10) +
                    column(c.refused, 9) + column(c.noAnswer, 11) + column(c.leftOut, 10) + column(c.units, 11) +
                    u"  "_s + oneLine(head.message));
            }
        }
        return problems.isEmpty() ? kAccepted : kFailure;
    }
    const std::vector<quint32> shown = history.filtered(filter);
    if (parser.isSet(csv)) {
        write(historyCsv(textes, history, shown), stdout);
        return problems.isEmpty() ? kAccepted : kFailure;
    }
    // A million lines go out in large writes, not one flush each.
    QString chunk;
    const auto flushChunk = [&chunk](qsizetype above) {
        if (chunk.size() > above) {
            write(chunk, stdout);
            chunk.clear();
        }
    };
    std::vector<char> runShown(history.runs().size(), 0);
    for (quint32 i : shown) {
        const HistoryRow &row = history.rows()[i];
        const ClassContact contact = history.contact(row);
        chunk += historyTimeText(row) + u"  "_s + contact.Phone.leftJustified(14) + u' ' +
                 contact.FullName().trimmed().leftJustified(24) + u' ' + historyResultText(textes, history, row) +
                 u"  "_s + oneLine(history.text(row)) + u'\n';
        runShown[row.run] = 1;
        flushChunk(kChunk);
    }
    // The runs oldest first, as their journals are named.
    for (auto run = qsizetype(runShown.size()) - 1; run >= 0; --run) {
        if (!runShown[std::size_t(run)])
            continue;
        const HistoryRun &r = history.runs()[std::size_t(run)];
        chunk += r.head.runId +
                 (r.head.test ? u" (test) "_s
                  : r.single  ? u" (single) "_s
                              : u" (mailing) "_s) +
                 historySummaryText(textes, r) + u'\n';
    }
    flushChunk(0);
    std::fflush(stdout);
    return problems.isEmpty() ? kAccepted : kFailure;
}

} // namespace parlevo::cli
