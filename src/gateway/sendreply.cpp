#include "sendreply.h"

#include "base/textes.h"

using namespace Qt::StringLiterals;

namespace parlevo {

namespace {

constexpr int kFailureText = 46;
constexpr int kUnreachableText = 379;
constexpr int kNoAnswerText = 270;
constexpr int kNotSentText = 191;
constexpr int kReplyTextBase = 300;
constexpr int kLastCodeWithText = 100;

} // namespace

QString replyText(const TextTable &textes, const SendReply &reply)
{
    if (reply.code == 0) {
        switch (reply.outcome) {
        case SendOutcome::Unknown:
            return textes(kNoAnswerText);
        case SendOutcome::NotSent:
        case SendOutcome::Skipped:
            return textes(kNotSentText);
        default:
            return textes(kUnreachableText);
        }
    }
    if (reply.code > kLastCodeWithText)
        return u'(' + QString::number(reply.code) + u')';
    return textes(reply.code + kReplyTextBase);
}

QString failureMessage(const TextTable &textes, const SendReply &reply)
{
    const QString head = textes(kFailureText) + u"\r\n"_s;
    if (reply.code == 0 || reply.code > kLastCodeWithText)
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
