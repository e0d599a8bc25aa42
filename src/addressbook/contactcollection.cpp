#include "contactcollection.h"

#include <QSet>

namespace parlevo {

ContactCollection::ContactCollection(QObject *parent)
    : QObject(parent)
{
}

ContactCollection::~ContactCollection() = default;

ClassContact *ContactCollection::find(const QString &key) const
{
    const auto it = m_index.constFind(key);
    return it == m_index.cend() ? nullptr : m_slots[*it].get();
}

ClassContact *ContactCollection::at(qsizetype position) const
{
    if (position < 0 || position >= m_count)
        return nullptr;
    compact();
    return m_slots[position].get();
}

qsizetype ContactCollection::indexOf(const QString &key) const
{
    if (!m_index.contains(key))
        return -1;
    compact();
    return m_index.value(key);
}

ClassContact *ContactCollection::add(std::unique_ptr<ClassContact> contact)
{
    if (!contact || contact->GUID.isEmpty())
        return nullptr;
    const qsizetype before = m_index.size();
    qsizetype &slot = m_index[contact->GUID];
    if (m_index.size() == before)
        return nullptr;
    slot = qsizetype(m_slots.size());
    ClassContact *added = contact.get();
    m_slots.push_back(std::move(contact));
    ++m_count;
    emit contactAdded(added->GUID);
    return added;
}

qsizetype ContactCollection::append(std::vector<std::unique_ptr<ClassContact>> contacts)
{
    emit contactsAboutToBeReset();
    const qsizetype first = qsizetype(m_slots.size());
    if (m_slots.empty())
        m_slots = std::move(contacts);
    else
        std::move(contacts.begin(), contacts.end(), std::back_inserter(m_slots));
    m_index.reserve(m_index.size() + qsizetype(m_slots.size()) - first);

    qsizetype added = 0;
    for (qsizetype i = first; i < qsizetype(m_slots.size()); ++i) {
        std::unique_ptr<ClassContact> &contact = m_slots[i];
        if (!contact)
            continue;
        const qsizetype before = m_index.size();
        if (!contact->GUID.isEmpty()) {
            qsizetype &slot = m_index[contact->GUID];
            if (m_index.size() != before) {
                slot = i;
                ++added;
                continue;
            }
        }
        contact.reset(); // refused: leaves a hole
    }
    m_count += added;
    if (qsizetype(m_slots.size()) != m_count)
        compact();
    emit contactsReset();
    return added;
}

bool ContactCollection::takeOut(const QString &key)
{
    const auto it = m_index.constFind(key);
    if (it == m_index.cend())
        return false;
    m_slots[*it].reset();
    m_index.erase(it);
    --m_count;
    return true;
}

bool ContactCollection::remove(const QString &key)
{
    if (!m_index.contains(key))
        return false;
    const QStringList keys{key};
    emit contactsAboutToBeRemoved(keys);
    takeOut(key);
    // Holes are closed lazily, but never allowed to outnumber the contacts.
    if (qsizetype(m_slots.size()) > 2 * m_count + 64)
        compact();
    emit contactsRemoved(keys);
    return true;
}

qsizetype ContactCollection::remove(const QStringList &keys)
{
    QStringList known;
    known.reserve(keys.size());
    QSet<QString> seen;
    seen.reserve(keys.size());
    for (const QString &key : keys) {
        if (m_index.contains(key) && !seen.contains(key)) {
            seen.insert(key);
            known.append(key);
        }
    }
    if (known.isEmpty())
        return 0;
    emit contactsAboutToBeRemoved(known);
    for (const QString &key : std::as_const(known))
        takeOut(key);
    compact();
    emit contactsRemoved(known);
    return known.size();
}

void ContactCollection::clear()
{
    emit contactsAboutToBeReset();
    m_index.clear();
    m_slots.clear();
    m_count = 0;
    emit contactsReset();
}

void ContactCollection::notifyChanged(const QString &key)
{
    if (m_index.contains(key))
        emit contactChanged(key);
}

void ContactCollection::compact() const
{
    if (qsizetype(m_slots.size()) == m_count)
        return;
    qsizetype to = 0;
    for (qsizetype from = 0; from < qsizetype(m_slots.size()); ++from) {
        if (!m_slots[from])
            continue;
        if (to != from) {
            m_index[m_slots[from]->GUID] = to;
            m_slots[to] = std::move(m_slots[from]);
        }
        ++to;
    }
    m_slots.resize(to);
}

} // namespace parlevo
