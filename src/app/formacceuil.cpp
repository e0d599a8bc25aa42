#include "formacceuil.h"

#include "appstate.h"
#include "artwork.h"
#include "controls/labellink.h"
#include "mdiformmain.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace parlevo {

namespace {

constexpr int kLinkIcon = 20;
constexpr int kLinkIndent = 20;

} // namespace

Form_Acceuil::Form_Acceuil(AppState &state, MDIForm_Main &main, QWidget *parent)
    : SectionPage(state.Textes(121), activityIcon(Activity::Home), parent)
    , m_main(main) {
    setObjectName(u"Form_Acceuil"_qs);
    QVBoxLayout *content = contentLayout();

    content->addWidget(makeHeading(u"LabelEnvoyerunSMS"_qs, state.Textes(140)));
    addLink(u"LabelLinkSMSSimple", state.Textes(141), activityIcon(Activity::Simple), &MDIForm_Main::KXB_Simple_Click,
            u"Image1");
    addLink(u"LabelLinkSMSMailing", state.Textes(142), activityIcon(Activity::Mailing),
            &MDIForm_Main::KXB_Mailing_Click, u"Image3");

    content->addWidget(makeHeading(u"LabelGerer"_qs, state.Textes(143)));
    addLink(u"LabelLinkCarnetAdresse", state.Textes(144), activityIcon(Activity::Carnet),
            &MDIForm_Main::KXB_Carnet_Click, u"Image4");
    addLink(u"LabelLinkPredefinies", state.Textes(145), activityIcon(Activity::Predefinis),
            &MDIForm_Main::KXB_Predefinis_Click, u"Image7");

    content->addWidget(makeHeading(u"LabelConfigurer"_qs, state.Textes(147)));
    addLink(u"LabelLinkPrefs", state.Textes(148), activityIcon(Activity::Prefs), &MDIForm_Main::KXB_Prefs_Click,
            u"Image8");
    Init();
}

LabelLink *Form_Acceuil::addLink(const char16_t *name, const QString &caption, const QString &icon,
                                 void (MDIForm_Main::*handler)(), const char16_t *imageName) {
    auto *row = new QWidget(this);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(kLinkIndent, 1, 0, 1);
    layout->setSpacing(10);
    auto *image = new QLabel(row);
    image->setObjectName(QString::fromUtf16(imageName));
    image->setPixmap(artworkPixmap(icon, kLinkIcon));
    auto *link = new LabelLink(row);
    link->setObjectName(QString::fromUtf16(name));
    link->setForeColor(LabelLink::kLinkColor);
    link->setCaption(caption);
    layout->addWidget(image);
    layout->addWidget(link);
    layout->addStretch(1);
    contentLayout()->addWidget(row);
    connect(link, &LabelLink::Click, this, [this, handler] { (m_main.*handler)(); });
    return link;
}

} // namespace parlevo
