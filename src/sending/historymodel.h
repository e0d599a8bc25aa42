#pragma once

#include "history.h"

#include <QAbstractTableModel>

#include <array>

namespace parlevo {

class TextTable;

// The history's rows that a filter lets through, as a table. It holds the positions only, not a
// copy of the rows, and a new filter is a single reset: a proxy model would be far too slow for a
// hundred thousand rows (see the contact list model).
class HistoryModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { DateColumn, NumberColumn, NameColumn, ResultColumn, TextColumn, RunColumn, ColumnCount };

    HistoryModel(const TextTable &textes, std::array<QString, ColumnCount> headers, QObject *parent = nullptr);
    Q_DISABLE_COPY_MOVE(HistoryModel)

    void setHistory(History history);
    void setFilter(const HistoryFilter &filter);
    const History &history() const { return m_history; }
    const std::vector<quint32> &shown() const { return m_shown; }
    const HistoryRow &rowAt(int row) const { return m_history.rows()[m_shown[std::size_t(row)]]; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const TextTable &m_textes;
    std::array<QString, ColumnCount> m_headers;
    History m_history;
    HistoryFilter m_filter;
    std::vector<quint32> m_shown;
};

} // namespace parlevo
