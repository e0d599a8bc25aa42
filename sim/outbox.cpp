#include "outbox.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

namespace parlevo::sim {

Outbox::Outbox(QString path)
    : m_path(std::move(path))
{
}

QByteArray Outbox::line(const AcceptedMessage &m, const QString &status, const QDateTime &at)
{
    QJsonObject o;
    o.insert(u"received", m.received.toUTC().toString(Qt::ISODateWithMs));
    o.insert(u"account", m.account);
    o.insert(u"number", m.number);
    o.insert(u"text", m.text);
    o.insert(u"deferred", m.deferred);
    o.insert(u"code", m.code);
    o.insert(u"status", status);
    if (status == u"delivered")
        o.insert(u"delivered", at.toUTC().toString(Qt::ISODateWithMs));
    return QJsonDocument(o).toJson(QJsonDocument::Compact) + '\n';
}

bool Outbox::appendAccepted(const AcceptedMessage &m) const
{
    return append(line(m, m.code == 81 ? QStringLiteral("scheduled") : QStringLiteral("sent"), m.received));
}

bool Outbox::appendDelivered(const AcceptedMessage &m, const QDateTime &deliveredAt) const
{
    return append(line(m, QStringLiteral("delivered"), deliveredAt));
}

bool Outbox::append(const QByteArray &bytes) const
{
    if (m_path.isEmpty())
        return true;
    QFile file(m_path);
    return file.open(QIODevice::WriteOnly | QIODevice::Append) && file.write(bytes) == bytes.size() && file.flush();
}

} // namespace parlevo::sim
