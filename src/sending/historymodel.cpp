#include "historymodel.h"

#include "addressbook/classcontact.h"
#include "resultmodel.h"

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
    m_shown = m_history.filtered(m_filter);
    endResetModel();
}

void HistoryModel::setFilter(const HistoryFilter &filter)
{
    beginResetModel();
    m_filter = filter;
    m_shown = m_history.filtered(m_filter);
    endResetModel();
}

int HistoryModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_shown.size());
}

int HistoryModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant HistoryModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    const HistoryRow &row = rowAt(index.row());
    if (role == Qt::ForegroundRole && index.column() == ResultColumn)
        return ResultModel::outcomeColor(row.reply.outcome);
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    const ClassContact &contact = m_history.contact(row);
    switch (index.column()) {
    case DateColumn:
        return historyDateText(m_textes, row);
    case NumberColumn:
        return contact.Phone;
    case NameColumn:
        return contact.FullName().trimmed();
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
