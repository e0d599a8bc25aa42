#include "numberinput.h"

#include "phonecheck.h"

#include <QRegularExpression>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace parlevo {

namespace {

QString digitsOf(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text)
        if (c >= u'0' && c <= u'9')
            out += c;
    return out;
}

// One number: the international and trunk-prefix rules, without the validity verdict.
QString rewritten(PhoneCheck &check, QStringView typed)
{
    const QStringView text = typed.trimmed();
    const bool plus = text.startsWith(u'+');
    if (plus || text.startsWith(u"00"_s)) {
        QString digits = digitsOf(text.sliced(plus ? 1 : 2));
        const int codeLength = PhoneCheck::countryCodeLength(digits);
        if (codeLength == 0)
            return typed.toString();
        // "+33 (0)6": the "(0)" is the trunk prefix a foreign caller must leave out.
        const qsizetype trunk = text.indexOf(u"(0)"_s);
        if (trunk >= 0 && digitsOf(text.first(trunk)).size() - (plus ? 0 : 2) == codeLength)
            digits.remove(codeLength, 1);
        else if (!plus)
            return typed.toString();
        return u"00"_s + digits;
    }
    if (!check.trunkPrefix().isEmpty() && text.startsWith(check.trunkPrefix()))
        return typed.toString();
    // Where the trunk prefix is "0" the national form is "0" and the digits: asking that spelling
    // takes the library's quick reading (a spreadsheet's column drops the 0 of every row).
    if (check.trunkPrefix() == u"0"_s) {
        const QString withZero = u'0' + digitsOf(text);
        if (check.kind(withZero) != NumberKind::Invalid)
            return withZero;
    }
    const QString national = check.nationalForm(text);
    return national.isEmpty() || national == digitsOf(text) ? typed.toString() : national;
}

} // namespace

NumberInput readNumberInput(PhoneCheck &check, QStringView typed)
{
    NumberInput input;
    input.number = typed.toString();
    if (typed.trimmed().isEmpty())
        return input;
    static const QRegularExpression kBetweenTwo(u"\\s+:::\\s+|\\s+/\\s+|;\\s+"_s);
    // The expression is looked for only where a separator may be: most numbers hold none.
    const bool maySplit = typed.contains(u':') || typed.contains(u'/') || typed.contains(u';');
    const QStringList parts = maySplit ? input.number.split(kBetweenTwo, Qt::SkipEmptyParts) : QStringList();
    QString chosen;
    if (parts.size() > 1) {
        // Only complete numbers on every side: "06 12 / 34" is one number badly written.
        QStringList numbers;
        for (const QString &part : parts)
            numbers += rewritten(check, part).trimmed();
        const bool allValid = std::all_of(numbers.cbegin(), numbers.cend(),
                                          [&check](const QString &n) { return check.kind(n) != NumberKind::Invalid; });
        if (allValid) {
            const auto mobile = std::find_if(numbers.cbegin(), numbers.cend(), [&check](const QString &n) {
                return check.kind(n) == NumberKind::Mobile;
            });
            chosen = mobile != numbers.cend() ? *mobile : numbers.constFirst();
        }
    }
    if (chosen.isNull())
        chosen = rewritten(check, typed);
    if (check.kind(chosen) == NumberKind::Invalid) {
        input.unreadable = true;
        return input;
    }
    input.changed = chosen != input.number;
    input.number = chosen;
    return input;
}

} // namespace parlevo
