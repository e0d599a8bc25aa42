#include "messagecomposer.h"

#include "addressbook/classcontact.h"
#include "base/config.h"
#include "base/messagebox.h"
#include "base/shared.h"
#include "base/textes.h"
#include "base/theme.h"
#include "base/txt.h"
#include "controls/accessibility.h"
#include "controls/labellink.h"
#include "differer.h"
#include "messages/form_sms.h"
#include "messages/gsmfriendly.h"
#include "messages/mergefields.h"
#include "messages/outgoing.h"
#include "messages/predefinis.h"
#include "messages/predefinismenu.h"
#include "messages/smscodingtext.h"
#include "messages/smsencoding.h"
#include "messages/smstextedit.h"
#include "sendingcontrols.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimeEdit>

using namespace Qt::StringLiterals;

namespace parlevo {

MessageComposer::MessageComposer(const TextTable &textes, const Config &config, const PredefiniList &predefinis,
                                 QWidget &owner, Arrangement arrangement, PreviewRefresh refresh,
                                 std::function<const ClassContact *()> previewContact, QWidget *parent)
    : QWidget(parent)
    , m_textes(textes)
    , m_config(config)
    , m_predefinis(predefinis)
    , m_owner(owner)
    , m_refresh(refresh)
    , m_previewContact(std::move(previewContact))
{
    setObjectName(u"MessageComposer"_s);
    build(arrangement);

    const auto changed = [this] {
        MAJ_NbCar();
        refreshPreview();
    };
    connect(m_textSMS, &QPlainTextEdit::textChanged, this, changed);
    connect(m_textExpediteur, &QLineEdit::textChanged, this, changed);
    connect(m_checkDifferer, &QCheckBox::toggled, this, &MessageComposer::Checkdifferer_Click);
    connect(m_cmdAppercu, &QPushButton::clicked, this, [this] {
        Update_Appercu();
        Form_SMS::instance(m_textes).showBeside(m_owner);
    });
    connect(m_linkGsmFriendly, &LabelLink::Click, this,
            [this] { m_textSMS->setPlainText(gsmFriendly(m_textSMS->toPlainText())); });
    m_labelNbMax->installEventFilter(this);
    m_labelPopUp->installEventFilter(this);

    // A prompt sent to a whole list would be worse than to one person: it goes with the focus.
    m_textSMS->setPrompt(textes(Txt::EnterMessageHere));
    m_textSMS->setPlainText(textes(Txt::EnterMessageHere));
    setPickersToNow();
    Checkdifferer_Click(false);
}

void MessageComposer::build(Arrangement arrangement)
{
    const bool senderFirst = arrangement == Arrangement::SenderFirst;
    QLabel *labelExpediteur = nullptr;
    const auto makeSender = [this, &labelExpediteur] {
        labelExpediteur = named(new QLabel(m_textes(Txt::Sender), this), u"LabelExpediteur");
        m_textExpediteur = named(new QLineEdit(this), u"TextExpediteur");
        captionFor(labelExpediteur, m_textExpediteur);
    };
    // Created in the order Tab goes through them.
    if (senderFirst)
        makeSender();
    auto *labelMessage = named(new QLabel(m_textes(Txt::ComposeMessage), this), u"LabelMessage");
    m_labelNbMax = named(new QLabel(m_textes(Txt::PredefinedMessagesLink), this), u"LabelNbMax");
    m_labelPopUp = named(new QLabel(QString(QChar(0x25BE)), this), u"LabelPopUpPRedefs");
    m_labelNbMax->setCursor(Qt::PointingHandCursor);
    m_labelNbMax->setFocusPolicy(Qt::TabFocus);
    // Styled as the program's other links: underlined under the pointer. The frame is always
    // there, transparent, so that taking the focus does not move the text.
    m_labelNbMax->setAttribute(Qt::WA_Hover);
    m_labelNbMax->setStyleSheet(u"QLabel { color: %1; border: 1px dotted transparent; }"
                                "QLabel:hover { text-decoration: underline; } QLabel:focus { border-color: %1; }"_s.arg(
                                    LabelLink::linkColor(palette()).name()));
    m_labelPopUp->setCursor(Qt::PointingHandCursor);
    // The arrow, a glyph only, is named after the link for screen readers.
    m_labelPopUp->setAccessibleName(m_labelNbMax->text());
    m_textSMS = named(new SmsTextEdit(this), u"TextSMS");
    captionFor(labelMessage, m_textSMS);
    m_labelNBCar = named(new QLabel(this), u"LabelNBCar");
    if (!senderFirst)
        makeSender();
    m_labelCodage = named(new QLabel(this), u"LabelCodage");
    m_labelCodage->setFocusPolicy(Qt::NoFocus);
    m_linkGsmFriendly = named(new LabelLink(this), u"LabelLinkGsmFriendly");
    m_linkGsmFriendly->setForeColor(LabelLink::kLinkColor);
    m_linkGsmFriendly->setToolTip(m_textes(Txt::ReplaceLookAlikesTip));
    m_linkGsmFriendly->hide();

    m_checkDifferer = named(new QCheckBox(m_textes(Txt::DeferredSending), this), u"Checkdifferer");
    m_labelDate = named(new QLabel(m_textes(Txt::SendDate), this), u"LabelDateEnvoi");
    m_pickerDate = named(new QDateEdit(this), u"DTPickerDate");
    m_pickerDate->setCalendarPopup(true);
    m_labelHeure = named(new QLabel(m_textes(Txt::SendTime), this), u"LabelHeureEnvoi");
    m_pickerTime = named(new QTimeEdit(this), u"DTPickerTime");
    m_pickerTime->setDisplayFormat(u"HH:mm"_s);
    captionFor(m_labelDate, m_pickerDate);
    captionFor(m_labelHeure, m_pickerTime);
    auto *labelEnvoyer = named(new QLabel(m_textes(Txt::SendTheSms), this), u"LabelEnvoyer");
    m_cmdAppercu = named(new QPushButton(m_textes(Txt::SmsPreview), this), u"CMD_Appercu");
    m_commandEnvoyer = named(new QPushButton(m_textes(Txt::SendButton), this), u"CommandEnvoyer");

    // The grid's spacings differ, so its nested rows would get none of their own.
    const int gap = standardGap(*this);
    auto *header = new QHBoxLayout;
    header->setSpacing(gap);
    header->addStretch(1);
    header->addWidget(m_labelNbMax);
    header->addWidget(m_labelPopUp);
    auto *countRow = new QHBoxLayout;
    countRow->setSpacing(gap);
    countRow->addWidget(m_labelNBCar);
    countRow->addStretch(1);
    countRow->addWidget(m_labelCodage);
    countRow->addWidget(m_linkGsmFriendly);
    auto *when = new QHBoxLayout;
    when->setSpacing(gap);
    if (!senderFirst) {
        when->addWidget(m_checkDifferer);
        when->addSpacing(16);
    }
    when->addWidget(m_labelDate);
    when->addWidget(m_pickerDate);
    when->addSpacing(16);
    when->addWidget(m_labelHeure);
    when->addWidget(m_pickerTime);
    when->addStretch(1);
    auto *sendRow = new QHBoxLayout;
    m_sendRow = sendRow;
    sendRow->setSpacing(gap);
    sendRow->addWidget(labelEnvoyer);
    sendRow->addStretch(1);
    sendRow->addWidget(m_cmdAppercu);
    sendRow->addWidget(m_commandEnvoyer);

    if (senderFirst) {
        auto *grid = new QGridLayout(this);
        grid->setContentsMargins(0, 0, 0, 0);
        grid->setHorizontalSpacing(10);
        grid->setVerticalSpacing(8);
        grid->addWidget(labelExpediteur, 0, 0);
        grid->addWidget(m_textExpediteur, 0, 1);
        grid->addWidget(labelMessage, 1, 0);
        grid->addLayout(header, 1, 1);
        m_textSMS->setMinimumHeight(110);
        grid->addWidget(m_textSMS, 2, 0, 1, 2);
        grid->addLayout(countRow, 3, 0, 1, 2);
        grid->addWidget(m_checkDifferer, 4, 0, 1, 2);
        grid->addLayout(when, 5, 0, 1, 2);
        grid->addLayout(sendRow, 6, 0, 1, 2);
        grid->setColumnStretch(1, 1);
        return;
    }
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(6);
    header->insertWidget(0, labelMessage);
    column->addLayout(header);
    m_textSMS->setFixedHeight(80);
    column->addWidget(m_textSMS);
    column->addLayout(countRow);
    auto *senderRow = new QHBoxLayout;
    senderRow->addWidget(labelExpediteur);
    senderRow->addWidget(m_textExpediteur, 1);
    column->addLayout(senderRow);
    column->addLayout(when);
    column->addLayout(sendRow);
}

void MessageComposer::reset()
{
    m_textExpediteur->setText(m_config.Expediteur);
    m_textSMS->setPlainText(m_textes(Txt::EnterMessageHere));
    // The pickers were just set to now: a deferred send kept ticked would go at a time already past.
    m_checkDifferer->setChecked(false);
    Update_Appercu();
}

void MessageComposer::setPickersToNow()
{
    const QDateTime now = sendingNow();
    m_pickerDate->setDate(now.date());
    m_pickerTime->setTime(QTime(now.time().hour(), now.time().minute()));
}

QString MessageComposer::Build_Differer() const
{
    return parlevo::Build_Differer(m_checkDifferer->isChecked(), m_pickerDate->date(), m_pickerTime->time());
}

bool MessageComposer::deferredTimeAccepted()
{
    const QString differer = Build_Differer();
    return !differerTooSoon(differer, sendingNow()) || sendNowInstead(differer);
}

bool MessageComposer::sendNowInstead(const QString &differer)
{
    if (MsgBox(m_textes(Txt::DeferredTimePassed).arg(differerShown(differer)), vbYesNo | vbQuestion) == vbYes) {
        m_checkDifferer->setChecked(false);
        return true;
    }
    m_pickerDate->setFocus();
    return false;
}

void MessageComposer::deferTo(const QDateTime &when)
{
    // Ticking the box sets the time to now: the moment goes in afterwards.
    m_checkDifferer->setChecked(true);
    m_pickerDate->setDate(when.date());
    m_pickerTime->setTime(when.time());
}

void MessageComposer::Update_Appercu()
{
    const ClassContact *contact = m_previewContact ? m_previewContact() : nullptr;
    const QString message = m_textSMS->sentText();
    Form_SMS::instance(m_textes).setPreviewText(
        previewText(m_textes, m_textExpediteur->text(),
                    m_longestMessage && contact
                        ? mergedMessage(message, *contact, m_mergeColumns ? m_mergeColumns() : QStringList())
                        : message,
                    contact));
}

void MessageComposer::refreshPreview()
{
    const Form_SMS *preview = Form_SMS::existing();
    if (m_refresh == PreviewRefresh::Always || (preview && preview->isVisible()))
        Update_Appercu();
}

QString MessageComposer::sender() const
{
    return m_textExpediteur->text();
}

QString MessageComposer::message() const
{
    return m_textSMS->sentText();
}

void MessageComposer::setMergeFields(std::function<QString(const QString &)> longestMessage,
                                     std::function<QStringList()> columns)
{
    m_longestMessage = std::move(longestMessage);
    m_mergeColumns = std::move(columns);
    MAJ_NbCar();
}

void MessageComposer::addButton(QPushButton *button)
{
    button->setParent(this);
    m_sendRow->insertWidget(m_sendRow->indexOf(m_cmdAppercu), button);
    // Tab reaches it where it stands: after the time, before the preview.
    setTabOrder(m_pickerTime, button);
}

void MessageComposer::clearMessage()
{
    m_textSMS->clear();
}

// Counts the text really sent: the sender prefix and the message with its CR LF line breaks (with
// merge fields, the longest merge). The message box takes no more typing than fits beside the
// prefix; the counter shows what is left, below zero when the program put in more than fits. Beside
// it, the alphabet that text needs and its number of SMS, the characters that decide it in the
// tooltip, and the offer to replace typographic characters when they alone need Unicode.
void MessageComposer::MAJ_NbCar()
{
    const TextTable &textes = m_textes;
    const QString sender = m_textExpediteur->text();
    const qsizetype room = kSmsMaxLength - senderPrefix(textes, sender).size();
    m_textSMS->setMaxLength(static_cast<int>(std::max<qsizetype>(0, room)));
    const auto counted = [this](const QString &message) {
        return m_longestMessage ? m_longestMessage(message) : message;
    };
    const QString message = m_textSMS->sentText();
    const QString longest = counted(message);
    m_labelNBCar->setText(textes(Txt::CharactersLeft) + signedCount(room - longest.size()));
    const QString sent = textToSend(textes, sender, longest, ClassContact{});
    const SmsEncodingInfo info = analyseSmsText(sent);
    m_labelCodage->setText(smsCodingSummary(textes, info));
    m_labelCodage->setToolTip(smsCodingDetails(textes, info));
    QString offer;
    if (info.alphabet == SmsAlphabet::Unicode) {
        const QString friendlier = textToSend(textes, sender, counted(gsmFriendly(message)), ClassContact{});
        offer = gsmFriendlyOfferText(textes, gsmFriendlyOffer(sent, friendlier));
    }
    m_linkGsmFriendly->setCaption(offer);
    m_linkGsmFriendly->setVisible(!offer.isEmpty());
}

// The deferred controls follow the check box; ticking it sets the time back to the current
// hour and minute, the date keeps its value.
void MessageComposer::Checkdifferer_Click(bool ticked)
{
    for (QWidget *w : std::initializer_list<QWidget *>{m_labelDate, m_pickerDate, m_labelHeure, m_pickerTime})
        w->setEnabled(ticked);
    if (ticked) {
        const QTime now = sendingNow().time();
        m_pickerTime->setTime(QTime(now.hour(), now.minute()));
    }
}

// Shows the predefined messages just above and left of the message box (its point (-2, -2))
// and puts the picked message in place of the whole text, which the preview follows; a
// dismissal changes nothing.
void MessageComposer::PopUp_Predefinis()
{
    const QPoint at = m_textSMS->mapToGlobal(QPoint(-2, -2));
    Detruit_MenuPredefinis();
    Cree_MenuPredefinis(m_predefinis);
    const int picked = ShowMenuPredefinis(at);
    const PredefiniList &list = m_predefinis;
    if (picked >= 1 && picked <= list.size())
        m_textSMS->setPlainText(list.at(picked - 1).Message);
}

bool MessageComposer::eventFilter(QObject *watched, QEvent *event)
{
    // A mouse press on the link or its arrow asks for the popup, and so do Space and Enter.
    const int key = event->type() == QEvent::KeyPress ? static_cast<const QKeyEvent *>(event)->key() : 0;
    const bool asks = event->type() == QEvent::MouseButtonPress || key == Qt::Key_Space || key == Qt::Key_Return ||
                      key == Qt::Key_Enter;
    if ((watched == m_labelNbMax || watched == m_labelPopUp) && asks) {
        PopUp_Predefinis();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace parlevo
