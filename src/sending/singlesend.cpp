#include "singlesend.h"

#include "addressbook/classcontact.h"
#include "sendjournal.h"

namespace parlevo {

SendReply sendJournaled(const QString &dataDir, const SingleSend &sms, const std::function<SendReply()> &send)
{
    JournalHead head{QString(), QDateTime(), sms.sender, sms.message, sms.differer, {sms.recipient}};
    QString error;
    const auto journal = SendJournal::createSingle(dataDir, head, &error);
    const qsizetype row = 0;
    if (journal)
        journal->recordStarted({&row, 1});
    const SendReply reply = send();
    if (journal) {
        journal->recordDone(row, reply);
        journal->recordEnd(true);
    }
    return reply;
}

} // namespace parlevo
