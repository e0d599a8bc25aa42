#pragma once

#include <QString>
#include <QStringView>

#include <vector>

namespace parlevo {

struct ClassContact;
class PhoneCheck;

// The address book's search as you type. Built once over the contacts (each one's full name,
// first name and company folded without case or accents, its number's digits and the key its
// spellings share), so each keystroke only reads memory.
class ContactSearch final {
public:
    ContactSearch(PhoneCheck &check, std::vector<ClassContact *> contacts);

    // The contacts whose name, first name or company holds the text (ignoring case and accents),
    // or, when the text is written like a number, whose number holds its digits, or begins with
    // them when the text begins like a number ("06 12" finds "+33 6 12 ..." and not "06 33 61 2");
    // every contact for an empty text. In the given order.
    std::vector<ClassContact *> matching(QStringView text) const;

private:
    static QStringView span(const std::vector<char16_t> &buffer, const std::vector<quint32> &ends, std::size_t i);

    PhoneCheck &m_check;
    std::vector<ClassContact *> m_contacts;
    std::vector<char16_t> m_texts;
    std::vector<quint32> m_textEnds;
    // Per contact: its number's digits, and the digits of its match key.
    std::vector<char16_t> m_digits;
    std::vector<quint32> m_digitEnds;
    std::vector<char16_t> m_keys;
    std::vector<quint32> m_keyEnds;
    QString m_homeCode;
};

} // namespace parlevo
