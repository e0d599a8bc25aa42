#include "sortkeys.h"

#include "contactrules.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <numeric>
#include <utility>

#if defined(_MSC_VER)
#include <xmmintrin.h>
#endif

namespace parlevo {

namespace {

// The stored field a column shows; nullptr for the full name, which is built.
const QString *columnField(const ClassContact &contact, ContactColumn column)
{
    QString ClassContact::*member = fieldInfo(column).member;
    return member ? &(contact.*member) : nullptr;
}

const std::array<const QString ClassContact::*, 3> kFullNameParts{&ClassContact::Titre, &ClassContact::Nom,
                                                                  &ClassContact::Prenom};

void prefetch(const void *address)
{
    // g++ 12 drops __builtin_prefetch from these loops; the instruction is therefore written out.
#if (defined(__GNUC__) || defined(__clang__)) && (defined(__x86_64__) || defined(__i386__))
    asm volatile("prefetcht0 %0" ::"m"(*static_cast<const char *>(address)));
#elif defined(_MSC_VER) && (defined(_M_X64) || defined(_M_IX86))
    _mm_prefetch(static_cast<const char *>(address), _MM_HINT_T0);
#elif defined(__GNUC__) || defined(__clang__)
    __builtin_prefetch(address);
#else
    (void)address;
#endif
}

// Contacts and their texts lie scattered over the heap, and a pass over a large book spends
// most of its time waiting for them: it asks for the fields a few contacts ahead, then, once
// those have arrived, for their texts.
void prefetchAhead(const std::vector<ClassContact *> &contacts, std::size_t i, ContactColumn column, bool texts = true)
{
    constexpr std::size_t kFieldsAhead = 16;
    constexpr std::size_t kTextsAhead = 8;
    auto parts = [column](const ClassContact &contact) {
        const QString *field = columnField(contact, column);
        return field ? std::array<const QString *, 3>{field, nullptr, nullptr}
                     : std::array<const QString *, 3>{&contact.Titre, &contact.Nom, &contact.Prenom};
    };
    if (i + kFieldsAhead < contacts.size()) {
        for (const QString *part : parts(*contacts[i + kFieldsAhead])) {
            if (part)
                prefetch(part);
        }
    }
    if (texts && i + kTextsAhead < contacts.size()) {
        for (const QString *part : parts(*contacts[i + kTextsAhead])) {
            if (part)
                prefetch(part->constData());
        }
    }
}

// The column showing a search field; an unknown field reads the empty text, whatever is fetched.
ContactColumn searchColumn(int field)
{
    return field >= 0 && std::size_t(field) < kSearchFields.size() ? kSearchFields[std::size_t(field)]->column
                                                                   : ContactColumn::Groupe;
}

char16_t *writeFolded(char16_t *out, QStringView text)
{
    for (QChar c : text)
        *out++ = foldedUnit(c.unicode());
    return out;
}

// The first units of a key packed in two integers: most comparisons never read the text, which
// lies scattered in a buffer of megabytes.
constexpr quint32 kHeadUnits = 8;

// A row's sort key: its folded text in a shared buffer.
struct SortKey {
    quint64 head[2];
    quint32 offset;
    quint32 size;
    quint32 position;
};

class SortKeys {
public:
    SortKeys(const std::vector<ClassContact *> &contacts, ContactColumn column)
        : m_keys(contacts.size())
    {
        // Folding each text once, into one buffer, turns the sort into one of plain code units:
        // no string is built per row (the full name included) nor folded per comparison.
        const std::size_t n = contacts.size();
        m_text.resize(n * 16);
        std::size_t used = 0;
        for (std::size_t i = 0; i < n; ++i) {
            prefetchAhead(contacts, i, column);
            const ClassContact &contact = *contacts[i];
            const std::size_t length = std::size_t(columnLength(contact, column));
            if (used + length > m_text.size())
                m_text.resize(std::max(2 * m_text.size(), used + length));
            char16_t *start = m_text.data() + used;
            char16_t *out = start;
            if (const QString *field = columnField(contact, column)) {
                out = writeFolded(out, *field);
            } else {
                for (const QString ClassContact::*part : kFullNameParts) {
                    if (!(contact.*part).isEmpty()) {
                        out = writeFolded(out, contact.*part);
                        *out++ = u' ';
                    }
                }
            }
            SortKey &key = m_keys[i];
            key = {{0, 0}, quint32(used), quint32(length), quint32(i)};
            for (quint32 k = 0; k < kHeadUnits; ++k)
                key.head[k / 4] = key.head[k / 4] << 16 | (k < length ? start[k] : 0);
            used += length;
        }
    }

    std::vector<SortKey> &keys() { return m_keys; }

    // Code unit order, a shorter text first: what compareIgnoringCase gives, folded beforehand.
    int compare(const SortKey &a, const SortKey &b) const
    {
        if (a.head[0] != b.head[0])
            return a.head[0] < b.head[0] ? -1 : 1;
        if (a.head[1] != b.head[1])
            return a.head[1] < b.head[1] ? -1 : 1;
        // Equal heads: the units they hold are equal, the padding only stands beyond a text's end.
        const char16_t *x = m_text.data() + a.offset;
        const char16_t *y = m_text.data() + b.offset;
        const quint32 n = std::min(a.size, b.size);
        quint32 i = kHeadUnits;
        // Four units at a time up to the first difference.
        for (; i + 4 <= n; i += 4) {
            quint64 p;
            quint64 q;
            std::memcpy(&p, x + i, sizeof p);
            std::memcpy(&q, y + i, sizeof q);
            if (p != q)
                break;
        }
        for (; i < n; ++i) {
            if (x[i] != y[i])
                return x[i] < y[i] ? -1 : 1;
        }
        return a.size == b.size ? 0 : (a.size < b.size ? -1 : 1);
    }

private:
    std::vector<char16_t> m_text;
    std::vector<SortKey> m_keys;
};

} // namespace

std::vector<quint32> sortedPositions(const std::vector<ClassContact *> &contacts, ContactColumn column, bool ascending,
                                     std::size_t sorted)
{
    const std::size_t n = contacts.size();
    std::vector<quint32> positions(n);
    if (n < 2) {
        std::iota(positions.begin(), positions.end(), 0u);
        return positions;
    }
    SortKeys keys(contacts, column);
    // Equal texts keep their order, in both directions.
    auto less = [&keys, ascending](const SortKey &a, const SortKey &b) {
        const int c = keys.compare(a, b);
        return c != 0 ? (ascending ? c < 0 : c > 0) : a.position < b.position;
    };
    std::vector<SortKey> &list = keys.keys();
    sorted = std::min(sorted, n);
    std::sort(list.begin() + std::ptrdiff_t(sorted), list.end(), less);
    // The rows already in order are only merged with the new ones.
    if (sorted > 0)
        std::inplace_merge(list.begin(), list.begin() + std::ptrdiff_t(sorted), list.end(), less);
    for (std::size_t i = 0; i < n; ++i)
        positions[i] = list[i].position;
    return positions;
}

void sortContacts(std::vector<ClassContact *> &contacts, ContactColumn column, bool ascending, std::size_t sorted)
{
    const std::vector<quint32> positions = sortedPositions(contacts, column, ascending, sorted);
    std::vector<ClassContact *> result(contacts.size());
    for (std::size_t i = 0; i < result.size(); ++i)
        result[i] = contacts[positions[i]];
    contacts = std::move(result);
}

qsizetype columnLength(const ClassContact &contact, ContactColumn column)
{
    if (const QString *field = columnField(contact, column))
        return field->size();
    qsizetype length = 0;
    for (const QString ClassContact::*part : kFullNameParts)
        length += (contact.*part).isEmpty() ? 0 : (contact.*part).size() + 1;
    return length;
}

std::vector<const ClassContact *> longestInColumns(const std::vector<ClassContact *> &contacts,
                                                   const QList<ContactColumn> &columns)
{
    // One pass over the contacts for all the columns: a large book does not fit in the cache.
    std::vector<const ClassContact *> longest(std::size_t(columns.size()), nullptr);
    std::vector<qsizetype> lengths(std::size_t(columns.size()), -1);
    for (std::size_t i = 0; i < contacts.size(); ++i) {
        for (ContactColumn column : columns)
            prefetchAhead(contacts, i, column, false);
        for (std::size_t c = 0; c < longest.size(); ++c) {
            const qsizetype length = columnLength(*contacts[i], columns[qsizetype(c)]);
            if (length > lengths[c]) {
                lengths[c] = length;
                longest[c] = contacts[i];
            }
        }
    }
    return longest;
}

QString foldedText(QStringView text)
{
    QString folded(text.size(), Qt::Uninitialized);
    writeFolded(reinterpret_cast<char16_t *>(folded.data()), text);
    return folded;
}

QString searchFoldedText(QStringView text)
{
    // Built once: 65,536 decompositions take a few milliseconds, a million texts then only read.
    static const std::vector<char16_t> table = [] {
        std::vector<char16_t> folded(0x10000);
        for (char32_t u = 0; u < 0x10000; ++u) {
            char16_t base = char16_t(u);
            // A decomposition may lead to a letter that decomposes again ("Å" the sign to "Å" to "A").
            for (int depth = 0; depth < 3 && base >= 128; ++depth) {
                const QChar c(base);
                if (c.isSurrogate() || c.decompositionTag() != QChar::Canonical)
                    break;
                const QString parts = c.decomposition();
                if (parts.isEmpty() || parts.front().isSurrogate())
                    break;
                base = parts.front().unicode();
            }
            folded[u] = foldedUnit(base);
        }
        return folded;
    }();
    QString folded(text.size(), Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(folded.data());
    for (qsizetype i = 0; i < text.size(); ++i)
        out[i] = text[i].isSurrogate() ? text[i].unicode() : table[text[i].unicode()];
    return folded;
}

bool foldsUnitByUnit(QStringView text)
{
    return std::none_of(text.begin(), text.end(), [](QChar c) { return c.isSurrogate(); });
}

FoldedField::FoldedField(const std::vector<ClassContact *> &contacts, int field)
    : m_ends(contacts.size())
{
    std::size_t total = 0;
    const ContactColumn counted = searchColumn(field);
    for (std::size_t i = 0; i < contacts.size(); ++i) {
        prefetchAhead(contacts, i, counted, false);
        total += std::size_t(searchField(*contacts[i], field).size());
    }
    m_text.resize(total);
    char16_t *out = m_text.data();
    const ContactColumn column = searchColumn(field);
    for (std::size_t i = 0; i < contacts.size(); ++i) {
        prefetchAhead(contacts, i, column);
        out = writeFolded(out, searchField(*contacts[i], field));
        m_ends[i] = quint32(out - m_text.data());
    }
}

bool FoldedField::listed(std::size_t i, QStringView foldedPart) const
{
    const char16_t *begin = m_text.data() + (i == 0 ? 0 : m_ends[i - 1]);
    const char16_t *end = m_text.data() + m_ends[i];
    if (begin == end)
        return false;
    if (foldedPart.isEmpty())
        return true;
    const auto *part = reinterpret_cast<const char16_t *>(foldedPart.utf16());
    return std::search(begin, end, part, part + foldedPart.size()) != end;
}

} // namespace parlevo
