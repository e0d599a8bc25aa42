#pragma once

#include "contactrules.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QPointer>

#include <vector>

namespace parlevo {

class ContactCollection;
class TextTable;

// A table of contacts: one row per contact, the columns chosen by the column flags. The rows are
// a vector of pointers that the model sorts itself: a sort or a filter over a large book costs
// one pass over that vector and one reset, not a proxy's bookkeeping per row.
//
// The contacts can be any list (the address book, a snapshot of it, a mailing's own copies). A
// followed collection keeps the rows in step: changed contacts are redrawn, removed ones lose
// their row and, when adds are followed, new contacts get one at their sorted place.
class ContactListModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    // The contact's GUID, on every cell; the column key on the header.
    static constexpr int KeyRole = Qt::UserRole;

    explicit ContactListModel(const TextTable &textes, QObject *parent = nullptr);
    Q_DISABLE_COPY_MOVE(ContactListModel)

    void setColumns(const QList<ContactColumn> &columns);
    const QList<ContactColumn> &columns() const { return m_columns; }
    // Columns after the fields' own, the values of each contact's Extra in order, under these
    // headers (a mailing read from a spreadsheet). They are shown as read, not sorted.
    void setExtraColumns(const QStringList &headers);
    // Replaces every row, in the current sort order; inSortOrder: the caller has put them in it.
    void setContacts(std::vector<ClassContact *> contacts, bool inSortOrder = false);
    // follow nullptr to stop following.
    void follow(ContactCollection *collection, bool followAdds);
    void setStripeColors(const QColor &back, const QColor &stripe);

    // column -1: keep the rows as given.
    void sortBy(int column, Qt::SortOrder order);
    int sortColumn() const { return m_sortColumn; }
    Qt::SortOrder sortOrder() const { return m_sortOrder; }

    ClassContact *contactAt(int row) const;
    // -1 when the contact has no row.
    int rowOf(const ClassContact *contact) const;
    const std::vector<ClassContact *> &contacts() const { return m_rows; }

    // Adds one row at the place the sort gives it.
    void insertContact(ClassContact *contact);
    // Redraws the row of a contact changed in place.
    void refreshContact(const ClassContact *contact);
    // Drops the rows of these keys.
    void removeKeys(const QStringList &keys);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    void resortRows();
    void collectionReset();

    const TextTable &m_textes;
    QList<ContactColumn> m_columns;
    QStringList m_extraColumns;
    std::vector<ClassContact *> m_rows;
    QPointer<ContactCollection> m_collection;
    bool m_followAdds = false;
    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    QColor m_back = Qt::white;
    QColor m_stripe = Qt::white;
};

} // namespace parlevo
