#include "options.h"

#include "addressbook/classcontact.h"
#include "addressbook/contactcollection.h"
#include "base/ini.h"
#include "base/messagebox.h"
#include "base/shared.h"
#include "base/txt.h"
#include "gateway/classsendora.h"
#include "messages/gsmfriendly.h"
#include "messages/outgoing.h"
#include "messages/smscodingtext.h"
#include "messages/smsencoding.h"
#include "sending/sendrun.h"
#include "sending/singlesend.h"

#include "sending/differer.h"
#include <QCommandLineParser>
#include <QDir>

#include <QFile>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace parlevo::cli {

int send(const QString &globalDataDir, const QStringList &arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption to(
        QStringLiteral("to"),
        QStringLiteral("Recipient: its digits are kept, a leading \"+\" sent as \"00\"; all of an\n"
                       "international number (\"+\" or \"00\") are used, the first 10 of another."),
        QStringLiteral("NUMBER"));
    const MessageOptions messageOptions;
    const QCommandLineOption &message = messageOptions.message;
    const QCommandLineOption &from = messageOptions.from;
    const QCommandLineOption &at = messageOptions.at;
    parser.addOptions({to, message, from, at, messageOptions.gsmFriendly});
    int status = kAccepted;
    if (!parseCommand(parser, u"send"_s,
                      u"Sends one SMS through the gateway with the rules of the desktop single send: the\n"
                      u"sender prefix, the 160-character cut, the deferred value hhmmDDMMYYYY.\n"
                      u"Prints the gateway's text for its reply, and before sending, on standard error, the\n"
                      u"text's coding (GSM 7-bit or Unicode) and its number of SMS, and how many SMS\n"
                      u"--gsm-friendly would save when typographic characters alone need Unicode. Exit\n"
                      u"status: 0 accepted, 2 gateway unreachable or no usable reply, 3 refused, 4 no complete\n"
                      u"answer in time (the SMS may have been sent), 64 usage error or a deferred time (--at)\n"
                      u"that has passed or is less than a minute away."_s,
                      arguments, &status))
        return status;
    if (!parser.isSet(message))
        return usage(u"send needs --message"_s, u"send"_s);

    auto parts = loadParts(parser.isSet(dataDirOption()) ? parser.value(dataDirOption()) : globalDataDir);
    const QString number = singleSendNumber(parser.value(to));
    if (number.isEmpty()) {
        err(parts->textes(Txt::EnterNumber));
        return usage(u"send needs --to with a number"_s, u"send"_s);
    }
    const auto deferred = messageOptions.differer(parser);
    if (!deferred)
        return usage(u"--at wants \"YYYY-MM-DD HH:MM\", not "_s + parser.value(at), u"send"_s);
    const QString differer = *deferred;
    if (differerTooSoon(differer, sendingNow()))
        return usage(u"--at "_s + differerShown(differer) +
                         u" has passed or is less than a minute away: the gateway would refuse the SMS; leave out "
                         u"--at to send now, or give a later time"_s,
                     u"send"_s);
    const QString sender = parser.isSet(from) ? parser.value(from) : parts->config.Expediteur;
    const QString text = textToSend(parts->textes, sender, messageOptions.text(parser), ClassContact{});
    // Standard error: standard output keeps the gateway's text alone for scripts.
    err(smsCodingLine(parts->textes, analyseSmsText(text)));
    const QString friendlier = textToSend(parts->textes, sender, gsmFriendly(parser.value(message)), ClassContact{});
    if (const QString offer = gsmFriendlyOfferText(parts->textes, gsmFriendlyOffer(text, friendlier)); !offer.isEmpty())
        err(offer + u": --gsm-friendly"_s);

    ClassContact recipient;
    recipient.Phone = number;
    const SendReply reply = awaitReply([&](SendDone done) {
        sendJournaled(parts->gateway, parts->dataDir.path(), {recipient, sender, parser.value(message), differer},
                      number, text, std::move(done));
    });
    if (reply.outcome == SendOutcome::Accepted) {
        out(replyText(parts->textes, reply));
        return kAccepted;
    }
    // The same message Send_SMS shows, through the program's message-box routine (standard error here).
    MsgBox(failureMessage(parts->textes, reply), vbOKOnly | vbCritical);
    return exitStatusOf(reply.outcome);
}

} // namespace parlevo::cli
