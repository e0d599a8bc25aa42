#pragma once

#include "contactlistmodel.h"

#include <QStringList>
#include <QTreeView>

class QMenu;

namespace parlevo {

struct Config;
class TextTable;

// The contact list of the address book, the picker and the mailing: the columns the
// configuration shows, sorting by a header click with each column remembering its last
// direction, striped rows, and the selection commands.
class ContactListView final : public QTreeView {
    Q_OBJECT
public:
    ContactListView(const TextTable &textes, const Config &config, QWidget *parent = nullptr);
    Q_DISABLE_COPY_MOVE(ContactListView)

    ContactListModel *listModel() const { return m_model; }

    // Rebuilds the columns from the column flags; the list is then sorted ascending on its first
    // column, every header remembering "UP".
    void Init_ColonneLV();
    // Replaces the rows, in the list's sort order.
    void setContacts(std::vector<ClassContact *> contacts, bool inSortOrder = false)
    {
        m_model->setContacts(std::move(contacts), inSortOrder);
    }

    // A header click: the column already sorted flips its direction, another column sorts the
    // way it was last sorted.
    void columnClicked(int column);
    // "UP" or "DOWN": the direction a column was last sorted in.
    QString columnTag(int column) const { return m_tags.value(column); }

    // Every column as wide as its header or its widest cell, whichever is wider.
    void AutosizeColumns();

    ClassContact *currentContact() const;
    // Selected rows, top to bottom.
    QList<int> selectedRowNumbers() const;
    QList<ClassContact *> selectedContacts() const;
    void invertSelection();
    // Adds "select all", "none" and "invert" to a menu, each giving the focus back to the list.
    void addSelectionActions(QMenu *menu);

signals:
    // A left click anywhere in the list.
    void listClicked();
    void listDoubleClicked();
    // A right-button press, or the menu key (or Shift+F10) with the point under the current row.
    void rightButtonPressed(const QPoint &globalPos);
    void deleteKeyPressed();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void showSort();
    void openMenuAtCurrentRow();

    const TextTable &m_textes;
    const Config &m_config;
    ContactListModel *m_model;
    QStringList m_tags;
};

} // namespace parlevo
