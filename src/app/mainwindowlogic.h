#pragma once

#include <QString>
#include <QTime>

#include <optional>

class QLocale;

namespace parlevo {

class TextTable;

// What the balance panel shows until the credit has been asked for once.
inline constexpr char16_t kSoldeUnknown[] = u"---";

// "Parlevo - v1.0": the product name and the major and minor version.
QString MainWindowTitle();

// The balance sentence for the credit digits given by the gateway; empty or kSoldeUnknown when
// the credit is not available.
QString SoldePanelText(const TextTable &textes, const QString &solde);

// Whether the clock tick at `now` must refresh the credit: at every new minute, and every ten
// seconds while the panel still shows kSoldeUnknown. `previousTick` (invalid on the first tick)
// makes a tick that came late still count for the boundary it skipped, but never twice.
bool SoldeRefreshDue(const QString &soldePanel, QTime previousTick, QTime now);

// The time of day in the locale's long time format, without the time zone.
QString ClockText(QTime time, const QLocale &locale);

} // namespace parlevo
