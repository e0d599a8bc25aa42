#pragma once

#include "base/shared.h"

#include <QWidget>

class QLabel;

namespace parlevo {

// A one-line hyperlink: link colour, underlined while the pointer is over it, hand pointer,
// the desktop's navigation sound and Click on a left-button release over it.
class LabelLink final : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
    Q_PROPERTY(uint ForeColor READ ForeColor WRITE setForeColor)
    Q_PROPERTY(bool PlaySystemSound READ PlaySystemSound WRITE setPlaySystemSound)
public:
    // The dark blue the program's windows give their links.
    static constexpr WinColor kLinkColor = 0xC00000;
    // That blue as drawn on palette's windows: the palette's link colour where it would not read.
    static QColor linkColor(const QPalette &palette);

    explicit LabelLink(QWidget *parent = nullptr);
    Q_DISABLE_COPY_MOVE(LabelLink)

    QString Caption() const;
    void setCaption(const QString &caption);
    WinColor ForeColor() const { return m_foreColor; }
    void setForeColor(WinColor color);
    bool PlaySystemSound() const { return m_playSystemSound; }
    void setPlaySystemSound(bool play) { m_playSystemSound = play; }

    bool isUnderlined() const;
    // The colour the caption is painted in right now.
    QColor shownColor() const;
    // The sound a click plays; empty when the desktop has none.
    QString soundFile() const { return m_soundFile; }

signals:
    void Click();

protected:
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void setUnderlined(bool underlined);
    void applyColor();
    void fitToCaption();
    void activate();

    QLabel *m_label;
    WinColor m_foreColor = 0x000000;
    bool m_playSystemSound = true;
    QString m_soundFile;
};

} // namespace parlevo
