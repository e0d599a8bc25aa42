#pragma once

#include <QAbstractTableModel>
#include <QString>

#include <vector>

namespace parlevo {

struct ResultRow {
    QString recipient;
    QString result;
};

// The result rows of every mailing run: recipient text and result text. Rows are only ever
// appended, each in constant time, so a run of thousands of rows stays quick.
class ResultModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    ResultModel(QString contactHeader, QString resultHeader, QObject *parent = nullptr);
    Q_DISABLE_COPY_MOVE(ResultModel)

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Appends rows at the end, in one insertion.
    void appendRows(const std::vector<ResultRow> &rows);
    void setResult(int row, const QString &result);

private:
    std::vector<ResultRow> m_rows;
    QString m_headers[2];
};

} // namespace parlevo
