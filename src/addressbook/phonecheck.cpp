#include "phonecheck.h"

#include "optoutlist.h"

#include <phonenumbers/phonenumber.pb.h>
#include <phonenumbers/phonenumberutil.h>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace parlevo {

namespace {

using i18n::phonenumbers::PhoneNumber;
using i18n::phonenumbers::PhoneNumberUtil;

constexpr const char *kDefaultRegion = "FR";

bool isSupportedRegion(const std::string &code)
{
    return PhoneNumberUtil::GetInstance()->GetCountryCodeForRegion(code) != 0;
}

// The digits, with a "+" first when the number begins with one: "06 12.34" -> "061234".
QString compactForm(QStringView number)
{
    QString out;
    out.reserve(number.size());
    bool seenDigit = false;
    for (QChar c : number) {
        if (c >= u'0' && c <= u'9') {
            out += c;
            seenDigit = true;
        } else if (c == u'+' && !seenDigit && out.isEmpty()) {
            out += c;
        }
    }
    return out == u"+" ? QString() : out;
}

// Regions whose numbers are written nationally with a single "0" first and internationally with
// "00" first, and nothing else: there, reading the number is cutting those prefixes, which is
// much quicker than the library's general reading (a mailing can hold 100,000 numbers).
bool isPlainPrefixRegion(const std::string &region)
{
    static constexpr const char *kRegions[] = {"FR", "BE", "CH", "LU", "MC", "DE", "NL", "GB"};
    return std::any_of(std::begin(kRegions), std::end(kRegions), [&](const char *r) { return region == r; });
}

// The number of the compact form "+digits", or "0digits" and "00digits" in a plain-prefix
// region, when the library holds it as valid, with its type; false when the general reading must
// decide.
bool readQuickly(const QString &compact, const std::string &region, PhoneNumber *number,
                 PhoneNumberUtil::PhoneNumberType *type)
{
    const PhoneNumberUtil &util = *PhoneNumberUtil::GetInstance();
    std::string digits = compact.toStdString();
    int countryCode = 0;
    if (isPlainPrefixRegion(region) && digits.starts_with("00")) {
        digits.erase(0, 2);
    } else if (digits.starts_with('+')) {
        digits.erase(0, 1);
    } else if (isPlainPrefixRegion(region) && digits.size() > 1 && digits[0] == '0' && digits[1] != '0') {
        countryCode = util.GetCountryCodeForRegion(region);
        digits.erase(0, 1);
    } else {
        return false;
    }
    // Country codes are 1 to 3 digits, none the start of another.
    for (std::size_t length = 1; countryCode == 0 && length <= 3 && length < digits.size(); ++length) {
        std::string regionOfCode;
        const int code = std::stoi(digits.substr(0, length));
        util.GetRegionCodeForCountryCode(code, &regionOfCode);
        if (regionOfCode != "ZZ") {
            countryCode = code;
            digits.erase(0, length);
        }
    }
    // A national number with a leading zero (Italy) or of no possible length: the general reading.
    if (countryCode == 0 || digits.empty() || digits[0] == '0' || digits.size() > 15)
        return false;
    number->set_country_code(countryCode);
    number->set_national_number(std::stoull(digits));
    *type = util.GetNumberType(*number);
    return *type != PhoneNumberUtil::UNKNOWN;
}

// Regions, and their country codes, whose trunk prefix is a single "0" the library cuts from any
// number of a possible length, and whose international prefix is "00": there its key of the
// spellings "0N", "00<code>[0]N" and "+<code>[0]N" is "+<code>N". (Luxembourg's trunk prefix
// reading is more involved: it is not one of them.)
bool isQuickKeyRegion(const std::string &region)
{
    static constexpr const char *kRegions[] = {"FR", "BE", "CH", "MC", "DE", "NL", "GB"};
    return std::any_of(std::begin(kRegions), std::end(kRegions), [&](const char *r) { return region == r; });
}
bool isQuickKeyCountryCode(int code)
{
    static constexpr int kCodes[] = {33, 32, 41, 377, 49, 31, 44};
    return std::find(std::begin(kCodes), std::end(kCodes), code) != std::end(kCodes);
}

// The library's longest national number.
constexpr int kMaxNationalDigits = 17;

} // namespace

PhoneCheck::PhoneCheck(const QString &region)
    : m_region(region.toUpper())
    , m_regionCode(m_region.toStdString())
{
    if (!isSupportedRegion(m_regionCode)) {
        m_regionCode = kDefaultRegion;
        m_region = QString::fromLatin1(kDefaultRegion);
    }
    std::string prefix;
    PhoneNumberUtil::GetInstance()->GetNddPrefixForRegion(m_regionCode, true, &prefix);
    m_trunkPrefix = QString::fromStdString(prefix);
    if (isQuickKeyRegion(m_regionCode))
        m_quickCountryCode = PhoneNumberUtil::GetInstance()->GetCountryCodeForRegion(m_regionCode);
    m_isCountryCode.fill(-1);
}

bool PhoneCheck::isCountryCode(int code)
{
    signed char &known = m_isCountryCode[std::size_t(code)];
    if (known < 0) {
        std::string region;
        PhoneNumberUtil::GetInstance()->GetRegionCodeForCountryCode(code, &region);
        known = region != "ZZ" ? 1 : 0;
    }
    return known == 1;
}

bool PhoneCheck::trunkPrefixCut(int countryCode, int nationalDigits)
{
    // The library's decision depends only on the country and the length of the rest.
    const int slot = countryCode * 100 + nationalDigits;
    if (const auto it = m_trunkCut.constFind(slot); it != m_trunkCut.cend())
        return *it;
    PhoneNumber number;
    number.set_country_code(countryCode);
    quint64 digits = 1;
    for (int i = 1; i < nationalDigits; ++i)
        digits *= 10;
    number.set_national_number(digits);
    bool cut = true;
    switch (PhoneNumberUtil::GetInstance()->IsPossibleNumberWithReason(number)) {
    case PhoneNumberUtil::TOO_SHORT:
    case PhoneNumberUtil::IS_POSSIBLE_LOCAL_ONLY:
    case PhoneNumberUtil::INVALID_LENGTH:
        cut = false;
        break;
    default:
        break;
    }
    m_trunkCut.insert(slot, cut);
    return cut;
}

std::optional<quint64> PhoneCheck::quickNumericKey(QStringView number)
{
    if (m_quickCountryCode == 0)
        return std::nullopt;
    // The digits, and whether a "+" came before the first one (as compactForm reads them).
    char digits[24];
    int size = 0;
    bool plus = false;
    for (QChar c : number) {
        if (c >= u'0' && c <= u'9') {
            if (size == int(sizeof digits))
                return std::nullopt;
            digits[size++] = char(c.unicode());
        } else if (c == u'+' && size == 0) {
            plus = true;
        }
    }
    const auto valueOf = [&digits](int from, int to) {
        quint64 value = 0;
        for (int i = from; i < to; ++i)
            value = value * 10 + quint64(digits[i] - '0');
        return value;
    };
    int rest = 0;
    int countryCode = 0;
    bool trunkCut = false;
    if (plus || (size > 2 && digits[0] == '0' && digits[1] == '0')) {
        rest = plus ? 0 : 2;
        // The library takes the first of 1 to 3 digits that is a country code.
        for (int length = 1; countryCode == 0 && length <= 3 && rest + length <= size && digits[rest] != '0';
             ++length) {
            const int code = int(valueOf(rest, rest + length));
            if (isCountryCode(code)) {
                countryCode = code;
                rest += length;
            }
        }
        if (!isQuickKeyCountryCode(countryCode))
            return std::nullopt;
        if (rest < size && digits[rest] == '0') {
            ++rest;
            trunkCut = true;
        }
    } else if (size > 0 && digits[0] == '0') {
        countryCode = m_quickCountryCode;
        rest = 1;
        trunkCut = true;
    } else {
        return std::nullopt;
    }
    const int national = size - rest;
    const int codeDigits = countryCode >= 100 ? 3 : countryCode >= 10 ? 2 : 1;
    // Past 18 digits the key does not fit in the number: the library's reading then.
    if (national < 2 || national > kMaxNationalDigits || codeDigits + national > 18 || digits[rest] == '0')
        return std::nullopt;
    if (trunkCut && !trunkPrefixCut(countryCode, national))
        return std::nullopt;
    quint64 key = quint64(countryCode);
    for (int i = 0; i < national; ++i)
        key *= 10;
    return key + valueOf(rest, size);
}

int PhoneCheck::countryCodeLength(QStringView digits)
{
    const PhoneNumberUtil &util = *PhoneNumberUtil::GetInstance();
    for (int length = 1; length <= 3 && length < digits.size(); ++length) {
        bool ok = false;
        const int code = digits.first(length).toInt(&ok);
        if (!ok)
            return 0;
        std::string region;
        util.GetRegionCodeForCountryCode(code, &region);
        if (region != "ZZ")
            return length;
    }
    return 0;
}

QString PhoneCheck::regionOf(const QLocale &locale)
{
    const QString code = QLocale::territoryToCode(locale.territory());
    if (code.size() == 2 && isSupportedRegion(code.toStdString()))
        return code;
    return QString::fromLatin1(kDefaultRegion);
}

PhoneCheck::Reading PhoneCheck::readCompact(const QString &compact, const std::string &regionCode)
{
    Reading reading;
    reading.key = compact;
    const PhoneNumberUtil &util = *PhoneNumberUtil::GetInstance();
    PhoneNumber parsed;
    if (compact.isEmpty())
        return reading;
    // The quick reading knows the type already: asking it again would double the cost.
    PhoneNumberUtil::PhoneNumberType type = PhoneNumberUtil::UNKNOWN;
    if (!readQuickly(compact, regionCode, &parsed, &type)) {
        parsed.Clear();
        if (util.Parse(compact.toStdString(), regionCode, &parsed) != PhoneNumberUtil::NO_PARSING_ERROR)
            return reading;
        type = util.GetNumberType(parsed);
    }
    std::string e164;
    util.Format(parsed, PhoneNumberUtil::E164, &e164);
    // An invalid number the library can still read is matched in its international form too.
    reading.key = QString::fromStdString(e164);
    // The type of a number the plan does not hold is UNKNOWN: asking it alone is asking its
    // validity too, at half the cost of asking both.
    switch (type) {
    case PhoneNumberUtil::UNKNOWN:
        return reading;
    case PhoneNumberUtil::MOBILE:
    // The plan cannot tell (North America): it may take an SMS.
    case PhoneNumberUtil::FIXED_LINE_OR_MOBILE:
        reading.kind = NumberKind::Mobile;
        break;
    case PhoneNumberUtil::FIXED_LINE:
        reading.kind = NumberKind::Fixed;
        break;
    default:
        reading.kind = NumberKind::Other;
        break;
    }
    reading.e164 = reading.key;
    return reading;
}

const PhoneCheck::Reading &PhoneCheck::read(QStringView number)
{
    const QString compact = compactForm(number);
    if (const auto it = m_cache.constFind(compact); it != m_cache.cend())
        return *it;
    return *m_cache.insert(compact, readCompact(compact, m_regionCode));
}

QString PhoneCheck::normalise(QStringView number)
{
    return read(number).e164;
}

NumberKind PhoneCheck::kind(QStringView number)
{
    return read(number).kind;
}

QString PhoneCheck::matchKey(QStringView number)
{
    return read(number).key;
}

QString PhoneCheck::nationalForm(QStringView number)
{
    const QString compact = compactForm(number);
    if (compact.startsWith(u'+') || compact.startsWith(u"00"_s))
        return QString();
    if (const auto it = m_national.constFind(compact); it != m_national.cend())
        return *it;
    QString national;
    const PhoneNumberUtil &util = *PhoneNumberUtil::GetInstance();
    PhoneNumber parsed;
    std::string region;
    if (read(number).kind != NumberKind::Invalid &&
        util.Parse(compact.toStdString(), m_regionCode, &parsed) == PhoneNumberUtil::NO_PARSING_ERROR) {
        util.GetRegionCodeForNumber(parsed, &region);
        if (region == m_regionCode) {
            std::string formatted;
            util.Format(parsed, PhoneNumberUtil::NATIONAL, &formatted);
            for (const char c : formatted)
                if (c >= '0' && c <= '9')
                    national += QLatin1Char(c);
        }
    }
    m_national.insert(compact, national);
    return national;
}

QString PhoneCheck::quickMatchKey(QStringView number)
{
    if (const std::optional<quint64> key = quickNumericKey(number))
        return u'+' + QString::number(*key);
    const QString compact = compactForm(number);
    if (const auto it = m_cache.constFind(compact); it != m_cache.cend())
        return it->key;
    return readCompact(compact, m_regionCode).key;
}

qsizetype NumberCheck::repeatCount() const
{
    qsizetype n = 0;
    for (const std::vector<qsizetype> &group : duplicates)
        n += qsizetype(group.size()) - 1;
    return n;
}

NumberCheck checkNumbers(PhoneCheck &check, const QStringList &numbers, const OptOutList *optOuts)
{
    NumberCheck out;
    // Key -> index in out.duplicates, or -1 - row of the only row met so far.
    QHash<QString, qsizetype> seen;
    seen.reserve(numbers.size());
    for (qsizetype row = 0; row < numbers.size(); ++row) {
        const QString &number = numbers[row];
        switch (check.kind(number)) {
        case NumberKind::Invalid:
            out.invalid.push_back(row);
            break;
        case NumberKind::Fixed:
        case NumberKind::Other:
            out.notMobile.push_back(row);
            break;
        case NumberKind::Mobile:
            break;
        }
        const QString key = check.matchKey(number);
        if (key.isEmpty())
            continue;
        if (optOuts && optOuts->containsKey(key))
            out.optedOut.push_back(row);
        auto it = seen.find(key);
        if (it == seen.end()) {
            seen.insert(key, -1 - row);
        } else if (*it < 0) {
            const qsizetype first = -1 - *it;
            *it = qsizetype(out.duplicates.size());
            out.duplicates.push_back({first, row});
        } else {
            out.duplicates[std::size_t(*it)].push_back(row);
        }
    }
    return out;
}

std::vector<RowSkip> skippedRows(const NumberCheck &check, qsizetype rowCount, bool oncePerNumber, bool skipInvalid)
{
    std::vector<RowSkip> skip(std::size_t(std::max<qsizetype>(rowCount, 0)), RowSkip::None);
    if (oncePerNumber) {
        for (const std::vector<qsizetype> &group : check.duplicates)
            for (std::size_t i = 1; i < group.size(); ++i)
                if (group[i] < rowCount)
                    skip[std::size_t(group[i])] = RowSkip::Repeat;
    }
    if (skipInvalid) {
        for (const std::vector<qsizetype> *rows : {&check.invalid, &check.notMobile})
            for (qsizetype row : *rows)
                if (row < rowCount)
                    skip[std::size_t(row)] = RowSkip::Invalid;
    }
    for (qsizetype row : check.optedOut)
        if (row < rowCount)
            skip[std::size_t(row)] = RowSkip::OptedOut;
    return skip;
}

} // namespace parlevo
