#include "resultmodel.h"

#include "base/theme.h"

#include <QIcon>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace parlevo {

namespace {

constexpr int kMarkSize = 16;

// Drawn rather than taken from the style or a font: every platform and theme then shows the same
// signs, in colours that keep their meaning on light and dark palettes alike.
QPixmap drawMark(SendOutcome outcome, int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 16.0, size / 16.0);
    p.setPen(Qt::NoPen);
    p.setBrush(ResultModel::outcomeColor(outcome));
    p.drawEllipse(QRectF(0.5, 0.5, 15, 15));
    p.setPen(QPen(Qt::white, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    switch (outcome) {
    case SendOutcome::Accepted: // a tick
        p.drawPolyline(QPolygonF({QPointF(4.2, 8.3), QPointF(6.9, 11), QPointF(11.8, 5.2)}));
        break;
    case SendOutcome::Refused: // a cross
        p.drawLine(QPointF(5, 5), QPointF(11, 11));
        p.drawLine(QPointF(11, 5), QPointF(5, 11));
        break;
    case SendOutcome::Busy: // an hourglass: the gateway asked to wait
        p.drawLine(QPointF(5, 4.5), QPointF(11, 4.5));
        p.drawLine(QPointF(5, 11.5), QPointF(11, 11.5));
        p.drawLine(QPointF(5.5, 4.5), QPointF(10.5, 11.5));
        p.drawLine(QPointF(10.5, 4.5), QPointF(5.5, 11.5));
        break;
    case SendOutcome::Unknown: { // a question mark
        QPainterPath hook;
        hook.moveTo(5.6, 6.2);
        hook.cubicTo(5.6, 3.4, 10.6, 3.4, 10.6, 6.2);
        hook.cubicTo(10.6, 8, 8, 8, 8, 10);
        p.drawPath(hook);
        p.drawPoint(QPointF(8, 12.6));
        break;
    }
    case SendOutcome::Unreachable: // a bar, as on a no-entry sign
        p.drawLine(QPointF(4.5, 8), QPointF(11.5, 8));
        break;
    case SendOutcome::NotSent: // a square, as on a stop button
    case SendOutcome::Skipped:
        p.setBrush(Qt::white);
        p.drawRect(QRectF(5.5, 5.5, 5, 5));
        break;
    }
    return pixmap;
}

} // namespace

ResultModel::ResultModel(QString contactHeader, QString resultHeader, std::array<QString, kOutcomeCount> outcomeNames,
                         QObject *parent)
    : QAbstractTableModel(parent)
    , m_headers{std::move(contactHeader), std::move(resultHeader)}
    , m_outcomeNames(std::move(outcomeNames))
{
}

const QIcon &ResultModel::markIcon(SendOutcome outcome) const
{
    QIcon &icon = m_marks[static_cast<std::size_t>(outcome)];
    if (icon.isNull()) {
        icon.addPixmap(drawMark(outcome, kMarkSize));
        icon.addPixmap(drawMark(outcome, kMarkSize * 2));
    }
    return icon;
}

QColor ResultModel::outcomeColor(SendOutcome outcome)
{
    switch (outcome) {
    case SendOutcome::Accepted:
        return QColor(0x2e, 0x7d, 0x32); // green
    case SendOutcome::Refused:
    case SendOutcome::Busy:
        return QColor(0xc6, 0x28, 0x28); // red
    case SendOutcome::Unknown:
        return QColor(0xe6, 0x6a, 0x00); // orange
    case SendOutcome::NotSent:
    case SendOutcome::Skipped:
        return QColor(0x9e, 0x9e, 0x9e); // light grey
    case SendOutcome::Unreachable:
        break;
    }
    return QColor(0x60, 0x6a, 0x78); // slate grey
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
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const ResultRow &row = m_rows[static_cast<std::size_t>(index.row())];
    const bool resultColumn = index.column() == 1;
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole: // the whole text when the column cuts it
        return resultColumn ? row.result : row.recipient;
    case Qt::DecorationRole:
        if (resultColumn && row.outcome)
            return markIcon(*row.outcome);
        return {};
    case Qt::AccessibleDescriptionRole:
        if (resultColumn && row.outcome)
            return m_outcomeNames[static_cast<std::size_t>(*row.outcome)];
        return {};
    case Qt::ForegroundRole:
        // The list's colours are fixed, so its text must not follow a dark palette.
        if (!m_back.isValid())
            return {};
        return readableOn(index.row() % 2 == 0 ? m_stripe : m_back);
    case Qt::BackgroundRole:
        // The first row is tinted, then every other one, as in the mailing list.
        if (!m_back.isValid())
            return {};
        return index.row() % 2 == 0 ? m_stripe : m_back;
    default:
        return {};
    }
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

void ResultModel::setResult(int row, const QString &result, SendOutcome outcome)
{
    if (row < 0 || row >= rowCount())
        return;
    ResultRow &target = m_rows[static_cast<std::size_t>(row)];
    target.result = result;
    target.outcome = outcome;
    const QModelIndex cell = index(row, 1);
    emit dataChanged(cell, cell);
}

void ResultModel::setStripeColors(const QColor &back, const QColor &stripe)
{
    m_back = back;
    m_stripe = stripe;
    if (!m_rows.empty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, 1), {Qt::BackgroundRole, Qt::ForegroundRole});
}

} // namespace parlevo
