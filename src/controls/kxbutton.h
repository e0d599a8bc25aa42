#pragma once

#include "base/shared.h"

#include <QPixmap>
#include <QWidget>

class QLabel;

namespace parlevo {

// A flat toolbar button: background, optional picture at the left, caption and a thin bottom
// line. Its colours follow the pointer: rest, hovered, pressed and released. Click is raised
// only when a press that stayed inside the button is released inside it.
class KXButton final : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
    Q_PROPERTY(QPixmap Picture READ Picture WRITE setPicture)
    Q_PROPERTY(uint MoveColor READ MoveColor WRITE setMoveColor)
    Q_PROPERTY(uint BackColor READ BackColor WRITE setBackColor)
    Q_PROPERTY(uint ClickColor READ ClickColor WRITE setClickColor)
    Q_PROPERTY(uint ForeColor READ ForeColor WRITE setForeColor)
    Q_PROPERTY(uint ActiveForeColor READ ActiveForeColor WRITE setActiveForeColor)
public:
    explicit KXButton(QWidget *parent = nullptr);
    Q_DISABLE_COPY_MOVE(KXButton)

    QString Caption() const;
    void setCaption(const QString &caption);
    QPixmap Picture() const { return m_picture; }
    void setPicture(const QPixmap &picture);

    WinColor MoveColor() const { return m_moveColor; }
    void setMoveColor(WinColor color) { m_moveColor = color; }
    WinColor BackColor() const { return m_backColor; }
    void setBackColor(WinColor color);
    WinColor ClickColor() const { return m_clickColor; }
    void setClickColor(WinColor color) { m_clickColor = color; }
    WinColor ForeColor() const { return m_foreColor; }
    void setForeColor(WinColor color);
    WinColor ActiveForeColor() const { return m_activeForeColor; }
    void setActiveForeColor(WinColor color) { m_activeForeColor = color; }

    // The colours painted right now, as Windows colour values.
    WinColor shownBackColor() const { return m_shownBack; }
    WinColor shownForeColor() const { return m_shownFore; }
    bool isPressed() const { return m_pressed; }

    QSize sizeHint() const override;

signals:
    void Click();
    void MouseEnter();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    bool isOutside(const QPoint &pos) const;
    void applyColors(WinColor back, WinColor fore);
    void layoutParts();
    void emitClick();

    QLabel *m_image;
    QLabel *m_label;
    QPixmap m_picture;
    WinColor m_moveColor;
    WinColor m_backColor = 0xFFFFFF;
    WinColor m_clickColor;
    WinColor m_foreColor = 0x000000;
    WinColor m_activeForeColor = 0xFFFFFF;
    WinColor m_shownBack = 0xFFFFFF;
    WinColor m_shownFore = 0x000000;
    bool m_pressed = false;
    bool m_keyboardFocus = false;
};

} // namespace parlevo
