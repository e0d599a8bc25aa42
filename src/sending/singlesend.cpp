#include "singlesend.h"

#include "addressbook/classcontact.h"
#include "gateway/classsendora.h"
#include "messages/mergefields.h"
#include "messages/outgoing.h"
#include "sendjournal.h"

#include <memory>

namespace parlevo {

void sendJournaled(ClassSendora &gateway, const QString &dataDir, const SingleSend &sms, const QString &number,
                   const QString &text, SendDone done)
{
    JournalHead head{QString(), QDateTime(), sms.sender, sms.message, sms.differer, {sms.recipient}};
    head.test = sms.test;
    head.columns = sms.columns;
    QString error;
    // Shared with the answer, which it outlives the call to wait for.
    const std::shared_ptr<SendJournal> journal = SendJournal::createSingle(dataDir, head, &error);
    const qsizetype row = 0;
    if (journal)
        journal->recordStarted({&row, 1});
    gateway.sendAsync(number, text, sms.differer, [journal, done = std::move(done)](const SendReply &reply) {
        if (journal) {
            journal->recordDone(0, reply);
            journal->recordEnd(true);
        }
        done(reply);
    });
}

QString testNumber(const QString &myNumber)
{
    return singleSendNumber(myNumber);
}

void sendMailingTest(ClassSendora &gateway, const QString &dataDir, const TextTable &textes, const MailingTest &test,
                     SendDone done)
{
    const QString number = testNumber(test.myNumber);
    ClassContact recipient = test.row;
    recipient.Phone = number;
    // Built as the run builds a row's text: the row's merge, then the sender's prefix and the cut.
    const QString text = textToSend(textes, test.sender, mergedMessage(test.message, test.row, test.columns), test.row);
    sendJournaled(gateway, dataDir, {recipient, test.sender, test.message, QString(), true, test.columns}, number, text,
                  std::move(done));
}

} // namespace parlevo
