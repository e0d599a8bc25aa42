#pragma once

#include "gateway/sendreply.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace parlevo {

struct ClassContact;
class ClassSendora;
class TextTable;

using SendDone = std::function<void(const SendReply &)>;

// What one SMS sent alone records: the recipient (with the number sent as its phone), the
// sender and the message as typed, the deferred value.
struct SingleSend {
    const ClassContact &recipient;
    QString sender;
    QString message;
    QString differer;
    // A mailing row's text sent to the user's own number, to see it before the mailing goes.
    bool test = false;
    // The merge fields of the row's spreadsheet columns.
    QStringList columns = {};
};

// Sends text to number alone through the gateway, journaled as a one-row run marked as a single
// send, so that it shows in the history; returns at once, and done gets the reply once it is
// recorded. A journal that cannot be written does not hold the SMS back: a single send is never
// taken up again, the journal only tells what was sent.
void sendJournaled(ClassSendora &gateway, const QString &dataDir, const SingleSend &sms, const QString &number,
                   const QString &text, SendDone done);

// A mailing's test: the text one of its rows would get, sent now, once, to the user's own number.
struct MailingTest {
    QString myNumber; // as the user typed it
    QString sender;
    QString message; // as typed, merge fields and all
    const ClassContact &row;
    QStringList columns = {}; // the merge fields of the row's spreadsheet columns
};

// The number a test goes to: the user's own as a single send reads it; empty when none is set.
QString testNumber(const QString &myNumber);

// Sends the test, journaled as a single send marked as a test; done gets the reply. The journal
// keeps the row's fields with the user's number, so that the history shows the text the row
// would get.
void sendMailingTest(ClassSendora &gateway, const QString &dataDir, const TextTable &textes, const MailingTest &test,
                     SendDone done);

} // namespace parlevo
