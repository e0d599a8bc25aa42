#pragma once

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
    virtual void rowDone(qsizetype row, const QString &number, int code, const QString &result) = 0;
    virtual void progress(qsizetype done, qsizetype total) = 0;
};

// Totals of a finished run.
struct SendRunSummary {
    qsizetype total = 0;
    qsizetype accepted = 0;    // 80 or 81
    qsizetype unreachable = 0; // no usable reply
    qsizetype refused = 0;     // any other code
};

// Sends one SMS per row, strictly one after the other, each tried once, whatever the replies;
// differer is the same for every row. The row count is taken once, before the first SMS.
SendRunSummary runMailing(ClassSendora &gateway, const TextTable &textes, const MailingSource &source,
                          const QString &differer, SendRunObserver &observer);

// "(" + phone as stored + ") " + full name (with its final blank).
QString recipientText(const ClassContact &contact);
// The text shown for a reply code: the unreachable text for 0, else the table's text for the code.
QString resultText(const TextTable &textes, int code);
// "n SMS sur N d'envoyé." in plain decimal.
QString progressText(const TextTable &textes, qsizetype done, qsizetype total);

} // namespace parlevo
