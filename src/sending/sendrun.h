#pragma once

#include "gateway/sendreply.h"

#include <QString>

#include <functional>

namespace parlevo {

struct ClassContact;
class ClassSendora;
class TextTable;

// What a mailing send run reads. The rows are read in place, one at a time; the sender and the
// message are asked again for every SMS, so the texts in force at that moment are the ones sent.
struct MailingSource {
    std::function<qsizetype()> rowCount;
    // The contact of a 0-based row in display order; nullptr when the row has none.
    std::function<const ClassContact *(qsizetype row)> contactAt;
    std::function<QString()> sender;
    std::function<QString()> message;
};

// Told of each step of a run. rowStarted comes before the request, rowDone after its reply.
class SendRunObserver {
public:
    virtual ~SendRunObserver() = default;
    virtual void runStarted(qsizetype total) = 0;
    virtual void rowStarted(qsizetype row, const ClassContact &contact, const QString &recipient) = 0;
    virtual void rowDone(qsizetype row, const QString &number, const SendReply &reply, const QString &result) = 0;
    virtual void progress(qsizetype done, qsizetype total) = 0;
    // Asked before each SMS: true ends the run there, after the SMS already in flight.
    virtual bool stopRequested() const { return false; }
};

// Totals of a finished run.
struct SendRunSummary {
    qsizetype total = 0;
    qsizetype accepted = 0;    // 80 or 81
    qsizetype unreachable = 0; // never reached the gateway, or its answer was not a code
    qsizetype unknown = 0;     // no complete answer in time: may have been sent
    qsizetype refused = 0;     // any other code
    qsizetype done = 0;        // rows tried before the run ended
};

// Sends one SMS per row, strictly one after the other, each tried once, whatever the replies;
// differer is the same for every row. The row count is taken once, before the first SMS. The
// run ends early only when the observer asks it to stop.
SendRunSummary runMailing(ClassSendora &gateway, const TextTable &textes, const MailingSource &source,
                          const QString &differer, SendRunObserver &observer);

// "(" + phone as stored + ") " + full name (with its final blank).
QString recipientText(const ClassContact &contact);
// "n SMS sur N d'envoyé." in plain decimal.
QString progressText(const TextTable &textes, qsizetype done, qsizetype total);

} // namespace parlevo
