#include "form_sms.h"

#include "base/config.h"
#include "base/shared.h"
#include "base/textes.h"
#include "base/txt.h"
#include "outgoing.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QPointer>
#include <QScreen>
#include <QStyle>

namespace parlevo {

namespace {

constexpr QSize kPreviewSize(280, 150);
constexpr int kIconSize = 32;

QPointer<Form_SMS> g_preview;

} // namespace

Form_SMS::Form_SMS(const TextTable &textes)
    : QWidget(nullptr, Qt::Tool | Qt::WindowStaysOnTopHint)
    , m_label(new QLabel(this))
{
    setObjectName(QStringLiteral("Form_SMS"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(QStringLiteral("Parlevo - ") + textes(Txt::SmsPreview));

    auto *image = new QLabel(this);
    image->setObjectName(QStringLiteral("Image1"));
    image->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(kIconSize));
    image->setAlignment(Qt::AlignTop);

    m_label->setObjectName(QStringLiteral("LabelSMS"));
    m_label->setWordWrap(true);
    m_label->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    m_label->setTextFormat(Qt::PlainText);
    m_label->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *layout = new QHBoxLayout(this);
    layout->addWidget(image);
    layout->addWidget(m_label, 1);
    resize(kPreviewSize);
}

Form_SMS &Form_SMS::instance(const TextTable &textes)
{
    if (!g_preview)
        g_preview = new Form_SMS(textes);
    return *g_preview;
}

Form_SMS *Form_SMS::existing()
{
    return g_preview.data();
}

void Form_SMS::setPreviewText(const QString &text)
{
    m_text = text;
    // A label shows a carriage return as a blank: a CR LF line break is shown as one break.
    QString shown = text;
    m_label->setText(shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    // The label wraps: a longer text makes the window taller, which must not leave the screen.
    const int needed = layout()->totalHeightForWidth(width());
    if (needed > height())
        resize(width(), needed);
    if (isVisible() && m_beside)
        placeBeside(*m_beside);
}

void Form_SMS::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

QString Form_SMS::previewText() const
{
    return m_text;
}

void Form_SMS::showBeside(QWidget &mainWindow)
{
    m_beside = &mainWindow;
    // The layout may still grow the window to fit its contents; place it at its final size.
    layout()->activate();
    placeBeside(mainWindow);
    show();
    // The window frame's size is known only once the window is shown.
    placeBeside(mainWindow);
    raise();
    mainWindow.activateWindow();
}

void Form_SMS::placeBeside(const QWidget &mainWindow)
{
    const QScreen *screen = mainWindow.screen();
    const QRect area = screen ? screen->availableGeometry() : mainWindow.frameGeometry();
    move(previewPosition(mainWindow.frameGeometry(), frameGeometry().size(), area));
}

} // namespace parlevo
