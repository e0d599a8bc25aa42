#include "kxbutton.h"

#include "base/theme.h"

#include "accessibility.h"
#include "wincolor.h"

#include <QAccessible>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

using namespace Qt::StringLiterals;

namespace parlevo {

namespace {

constexpr int kPadding = 8;
constexpr int kPictureGap = 4;
const QColor kBottomLine(0xD9, 0xDE, 0xE6);

} // namespace

KXButton::KXButton(QWidget *parent)
    : QWidget(parent)
    , m_image(new QLabel(this))
    , m_label(new QLabel(this))
    , m_moveColor(systemColor(kColorHighlight))
    , m_clickColor(systemColor(kColorActiveCaption))
{
    // The parts never take the pointer: every move and press reaches the button itself.
    m_image->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_label->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_image->setObjectName(u"Image1"_s);
    m_label->setObjectName(u"Label1"_s);
    m_label->setTextFormat(Qt::PlainText);
    setMouseTracking(true);
    // Reachable with Tab and pressed with Space or Enter, like any button.
    setFocusPolicy(Qt::TabFocus);
    installControlsAccessibility();
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCaption(u"KXButton"_s);
    applyColors(m_backColor, m_foreColor);
}

QString KXButton::Caption() const
{
    return m_label->text();
}

void KXButton::setCaption(const QString &caption)
{
    m_label->setText(caption);
    QAccessibleEvent nameChanged(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&nameChanged);
    layoutParts();
    updateGeometry();
}

void KXButton::setPicture(const QPixmap &picture)
{
    m_picture = picture;
    m_image->setPixmap(picture);
    m_image->setVisible(!picture.isNull());
    layoutParts();
    updateGeometry();
}

void KXButton::setBackColor(WinColor color)
{
    m_backColor = color;
    applyColors(color, m_shownFore);
}

void KXButton::setForeColor(WinColor color)
{
    m_foreColor = color;
    applyColors(m_shownBack, color);
}

QSize KXButton::sizeHint() const
{
    const QSize picture = m_picture.isNull() ? QSize() : m_picture.deviceIndependentSize().toSize();
    const QSize caption = m_label->sizeHint();
    const int width = kPadding + (picture.isEmpty() ? 0 : picture.width() + kPictureGap) + caption.width() + kPadding;
    const int height = std::max(picture.height(), caption.height()) + 2 * kPadding;
    return {width, height};
}

void KXButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), toQColor(m_shownBack, palette()));
    painter.setPen(kBottomLine);
    painter.drawLine(0, height() - 1, width(), height() - 1);
    if (m_keyboardFocus) {
        painter.setPen(QPen(toQColor(systemColor(kColorHighlight), palette()), 1, Qt::DotLine));
        painter.drawRect(rect().adjusted(2, 2, -3, -3));
    }
}

void KXButton::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutParts();
}

void KXButton::layoutParts()
{
    int captionLeft = kPadding;
    if (!m_picture.isNull()) {
        const QSize size = m_picture.deviceIndependentSize().toSize();
        m_image->setGeometry(kPadding, (height() - size.height()) / 2, size.width(), size.height());
        captionLeft = kPadding + size.width() + kPictureGap;
    }
    const QSize caption = m_label->sizeHint();
    m_label->setGeometry(captionLeft, (height() - caption.height()) / 2, caption.width(), caption.height());
}

bool KXButton::isOutside(const QPoint &pos) const
{
    return pos.x() < 0 || pos.y() < 0 || pos.x() > width() || pos.y() > height();
}

void KXButton::mouseMoveEvent(QMouseEvent *event)
{
    emit MouseEnter();
    if (isOutside(event->position().toPoint())) {
        // Leaving ends a press too: releasing outside must not click.
        m_pressed = false;
        applyColors(m_backColor, m_foreColor);
    } else if (!m_pressed) {
        applyColors(m_moveColor, m_activeForeColor);
    }
}

void KXButton::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_pressed = true;
    applyColors(m_clickColor, m_foreColor);
}

void KXButton::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const bool inside = !isOutside(event->position().toPoint());
    const bool clicked = m_pressed && inside;
    m_pressed = false;
    if (clicked) {
        // The handler may switch the whole window or close it.
        QPointer<KXButton> self(this);
        emitClick();
        if (!self)
            return;
    }
    if (inside)
        applyColors(m_moveColor, m_activeForeColor);
    else
        applyColors(m_backColor, m_foreColor);
}

void KXButton::leaveEvent(QEvent *event)
{
    QWidget::leaveEvent(event);
    m_pressed = false;
    applyColors(m_backColor, m_foreColor);
}

void KXButton::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        emitClick();
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

void KXButton::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    // Only a keyboard user needs to see where the focus is, as in a web page.
    m_keyboardFocus = event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason;
    update();
}

void KXButton::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    m_keyboardFocus = false;
    update();
}

void KXButton::emitClick()
{
    emit Click();
}

void KXButton::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        applyColors(m_shownBack, m_shownFore);
    else if (event->type() == QEvent::FontChange)
        setCaption(Caption());
}

void KXButton::applyColors(WinColor back, WinColor fore)
{
    m_shownBack = back;
    m_shownFore = fore;
    QPalette labelPalette = m_label->palette();
    labelPalette.setColor(QPalette::WindowText, legibleOn(toQColor(fore, palette()), toQColor(back, palette())));
    m_label->setPalette(labelPalette);
    update();
}

} // namespace parlevo
