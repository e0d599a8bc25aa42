#include "gatewaywait.h"

#include "gateway/classsendora.h"

#include <QTest>

#include <optional>

namespace parlevo::test {

namespace {

// Longer than any request may last: the client ends each within its own time limit.
constexpr int kLongestWaitMs = 3 * ClassSendora::kReplyWaitMs;

template <typename T> T waitFor(std::optional<T> &answer)
{
    if (!QTest::qWaitFor([&answer] { return answer.has_value(); }, kLongestWaitMs))
        qWarning("the gateway client gave no answer");
    return answer.value_or(T{});
}

} // namespace

SendReply sendAndWait(ClassSendora &gateway, const QString &number, const QString &message, const QString &differer)
{
    std::optional<SendReply> reply;
    gateway.sendAsync(number, message, differer, [&reply](const SendReply &r) { reply = r; });
    return waitFor(reply);
}

bool sendSmsAndWait(ClassSendora &gateway, const QString &number, const QString &message, const QString &differer,
                    bool silent)
{
    std::optional<bool> accepted;
    gateway.Send_SMS(number, message, differer, silent, [&accepted](bool a) { accepted = a; });
    return waitFor(accepted);
}

QString soldeAndWait(ClassSendora &gateway)
{
    std::optional<QString> credit;
    gateway.Solde([&credit](const QString &c) { credit = c; });
    return waitFor(credit);
}

} // namespace parlevo::test
