#include "contactlistview.h"

#include "base/config.h"
#include "base/shared.h"
#include "base/textes.h"
#include "base/txt.h"
#include "controls/wincolor.h"
#include "sortkeys.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>

#include <algorithm>
#include <functional>
#include <utility>

using namespace Qt::StringLiterals;

namespace parlevo {

namespace {

constexpr int kInitialColumnWidth = 100;
// Cells measured for the auto-size: the first rows and the longest text of each column, which
// on a large book is nearly always the widest one too.
constexpr int kMeasuredRows = 500;
const QString kUp = u"UP"_s;
const QString kDown = u"DOWN"_s;

} // namespace

ContactListView::ContactListView(const TextTable &textes, const Config &config, QWidget *parent)
    : QTreeView(parent)
    , m_textes(textes)
    , m_config(config)
    , m_model(new ContactListModel(textes, this))
{
    setModel(m_model);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false);
    header()->setSectionsClickable(true);
    header()->setSortIndicatorShown(true);
    // The last column takes the rest of the width, so the stripes run across the list.
    header()->setStretchLastSection(true);
    header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_model->setStripeColors(toQColor(kListBackColor, palette()), toQColor(kListStripeColor, palette()));
    connect(header(), &QHeaderView::sectionClicked, this, &ContactListView::columnClicked);
}

void ContactListView::Init_ColonneLV()
{
    m_model->setColumns(presentColumns(m_config));
    const int count = m_model->columnCount();
    m_tags = QStringList(count, kUp);
    for (int i = 0; i < count; ++i)
        setColumnWidth(i, kInitialColumnWidth);
    m_model->sortBy(count > 0 ? 0 : -1, Qt::AscendingOrder);
    showSort();
}

void ContactListView::columnClicked(int column)
{
    // A spreadsheet's own columns keep the rows as read.
    if (column < 0 || column >= m_model->columns().size())
        return;
    Qt::SortOrder order;
    if (column == m_model->sortColumn()) {
        order = m_model->sortOrder() == Qt::DescendingOrder ? Qt::AscendingOrder : Qt::DescendingOrder;
        m_tags[column] = order == Qt::AscendingOrder ? kUp : kDown;
    } else {
        order = m_tags[column] == kUp ? Qt::AscendingOrder : Qt::DescendingOrder;
    }
    m_model->sortBy(column, order);
    showSort();
}

void ContactListView::showSort()
{
    // The header shows the arrow of the sorted column only; the header itself must not flip it.
    if (m_model->sortColumn() < 0)
        header()->setSortIndicator(-1, Qt::AscendingOrder);
    else
        header()->setSortIndicator(m_model->sortColumn(), m_model->sortOrder());
}

void ContactListView::AutosizeColumns()
{
    const QFontMetrics metrics(font());
    const int padding = 2 * style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 8;
    const auto &rows = m_model->contacts();
    const std::vector<const ClassContact *> longest = longestInColumns(rows, m_model->columns());
    const int fields = int(m_model->columns().size());
    for (int column = 0; column < m_model->columnCount(); ++column) {
        const auto value = [&](const ClassContact &contact) {
            return column < fields ? columnValue(contact, m_model->columns()[column])
                                   : contact.Extra.value(column - fields);
        };
        int width = header()->sectionSizeHint(column);
        for (std::size_t row = 0; row < rows.size() && row < std::size_t(kMeasuredRows); ++row)
            width = std::max(width, metrics.horizontalAdvance(value(*rows[row])) + padding);
        if (const ClassContact *contact = column < fields ? longest[std::size_t(column)] : nullptr)
            width = std::max(width, metrics.horizontalAdvance(value(*contact)) + padding);
        setColumnWidth(column, width);
    }
}

void ContactListView::addSelectionActions(QMenu *menu)
{
    const std::pair<const char16_t *, Txt> items[] = {
        {u"MNU_Tout", Txt::SelectAll}, {u"MNU_Rien", Txt::NoneOption}, {u"MNU_Inverse", Txt::InvertSelection}};
    const std::function<void()> commands[] = {[this] { selectAll(); }, [this] { clearSelection(); },
                                              [this] { invertSelection(); }};
    for (std::size_t i = 0; i < std::size(items); ++i) {
        QAction *action = menu->addAction(QString(m_textes(items[i].second)).remove(u'&'));
        action->setObjectName(QString::fromUtf16(items[i].first));
        connect(action, &QAction::triggered, this, [this, command = commands[i]] {
            command();
            setFocus();
        });
    }
}

ClassContact *ContactListView::currentContact() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? m_model->contactAt(current.row()) : nullptr;
}

QList<int> ContactListView::selectedRowNumbers() const
{
    QList<int> rows;
    const QItemSelection selection = selectionModel()->selection();
    for (const QItemSelectionRange &range : selection) {
        for (int row = range.top(); row <= range.bottom(); ++row)
            rows.append(row);
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

QList<ClassContact *> ContactListView::selectedContacts() const
{
    QList<ClassContact *> contacts;
    for (int row : selectedRowNumbers())
        contacts.append(m_model->contactAt(row));
    return contacts;
}

void ContactListView::invertSelection()
{
    if (m_model->rowCount() == 0 || m_model->columnCount() == 0)
        return;
    const QItemSelection all(m_model->index(0, 0), m_model->index(m_model->rowCount() - 1, m_model->columnCount() - 1));
    selectionModel()->select(all, QItemSelectionModel::Toggle | QItemSelectionModel::Rows);
}

void ContactListView::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_A && (event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
        // Ctrl alone selects all; Ctrl with another modifier does nothing.
        if ((event->modifiers() & ~Qt::KeypadModifier) == Qt::ControlModifier)
            selectAll();
        setFocus();
        event->accept();
        return;
    }
    // The keypad's Delete and Shift+Delete delete as Delete does.
    if (event->key() == Qt::Key_Delete && (event->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier)) == 0) {
        emit deleteKeyPressed();
        event->accept();
        return;
    }
    // Shift+F10 is the menu key of keyboards that have none.
    if (event->key() == Qt::Key_F10 && (event->modifiers() & ~Qt::KeypadModifier) == Qt::ShiftModifier) {
        openMenuAtCurrentRow();
        event->accept();
        return;
    }
    QTreeView::keyPressEvent(event);
}

void ContactListView::mousePressEvent(QMouseEvent *event)
{
    QTreeView::mousePressEvent(event);
    if (event->button() == Qt::RightButton)
        emit rightButtonPressed(event->globalPosition().toPoint());
}

void ContactListView::mouseReleaseEvent(QMouseEvent *event)
{
    QTreeView::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton)
        emit listClicked();
}

void ContactListView::contextMenuEvent(QContextMenuEvent *event)
{
    // The mouse has had its menu at the press already; the keyboard opens it under the current row.
    if (event->reason() == QContextMenuEvent::Mouse) {
        event->accept();
        return;
    }
    openMenuAtCurrentRow();
    event->accept();
}

void ContactListView::openMenuAtCurrentRow()
{
    const QRect row = visualRect(currentIndex());
    emit rightButtonPressed(viewport()->mapToGlobal(row.isValid() ? row.bottomLeft() : QPoint(0, 0)));
}

void ContactListView::mouseDoubleClickEvent(QMouseEvent *event)
{
    QTreeView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        emit listDoubleClicked();
}

} // namespace parlevo
