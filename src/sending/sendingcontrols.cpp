#include "sendingcontrols.h"

#include "app/appstate.h"
#include "differer.h"
#include "messages/form_sms.h"
#include "messages/predefinismenu.h"
#include "messages/smstextedit.h"

#include <QDateEdit>
#include <QTimeEdit>

namespace parlevo {

QString signedCount(qsizetype value)
{
    return value < 0 ? QString::number(value) : u' ' + QString::number(value);
}

QString remainingCharsText(const TextTable &textes, qsizetype remaining)
{
    return textes(14) + signedCount(remaining);
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

bool previewVisible()
{
    const Form_SMS *preview = Form_SMS::existing();
    return preview && preview->isVisible();
}

} // namespace parlevo
