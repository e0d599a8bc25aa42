#include "wincolor.h"

#include <QPalette>

namespace parlevo {

QColor toQColor(WinColor color, const QPalette &palette)
{
    if (!(color & kSystemColorFlag))
        return QColor(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));

    switch (color & 0xFF) {
    case 0:  // scroll bar
    case 4:  // menu
    case 15: // button face
        return palette.color(QPalette::Button);
    case 5: // window
        return palette.color(QPalette::Base);
    case 8:  // window text
    case 18: // button text
        return palette.color(QPalette::Text);
    case kColorActiveCaption:
        // Qt has no title-bar role; a darker shade of the selection colour reads as "pressed".
        return palette.color(QPalette::Highlight).darker(130);
    case kColorHighlight:
        return palette.color(QPalette::Highlight);
    case 14: // highlight text
        return palette.color(QPalette::HighlightedText);
    case kColorGrayText:
        return palette.color(QPalette::Disabled, QPalette::Text);
    case 23: // tooltip text
        return palette.color(QPalette::ToolTipText);
    case kColorInfoBackground:
        return palette.color(QPalette::ToolTipBase);
    default:
        return palette.color(QPalette::Window);
    }
}

} // namespace parlevo
