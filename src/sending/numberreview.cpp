#include "numberreview.h"

#include "addressbook/addressbook.h"
#include "base/textes.h"
#include "base/txt.h"

#include <QHash>

#include <algorithm>
#include <memory>

using namespace Qt::StringLiterals;

namespace parlevo {

namespace {

// Numbers named in full per line; the rest are counted.
constexpr qsizetype kNamed = 5;

QString namedNumbers(const TextTable &textes, const std::vector<qsizetype> &rows, const QStringList &labels,
                     bool complete)
{
    QStringList named;
    const qsizetype shown = complete ? qsizetype(rows.size()) : std::min(qsizetype(rows.size()), kNamed);
    for (qsizetype i = 0; i < shown; ++i)
        named.append(labels.value(rows[std::size_t(i)]));
    if (qsizetype(rows.size()) > shown)
        named.append(textes(Txt::AndMore).arg(qsizetype(rows.size()) - shown));
    // The whole list goes one a line, so that it reads and copies as a column.
    return complete ? u"\n"_s + named.join(u'\n') + u'\n' : named.join(u", "_s);
}

} // namespace

NumberCheck reviewMailingNumbers(AddressBook &book, const QStringList &numbers)
{
    return checkNumbers(book.phoneCheck(), numbers, &book.optOuts());
}

QString skipReasonText(const TextTable &textes, RowSkip skip)
{
    switch (skip) {
    case RowSkip::OptedOut:
        return textes(Txt::OptedOutNotSent);
    case RowSkip::Repeat:
        return textes(Txt::RepeatNotSent);
    case RowSkip::Invalid:
        return textes(Txt::InvalidNotSent);
    case RowSkip::Other:
        return textes(Txt::SkippedNotSent);
    case RowSkip::None:
        break;
    }
    return {};
}

std::function<QString(qsizetype row)> skipTextFor(const TextTable &textes, std::vector<RowSkip> skips)
{
    if (std::find_if(skips.begin(), skips.end(), [](RowSkip s) { return s != RowSkip::None; }) == skips.end())
        return {};
    auto shared = std::make_shared<const std::vector<RowSkip>>(std::move(skips));
    QHash<int, QString> texts;
    for (RowSkip skip : {RowSkip::OptedOut, RowSkip::Repeat, RowSkip::Invalid, RowSkip::Other})
        texts.insert(int(skip), skipReasonText(textes, skip));
    return [shared, texts](qsizetype row) {
        if (row < 0 || row >= qsizetype(shared->size()))
            return QString();
        return texts.value(int((*shared)[std::size_t(row)]));
    };
}

qsizetype notValidMobileCount(const NumberCheck &check)
{
    return qsizetype(check.invalid.size() + check.notMobile.size());
}

QString reviewLabel(const QString &number, const QString &fullName)
{
    const QString name = fullName.simplified();
    return name.isEmpty() ? number : number + u" ("_s + name + u')';
}

QString numberReviewText(const TextTable &textes, const NumberCheck &check, const QStringList &labels, bool complete)
{
    // One pass of arg() per line: a name holding "%1" stays as written.
    const auto count = [](std::size_t n) { return QString::number(n); };
    const auto named = [&](const std::vector<qsizetype> &rows) { return namedNumbers(textes, rows, labels, complete); };
    QStringList lines;
    if (!check.invalid.empty())
        lines.append(textes(Txt::InvalidNumbers).arg(count(check.invalid.size()), named(check.invalid)));
    if (!check.notMobile.empty())
        lines.append(textes(Txt::NotMobileNumbers).arg(count(check.notMobile.size()), named(check.notMobile)));
    if (!check.duplicates.empty()) {
        std::vector<qsizetype> firsts;
        for (const std::vector<qsizetype> &group : check.duplicates)
            firsts.push_back(group.front());
        lines.append(textes(Txt::RepeatedNumbers)
                         .arg(count(check.duplicates.size()), count(std::size_t(check.repeatCount())), named(firsts)));
    }
    if (!check.optedOut.empty())
        lines.append(textes(Txt::OptedOutContacts).arg(count(check.optedOut.size()), named(check.optedOut)));
    if (lines.isEmpty())
        return {};
    return textes(Txt::NumberCheckHeading) + u"\n\n"_s + lines.join(u'\n');
}

} // namespace parlevo
