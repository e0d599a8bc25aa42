#pragma once

#include "proxyenvironment.h"
#include "sendreply.h"

#include <QObject>
#include <QString>
#include <QUrl>

#include <QDeadlineTimer>

#include <functional>
#include <memory>
#include <optional>

namespace parlevo {

class HttpClient;
class TextTable;

// The client of the SMS gateway; holds the account and makes every request to the gateway.
// Every request returns at once and hands its answer to a callback from the event loop (about 5
// seconds at most); requests under way together do not disturb one another. A send is put on the
// wire once, never again, and only a complete answer counts.
class ClassSendora final : public QObject {
    Q_OBJECT
public:
    static constexpr int kReplyWaitMs = 5000;

    explicit ClassSendora(const TextTable &textes, QObject *parent = nullptr);
    ~ClassSendora() override;
    Q_DISABLE_COPY_MOVE(ClassSendora)

    QString Mail;
    QString Password;
    // The proxy of the preferences; when none is set, the environment's or the desktop's is used.
    ProxySetting Proxy;

    // Sends one SMS; done is told whether the gateway accepted it (sent or recorded for later).
    // Unless Silent, a refusal or an unreachable gateway is reported in a message box first.
    void Send_SMS(const QString &NumeroGSM, const QString &Message, const QString &Differer, bool Silent,
                  std::function<void(bool)> done);
    // The message box Send_SMS shows for a send that was not accepted; none once the program is quitting.
    void reportFailure(const SendReply &reply) const;
    // Sends one SMS; done gets the gateway's reply code (80..91, 0 when no usable reply came),
    // telling apart a gateway never reached from an answer that did not come. Several may be
    // under way at once, each on its own connection.
    void sendAsync(const QString &NumeroGSM, const QString &Message, const QString &Differer,
                   std::function<void(const SendReply &)> done);
    // The remaining credit as digits, or the empty text when it is not available (at once,
    // without a request, when the account is incomplete).
    void Solde(std::function<void(const QString &)> done);

    // The gateway's base address ("http://host:port"); resolveGatewayBaseUrl() at creation.
    QUrl baseUrl() const { return m_baseUrl; }
    void setBaseUrl(const QUrl &url) { m_baseUrl = url; }

    // The program is quitting: every pending request ends at once and no request leaves any more.
    void cancelAll();
    // A request is waiting for its answer.
    bool isBusy() const;

    // What one request brought back, redirects followed.
    struct Page {
        bool sent = false;           // the request was written
        std::optional<QString> text; // the visible text of a complete answer
        int busyFor = -1;            // a busy gateway's answer: the seconds it asked to wait
        bool proxyStopped = false;   // a proxy would not carry the request: the gateway never saw it
        QString failure;             // why the gateway was not reached, when the system or the proxy says
    };

private:
    void fetchPageAsync(const QUrl &url, QDeadlineTimer deadline, int hop, bool sent,
                        std::function<void(const Page &)> done);

    const TextTable &m_textes;
    QUrl m_baseUrl;
    std::unique_ptr<HttpClient> m_http;
};

// A reply text read as a code: a whole number from 0 to 255 (blanks around it allowed), else 0.
quint8 replyCode(const QString &text);

// The credit in a balance page text: the digits between "Votre crédit est de" and the first
// "SMS."; empty when either is missing or "SMS." comes first.
QString creditFromPage(const QString &text);

} // namespace parlevo
