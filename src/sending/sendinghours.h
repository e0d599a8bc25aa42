#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>

#include <vector>

namespace parlevo {

// The days off work of metropolitan France in a year, in date order: the eight fixed ones and the
// three that follow Easter (its Monday, Ascension, Whit Monday).
std::vector<QDate> frenchPublicHolidays(int year);
bool isFrenchPublicHoliday(QDate date);

// Commercial SMS go from Monday to Saturday, 8:00 to 20:00 (20:00 itself is too late), and not on a
// public holiday. Times are the machine's local ones.
bool isCommercialSendingTime(const QDateTime &when);
// The first time at or after when that commercial SMS may go.
QDateTime nextCommercialSendingTime(const QDateTime &when);

// Whether the message tells how to opt out: the word STOP, in any case, also against digits
// ("STOP36180").
bool mentionsStop(const QString &message);

} // namespace parlevo
