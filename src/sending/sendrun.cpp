#include "sendrun.h"

#include "addressbook/classcontact.h"
#include "app/shared.h"
#include "app/textes.h"
#include "gateway/classsendora.h"
#include "messages/outgoing.h"

namespace parlevo {

namespace {

constexpr int kUnreachableText = 379;
constexpr int kReplyTextBase = 300;
constexpr int kLastText = 400;

} // namespace

QString recipientText(const ClassContact &contact)
{
    return u'(' + contact.Phone + u") " + contact.FullName();
}

QString resultText(const TextTable &textes, int code)
{
    if (code == 0)
        return textes(kUnreachableText);
    // The table ends at 400: a code above 100 has no text of its own, so the code itself is shown.
    if (code + kReplyTextBase > kLastText || textes(code + kReplyTextBase).isEmpty())
        return u'(' + QString::number(code) + u')';
    return textes(code + kReplyTextBase);
}

QString progressText(const TextTable &textes, qsizetype done, qsizetype total)
{
    return textes(96).arg(QString::number(done), QString::number(total));
}

SendRunSummary runMailing(ClassSendora &gateway, const TextTable &textes, const MailingSource &source,
                          const QString &differer, SendRunObserver &observer)
{
    SendRunSummary summary;
    summary.total = source.rowCount();
    observer.runStarted(summary.total);
    const ClassContact none;
    for (qsizetype row = 0; row < summary.total; ++row) {
        const ClassContact *found = row < source.rowCount() ? source.contactAt(row) : nullptr;
        const ClassContact &contact = found ? *found : none;
        observer.rowStarted(row, contact, recipientText(contact));
        const QString number = DigitsOnly(contact.Phone);
        const QString text = textToSend(textes, source.sender(), source.message(), contact);
        const int code = gateway.Envoi_SMS(number, text, differer);
        if (code == 80 || code == 81)
            ++summary.accepted;
        else if (code == 0)
            ++summary.unreachable;
        else
            ++summary.refused;
        observer.rowDone(row, number, code, resultText(textes, code));
        observer.progress(row + 1, summary.total);
    }
    return summary;
}

} // namespace parlevo
