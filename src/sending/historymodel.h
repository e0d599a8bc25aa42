#pragma once

#include "history.h"

#include <QAbstractTableModel>

#include <array>

namespace parlevo {

class TextTable;

// The history's rows that a filter lets through, as a table, with a summary row before the SMS of
// each mailing run shown: what the run came to and cost. It holds positions only, not a copy of
// the rows, and a new filter is a single reset: a proxy model would be far too slow for a million
// rows (see the contact list model).
class HistoryModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { DateColumn, NumberColumn, NameColumn, ResultColumn, TextColumn, RunColumn, ColumnCount };

    HistoryModel(const TextTable &textes, std::array<QString, ColumnCount> headers, QObject *parent = nullptr);
    Q_DISABLE_COPY_MOVE(HistoryModel)

    void setHistory(History history);
    // The same history with more runs, whose rows all come after those it had: the rows shown
    // stay, the new ones are added below (a million rows arrive without a reset each time).
    void extendHistory(History history);
    void setFilter(const HistoryFilter &filter);
    const History &history() const { return m_history; }
    // The SMS shown, as positions in history().rows(), without the summary rows.
    const std::vector<quint32> &shown() const { return m_shown; }
    bool isSummary(int row) const { return (m_entries[std::size_t(row)] & kSummary) != 0; }
    // The SMS of a row that is not a summary.
    const HistoryRow &rowAt(int row) const { return m_history.rows()[m_entries[std::size_t(row)]]; }
    // The run of any row, in history().runs().
    quint32 runAt(int row) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    static constexpr quint32 kSummary = 0x80000000;

    void rebuild();
    void updateFigures();
    void appendEntries(const std::vector<quint32> &shown, std::vector<quint32> &entries);
    QVariant summaryData(quint32 run, int column, int role) const;

    const TextTable &m_textes;
    std::array<QString, ColumnCount> m_headers;
    History m_history;
    HistoryFilter m_filter;
    std::vector<quint32> m_shown;
    // What each row of the table is: a position in m_shown's sense, or kSummary | a run.
    std::vector<quint32> m_entries;
    // Each mailing run's figures, by run; single sends have none.
    std::vector<std::optional<CampaignFigures>> m_figures;
    // Which runs have their summary row.
    std::vector<char> m_placed;
};

} // namespace parlevo
