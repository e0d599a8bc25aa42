#include "mailingplan.h"

#include "addressbook/classcontact.h"
#include "base/textes.h"
#include "base/txt.h"
#include "differer.h"
#include "messages/mergefields.h"
#include "messages/outgoing.h"
#include "sendinghours.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace parlevo {

namespace {

// Rows named in the warning about missing values; the count tells the rest.
constexpr std::size_t kNamesShown = 3;

// The row's text as it goes, its coding and parts.
void planText(PlannedRow &row, const QString &prefix, const QString &merged, const ClassContact &contact)
{
    QString text = prefix + merged;
    row.cut = text.size() > kSmsMaxLength;
    row.text = Build_Message(text, contact);
    const SmsEncodingInfo info = analyseSmsText(row.text);
    row.alphabet = info.alphabet;
    row.parts = info.parts;
}

bool hasFindings(const NumberCheck &numbers)
{
    return !numbers.invalid.empty() || !numbers.notMobile.empty() || !numbers.duplicates.empty() ||
           !numbers.optedOut.empty();
}

} // namespace

QStringList MailingDraft::numbers() const
{
    QStringList numbers;
    numbers.reserve(rowCount);
    for (qsizetype row = 0; row < rowCount; ++row) {
        const ClassContact *contact = contactAt(row);
        numbers.append(contact ? contact->Phone : QString());
    }
    return numbers;
}

const PlanWarning *MailingPlan::warning(PlanWarningKind kind) const
{
    const auto found =
        std::find_if(warnings.begin(), warnings.end(), [kind](const PlanWarning &w) { return w.kind == kind; });
    return found == warnings.end() ? nullptr : &*found;
}

std::vector<RowSkip> MailingPlan::skips() const
{
    std::vector<RowSkip> skips;
    skips.reserve(rows.size());
    for (const PlannedRow &row : rows)
        skips.push_back(row.skip);
    return skips;
}

MailingPlan planMailing(const TextTable &textes, const MailingDraft &draft, const NumberCheck &numbers,
                        const PlanRules &rules)
{
    MailingPlan plan;
    plan.numbers = numbers;
    const std::vector<RowSkip> skips =
        skippedRows(numbers, draft.rowCount, rules.policy == NumberPolicy::OncePerNumber, rules.skipInvalid);
    const MergeTemplate merge(draft.message, draft.columns);
    const QString prefix = senderPrefix(textes, draft.sender);
    // Without a field every row has the same text: built and measured once, shared by the rows.
    PlannedRow same;
    const QString unmerged = merge.usesFields() ? QString() : merge.merge(ClassContact{});
    if (!merge.usesFields())
        planText(same, prefix, unmerged, ClassContact{});
    std::vector<qsizetype> lacking;
    std::vector<qsizetype> cut;
    // The longest merge, the first of equals, as the message counter finds it.
    QString longestMerged;
    qsizetype longest = -1;
    plan.rows.reserve(std::size_t(std::max<qsizetype>(draft.rowCount, 0)));
    for (qsizetype r = 0; r < draft.rowCount; ++r) {
        PlannedRow &row = plan.rows.emplace_back();
        row.skip = skips[std::size_t(r)];
        const ClassContact *contact = draft.contactAt(r);
        if (!contact)
            continue;
        if (merge.usesFields()) {
            const QString merged = merge.merge(*contact);
            if (merged.size() > longest) {
                longest = merged.size();
                longestMerged = merged;
            }
            planText(row, prefix, merged, *contact);
            row.lacksField = merge.lacksUsedField(*contact);
        } else {
            row = PlannedRow{row.skip, same.text, same.alphabet, same.parts, same.cut, false};
        }
        // Left-out rows cost nothing and are not warned of.
        if (row.skip != RowSkip::None)
            continue;
        countRow(plan.cost, *contact, row.alphabet, row.parts, row.cut);
        if (row.lacksField)
            lacking.push_back(r);
        if (row.cut)
            cut.push_back(r);
    }
    plan.longestText = longest < 0 ? merge.merge(ClassContact{}) : longestMerged;

    // Deferred or not, the moment the SMS would go.
    const QDateTime when = draft.differer.isEmpty() ? rules.now : differerTime(draft.differer);
    if (differerTooSoon(draft.differer, rules.now))
        plan.warnings.push_back({.kind = PlanWarningKind::DeferredTooSoon, .when = when});
    if (rules.commercial && !isCommercialSendingTime(when))
        plan.warnings.push_back(
            {.kind = PlanWarningKind::OutsideSendingHours, .when = when, .next = nextCommercialSendingTime(when)});
    if (hasFindings(numbers))
        plan.warnings.push_back({.kind = PlanWarningKind::NumberFindings});
    if (rules.commercial && !mentionsStop(draft.message))
        plan.warnings.push_back({.kind = PlanWarningKind::NoStopMention});
    if (!merge.unknownFields().isEmpty())
        plan.warnings.push_back({.kind = PlanWarningKind::UnknownFields, .fields = merge.unknownFields()});
    if (!lacking.empty())
        plan.warnings.push_back({.kind = PlanWarningKind::MissingValues, .rows = std::move(lacking)});
    if (!cut.empty())
        plan.warnings.push_back({.kind = PlanWarningKind::CutTexts, .rows = std::move(cut)});
    holdToCredit(plan, rules.credit);
    return plan;
}

void holdToCredit(MailingPlan &plan, std::optional<qint64> credit)
{
    std::erase_if(plan.warnings, [](const PlanWarning &w) { return w.kind == PlanWarningKind::CreditShort; });
    if (!credit || *credit >= plan.cost.sms)
        return;
    // In its place among the others: the window tells them in this order.
    const auto after = std::find_if(plan.warnings.begin(), plan.warnings.end(),
                                    [](const PlanWarning &w) { return w.kind > PlanWarningKind::CreditShort; });
    plan.warnings.insert(after, {.kind = PlanWarningKind::CreditShort, .credit = *credit, .needed = plan.cost.sms});
}

QString planWarningText(const TextTable &textes, const MailingDraft &draft, const PlanWarning &warning)
{
    switch (warning.kind) {
    case PlanWarningKind::CreditShort:
        return creditWarning(textes, warning.credit, warning.needed);
    case PlanWarningKind::NoStopMention:
        return textes(Txt::NoStopWord);
    case PlanWarningKind::UnknownFields:
        return textes(Txt::UnknownMergeFields).arg(warning.fields.join(u' '));
    case PlanWarningKind::MissingValues: {
        QStringList names;
        for (std::size_t i = 0; i < std::min(warning.rows.size(), kNamesShown); ++i) {
            const ClassContact *contact = draft.contactAt(warning.rows[i]);
            const QString name = contact->FullName().trimmed();
            names.append(name.isEmpty() ? contact->Phone : name);
        }
        if (warning.rows.size() > kNamesShown)
            names.append(u"…"_s);
        return textes(Txt::RowsLackingField).arg(QString::number(warning.rows.size()), names.join(u", "_s));
    }
    case PlanWarningKind::DeferredTooSoon:
    case PlanWarningKind::OutsideSendingHours:
    case PlanWarningKind::NumberFindings:
    case PlanWarningKind::CutTexts:
        break;
    }
    return {};
}

} // namespace parlevo
