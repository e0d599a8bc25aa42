#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <QStringList>

namespace parlevo {

class AppState;
class PhoneCheck;

inline constexpr const char16_t *kOptOutFileName = u"Desinscrits.lst";
inline constexpr const char16_t *kOptOutBackupName = u"Desinscrits.bak";

// The numbers that never receive a mailing, as the user typed them. Two spellings of one number
// are one entry: entries are compared by PhoneCheck::matchKey.
class OptOutList final {
public:
    explicit OptOutList(PhoneCheck &check);

    const QStringList &numbers() const { return m_numbers; }
    bool contains(const QString &number) const;
    // key: a PhoneCheck::matchKey.
    bool containsKey(const QString &key) const { return m_keys.contains(key); }
    // False when the number has no digit or is already listed under any spelling.
    bool add(const QString &number);
    // Removes the entry of this number however it is written; false when there was none.
    bool remove(const QString &number);
    // Replaces every entry; repeats and numbers without a digit are left out.
    void setNumbers(const QStringList &numbers);

private:
    PhoneCheck &m_check;
    QStringList m_numbers;
    // matchKey -> the entry's position in m_numbers.
    QHash<QString, qsizetype> m_keys;
};

// The file: one number a line, in Windows-1252 with CR LF line ends. Reading trims blanks and
// skips lines without a digit (blank or damaged lines).
QStringList readOptOutLines(QByteArrayView bytes);
QByteArray optOutBytes(const QStringList &numbers);

// Loads "Desinscrits.lst" of the data directory into state.optOuts(), after copying the file as
// found to "Desinscrits.bak". No file: nothing happens. False when the file exists but cannot be
// read; it is then marked unreadable and no save of the run touches it.
bool Charge_Desinscrits(AppState &state);
// Writes state.optOuts() at once (a change must not wait for the program to quit), replacing the
// previous file only once the new one is complete; an empty list removes it. False on failure.
bool Sauve_Desinscrits(AppState &state);

} // namespace parlevo
