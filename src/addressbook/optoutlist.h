#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QSet>
#include <QString>
#include <QStringList>

#include <vector>

namespace parlevo {

class AddressBook;
class PhoneCheck;

inline constexpr const char16_t *kOptOutFileName = u"Desinscrits.lst";
inline constexpr const char16_t *kOptOutBackupName = u"Desinscrits.bak";

// The numbers that never receive a mailing, as the user typed them. Two spellings of one number
// are one entry: entries are compared by PhoneCheck::matchKey. A list of a million numbers is
// read in well under a second and held in some tens of MB: the spellings one after another in one
// string, the keys of the usual numbers as integers in a hash.
class OptOutList final {
public:
    explicit OptOutList(PhoneCheck &check);

    qsizetype count() const { return qsizetype(m_ends.size()); }
    bool isEmpty() const { return m_ends.empty(); }
    // The entry at a 0-based position, as typed.
    QString number(qsizetype position) const;
    // Every entry as typed, in order.
    QStringList numbers() const;
    bool contains(const QString &number) const;
    // key: a PhoneCheck::matchKey.
    bool containsKey(const QString &key) const;
    // False when the number has no digit or is already listed under any spelling.
    bool add(const QString &number);
    // Removes the entry of this number however it is written; false when there was none.
    bool remove(const QString &number);
    // Replaces every entry; repeats and numbers without a digit are left out.
    void setNumbers(const QStringList &numbers);
    // Replaces every entry by the lines of the file's bytes (see readOptOutLines), each read once.
    void setFileBytes(QByteArrayView bytes);
    // The file of the entries.
    QByteArray fileBytes() const;

private:
    void clear();
    bool addTrimmed(QStringView typed);

    PhoneCheck &m_check;
    // The spellings one after another; entry i ends at m_ends[i].
    QString m_text;
    std::vector<qsizetype> m_ends;
    // The keys: "+digits" ones as their number in a table of their own (8 bytes a number, no
    // allocation each), the few others as text.
    class NumberSet {
    public:
        bool contains(quint64 key) const;
        // False when the key was there already.
        bool insert(quint64 key);
        void reserve(qsizetype count);
        void clear();

    private:
        std::size_t slotOf(quint64 key) const;
        // Open addressing, half empty at most; 0 marks a free slot (no key is 0).
        std::vector<quint64> m_slots;
        qsizetype m_count = 0;
    };
    NumberSet m_numberKeys;
    QSet<QString> m_otherKeys;
};

// The file: one number a line, in Windows-1252 with CR LF line ends. Reading trims blanks and
// skips lines without a digit (blank or damaged lines).
QStringList readOptOutLines(QByteArrayView bytes);
QByteArray optOutBytes(const QStringList &numbers);

// Loads "Desinscrits.lst" of the book's data directory into its optOuts(), after copying the file as
// found to "Desinscrits.bak". No file: nothing happens. False when the file exists but cannot be
// read; it is then marked unreadable and no save of the run touches it.
bool Charge_Desinscrits(AddressBook &book);
// Writes the book's optOuts() at once (a change must not wait for the program to quit), replacing the
// previous file only once the new one is complete; an empty list removes it. False on failure.
bool Sauve_Desinscrits(AddressBook &book);

} // namespace parlevo
