#include "theme.h"

#include <QPalette>
#include <QStyle>
#include <QWidget>

#include <cmath>

namespace parlevo {

namespace {

// Relative luminance as the WCAG define it.
double luminance(const QColor &c)
{
    auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

QColor mix(const QColor &a, const QColor &b, double share)
{
    return QColor::fromRgbF(float(a.redF() * (1 - share) + b.redF() * share),
                            float(a.greenF() * (1 - share) + b.greenF() * share),
                            float(a.blueF() * (1 - share) + b.blueF() * share));
}

} // namespace

double contrastRatio(const QColor &a, const QColor &b)
{
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

int standardGap(const QWidget &widget)
{
    return widget.style()->pixelMetric(QStyle::PM_LayoutHorizontalSpacing, nullptr, &widget);
}

bool isDarkPalette(const QPalette &palette)
{
    return luminance(palette.color(QPalette::Window)) < luminance(palette.color(QPalette::WindowText));
}

ThemeColors themeColors(const QPalette &palette)
{
    if (!isDarkPalette(palette)) {
        return {.clientArea = QColor(0xE9, 0xEE, 0xF4),
                .card = QColor(0xFF, 0xFF, 0xFF),
                .border = QColor(0xD5, 0xDC, 0xE6),
                .title = QColor(0x1B, 0x3A, 0x63),
                .heading = QColor(0x1E, 0x5A, 0xA8),
                .muted = QColor(0x5B, 0x66, 0x75),
                .statusBack = QColor(0xF5, 0xF7, 0xFA),
                .statusText = QColor(0x33, 0x41, 0x55),
                .focus = QColor(0x3A, 0x8D, 0xDE)};
    }
    const QColor window = palette.color(QPalette::Window);
    const QColor text = palette.color(QPalette::WindowText);
    const QColor link = legibleOn(palette.color(QPalette::Link), window);
    return {.clientArea = window.darker(125),
            .card = window,
            .border = mix(window, text, 0.25),
            .title = text,
            .heading = link,
            .muted = mix(window, text, 0.65),
            .statusBack = window.darker(110),
            .statusText = mix(window, text, 0.85),
            .focus = legibleOn(palette.color(QPalette::Highlight), window)};
}

QColor readableOn(const QColor &background)
{
    return contrastRatio(Qt::black, background) >= contrastRatio(Qt::white, background) ? QColor(Qt::black)
                                                                                        : QColor(Qt::white);
}

QColor legibleOn(const QColor &foreground, const QColor &background, const QColor &alternative)
{
    // 3:1: the least contrast that text needs to be read comfortably at these sizes.
    constexpr double kLeast = 3.0;
    if (contrastRatio(foreground, background) >= kLeast)
        return foreground;
    if (alternative.isValid() && contrastRatio(alternative, background) >= kLeast)
        return alternative;
    return readableOn(background);
}

} // namespace parlevo
