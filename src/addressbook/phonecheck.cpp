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

} // namespace

PhoneCheck::PhoneCheck(const QString &region)
    : m_region(region.toUpper())
    , m_regionCode(m_region.toStdString())
{
    if (!isSupportedRegion(m_regionCode)) {
        m_regionCode = kDefaultRegion;
        m_region = QString::fromLatin1(kDefaultRegion);
    }
}

QString PhoneCheck::regionOf(const QLocale &locale)
{
    const QString code = QLocale::territoryToCode(locale.territory());
    if (code.size() == 2 && isSupportedRegion(code.toStdString()))
        return code;
    return QString::fromLatin1(kDefaultRegion);
}

const PhoneCheck::Reading &PhoneCheck::read(QStringView number)
{
    const QString compact = compactForm(number);
    if (const auto it = m_cache.constFind(compact); it != m_cache.cend())
        return *it;
    Reading reading;
    reading.key = compact;
    const PhoneNumberUtil &util = *PhoneNumberUtil::GetInstance();
    PhoneNumber parsed;
    if (!compact.isEmpty() &&
        util.Parse(compact.toStdString(), m_regionCode, &parsed) == PhoneNumberUtil::NO_PARSING_ERROR &&
        util.IsValidNumber(parsed)) {
        std::string e164;
        util.Format(parsed, PhoneNumberUtil::E164, &e164);
        reading.e164 = QString::fromStdString(e164);
        reading.key = reading.e164;
        switch (util.GetNumberType(parsed)) {
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
    }
    return *m_cache.insert(compact, std::move(reading));
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

std::vector<RowSkip> skippedRows(const NumberCheck &check, qsizetype rowCount, bool oncePerNumber)
{
    std::vector<RowSkip> skip(std::size_t(std::max<qsizetype>(rowCount, 0)), RowSkip::None);
    if (oncePerNumber) {
        for (const std::vector<qsizetype> &group : check.duplicates)
            for (std::size_t i = 1; i < group.size(); ++i)
                if (group[i] < rowCount)
                    skip[std::size_t(group[i])] = RowSkip::Repeat;
    }
    for (qsizetype row : check.optedOut)
        if (row < rowCount)
            skip[std::size_t(row)] = RowSkip::OptedOut;
    return skip;
}

} // namespace parlevo
