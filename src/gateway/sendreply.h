#pragma once

#include <QString>

#include <optional>

namespace parlevo {

class TextTable;

// What became of one SMS handed to the gateway.
enum class SendOutcome : quint8 {
    Accepted,    // 80 sent, 81 kept for a deferred send
    Refused,     // any other reply code
    Unreachable, // code 0: the request never reached the gateway, or its answer was not a code
    Unknown,     // code 0: the request left but no complete answer came in time; it may have been sent
    NotSent,     // code 0: the run was stopped before this row's request was started
    Skipped,     // code 0: left out on purpose (an opted-out number, or one that already had its SMS):
                 // never sent again
    Busy,        // code 0: the gateway was too busy to serve the request (HTTP 429 or 503): not sent
};

// A send's reply: the gateway's code (0 when no usable reply came) and what it means.
struct SendReply {
    quint8 code = 0;
    SendOutcome outcome = SendOutcome::Unreachable;
    // Busy: how long the gateway asked to be left alone, in seconds; 0 when it did not say.
    int retryAfterSeconds = 0;
    // Unreachable: why, as the system named it (a certificate refused); empty when it did not say.
    QString reason = {};
};

// The refusal that says the account has no credit left: every later SMS would get it too.
inline constexpr int kNoCreditCode = 83;

// 80 (sent) and 81 (kept for a deferred send) are the only codes that need no second try.
constexpr bool isAcceptedCode(int code)
{
    return code == 80 || code == 81;
}

// The outcome of a reply code that came in a complete answer.
constexpr SendOutcome outcomeOfCode(int code)
{
    return code == 0 ? SendOutcome::Unreachable : isAcceptedCode(code) ? SendOutcome::Accepted : SendOutcome::Refused;
}

// The text shown for a reply: the unreachable (with its reason in brackets when known), no-answer,
// not-sent or left-out text for code 0, "(code)" above
// 100 (the table has no entry there), else the table's text for the code, empty or not.
QString replyText(const TextTable &textes, const SendReply &reply);

// The message shown when a single send fails: the failure text, a line break, then the reason
// ("(83) 'Vous devez créditer votre compte'" for a refusal).
QString failureMessage(const TextTable &textes, const SendReply &reply);

// The name of an outcome in files, the same in every language.
QString outcomeKeyword(SendOutcome outcome);
// The outcome named by a keyword; nothing for another word.
std::optional<SendOutcome> outcomeFromKeyword(QStringView keyword);

} // namespace parlevo
