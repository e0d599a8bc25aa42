#include "sendreply.h"

#include "base/textes.h"
#include "base/txt.h"

using namespace Qt::StringLiterals;

namespace parlevo {

QString replyText(const TextTable &textes, const SendReply &reply)
{
    if (reply.code == 0) {
        switch (reply.outcome) {
        case SendOutcome::Unknown:
            return textes(Txt::NoAnswerMaybeSent);
        case SendOutcome::NotSent:
            return textes(Txt::NotSentRunStopped);
        case SendOutcome::Skipped:
            return textes(Txt::SkippedNotSent);
        case SendOutcome::Busy:
            return textes(Txt::GatewayBusyNotSent);
        default:
            if (!reply.reason.isEmpty())
                return textes(Txt::ServerUnreachable) + u" ("_s + reply.reason + u')';
            return textes(Txt::ServerUnreachable);
        }
    }
    if (const std::optional<Txt> text = replyCodeText(reply.code))
        return textes(*text);
    return u'(' + QString::number(reply.code) + u')';
}

QString failureMessage(const TextTable &textes, const SendReply &reply)
{
    const QString head = textes(Txt::SendFailed) + u"\r\n"_s;
    if (!replyCodeText(reply.code))
        return head + replyText(textes, reply);
    return head + u'(' + QString::number(reply.code) + u") '" + replyText(textes, reply) + u'\'';
}

QString outcomeKeyword(SendOutcome outcome)
{
    switch (outcome) {
    case SendOutcome::Accepted:
        return u"accepted"_s;
    case SendOutcome::Refused:
        return u"refused"_s;
    case SendOutcome::Unreachable:
        return u"unreachable"_s;
    case SendOutcome::Unknown:
        return u"unknown"_s;
    case SendOutcome::NotSent:
        return u"not_sent"_s;
    case SendOutcome::Skipped:
        return u"skipped"_s;
    case SendOutcome::Busy:
        return u"busy"_s;
    }
    return {};
}

std::optional<SendOutcome> outcomeFromKeyword(QStringView keyword)
{
    for (SendOutcome o : {SendOutcome::Accepted, SendOutcome::Refused, SendOutcome::Unreachable, SendOutcome::Unknown,
                          SendOutcome::NotSent, SendOutcome::Skipped, SendOutcome::Busy}) {
        if (keyword == outcomeKeyword(o))
            return o;
    }
    return std::nullopt;
}

} // namespace parlevo
