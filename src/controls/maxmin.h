#pragma once

#include <QPointer>
#include <QSize>
#include <QWidget>

namespace parlevo {

// Bounds the size the user can give its window and reports when the whole application gains
// or loses activation. Placed on a window as an invisible child; each one serves its own
// window, so several can coexist.
class MaxMin final : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int MaxWidth READ MaxWidth WRITE setMaxWidth)
    Q_PROPERTY(int MaxHeight READ MaxHeight WRITE setMaxHeight)
    Q_PROPERTY(int MinWidth READ MinWidth WRITE setMinWidth)
    Q_PROPERTY(int MinHeight READ MinHeight WRITE setMinHeight)
    Q_PROPERTY(int MaxPosX READ MaxPosX WRITE setMaxPosX)
    Q_PROPERTY(int MaxPosY READ MaxPosY WRITE setMaxPosY)
    Q_PROPERTY(bool Enabled READ Enabled WRITE setEnabled)
public:
    explicit MaxMin(QWidget *window);
    Q_DISABLE_COPY_MOVE(MaxMin)

    int MaxWidth() const { return m_max.width(); }
    void setMaxWidth(int value);
    int MaxHeight() const { return m_max.height(); }
    void setMaxHeight(int value);
    int MinWidth() const { return m_min.width(); }
    void setMinWidth(int value);
    int MinHeight() const { return m_min.height(); }
    void setMinHeight(int value);
    // Where the maximised window's top-left corner goes. Kept for the window's use; Qt offers
    // no portable way to choose it, so the window system places maximised windows itself.
    int MaxPosX() const { return m_maxPos.x(); }
    void setMaxPosX(int value) { m_maxPos.setX(value); }
    int MaxPosY() const { return m_maxPos.y(); }
    void setMaxPosY(int value) { m_maxPos.setY(value); }

    // Off gives the window back its own size limits at once; on applies ours again.
    bool Enabled() const { return m_enabled; }
    void setEnabled(bool enabled);

signals:
    void Activate();
    void Deactivate();

private:
    void apply();
    void applicationStateChanged(Qt::ApplicationState state);

    QPointer<QWidget> m_window;
    QSize m_max{300, 300};
    QSize m_min{100, 100};
    QPoint m_maxPos{0, 0};
    bool m_enabled = true;
    bool m_applicationActive;
    // The window's limits before ours, given back when switched off.
    QSize m_ownMin;
    QSize m_ownMax;
};

} // namespace parlevo
