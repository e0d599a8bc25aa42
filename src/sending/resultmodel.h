#pragma once

#include "gateway/sendreply.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QIcon>
#include <QString>

#include <array>
#include <optional>
#include <vector>

namespace parlevo {

struct ResultRow {
    QString recipient;
    QString result;
    // Nothing while the SMS waits for its answer.
    std::optional<SendOutcome> outcome;
};

// The result rows of every mailing run: recipient text and result text. Rows are only ever
// appended, each in constant time, so a run of thousands of rows stays quick. Each result carries
// the mark of its outcome; the rows are striped like the mailing list.
class ResultModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr std::size_t kOutcomeCount = 7;
    // outcomeNames: what each mark means, in the order of SendOutcome (for screen readers).
    ResultModel(QString contactHeader, QString resultHeader, std::array<QString, kOutcomeCount> outcomeNames,
                QObject *parent = nullptr);
    Q_DISABLE_COPY_MOVE(ResultModel)

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Appends rows at the end, in one insertion.
    void appendRows(const std::vector<ResultRow> &rows);
    void setResult(int row, const QString &result, SendOutcome outcome);
    // Both invalid: no stripes, the view's own background.
    void setStripeColors(const QColor &back, const QColor &stripe);

    // The mark of an outcome: a coloured disc with a white sign, readable on any background.
    static QColor outcomeColor(SendOutcome outcome);

private:
    // Drawn at first use; kept by the model, so none outlives the application.
    const QIcon &markIcon(SendOutcome outcome) const;

    std::vector<ResultRow> m_rows;
    QString m_headers[2];
    std::array<QString, kOutcomeCount> m_outcomeNames;
    QColor m_back;
    QColor m_stripe;
    mutable std::array<QIcon, kOutcomeCount> m_marks;
};

} // namespace parlevo
