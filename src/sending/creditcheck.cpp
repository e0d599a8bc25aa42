#include "creditcheck.h"

#include "base/textes.h"
#include "base/txt.h"
#include "messages/smsencoding.h"

namespace parlevo {

std::optional<qint64> creditFromSolde(const QString &solde)
{
    bool ok = false;
    const qint64 credit = solde.toLongLong(&ok);
    return ok ? std::optional(credit) : std::nullopt;
}

qint64 mailingSmsCount(qint64 recipients, const QString &sentText)
{
    return recipients * analyseSmsText(sentText).parts;
}

QString creditWarning(const TextTable &textes, std::optional<qint64> credit, qint64 smsCount)
{
    if (!credit || *credit >= smsCount)
        return {};
    return textes(Txt::CreditShort).arg(QString::number(*credit), QString::number(smsCount));
}

} // namespace parlevo
