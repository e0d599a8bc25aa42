#include "differer.h"

#include <algorithm>
#include <iterator>

using namespace Qt::StringLiterals;

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

QDateTime differerTime(const QString &differer)
{
    if (differer.size() != 12)
        return {};
    // Parsed by its fields: "hhmmddMMyyyy" as a format would read the year's digits greedily.
    bool ok[5] = {};
    const QTime time(differer.left(2).toInt(&ok[0]), differer.mid(2, 2).toInt(&ok[1]));
    const QDate date(differer.mid(8, 4).toInt(&ok[4]), differer.mid(6, 2).toInt(&ok[3]),
                     differer.mid(4, 2).toInt(&ok[2]));
    if (!std::all_of(std::begin(ok), std::end(ok), [](bool b) { return b; }))
        return {};
    const QDateTime when(date, time);
    return when.isValid() ? when : QDateTime();
}

bool differerTooSoon(const QString &differer, const QDateTime &now)
{
    if (differer.isEmpty())
        return false;
    const QDateTime when = differerTime(differer);
    return !when.isValid() || now.secsTo(when) < 60;
}

QString differerShown(const QString &differer)
{
    const QDateTime when = differerTime(differer);
    return when.isValid() ? when.toString(u"yyyy-MM-dd HH:mm"_s) : differer;
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
