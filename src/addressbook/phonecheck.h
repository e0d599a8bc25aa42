#pragma once

#include <QHash>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <string>
#include <vector>

namespace parlevo {

class OptOutList;

// What a number is, as the phone numbering plan of its country says.
enum class NumberKind { Mobile, Fixed, Other, Invalid };

// Reads phone numbers with libphonenumber, in the region of the user's locale. The only place
// that includes the library: what is sent stays the digits the user typed, the library only
// judges numbers and tells when two spellings are one number. Each distinct spelling is read
// once (the library reads some tens of thousands a second).
class PhoneCheck final {
public:
    // region: two letters (ISO 3166), e.g. "FR"; one the library does not know reads as France.
    explicit PhoneCheck(const QString &region = regionOf(QLocale()));

    // The region of a locale's territory; France when it has none the library knows.
    static QString regionOf(const QLocale &locale);
    const QString &region() const { return m_region; }

    // The number in E.164 ("+33612345678"); empty when the library cannot read it as a valid number.
    QString normalise(QStringView number);
    NumberKind kind(QStringView number);
    // What two spellings of one number share: its international form when the library can read
    // it (valid or not), else the digits alone ("+" kept).
    // Empty when the number has no digit.
    QString matchKey(QStringView number);
    // The same key, worked out without the library and without remembering the number for the
    // common spellings of a region whose trunk prefix is "0" ("06 12 34 56 78", "+33 6 ...",
    // "0033 6 ..."); the library reads the rest. The opt-out list reads a million numbers so.
    QString quickMatchKey(QStringView number);

private:
    struct Reading {
        QString e164;
        NumberKind kind = NumberKind::Invalid;
        QString key;
    };
    static Reading readCompact(const QString &compact, const std::string &regionCode);
    const Reading &read(QStringView number);

    QString m_region;
    std::string m_regionCode;
    QHash<QString, Reading> m_cache;
};

// The numbers of a mailing looked at before it is sent. Rows are 0-based positions in the list.
struct NumberCheck {
    std::vector<qsizetype> invalid;
    // Valid numbers that are not mobile ones (a landline, a toll-free number ...).
    std::vector<qsizetype> notMobile;
    // Rows sharing one number however written, each group in list order, groups by first row.
    std::vector<std::vector<qsizetype>> duplicates;
    std::vector<qsizetype> optedOut;
    // The rows past the first of each group: those left out when sending once per number.
    qsizetype repeatCount() const;
};

// optOuts may be null: then no row is opted out.
NumberCheck checkNumbers(PhoneCheck &check, const QStringList &numbers, const OptOutList *optOuts);

// Why a row of a mailing is not sent.
enum class RowSkip : unsigned char { None, OptedOut, Repeat };

// For each row: opted-out rows are skipped, and with oncePerNumber every row of a duplicate group
// past its first.
std::vector<RowSkip> skippedRows(const NumberCheck &check, qsizetype rowCount, bool oncePerNumber);

} // namespace parlevo
