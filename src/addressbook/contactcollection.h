#pragma once

#include "classcontact.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>

#include <iterator>
#include <memory>
#include <vector>

namespace parlevo {

// Contacts in insertion order, each under the key held in its GUID. Finding, adding and removing
// one contact take constant time; removal leaves a hole that is closed in one pass when a
// position is next asked for, so removing many contacts costs one pass over the book.
//
// The collection owns its contacts; pointers handed out stay valid until that contact is
// removed or the collection cleared. Windows that change a contact in place call
// notifyChanged() so that views showing it refresh.
class ContactCollection final : public QObject {
    Q_OBJECT
public:
    explicit ContactCollection(QObject *parent = nullptr);
    ~ContactCollection() override;
    Q_DISABLE_COPY_MOVE(ContactCollection)

    qsizetype count() const { return m_count; }
    bool isEmpty() const { return m_count == 0; }
    bool contains(const QString &key) const { return slotOf(key) >= 0; }
    // nullptr when no contact has this key.
    ClassContact *find(const QString &key) const;

    // The contact at a 0-based position in insertion order.
    ClassContact *at(qsizetype position) const;
    // 0-based position of the contact with this key, -1 when there is none.
    qsizetype indexOf(const QString &key) const;

    // Appends the contact under its GUID. An empty key or one already in use is refused: the
    // contact is dropped and nullptr returned.
    ClassContact *add(std::unique_ptr<ClassContact> contact);
    // Appends many contacts at once (a load, an import) with one reset notification instead of
    // one per contact; refused contacts as for add(). Returns how many were added.
    qsizetype append(std::vector<std::unique_ptr<ClassContact>> contacts);

    // False when no contact has this key.
    bool remove(const QString &key);
    // Removes every contact whose key is listed (unknown keys are skipped); returns how many.
    qsizetype remove(const QStringList &keys);
    void clear();

    void notifyChanged(const QString &key);

    // Iteration in insertion order, skipping the holes of removed contacts.
    class iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = ClassContact;
        using difference_type = std::ptrdiff_t;
        using pointer = ClassContact *;
        using reference = ClassContact &;

        iterator() = default;
        reference operator*() const { return **m_it; }
        pointer operator->() const { return m_it->get(); }
        iterator &operator++()
        {
            ++m_it;
            skipHoles();
            return *this;
        }
        iterator operator++(int)
        {
            iterator old = *this;
            ++*this;
            return old;
        }
        bool operator==(const iterator &other) const { return m_it == other.m_it; }

    private:
        friend class ContactCollection;
        using Base = std::vector<std::unique_ptr<ClassContact>>::const_iterator;
        iterator(Base it, Base end)
            : m_it(it)
            , m_end(end)
        {
            skipHoles();
        }
        void skipHoles()
        {
            while (m_it != m_end && !*m_it)
                ++m_it;
        }
        Base m_it;
        Base m_end;
    };
    iterator begin() const { return iterator(m_slots.cbegin(), m_slots.cend()); }
    iterator end() const { return iterator(m_slots.cend(), m_slots.cend()); }

signals:
    void contactAdded(const QString &key);
    void contactsAboutToBeRemoved(const QStringList &keys);
    void contactsRemoved(const QStringList &keys);
    void contactChanged(const QString &key);
    // Everything may have changed: a bulk append or a clear.
    void contactsAboutToBeReset();
    void contactsReset();

private:
    // The index of a key in m_slots, -1 when the key is unknown.
    qsizetype slotOf(const QString &key) const;
    // Records where a new key's contact is; false when the key is taken.
    bool insertKey(const QString &key, qsizetype slot);
    void moveKey(const QString &key, qsizetype slot) const;
    void eraseKey(const QString &key);
    // Marks the slot of key as a hole; false when the key is unknown.
    bool takeOut(const QString &key);
    void compact() const;

    // Contacts in insertion order; nullptr marks a removed contact not yet compacted away.
    mutable std::vector<std::unique_ptr<ClassContact>> m_slots;
    // Keys are nearly always the small numbers NextKey hands out: such a key indexes this table
    // of slots (-1: none), much faster to fill and lighter than a hash for a large book. The
    // table grows only as far as about twice the contacts held; other keys go to the hash.
    mutable std::vector<qint32> m_byNumber;
    mutable QHash<QString, qsizetype> m_byText;
    qsizetype m_count = 0;
};

} // namespace parlevo
