#include "contactlistmodel.h"

#include "base/theme.h"

#include "base/textes.h"
#include "contactcollection.h"
#include "sortkeys.h"

#include <QSet>

#include <algorithm>
#include <unordered_set>

namespace parlevo {

namespace {

// Above this many separate runs of removed rows, one reset is cheaper than a removal per run.
constexpr int kMaxRemovedRuns = 16;

bool textBefore(const QString &a, const QString &b, Qt::SortOrder order)
{
    const int c = compareIgnoringCase(a, b);
    return order == Qt::AscendingOrder ? c < 0 : c > 0;
}

} // namespace

ContactListModel::ContactListModel(const TextTable &textes, QObject *parent)
    : QAbstractTableModel(parent)
    , m_textes(textes)
{
}

void ContactListModel::setColumns(const QList<ContactColumn> &columns)
{
    beginResetModel();
    m_columns = columns;
    m_sortColumn = -1;
    endResetModel();
}

void ContactListModel::setExtraColumns(const QStringList &headers)
{
    if (headers == m_extraColumns)
        return;
    beginResetModel();
    m_extraColumns = headers;
    endResetModel();
}

void ContactListModel::setContacts(std::vector<ClassContact *> contacts, bool inSortOrder)
{
    beginResetModel();
    m_rows = std::move(contacts);
    if (m_sortColumn >= 0 && !inSortOrder)
        sortContacts(m_rows, m_columns[m_sortColumn], m_sortOrder == Qt::AscendingOrder);
    endResetModel();
}

void ContactListModel::follow(ContactCollection *collection, bool followAdds)
{
    if (m_collection)
        disconnect(m_collection, nullptr, this, nullptr);
    m_collection = collection;
    m_followAdds = followAdds;
    if (!collection)
        return;
    connect(collection, &ContactCollection::contactChanged, this,
            [this](const QString &key) { refreshContact(m_collection->find(key)); });
    connect(collection, &ContactCollection::contactsAboutToBeRemoved, this, &ContactListModel::removeKeys);
    connect(collection, &ContactCollection::contactAdded, this, [this](const QString &key) {
        if (m_followAdds)
            insertContact(m_collection->find(key));
    });
    connect(collection, &ContactCollection::contactsReset, this, &ContactListModel::collectionReset);
}

void ContactListModel::collectionReset()
{
    if (m_followAdds) {
        // After a bulk append (an import) the rows already shown come first, so that among
        // equal texts they keep their places ahead of the new contacts.
        const std::unordered_set<const ClassContact *> shown(m_rows.cbegin(), m_rows.cend());
        std::vector<ClassContact *> all;
        std::vector<ClassContact *> added;
        all.reserve(std::size_t(m_collection->count()));
        for (ClassContact &contact : *m_collection) {
            all.push_back(&contact);
            if (!shown.contains(&contact))
                added.push_back(&contact);
        }
        if (m_sortColumn < 0 || all.size() - added.size() != m_rows.size()) {
            setContacts(std::move(all));
            return;
        }
        beginResetModel();
        const std::size_t shownCount = m_rows.size();
        m_rows.insert(m_rows.end(), added.begin(), added.end());
        sortContacts(m_rows, m_columns[m_sortColumn], m_sortOrder == Qt::AscendingOrder, shownCount);
        endResetModel();
        return;
    }
    // A snapshot keeps only the contacts still in the collection.
    std::vector<ClassContact *> kept;
    for (ClassContact *contact : m_rows) {
        if (m_collection->find(contact->GUID) == contact)
            kept.push_back(contact);
    }
    setContacts(std::move(kept));
}

void ContactListModel::setStripeColors(const QColor &back, const QColor &stripe)
{
    m_back = back;
    m_stripe = stripe;
    if (!m_rows.empty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, std::max(0, columnCount() - 1)),
                         {Qt::BackgroundRole, Qt::ForegroundRole});
}

void ContactListModel::sortBy(int column, Qt::SortOrder order)
{
    if (column >= m_columns.size())
        column = -1;
    m_sortColumn = column;
    m_sortOrder = order;
    if (column < 0)
        return;
    resortRows();
}

void ContactListModel::resortRows()
{
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const std::vector<quint32> positions =
        sortedPositions(m_rows, m_columns[m_sortColumn], m_sortOrder == Qt::AscendingOrder);
    std::vector<ClassContact *> sorted(m_rows.size());
    for (std::size_t i = 0; i < sorted.size(); ++i)
        sorted[i] = m_rows[positions[i]];
    m_rows = std::move(sorted);
    const QModelIndexList persistent = persistentIndexList();
    if (!persistent.isEmpty()) {
        // Selected and current rows follow their contacts to their new places.
        std::vector<int> newRow(positions.size());
        for (std::size_t i = 0; i < positions.size(); ++i)
            newRow[positions[i]] = int(i);
        QModelIndexList moved;
        moved.reserve(persistent.size());
        for (const QModelIndex &old : persistent)
            moved.append(index(newRow[std::size_t(old.row())], old.column()));
        changePersistentIndexList(persistent, moved);
    }
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

ClassContact *ContactListModel::contactAt(int row) const
{
    return row >= 0 && std::size_t(row) < m_rows.size() ? m_rows[std::size_t(row)] : nullptr;
}

int ContactListModel::rowOf(const ClassContact *contact) const
{
    const auto it = std::find(m_rows.begin(), m_rows.end(), contact);
    return it == m_rows.end() ? -1 : int(it - m_rows.begin());
}

void ContactListModel::insertContact(ClassContact *contact)
{
    if (!contact)
        return;
    auto place = m_rows.end();
    if (m_sortColumn >= 0) {
        const ContactColumn column = m_columns[m_sortColumn];
        const QString value = columnValue(*contact, column);
        place = std::upper_bound(m_rows.begin(), m_rows.end(), value,
                                 [this, column](const QString &v, const ClassContact *c) {
                                     return textBefore(v, columnValue(*c, column), m_sortOrder);
                                 });
    }
    const int row = int(place - m_rows.begin());
    beginInsertRows({}, row, row);
    m_rows.insert(place, contact);
    endInsertRows();
}

void ContactListModel::refreshContact(const ClassContact *contact)
{
    const int row = contact ? rowOf(contact) : -1;
    if (row >= 0 && !m_columns.isEmpty())
        emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

void ContactListModel::removeKeys(const QStringList &keys)
{
    const QSet<QString> gone(keys.cbegin(), keys.cend());
    std::vector<int> rows;
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        if (gone.contains(m_rows[i]->GUID))
            rows.push_back(int(i));
    }
    if (rows.empty())
        return;
    int runs = 1;
    for (std::size_t i = 1; i < rows.size(); ++i)
        runs += rows[i] != rows[i - 1] + 1;
    if (runs > kMaxRemovedRuns) {
        beginResetModel();
        std::erase_if(m_rows, [&gone](const ClassContact *c) { return gone.contains(c->GUID); });
        endResetModel();
        return;
    }
    // From the last run to the first, so that the rows still to remove keep their numbers.
    std::size_t end = rows.size();
    while (end > 0) {
        std::size_t start = end - 1;
        while (start > 0 && rows[start - 1] == rows[start] - 1)
            --start;
        beginRemoveRows({}, rows[start], rows[end - 1]);
        m_rows.erase(m_rows.begin() + rows[start], m_rows.begin() + rows[end - 1] + 1);
        endRemoveRows();
        end = start;
    }
}

int ContactListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int ContactListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size() + m_extraColumns.size());
}

QVariant ContactListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const ClassContact &contact = *m_rows[std::size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        if (index.column() >= m_columns.size())
            return contact.Extra.value(index.column() - m_columns.size());
        return columnValue(contact, m_columns[index.column()]);
    case Qt::ForegroundRole:
        // The list's colours are fixed, so its text must not follow a dark palette.
        if (!m_back.isValid())
            return {};
        return readableOn(index.row() % 2 == 0 ? m_stripe : m_back);
    case Qt::BackgroundRole:
        // The first row is tinted, then every other one: the bands follow the real row height.
        return index.row() % 2 == 0 ? m_stripe : m_back;
    case KeyRole:
        return contact.GUID;
    default:
        return {};
    }
}

QVariant ContactListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && section >= m_columns.size() && section < columnCount()) {
        const QString &header = m_extraColumns[section - m_columns.size()];
        return role == Qt::DisplayRole || role == KeyRole ? QVariant(header) : QVariant();
    }
    if (orientation != Qt::Horizontal || section < 0 || section >= m_columns.size())
        return QAbstractTableModel::headerData(section, orientation, role);
    const ContactFieldInfo &field = fieldInfo(m_columns[section]);
    if (role == Qt::DisplayRole)
        return m_textes(field.caption);
    if (role == KeyRole)
        return QString::fromUtf16(field.key);
    return {};
}

} // namespace parlevo
