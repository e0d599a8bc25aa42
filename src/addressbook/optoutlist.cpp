#include "optoutlist.h"

#include "addressbook.h"
#include "base/codec1252.h"
#include "base/datadir.h"
#include "base/shared.h"
#include "base/storefile.h"
#include "phonecheck.h"

#include <algorithm>
#include <optional>
#include <utility>

using namespace Qt::StringLiterals;

namespace parlevo {

namespace {

// A "+digits" key without a leading zero as its number: far lighter than its text in a hash.
std::optional<quint64> numericKey(QStringView key)
{
    if (key.size() < 2 || key.size() > 19 || key[0] != u'+' || key[1] == u'0')
        return std::nullopt;
    bool ok = false;
    const quint64 value = key.sliced(1).toULongLong(&ok);
    return ok ? std::optional<quint64>(value) : std::nullopt;
}

// Calls line(text) for each line of the file, trimmed, that holds a digit.
template <typename Line> void forEachNumberLine(QByteArrayView bytes, Line line)
{
    const QString text = decode1252(bytes);
    QStringView rest(text);
    while (!rest.isEmpty()) {
        qsizetype end = 0;
        while (end < rest.size() && rest[end] != u'\r' && rest[end] != u'\n')
            ++end;
        const QStringView typed = rest.first(end).trimmed();
        if (std::any_of(typed.cbegin(), typed.cend(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
            line(typed);
        rest = rest.sliced(std::min(end + 1, rest.size()));
    }
}

void appendOptOutLine(QByteArray &out, QString line)
{
    // A line break inside would make two entries of one.
    line.replace(u'\r', u' ').replace(u'\n', u' ');
    appendEncoded1252(out, line);
    out.append("\r\n", 2);
}

} // namespace

OptOutList::OptOutList(PhoneCheck &check)
    : m_check(check)
{
}

QString OptOutList::number(qsizetype position) const
{
    const qsizetype start = position == 0 ? 0 : m_ends[std::size_t(position - 1)];
    return m_text.sliced(start, m_ends[std::size_t(position)] - start);
}

QStringList OptOutList::numbers() const
{
    QStringList out;
    out.reserve(count());
    for (qsizetype i = 0; i < count(); ++i)
        out.append(number(i));
    return out;
}

std::size_t OptOutList::NumberSet::slotOf(quint64 key) const
{
    // Fibonacci hashing: the numbers of a list are close together, their slots must not be.
    const std::size_t mask = m_slots.size() - 1;
    std::size_t slot = std::size_t((key * 0x9E3779B97F4A7C15ULL) >> 20) & mask;
    while (m_slots[slot] != 0 && m_slots[slot] != key)
        slot = (slot + 1) & mask;
    return slot;
}

bool OptOutList::NumberSet::contains(quint64 key) const
{
    return !m_slots.empty() && m_slots[slotOf(key)] == key;
}

bool OptOutList::NumberSet::insert(quint64 key)
{
    if (qsizetype(m_slots.size()) < 2 * (m_count + 1))
        reserve(m_count + 1);
    quint64 &slot = m_slots[slotOf(key)];
    if (slot == key)
        return false;
    slot = key;
    ++m_count;
    return true;
}

void OptOutList::NumberSet::reserve(qsizetype count)
{
    std::size_t size = 16;
    while (size < std::size_t(2 * count))
        size *= 2;
    if (size <= m_slots.size())
        return;
    std::vector<quint64> old = std::exchange(m_slots, std::vector<quint64>(size, 0));
    for (quint64 key : old)
        if (key != 0)
            m_slots[slotOf(key)] = key;
}

void OptOutList::NumberSet::clear()
{
    m_slots = {};
    m_count = 0;
}

bool OptOutList::containsKey(const QString &key) const
{
    if (const std::optional<quint64> n = numericKey(key))
        return m_numberKeys.contains(*n);
    return !key.isEmpty() && m_otherKeys.contains(key);
}

bool OptOutList::contains(const QString &number) const
{
    return containsKey(m_check.quickMatchKey(number));
}

bool OptOutList::addTrimmed(QStringView typed)
{
    if (const std::optional<quint64> quick = m_check.quickNumericKey(typed)) {
        if (!m_numberKeys.insert(*quick))
            return false;
    } else {
        const QString key = m_check.matchKey(typed);
        if (key.isEmpty() || containsKey(key))
            return false;
        if (const std::optional<quint64> n = numericKey(key))
            m_numberKeys.insert(*n);
        else
            m_otherKeys.insert(key);
    }
    m_text += typed;
    m_ends.push_back(m_text.size());
    return true;
}

bool OptOutList::add(const QString &number)
{
    return addTrimmed(number.trimmed());
}

bool OptOutList::remove(const QString &number)
{
    const QString key = m_check.quickMatchKey(number);
    if (!containsKey(key))
        return false;
    QStringList rest = numbers();
    rest.removeIf([this, &key](const QString &entry) { return m_check.quickMatchKey(entry) == key; });
    setNumbers(rest);
    return true;
}

void OptOutList::clear()
{
    m_text.clear();
    m_ends.clear();
    m_numberKeys.clear();
    m_otherKeys.clear();
}

void OptOutList::setNumbers(const QStringList &numbers)
{
    clear();
    for (const QString &number : numbers)
        add(number);
}

void OptOutList::setFileBytes(QByteArrayView bytes)
{
    clear();
    // About one entry every 16 bytes: the table grows once, if at all.
    m_numberKeys.reserve(bytes.size() / 16);
    m_text.reserve(bytes.size());
    forEachNumberLine(bytes, [this](QStringView line) { addTrimmed(line); });
    m_text.squeeze();
}

QByteArray OptOutList::fileBytes() const
{
    QByteArray out;
    out.reserve(m_text.size() + 2 * count());
    for (qsizetype i = 0; i < count(); ++i)
        appendOptOutLine(out, number(i));
    return out;
}

QStringList readOptOutLines(QByteArrayView bytes)
{
    QStringList numbers;
    forEachNumberLine(bytes, [&numbers](QStringView line) { numbers.append(line.toString()); });
    return numbers;
}

QByteArray optOutBytes(const QStringList &numbers)
{
    QByteArray out;
    for (const QString &number : numbers)
        appendOptOutLine(out, number);
    return out;
}

bool Charge_Desinscrits(AddressBook &book)
{
    return book.dataDir().load(QString::fromUtf16(kOptOutFileName), QString::fromUtf16(kOptOutBackupName),
                               [&book](const QByteArray &bytes) { book.optOuts().setFileBytes(bytes); });
}

bool Sauve_Desinscrits(AddressBook &book)
{
    return book.dataDir().save(book.dataDir().filePath(QString::fromUtf16(kOptOutFileName)),
                               book.optOuts().fileBytes());
}

} // namespace parlevo
