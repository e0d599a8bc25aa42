#pragma once

#include "gateway/sendreply.h"

#include <QString>

#include <functional>

namespace parlevo {

struct ClassContact;

// What one SMS sent alone records: the recipient (with the number sent as its phone), the
// sender and the message as typed, the deferred value.
struct SingleSend {
    const ClassContact &recipient;
    QString sender;
    QString message;
    QString differer;
};

// Sends one SMS alone through send, journaled as a one-row run marked as a single send, so that it
// shows in the history. A journal that cannot be written does not hold the SMS back: a single send
// is never taken up again, the journal only tells what was sent.
SendReply sendJournaled(const QString &dataDir, const SingleSend &sms, const std::function<SendReply()> &send);

} // namespace parlevo
