#include "numberreview.h"

#include "base/appstate.h"
#include "base/textes.h"
#include "base/txt.h"

#include <algorithm>
#include <memory>

using namespace Qt::StringLiterals;

namespace parlevo {

namespace {

// Numbers named in full per line; the rest are counted.
constexpr qsizetype kNamed = 5;

QString namedNumbers(const TextTable &textes, const std::vector<qsizetype> &rows, const QStringList &numbers)
{
    QStringList named;
    for (qsizetype i = 0; i < qsizetype(rows.size()) && i < kNamed; ++i)
        named.append(numbers.value(rows[std::size_t(i)]));
    if (qsizetype(rows.size()) > kNamed)
        named.append(textes(Txt::AndMore).arg(qsizetype(rows.size()) - kNamed));
    return named.join(u", "_s);
}

} // namespace

NumberCheck reviewMailingNumbers(AppState &state, const QStringList &numbers)
{
    return checkNumbers(state.phoneCheck(), numbers, &state.optOuts());
}

std::function<QString(qsizetype row)> skipTextFor(const TextTable &textes, std::vector<RowSkip> skips)
{
    if (std::find_if(skips.begin(), skips.end(), [](RowSkip s) { return s != RowSkip::None; }) == skips.end())
        return {};
    auto shared = std::make_shared<const std::vector<RowSkip>>(std::move(skips));
    return [shared, optedOut = textes(Txt::OptedOutNotSent), repeat = textes(Txt::RepeatNotSent)](qsizetype row) {
        if (row < 0 || row >= qsizetype(shared->size()))
            return QString();
        switch ((*shared)[std::size_t(row)]) {
        case RowSkip::OptedOut:
            return optedOut;
        case RowSkip::Repeat:
            return repeat;
        case RowSkip::None:
            break;
        }
        return QString();
    };
}

QString numberReviewText(const TextTable &textes, const NumberCheck &check, const QStringList &numbers)
{
    QStringList lines;
    if (!check.invalid.empty())
        lines.append(
            textes(Txt::InvalidNumbers).arg(check.invalid.size()).arg(namedNumbers(textes, check.invalid, numbers)));
    if (!check.notMobile.empty())
        lines.append(textes(Txt::NotMobileNumbers)
                         .arg(check.notMobile.size())
                         .arg(namedNumbers(textes, check.notMobile, numbers)));
    if (!check.duplicates.empty()) {
        std::vector<qsizetype> firsts;
        for (const std::vector<qsizetype> &group : check.duplicates)
            firsts.push_back(group.front());
        lines.append(textes(Txt::RepeatedNumbers)
                         .arg(check.duplicates.size())
                         .arg(check.repeatCount())
                         .arg(namedNumbers(textes, firsts, numbers)));
    }
    if (!check.optedOut.empty())
        lines.append(textes(Txt::OptedOutContacts)
                         .arg(check.optedOut.size())
                         .arg(namedNumbers(textes, check.optedOut, numbers)));
    if (lines.isEmpty())
        return {};
    return textes(Txt::NumberCheckHeading) + u"\n\n"_s + lines.join(u'\n');
}

} // namespace parlevo
