#include "creditcheck.h"

#include "addressbook/classcontact.h"
#include "base/textes.h"
#include "base/txt.h"
#include "messages/mergefields.h"
#include "messages/outgoing.h"
#include "messages/smsencoding.h"

using namespace Qt::StringLiterals;

namespace parlevo {

namespace {

// Rows named in the cost line before "and N more".
constexpr qsizetype kNamedRows = 3;

void noteRow(qsizetype &count, QStringList &names, const ClassContact &contact)
{
    ++count;
    if (names.size() < kNamedRows) {
        const QString name = contact.FullName().trimmed();
        names.append(name.isEmpty() ? contact.Phone : name);
    }
}

QString namesOf(const TextTable &textes, qsizetype count, const QStringList &names)
{
    QString shown = names.join(u", "_s);
    if (count > names.size())
        shown = textes(Txt::CostMoreNames).arg(shown, QString::number(count - names.size()));
    return shown;
}

} // namespace

std::optional<qint64> creditFromSolde(const QString &solde)
{
    bool ok = false;
    const qint64 credit = solde.toLongLong(&ok);
    return ok ? std::optional(credit) : std::nullopt;
}

void countRow(MailingCost &cost, const ClassContact &contact, SmsAlphabet alphabet, int parts, bool cut)
{
    ++cost.recipients;
    cost.sms += parts;
    if (alphabet == SmsAlphabet::Unicode)
        noteRow(cost.unicodeRows, cost.unicodeNames, contact);
    if (cut)
        noteRow(cost.cutRows, cost.cutNames, contact);
}

MailingCost mailingCost(const TextTable &textes, const QString &sender, const MergeTemplate &message,
                        qsizetype rowCount, const std::function<const ClassContact *(qsizetype)> &contactAt,
                        const std::vector<RowSkip> &skips)
{
    MailingCost cost;
    const QString prefix = senderPrefix(textes, sender);
    QString text;
    for (qsizetype row = 0; row < rowCount; ++row) {
        if (std::size_t(row) < skips.size() && skips[std::size_t(row)] != RowSkip::None)
            continue;
        const ClassContact *contact = contactAt(row);
        if (!contact)
            continue;
        // Built as textToSend builds it, without a copy per row.
        text = prefix;
        text += message.merge(*contact);
        const SmsEncodingInfo info = analyseSmsText(Build_Message(text, *contact));
        countRow(cost, *contact, info.alphabet, info.parts, text.size() > kSmsMaxLength);
    }
    return cost;
}

QString mailingCostText(const TextTable &textes, const MailingCost &cost)
{
    // One arg() call each: a name holding "%1" stays as it is.
    QString text = textes(Txt::CostSummary).arg(QString::number(cost.sms), QString::number(cost.recipients));
    if (cost.unicodeRows > 0)
        text += u" ; "_s +
                textes(Txt::CostUnicodeRows)
                    .arg(QString::number(cost.unicodeRows), namesOf(textes, cost.unicodeRows, cost.unicodeNames));
    if (cost.cutRows > 0)
        text += u" ; "_s + textes(Txt::CostCutRows)
                               .arg(QString::number(cost.cutRows), QString::number(kSmsMaxLength),
                                    namesOf(textes, cost.cutRows, cost.cutNames));
    return text;
}

QString creditWarning(const TextTable &textes, std::optional<qint64> credit, qint64 smsCount)
{
    if (!credit || *credit >= smsCount)
        return {};
    return textes(Txt::CreditShort).arg(QString::number(*credit), QString::number(smsCount));
}

} // namespace parlevo
