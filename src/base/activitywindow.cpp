#include "activitywindow.h"

#include "base/artwork.h"
#include "base/theme.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace parlevo {

namespace {

constexpr int kPageInset = 4;
constexpr int kPagePadding = 20;
constexpr int kTitleIcon = 32;
constexpr int kHeadingBullet = 12;

} // namespace

ActivityWindow::ActivityWindow(QWidget *parent)
    : QWidget(parent)
{
}

SectionPage::SectionPage(const QString &title, const QString &icon, QWidget *parent, ContentHeight height)
    : ActivityWindow(parent)
    , m_content(new QVBoxLayout)
{
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(kPageInset, kPageInset, kPageInset, kPageInset);

    auto *container = new QFrame(this);
    container->setObjectName(u"PictureContainer"_s);
    const ThemeColors colors = themeColors(palette());
    container->setStyleSheet(u"#PictureContainer { background: %1; border: 1px solid %2; border-radius: 6px; }"_s.arg(
        colors.card.name(), colors.border.name()));
    outer->addWidget(container);

    auto *page = new QVBoxLayout(container);
    page->setContentsMargins(kPagePadding, 16, kPagePadding, kPagePadding);
    page->setSpacing(10);

    auto *titleRow = new QHBoxLayout;
    titleRow->setSpacing(12);
    auto *logo = new QLabel(container);
    logo->setObjectName(u"ImageLogoTitre"_s);
    logo->setPixmap(artworkPixmap(icon, kTitleIcon));
    auto *titleLabel = new QLabel(title, container);
    titleLabel->setObjectName(u"LabelTitreSection"_s);
    titleLabel->setStyleSheet(u"color: %1; font-size: 16pt; font-weight: 600;"_s.arg(colors.title.name()));
    titleRow->addWidget(logo);
    titleRow->addWidget(titleLabel, 1);
    page->addLayout(titleRow);

    auto *separator = new QFrame(container);
    separator->setObjectName(u"LineSeparator"_s);
    separator->setFixedHeight(1);
    separator->setStyleSheet(u"background: %1; border: none;"_s.arg(colors.border.name()));
    page->addWidget(separator);

    // The content scrolls rather than forcing a large window on a small screen.
    auto *scroll = new QScrollArea(container);
    scroll->setObjectName(u"ContentScroll"_s);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    // Not a stop of its own for Tab: it scrolls to whichever of its controls takes the focus.
    scroll->setFocusPolicy(Qt::NoFocus);
    scroll->setStyleSheet(u"QScrollArea, #ContentWidget { background: transparent; }"_s);
    auto *contentWidget = new QWidget(scroll);
    contentWidget->setObjectName(u"ContentWidget"_s);
    auto *contentColumn = new QVBoxLayout(contentWidget);
    contentColumn->setContentsMargins(0, 0, 0, 0);
    m_content->setSpacing(6);
    contentColumn->addLayout(m_content, height == ContentHeight::Fill ? 1 : 0);
    if (height == ContentHeight::Natural)
        contentColumn->addStretch(1);
    scroll->setWidget(contentWidget);
    page->addWidget(scroll, 1);
}

QWidget *SectionPage::makeHeading(const QString &objectName, const QString &text)
{
    auto *row = new QWidget(this);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 10, 0, 2);
    layout->setSpacing(8);
    auto *bullet = new QLabel(row);
    bullet->setObjectName(u"ImageBullet"_s);
    bullet->setPixmap(artworkPixmap(u"icons/bullet"_s, kHeadingBullet));
    auto *label = new QLabel(text, row);
    label->setObjectName(objectName);
    label->setStyleSheet(u"color: %1; font-size: 11pt; font-weight: 600;"_s.arg(themeColors(palette()).heading.name()));
    layout->addWidget(bullet);
    layout->addWidget(label, 1);
    return row;
}

QLabel *SectionPage::makeHelp(const QString &objectName, const QString &text)
{
    auto *label = new QLabel(text, this);
    label->setObjectName(objectName);
    label->setWordWrap(true);
    label->setStyleSheet(u"color: %1;"_s.arg(themeColors(palette()).muted.name()));
    label->setContentsMargins(20, 0, 0, 4);
    return label;
}

QString activityIcon(Activity activity)
{
    switch (activity) {
    case Activity::Home:
        return u"icons/home"_s;
    case Activity::Simple:
        return u"icons/sms"_s;
    case Activity::Mailing:
        return u"icons/mailing"_s;
    case Activity::Carnet:
        return u"icons/addressbook"_s;
    case Activity::Predefinis:
        return u"icons/predefined"_s;
    case Activity::Prefs:
        return u"icons/settings"_s;
    case Activity::History:
        return u"icons/history"_s;
    }
    return QString();
}

} // namespace parlevo
