#include "sendinghours.h"

#include <QRegularExpression>

#include <algorithm>

namespace parlevo {

namespace {

constexpr int kFirstHour = 8;
constexpr int kLastHour = 20;

// Easter Sunday of the Gregorian calendar (the anonymous algorithm, as Meeus gives it).
QDate easterSunday(int year)
{
    const int a = year % 19;
    const int b = year / 100;
    const int c = year % 100;
    const int d = b / 4;
    const int e = b % 4;
    const int f = (b + 8) / 25;
    const int g = (b - f + 1) / 3;
    const int h = (19 * a + b - d - g + 15) % 30;
    const int i = c / 4;
    const int k = c % 4;
    const int l = (32 + 2 * e + 2 * i - h - k) % 7;
    const int m = (a + 11 * h + 22 * l) / 451;
    const int month = (h + l - 7 * m + 114) / 31;
    const int day = (h + l - 7 * m + 114) % 31 + 1;
    return QDate(year, month, day);
}

bool isSendingDay(QDate date)
{
    return date.dayOfWeek() != Qt::Sunday && !isFrenchPublicHoliday(date);
}

} // namespace

std::vector<QDate> frenchPublicHolidays(int year)
{
    const QDate easter = easterSunday(year);
    std::vector<QDate> days{QDate(year, 1, 1),  easter.addDays(1),   QDate(year, 5, 1),  QDate(year, 5, 8),
                            easter.addDays(39), easter.addDays(50),  QDate(year, 7, 14), QDate(year, 8, 15),
                            QDate(year, 11, 1), QDate(year, 11, 11), QDate(year, 12, 25)};
    std::sort(days.begin(), days.end());
    return days;
}

bool isFrenchPublicHoliday(QDate date)
{
    if (!date.isValid())
        return false;
    const std::vector<QDate> days = frenchPublicHolidays(date.year());
    return std::binary_search(days.begin(), days.end(), date);
}

bool isCommercialSendingTime(const QDateTime &when)
{
    const int hour = when.time().hour();
    return when.isValid() && isSendingDay(when.date()) && hour >= kFirstHour && hour < kLastHour;
}

QDateTime nextCommercialSendingTime(const QDateTime &when)
{
    if (!when.isValid() || isCommercialSendingTime(when))
        return when;
    QDate day = when.date();
    if (!isSendingDay(day) || when.time().hour() >= kLastHour)
        day = day.addDays(1);
    while (!isSendingDay(day))
        day = day.addDays(1);
    return QDateTime(day, QTime(kFirstHour, 0));
}

bool mentionsStop(const QString &message)
{
    static const QRegularExpression stop(QStringLiteral("(?<!\\p{L})stop(?!\\p{L})"),
                                         QRegularExpression::CaseInsensitiveOption);
    return stop.match(message).hasMatch();
}

} // namespace parlevo
