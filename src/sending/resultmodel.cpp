#include "resultmodel.h"

namespace parlevo {

ResultModel::ResultModel(QString contactHeader, QString resultHeader, QObject *parent)
    : QAbstractTableModel(parent)
    , m_headers{std::move(contactHeader), std::move(resultHeader)}
{
}

int ResultModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int ResultModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 2;
}

QVariant ResultModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid) ||
        role != Qt::DisplayRole)
        return {};
    const ResultRow &row = m_rows[static_cast<std::size_t>(index.row())];
    return index.column() == 0 ? row.recipient : row.result;
}

QVariant ResultModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section > 1)
        return {};
    return m_headers[section];
}

void ResultModel::appendRows(const std::vector<ResultRow> &rows)
{
    if (rows.empty())
        return;
    const int first = static_cast<int>(m_rows.size());
    beginInsertRows({}, first, first + static_cast<int>(rows.size()) - 1);
    m_rows.insert(m_rows.end(), rows.begin(), rows.end());
    endInsertRows();
}

void ResultModel::setResult(int row, const QString &result)
{
    if (row < 0 || row >= rowCount())
        return;
    m_rows[static_cast<std::size_t>(row)].result = result;
    const QModelIndex cell = index(row, 1);
    emit dataChanged(cell, cell, {Qt::DisplayRole});
}

} // namespace parlevo
