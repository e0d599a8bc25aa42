#pragma once

#include <QObject>
#include <QString>
#include <QUrl>

namespace parlevo {

class TextTable;

// The client of the SMS gateway; holds the account and makes every request to the gateway.
class ClassSendora final : public QObject {
    Q_OBJECT
public:
    explicit ClassSendora(const TextTable &textes, QObject *parent = nullptr);
    Q_DISABLE_COPY_MOVE(ClassSendora)

    QString Mail;
    QString Password;

    // Sends one SMS; true when the gateway accepted it (sent or recorded for later). Unless
    // Silent, a refusal or an unreachable gateway is reported in a message box.
    bool Send_SMS(const QString &NumeroGSM, const QString &Message, const QString &Differer, bool Silent);
    // The gateway's reply code (80..91), or 0 when no usable reply came.
    quint8 Envoi_SMS(const QString &NumeroGSM, const QString &Message, const QString &Differer);
    // The remaining credit as digits, or the empty text when it is not available.
    QString Solde();

    // The gateway's base address ("http://host:port").
    QUrl baseUrl() const { return m_baseUrl; }
    void setBaseUrl(const QUrl &url) { m_baseUrl = url; }

private:
    const TextTable &m_textes;
    QUrl m_baseUrl;
};

} // namespace parlevo
