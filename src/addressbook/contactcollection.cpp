#include "contactcollection.h"

#include <QSet>

namespace parlevo {

ContactCollection::ContactCollection(QObject *parent)
    : QObject(parent)
{
}

ContactCollection::~ContactCollection() = default;

namespace {

constexpr qint32 kNoSlot = -1;

// The number a key stands for when it is written as NextKey writes numbers (no sign, no leading
// zero, at most nine digits), else -1.
qint64 keyNumber(const QString &key)
{
    const qsizetype size = key.size();
    if (size == 0 || size > 9 || key[0] < u'1' || key[0] > u'9')
        return -1;
    qint64 n = 0;
    for (const QChar c : key) {
        if (c < u'0' || c > u'9')
            return -1;
        n = n * 10 + (c.unicode() - u'0');
    }
    return n;
}

} // namespace

qsizetype ContactCollection::slotOf(const QString &key) const
{
    const qint64 n = keyNumber(key);
    if (n >= 0 && n < qint64(m_byNumber.size()) && m_byNumber[std::size_t(n)] != kNoSlot)
        return m_byNumber[std::size_t(n)];
    if (m_byText.isEmpty())
        return -1;
    return m_byText.value(key, -1);
}

bool ContactCollection::insertKey(const QString &key, qsizetype slot)
{
    if (key.isEmpty() || slotOf(key) >= 0)
        return false;
    const qint64 n = keyNumber(key);
    // Bounded by the contacts held, so that an odd large number cannot claim a huge table.
    const qint64 limit = 2 * qint64(m_slots.size()) + 4096;
    if (n >= 0 && n < limit) {
        if (n >= qint64(m_byNumber.size()))
            m_byNumber.resize(std::size_t(std::min(limit, std::max(n + 1, 2 * qint64(m_byNumber.size())))), kNoSlot);
        m_byNumber[std::size_t(n)] = qint32(slot);
    } else {
        m_byText.insert(key, slot);
    }
    return true;
}

void ContactCollection::moveKey(const QString &key, qsizetype slot) const
{
    const qint64 n = keyNumber(key);
    if (n >= 0 && n < qint64(m_byNumber.size()) && m_byNumber[std::size_t(n)] != kNoSlot)
        m_byNumber[std::size_t(n)] = qint32(slot);
    else
        m_byText[key] = slot;
}

void ContactCollection::eraseKey(const QString &key)
{
    const qint64 n = keyNumber(key);
    if (n >= 0 && n < qint64(m_byNumber.size()) && m_byNumber[std::size_t(n)] != kNoSlot)
        m_byNumber[std::size_t(n)] = kNoSlot;
    else
        m_byText.remove(key);
}

ClassContact *ContactCollection::find(const QString &key) const
{
    const qsizetype slot = slotOf(key);
    return slot < 0 ? nullptr : m_slots[std::size_t(slot)].get();
}

ClassContact *ContactCollection::at(qsizetype position) const
{
    if (position < 0 || position >= m_count)
        return nullptr;
    compact();
    return m_slots[std::size_t(position)].get();
}

qsizetype ContactCollection::indexOf(const QString &key) const
{
    if (!contains(key))
        return -1;
    compact();
    return slotOf(key);
}

ClassContact *ContactCollection::add(std::unique_ptr<ClassContact> contact)
{
    if (!contact || !insertKey(contact->GUID, qsizetype(m_slots.size())))
        return nullptr;
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

    qsizetype added = 0;
    for (qsizetype i = first; i < qsizetype(m_slots.size()); ++i) {
        std::unique_ptr<ClassContact> &contact = m_slots[std::size_t(i)];
        if (contact && insertKey(contact->GUID, i))
            ++added;
        else
            contact.reset(); // refused: leaves a hole
    }
    m_count += added;
    compact();
    emit contactsReset();
    return added;
}

bool ContactCollection::takeOut(const QString &key)
{
    const qsizetype slot = slotOf(key);
    if (slot < 0)
        return false;
    eraseKey(key);
    m_slots[std::size_t(slot)].reset();
    --m_count;
    return true;
}

bool ContactCollection::remove(const QString &key)
{
    if (!contains(key))
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
        if (contains(key) && !seen.contains(key)) {
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
    m_byNumber.clear();
    m_byText.clear();
    m_slots.clear();
    m_count = 0;
    emit contactsReset();
}

void ContactCollection::notifyChanged(const QString &key)
{
    if (contains(key))
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
            moveKey(m_slots[std::size_t(from)]->GUID, to);
            m_slots[to] = std::move(m_slots[from]);
        }
        ++to;
    }
    m_slots.resize(to);
}

} // namespace parlevo
