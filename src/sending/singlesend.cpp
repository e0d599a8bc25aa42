#include "singlesend.h"

#include "addressbook/classcontact.h"
#include "messages/mergefields.h"
#include "messages/outgoing.h"
#include "sendjournal.h"

namespace parlevo {

SendReply sendJournaled(const QString &dataDir, const SingleSend &sms, const std::function<SendReply()> &send)
{
    JournalHead head{QString(), QDateTime(), sms.sender, sms.message, sms.differer, {sms.recipient}};
    head.test = sms.test;
    head.columns = sms.columns;
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

QString testNumber(const QString &myNumber)
{
    return singleSendNumber(myNumber);
}

SendReply sendMailingTest(const QString &dataDir, const TextTable &textes, const MailingTest &test,
                          const std::function<SendReply(const QString &number, const QString &text)> &send)
{
    const QString number = testNumber(test.myNumber);
    ClassContact recipient = test.row;
    recipient.Phone = number;
    // Built as the run builds a row's text: the row's merge, then the sender's prefix and the cut.
    const QString text = textToSend(textes, test.sender, mergedMessage(test.message, test.row, test.columns), test.row);
    return sendJournaled(dataDir, {recipient, test.sender, test.message, QString(), true, test.columns},
                         [&] { return send(number, text); });
}

} // namespace parlevo
