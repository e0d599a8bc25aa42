#pragma once

#include "gateway/sendreply.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace parlevo {

struct ClassContact;
class TextTable;

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

// Sends one SMS alone through send, journaled as a one-row run marked as a single send, so that it
// shows in the history. A journal that cannot be written does not hold the SMS back: a single send
// is never taken up again, the journal only tells what was sent.
SendReply sendJournaled(const QString &dataDir, const SingleSend &sms, const std::function<SendReply()> &send);

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

// Sends the test through send(number, text), journaled as a single send marked as a test. The
// journal keeps the row's fields with the user's number, so that the history shows the text the
// row would get.
SendReply sendMailingTest(const QString &dataDir, const TextTable &textes, const MailingTest &test,
                          const std::function<SendReply(const QString &number, const QString &text)> &send);

} // namespace parlevo
