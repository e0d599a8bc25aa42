#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

#include <functional>

namespace parlevo {

// The deferred-send value the gateway expects: empty for an immediate send, else hour, minute,
// day and month on two digits each and the year as it is, hhmmDDMMYYYY (14:05 on 7 March 2026:
// 140507032026). Whether the moment lies ahead is the gateway's to judge.
QString Build_Differer(bool differer, QDate date, QTime time);

// The moment of a deferred-send value, in local time; invalid for an empty or malformed value.
QDateTime differerTime(const QString &differer);
// Whether the gateway would refuse a deferred-send value sent at now (reply 85 for every SMS): a
// moment already past or less than a minute ahead, or a malformed value. Empty is never too soon.
bool differerTooSoon(const QString &differer, const QDateTime &now);
// The value as "yyyy-MM-dd HH:mm" for messages; as stored when malformed.
QString differerShown(const QString &differer);

// The local date and time the sending windows start their pickers from. Tests set their own
// clock; an empty function restores the system clock.
QDateTime sendingNow();
void setSendingClock(std::function<QDateTime()> clock);

} // namespace parlevo
