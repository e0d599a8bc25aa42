#pragma once

#include <QHash>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <array>
#include <optional>
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
    // The digits of a valid number of the home region as written there, trunk prefix first
    // ("658202938" -> "0658202938"); empty for any other number and for one written with "+" or "00".
    QString nationalForm(QStringView number);
    // The home region's trunk prefix ("0" in France); empty where there is none.
    const QString &trunkPrefix() const { return m_trunkPrefix; }
    // How many of the leading digits are a country code (1 to 3); 0 when none is.
    static int countryCodeLength(QStringView digits);
    // The same key, worked out without the library and without remembering the number for the
    // common spellings of a region whose trunk prefix is "0" ("06 12 34 56 78", "+33 6 ...",
    // "0033 6 ..."); the library reads the rest. The opt-out list reads a million numbers so.
    QString quickMatchKey(QStringView number);
    // quickMatchKey's digits after the "+" as a number, when worked out without the library.
    std::optional<quint64> quickNumericKey(QStringView number);

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
    QString m_trunkPrefix;
    QHash<QString, Reading> m_cache;
    // Asked only of numbers written without a prefix: apart, so that the mailing check of
    // 100,000 numbers written "06..." does not pay for it.
    QHash<QString, QString> m_national;

    // Whether a number of 0 to 999 is a country code (-1: not asked yet).
    bool isCountryCode(int code);
    // Whether the library cuts the trunk prefix "0" before that many national digits.
    bool trunkPrefixCut(int countryCode, int nationalDigits);
    // The region's country code when its usual spellings are read without the library, else 0.
    int m_quickCountryCode = 0;
    std::array<signed char, 1000> m_isCountryCode{};
    QHash<int, bool> m_trunkCut;
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

// Why a row of a mailing is not sent. Other: a reason written by a later version.
enum class RowSkip : unsigned char { None, OptedOut, Repeat, Invalid, Other };

// For each row: opted-out rows are skipped, with skipInvalid the rows whose number is not a valid
// mobile number, and with oncePerNumber every row of a duplicate group past its first.
std::vector<RowSkip> skippedRows(const NumberCheck &check, qsizetype rowCount, bool oncePerNumber,
                                 bool skipInvalid = false);

} // namespace parlevo
