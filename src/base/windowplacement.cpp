#include "windowplacement.h"

#include <algorithm>
#include <cmath>

namespace parlevo {

namespace {

// How much of a window must show on a screen for the user to reach its title bar and move it.
constexpr int kMinVisible = 48;

} // namespace

int twipsToPixels(qint32 twips, double dotsPerInch)
{
    return static_cast<int>(std::lround(twips * dotsPerInch / kTwipsPerInch));
}

qint32 pixelsToTwips(int pixels, double dotsPerInch)
{
    return static_cast<qint32>(std::lround(pixels * kTwipsPerInch / dotsPerInch));
}

QRect keepOnScreen(const QRect &saved, const QList<QRect> &screens, const QRect &primary)
{
    const int needWidth = std::min(kMinVisible, std::max(saved.width(), 1));
    const int needHeight = std::min(kMinVisible, std::max(saved.height(), 1));
    for (const QRect &screen : screens) {
        const QRect shown = screen.intersected(saved);
        if (shown.width() >= needWidth && shown.height() >= needHeight)
            return saved;
    }
    if (!primary.isValid())
        return saved;
    QRect moved(QPoint(0, 0), saved.size().boundedTo(primary.size()));
    moved.moveCenter(primary.center());
    return moved;
}

QRect geometryToSave(Qt::WindowStates states, const QRect &current, const QRect &lastNormal)
{
    if (states & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))
        return lastNormal.isValid() ? lastNormal : current;
    return current;
}

} // namespace parlevo
