#pragma once

#include "base/shared.h"

#include <QColor>

class QPalette;

namespace parlevo {

// A Windows colour value: 0x00BBGGRR for a direct colour, 0x800000nn for system colour nn.
inline constexpr WinColor kSystemColorFlag = 0x80000000;
inline constexpr WinColor systemColor(int index)
{
    return kSystemColorFlag | static_cast<WinColor>(index);
}

inline constexpr int kColorActiveCaption = 3;
inline constexpr int kColorHighlight = 13;
inline constexpr int kColorGrayText = 17;
inline constexpr int kColorInfoBackground = 24;

// The colour to paint. System colours come from the palette where it has a matching role, so
// the controls follow the desktop's theme as the original system colours did.
QColor toQColor(WinColor color, const QPalette &palette);

} // namespace parlevo
