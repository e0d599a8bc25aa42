#include "mainwindowlogic.h"

#include "base/textes.h"
#include "base/txt.h"

#include <QLocale>
#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace parlevo {

namespace {

// True when a multiple of `period` seconds lies in (previous, now], or at `now` on the first tick.
bool crossed(QTime previous, QTime now, int period)
{
    const int nowSlot = now.msecsSinceStartOfDay() / 1000 / period;
    if (!previous.isValid())
        return now.second() % period == 0;
    return previous.msecsSinceStartOfDay() / 1000 / period != nowSlot;
}

} // namespace

QString MainWindowTitle()
{
    const QStringList parts = QStringLiteral(PARLEVO_VERSION).split(u'.');
    const QString major = parts.value(0, u"1"_s);
    const QString minor = parts.value(1, u"0"_s);
    return u"Parlevo - v"_s + major + u'.' + minor;
}

QString SoldePanelText(const TextTable &textes, const QString &solde)
{
    const bool unknown = solde.isEmpty() || solde == QStringView(kSoldeUnknown);
    const QString shown = unknown ? textes(Txt::CreditUnavailable) : solde;
    return textes(Txt::CreditLeft) + u' ' + shown;
}

bool SoldeRefreshDue(const QString &soldePanel, QTime previousTick, QTime now)
{
    if (!now.isValid())
        return false;
    if (crossed(previousTick, now, 60))
        return true;
    return soldePanel == QStringView(kSoldeUnknown) && crossed(previousTick, now, 10);
}

QString ClockText(QTime time, const QLocale &locale)
{
    // The long format ends with the time zone on most locales; a status-bar clock does not need it.
    static const QRegularExpression zone(uR"(\s*\bt+\b\s*)"_s);
    QString format = locale.timeFormat(QLocale::LongFormat);
    format.replace(zone, u" "_s);
    return locale.toString(time, format.trimmed());
}

} // namespace parlevo
