#include "formacceuil.h"

#include "appstate.h"
#include "base/artwork.h"
#include "base/txt.h"
#include "controls/labellink.h"
#include "mdiformmain.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace parlevo {

namespace {

constexpr int kLinkIcon = 20;
constexpr int kLinkIndent = 20;

} // namespace

Form_Acceuil::Form_Acceuil(AppState &state, MDIForm_Main &main, QWidget *parent)
    : SectionPage(state.Textes(Txt::Home), activityIcon(Activity::Home), parent)
{
    MDIForm_Main *frame = &main;
    setObjectName(u"Form_Acceuil"_s);
    QVBoxLayout *content = contentLayout();

    content->addWidget(makeHeading(u"LabelEnvoyerunSMS"_s, state.Textes(Txt::SendSms)));
    addLink(u"LabelLinkSMSSimple", state.Textes(Txt::ToOneContact), activityIcon(Activity::Simple), u"Image1",
            [frame] { frame->KXB_Simple_Click(); });
    addLink(u"LabelLinkSMSMailing", state.Textes(Txt::ToManyContacts), activityIcon(Activity::Mailing), u"Image3",
            [frame] { frame->KXB_Mailing_Click(); });

    content->addWidget(makeHeading(u"LabelGerer"_s, state.Textes(Txt::Manage)));
    addLink(u"LabelLinkCarnetAdresse", state.Textes(Txt::TheAddressBook), activityIcon(Activity::Carnet), u"Image4",
            [frame] { frame->KXB_Carnet_Click(); });
    addLink(u"LabelLinkPredefinies", state.Textes(Txt::ThePredefinedMessages), activityIcon(Activity::Predefinis),
            u"Image7", [frame] { frame->KXB_Predefinis_Click(); });
    addLink(u"LabelLinkHistorique", state.Textes(Txt::SentHistory), activityIcon(Activity::History), u"ImageHistorique",
            [frame] { frame->KXB_Historique_Click(); });

    content->addWidget(makeHeading(u"LabelConfigurer"_s, state.Textes(Txt::Configure)));
    addLink(u"LabelLinkPrefs", state.Textes(Txt::ParlevoSettings), activityIcon(Activity::Prefs), u"Image8",
            [frame] { frame->KXB_Prefs_Click(); });
    Init();
}

LabelLink *Form_Acceuil::addLink(const char16_t *name, const QString &caption, const QString &icon,
                                 const char16_t *imageName, std::function<void()> action)
{
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
    connect(link, &LabelLink::Click, this, std::move(action));
    return link;
}

} // namespace parlevo
