#include "sendingcontrols.h"

#include "addressbook/classcontact.h"
#include "base/appstate.h"
#include "differer.h"
#include "messages/form_sms.h"
#include "messages/outgoing.h"
#include "messages/predefinis.h"
#include "messages/predefinismenu.h"
#include "messages/smscodingtext.h"
#include "messages/smsencoding.h"
#include "messages/smstextedit.h"

#include <QDateEdit>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTimeEdit>

using namespace Qt::StringLiterals;

namespace parlevo {

QString signedCount(qsizetype value)
{
    return value < 0 ? QString::number(value) : u' ' + QString::number(value);
}

QString remainingCharsText(const TextTable &textes, qsizetype remaining)
{
    return textes(14) + signedCount(remaining);
}

void updateRemainingChars(const TextTable &textes, const QLineEdit &sender, SmsTextEdit &message, QLabel &counter)
{
    const qsizetype room = kSmsMaxLength - senderPrefix(textes, sender.text()).size();
    message.setMaxLength(static_cast<int>(std::max<qsizetype>(0, room)));
    counter.setText(remainingCharsText(textes, room - message.length()));
}

QLabel *addCodingIndicator(QWidget *parent, const TextTable &textes, QLineEdit *sender, SmsTextEdit *message)
{
    auto *label = new QLabel(parent);
    label->setObjectName(u"LabelCodage"_s);
    label->setFocusPolicy(Qt::NoFocus);
    const auto update = [label, &textes, sender, message] {
        // The text sent is the same for every recipient: no contact is needed to build it.
        const SmsEncodingInfo info =
            analyseSmsText(textToSend(textes, sender->text(), message->sentText(), ClassContact{}));
        label->setText(smsCodingSummary(textes, info));
        label->setToolTip(smsCodingDetails(textes, info));
    };
    QObject::connect(sender, &QLineEdit::textChanged, label, update);
    QObject::connect(message, &QPlainTextEdit::textChanged, label, update);
    update();
    return label;
}

void popUpPredefinis(AppState &state, SmsTextEdit &textSMS)
{
    const QPoint at = textSMS.mapToGlobal(QPoint(-2, -2));
    Detruit_MenuPredefinis();
    Cree_MenuPredefinis(state);
    const int picked = ShowMenuPredefinis(at);
    const PredefiniList &list = state.colPredefinis();
    if (picked >= 1 && picked <= list.size())
        textSMS.setPlainText(list.at(picked - 1).Message);
}

void applyDeferred(bool ticked, QWidget *labelDate, QDateEdit *date, QWidget *labelTime, QTimeEdit *time)
{
    for (QWidget *w : {labelDate, static_cast<QWidget *>(date), labelTime, static_cast<QWidget *>(time)})
        w->setEnabled(ticked);
    if (ticked) {
        const QTime now = sendingNow().time();
        time->setTime(QTime(now.hour(), now.minute()));
    }
}

void makePredefinisLink(QLabel *label, QLabel *arrow)
{
    label->setCursor(Qt::PointingHandCursor);
    label->setFocusPolicy(Qt::TabFocus);
    // The frame is always there, transparent, so that taking the focus does not move the text.
    label->setStyleSheet(u"QLabel { color: #1F5FA8; text-decoration: underline; border: 1px dotted transparent; }"
                         "QLabel:focus { border-color: #1F5FA8; }"_s);
    arrow->setCursor(Qt::PointingHandCursor);
    arrow->setAccessibleName(label->text());
}

bool asksForPredefinis(const QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress)
        return true;
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<const QKeyEvent *>(event)->key();
    return key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter;
}

bool previewVisible()
{
    const Form_SMS *preview = Form_SMS::existing();
    return preview && preview->isVisible();
}

} // namespace parlevo
