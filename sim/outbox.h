#pragma once

#include "gatewaymodel.h"

#include <QString>

namespace parlevo::sim {

// The outbox file: one JSON object per line for every message accepted, and one more when a
// deferred message's time comes ("status": "delivered"). Each line is flushed as written so a
// reader sees it as soon as the gateway has answered.
class Outbox final {
public:
    explicit Outbox(QString path);

    bool isEnabled() const { return !m_path.isEmpty(); }
    bool appendAccepted(const AcceptedMessage &message) const;
    bool appendDelivered(const AcceptedMessage &message, const QDateTime &deliveredAt) const;

    static QByteArray line(const AcceptedMessage &message, const QString &status, const QDateTime &at);

private:
    bool append(const QByteArray &line) const;
    QString m_path;
};

} // namespace parlevo::sim
