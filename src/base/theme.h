#pragma once

#include <QColor>

class QPalette;
class QWidget;

namespace parlevo {

// The gap between two buttons side by side, and between a caption and its field: the style's own.
int standardGap(const QWidget &widget);

// The colours of the program's own decoration (page card, headings, status bar). On a light
// palette they are the program's drawn look; on a dark one they come from the palette, so every
// text stays readable whatever the desktop's theme.
struct ThemeColors {
    QColor clientArea; // behind the page cards
    QColor card;
    QColor border;
    QColor title;
    QColor heading;
    QColor muted; // help lines, the menu caption
    QColor statusBack;
    QColor statusText;
    QColor focus;
};

bool isDarkPalette(const QPalette &palette);
// The WCAG contrast ratio of two colours, from 1 (same luminance) to 21 (black on white).
double contrastRatio(const QColor &a, const QColor &b);
ThemeColors themeColors(const QPalette &palette);

// Black or white, whichever reads better on background.
QColor readableOn(const QColor &background);
// foreground, else alternative, else readableOn(background): the first that can be read on
// background (a fixed colour drawn on a palette colour of a dark theme may not).
QColor legibleOn(const QColor &foreground, const QColor &background, const QColor &alternative = {});

} // namespace parlevo
