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

// The local date and time the sending windows start their pickers from. Tests set their own
// clock; an empty function restores the system clock.
QDateTime sendingNow();
void setSendingClock(std::function<QDateTime()> clock);

} // namespace parlevo
