#include "labellink.h"

#include "base/theme.h"

#include "accessibility.h"
#include "base/windowplacement.h"
#include "navigationsound.h"
#include "wincolor.h"

#include <QAccessible>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>

#include <cmath>

using namespace Qt::StringLiterals;

namespace parlevo {

namespace {

// The smallest side a link keeps, so that an empty one can still be found and clicked.
constexpr double kMinSideTwips = 16.0;

} // namespace

LabelLink::LabelLink(QWidget *parent)
    : QWidget(parent)
    , m_label(new QLabel(this))
    , m_soundFile(findNavigationSound())
{
    m_label->setObjectName(u"Label1"_s);
    m_label->setTextFormat(Qt::PlainText);
    m_label->setAttribute(Qt::WA_TransparentForMouseEvents);
    setCursor(Qt::PointingHandCursor);
    // Reachable with Tab and followed with Space or Enter, like a link in a web page.
    setFocusPolicy(Qt::TabFocus);
    installControlsAccessibility();
    setMouseTracking(true);
    setCaption(u"Label1"_s);
    applyColor();
}

QString LabelLink::Caption() const
{
    return m_label->text();
}

void LabelLink::setCaption(const QString &caption)
{
    m_label->setText(caption);
    QAccessibleEvent nameChanged(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&nameChanged);
    fitToCaption();
}

void LabelLink::setForeColor(WinColor color)
{
    m_foreColor = color;
    applyColor();
}

bool LabelLink::isUnderlined() const
{
    return m_label->font().underline();
}

QColor LabelLink::shownColor() const
{
    return m_label->palette().color(QPalette::WindowText);
}

void LabelLink::enterEvent(QEnterEvent *event)
{
    QWidget::enterEvent(event);
    setUnderlined(true);
}

void LabelLink::leaveEvent(QEvent *event)
{
    QWidget::leaveEvent(event);
    setUnderlined(false);
}

void LabelLink::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    setUnderlined(pos.x() >= 0 && pos.y() >= 0 && pos.x() <= width() && pos.y() <= height());
}

void LabelLink::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !rect().contains(event->position().toPoint()))
        return;
    activate();
}

void LabelLink::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        activate();
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

void LabelLink::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    // Only a keyboard user needs to see where the focus is, as in a web page.
    if (event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason)
        setUnderlined(true);
}

void LabelLink::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    setUnderlined(underMouse());
}

void LabelLink::activate()
{
    if (m_playSystemSound)
        playSoundAsync(m_soundFile);
    setUnderlined(false);
    emit Click();
}

void LabelLink::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    switch (event->type()) {
    case QEvent::EnabledChange:
        if (!isEnabled())
            setUnderlined(false);
        applyColor();
        break;
    case QEvent::FontChange:
        m_label->setFont(font());
        fitToCaption();
        break;
    case QEvent::PaletteChange:
        applyColor();
        break;
    default:
        break;
    }
}

void LabelLink::setUnderlined(bool underlined)
{
    if (underlined && !isEnabled())
        return;
    QFont f = m_label->font();
    if (f.underline() == underlined)
        return;
    f.setUnderline(underlined);
    m_label->setFont(f);
}

QColor LabelLink::linkColor(const QPalette &palette)
{
    return legibleOn(toQColor(kLinkColor, palette), palette.color(QPalette::Window), palette.color(QPalette::Link));
}

void LabelLink::applyColor()
{
    QPalette p = m_label->palette();
    const QColor background = palette().color(QPalette::Window);
    p.setColor(QPalette::WindowText,
               isEnabled() ? legibleOn(toQColor(m_foreColor, palette()), background, palette().color(QPalette::Link))
                           : toQColor(systemColor(kColorGrayText), palette()));
    m_label->setPalette(p);
}

void LabelLink::fitToCaption()
{
    const QSize text = m_label->sizeHint();
    const int minSide = static_cast<int>(std::ceil(kMinSideTwips * logicalDpiX() / kTwipsPerInch));
    const QSize size(std::max(text.width(), minSide), std::max(text.height(), minSide));
    m_label->resize(text);
    setFixedSize(size);
}

} // namespace parlevo
