#include "historymodel.h"

#include "addressbook/classcontact.h"
#include "base/textes.h"
#include "base/txt.h"
#include "resultmodel.h"

#include <QFont>

using namespace Qt::StringLiterals;

namespace parlevo {

HistoryModel::HistoryModel(const TextTable &textes, std::array<QString, ColumnCount> headers, QObject *parent)
    : QAbstractTableModel(parent)
    , m_textes(textes)
    , m_headers(std::move(headers))
{
}

void HistoryModel::setHistory(History history)
{
    beginResetModel();
    m_history = std::move(history);
    updateFigures();
    rebuild();
    endResetModel();
}

void HistoryModel::extendHistory(History history)
{
    const std::size_t known = m_history.rows().size();
    m_history = std::move(history);
    updateFigures();
    std::vector<quint32> more = m_history.filtered(m_filter, known);
    if (more.empty())
        return;
    std::vector<quint32> added;
    appendEntries(more, added);
    m_shown.insert(m_shown.end(), more.begin(), more.end());
    beginInsertRows({}, rowCount(), rowCount() + int(added.size()) - 1);
    m_entries.insert(m_entries.end(), added.begin(), added.end());
    endInsertRows();
}

void HistoryModel::setFilter(const HistoryFilter &filter)
{
    beginResetModel();
    m_filter = filter;
    rebuild();
    endResetModel();
}

void HistoryModel::updateFigures()
{
    m_figures.assign(m_history.runs().size(), std::nullopt);
    for (const CampaignFigures &figures : campaignFigures(m_history))
        m_figures[figures.run] = figures;
    m_placed.resize(m_history.runs().size(), 0);
}

void HistoryModel::rebuild()
{
    m_shown = m_history.filtered(m_filter);
    m_entries.clear();
    m_entries.reserve(m_shown.size() + m_history.runs().size());
    m_placed.assign(m_history.runs().size(), 0);
    appendEntries(m_shown, m_entries);
}

void HistoryModel::appendEntries(const std::vector<quint32> &shown, std::vector<quint32> &entries)
{
    // A run's summary comes just before the newest of its SMS shown.
    for (quint32 i : shown) {
        const quint32 run = m_history.rows()[i].run;
        if (!m_placed[run] && m_figures[run]) {
            entries.push_back(kSummary | run);
            m_placed[run] = 1;
        }
        entries.push_back(i);
    }
}

quint32 HistoryModel::runAt(int row) const
{
    const quint32 entry = m_entries[std::size_t(row)];
    return (entry & kSummary) != 0 ? entry & ~kSummary : m_history.rows()[entry].run;
}

int HistoryModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_entries.size());
}

int HistoryModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant HistoryModel::summaryData(quint32 run, int column, int role) const
{
    if (role == Qt::FontRole) {
        QFont bold;
        bold.setBold(true);
        return bold;
    }
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    const JournalHead &head = m_history.runs()[run].head;
    const CampaignFigures &f = *m_figures[run];
    switch (column) {
    case DateColumn:
        return head.started.toString(m_textes(Txt::HistoryDateFormat));
    case ResultColumn:
        return m_textes(Txt::CampaignFigures)
            .arg(f.rows)
            .arg(f.accepted)
            .arg(f.refused)
            .arg(f.noAnswer)
            .arg(f.leftOut)
            .arg(f.units);
    case TextColumn: {
        QString message = head.message;
        return role == Qt::ToolTipRole ? message : message.replace(u'\n', u' ');
    }
    case RunColumn:
        return head.runId;
    default:
        return {};
    }
}

QVariant HistoryModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    if (isSummary(index.row()))
        return summaryData(runAt(index.row()), index.column(), role);
    const HistoryRow &row = rowAt(index.row());
    if (role == Qt::ForegroundRole && index.column() == ResultColumn)
        return ResultModel::outcomeColor(row.reply.outcome);
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    switch (index.column()) {
    case DateColumn:
        return historyDateText(m_textes, row);
    case NumberColumn:
        return m_history.contact(row).Phone;
    case NameColumn: {
        const QString name = m_history.contact(row).FullName().trimmed();
        // A test went to the user's own number with a row's text: said so before the row's name.
        if (m_history.runs()[row.run].head.test)
            return QString(m_textes(Txt::TestSms) + (name.isEmpty() ? QString() : u" : "_s + name));
        return name;
    }
    case ResultColumn:
        return historyResultText(m_textes, m_history, row);
    case TextColumn: {
        // One line in the cell, the whole text in the tooltip.
        QString text = m_history.text(row);
        return role == Qt::ToolTipRole ? text : text.replace(u'\n', u' ');
    }
    case RunColumn:
        return m_history.runs()[row.run].head.runId;
    default:
        return {};
    }
}

QVariant HistoryModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= ColumnCount)
        return {};
    return m_headers[std::size_t(section)];
}

} // namespace parlevo
