#include "mainwindowplaceholder.h"

#include "appstate.h"
#include "config.h"

#include <QCloseEvent>
#include <QLabel>

#include <cmath>

namespace parlevo {

namespace {

constexpr double kTwipsPerInch = 1440.0;

int twipsToPixels(qint32 twips, double dpi)
{
    return static_cast<int>(std::lround(twips * dpi / kTwipsPerInch));
}

qint32 pixelsToTwips(int pixels, double dpi)
{
    return static_cast<qint32>(std::lround(pixels * kTwipsPerInch / dpi));
}

} // namespace

MainWindowPlaceholder::MainWindowPlaceholder(AppState &state, std::function<void()> onClose)
    : m_onClose(std::move(onClose))
{
    setObjectName(QStringLiteral("MDIForm_Main"));
    setWindowTitle(QStringLiteral("Parlevo - v1.0"));
    setCentralWidget(new QLabel(state.Textes(1), this));

    const Config &c = state.config();
    const double dpiX = logicalDpiX();
    const double dpiY = logicalDpiY();
    setGeometry(twipsToPixels(c.WindowLeft, dpiX), twipsToPixels(c.WindowTop, dpiY), twipsToPixels(c.WindowWidth, dpiX),
                twipsToPixels(c.WindowHeight, dpiY));
    if (c.WindowMaximized)
        setWindowState(Qt::WindowMaximized);
}

WindowGeometry MainWindowPlaceholder::geometryInTwips() const
{
    const QRect r = isMaximized() ? normalGeometry() : geometry();
    const double dpiX = logicalDpiX();
    const double dpiY = logicalDpiY();
    return {pixelsToTwips(r.top(), dpiY), pixelsToTwips(r.left(), dpiX), pixelsToTwips(r.width(), dpiX),
            pixelsToTwips(r.height(), dpiY), isMaximized()};
}

void MainWindowPlaceholder::closeEvent(QCloseEvent *event)
{
    event->accept();
    if (m_onClose)
        m_onClose();
}

} // namespace parlevo
