#pragma once

#include <QList>
#include <QRect>
#include <QtGlobal>

namespace parlevo {

// Window positions and sizes are kept in twips (1/1440 inch); the screen works in pixels.
inline constexpr double kTwipsPerInch = 1440.0;

int twipsToPixels(qint32 twips, double dotsPerInch);
qint32 pixelsToTwips(int pixels, double dotsPerInch);

// A saved window rectangle as it should be applied today: unchanged when enough of it lies on
// one of the screens to be grabbed, otherwise moved (and shrunk if needed) onto the primary
// screen, centred, so that a window saved on a monitor unplugged since is not lost off-screen.
QRect keepOnScreen(const QRect &saved, const QList<QRect> &screens, const QRect &primary);

// The rectangle to remember when the window closes. A minimised or maximised window reports a
// parking or full-screen position; the last normal rectangle is what the user placed.
QRect geometryToSave(Qt::WindowStates states, const QRect &current, const QRect &lastNormal);

} // namespace parlevo
