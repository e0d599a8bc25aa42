#include "differer.h"

namespace parlevo {

namespace {

std::function<QDateTime()> &clockFunction()
{
    static std::function<QDateTime()> clock;
    return clock;
}

QString twoDigits(int value)
{
    QString text = QString::number(value);
    if (text.size() == 1)
        text.prepend(u'0');
    return text;
}

} // namespace

QString Build_Differer(bool differer, QDate date, QTime time)
{
    if (!differer)
        return QString();
    const QString value = twoDigits(time.hour()) + twoDigits(time.minute()) + twoDigits(date.day()) +
                          twoDigits(date.month()) + QString::number(date.year());
    return value;
}

QDateTime sendingNow()
{
    const auto &clock = clockFunction();
    return clock ? clock() : QDateTime::currentDateTime();
}

void setSendingClock(std::function<QDateTime()> clock)
{
    clockFunction() = std::move(clock);
}

} // namespace parlevo
