#include "contactsearch.h"

#include "classcontact.h"
#include "phonecheck.h"
#include "sortkeys.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace parlevo {

namespace {

// Fields are kept apart so that a search never matches across two of them.
constexpr char16_t kSeparator = u'\x1';

void appendDigits(std::vector<char16_t> &buffer, QStringView text)
{
    for (QChar c : text) {
        if (c >= u'0' && c <= u'9')
            buffer.push_back(c.unicode());
    }
}

// Written like a number: digits, with only what numbers are written with around them.
bool looksLikeNumber(QStringView text)
{
    bool digit = false;
    for (QChar c : text) {
        if (c >= u'0' && c <= u'9')
            digit = true;
        else if (!u" +.-/()"_s.contains(c))
            return false;
    }
    return digit;
}

} // namespace

ContactSearch::ContactSearch(PhoneCheck &check, std::vector<ClassContact *> contacts)
    : m_check(check)
    , m_contacts(std::move(contacts))
{
    m_textEnds.reserve(m_contacts.size());
    m_digitEnds.reserve(m_contacts.size());
    for (const ClassContact *c : m_contacts) {
        for (const QString &field : {c->FullName(), c->Prenom, c->Societe}) {
            const QString folded = searchFoldedText(field);
            m_texts.insert(m_texts.end(), folded.utf16(), folded.utf16() + folded.size());
            m_texts.push_back(kSeparator);
        }
        m_textEnds.push_back(quint32(m_texts.size()));
        // The digits as sent: "+" is "00".
        const qsizetype digitsBegin = qsizetype(m_digits.size());
        if (c->Phone.trimmed().startsWith(u'+'))
            m_digits.insert(m_digits.end(), {u'0', u'0'});
        appendDigits(m_digits, c->Phone);
        m_digitEnds.push_back(quint32(m_digits.size()));
        const qsizetype keyBegin = qsizetype(m_keys.size());
        appendDigits(m_keys, m_check.quickMatchKey(c->Phone));
        m_keyEnds.push_back(quint32(m_keys.size()));
        // The home country code, from the first number written the national way ("06..." whose
        // key is "336..."): a search written nationally is then also one written with it.
        const QStringView digits(m_digits.data() + digitsBegin, qsizetype(m_digits.size()) - digitsBegin);
        const QStringView key(m_keys.data() + keyBegin, qsizetype(m_keys.size()) - keyBegin);
        if (m_homeCode.isEmpty() && digits.size() > 1 && digits[0] == u'0' && digits[1] != u'0' &&
            key.size() > digits.size() - 1 && key.endsWith(digits.mid(1)))
            m_homeCode = key.chopped(digits.size() - 1).toString();
    }
}

QStringView ContactSearch::span(const std::vector<char16_t> &buffer, const std::vector<quint32> &ends, std::size_t i)
{
    const std::size_t begin = i == 0 ? 0 : ends[i - 1];
    return QStringView(buffer.data() + begin, qsizetype(ends[i] - begin));
}

std::vector<ClassContact *> ContactSearch::matching(QStringView text) const
{
    const QString trimmed = text.trimmed().toString();
    if (trimmed.isEmpty())
        return m_contacts;
    const QString folded = searchFoldedText(trimmed);
    // A number is searched by its digits as sent ("+" as "00"); one written from its beginning
    // ("06 12", "+33 6 12", "0033 6 12") is one beginning however either is written.
    QString digits;
    QString keyBeginning;
    bool fromStart = false;
    if (looksLikeNumber(trimmed)) {
        std::vector<char16_t> d;
        if (trimmed.startsWith(u'+'))
            d.insert(d.end(), {u'0', u'0'});
        appendDigits(d, trimmed);
        digits = QString(reinterpret_cast<const QChar *>(d.data()), qsizetype(d.size()));
        fromStart = digits.startsWith(u'0');
        if (digits.startsWith(u"00"))
            keyBeginning = digits.mid(2);
        else if (fromStart && !m_homeCode.isEmpty())
            keyBeginning = m_homeCode + digits.mid(1);
    }
    std::vector<ClassContact *> found;
    for (std::size_t i = 0; i < m_contacts.size(); ++i) {
        bool match = span(m_texts, m_textEnds, i).contains(folded);
        if (!match && !digits.isEmpty()) {
            const QStringView sent = span(m_digits, m_digitEnds, i);
            match = fromStart ? sent.startsWith(digits) ||
                                    (keyBeginning.size() > 2 && span(m_keys, m_keyEnds, i).startsWith(keyBeginning))
                              : sent.contains(digits);
        }
        if (match)
            found.push_back(m_contacts[i]);
    }
    return found;
}

} // namespace parlevo
