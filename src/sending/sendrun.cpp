#include "sendrun.h"

#include "addressbook/classcontact.h"
#include "base/shared.h"
#include "base/textes.h"
#include "gateway/classsendora.h"
#include "messages/outgoing.h"

namespace parlevo {

QString recipientText(const ClassContact &contact)
{
    return u'(' + contact.Phone + u") " + contact.FullName();
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
    for (qsizetype row = 0; row < summary.total && !observer.stopRequested(); ++row) {
        const ClassContact *found = row < source.rowCount() ? source.contactAt(row) : nullptr;
        const ClassContact &contact = found ? *found : none;
        observer.rowStarted(row, contact, recipientText(contact));
        const QString number = DigitsOnly(contact.Phone);
        const QString text = textToSend(textes, source.sender(), source.message(), contact);
        const SendReply reply = gateway.send(number, text, differer);
        switch (reply.outcome) {
        case SendOutcome::Accepted:
            ++summary.accepted;
            break;
        case SendOutcome::Refused:
            ++summary.refused;
            break;
        case SendOutcome::Unreachable:
            ++summary.unreachable;
            break;
        case SendOutcome::Unknown:
            ++summary.unknown;
            break;
        }
        summary.done = row + 1;
        observer.rowDone(row, number, reply, replyText(textes, reply));
        observer.progress(row + 1, summary.total);
    }
    return summary;
}

} // namespace parlevo
