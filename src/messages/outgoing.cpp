#include "outgoing.h"

#include <algorithm>

#include "addressbook/classcontact.h"
#include "base/shared.h"
#include "base/textes.h"
#include "base/txt.h"

using namespace Qt::StringLiterals;

namespace parlevo {

namespace {

// Pixels between the main window's right edge and the preview.
constexpr int kPreviewGap = 2;

constexpr qsizetype kNationalDigits = 10;

} // namespace

QString numberToSend(QStringView phone)
{
    const QString digits = DigitsOnly(phone);
    return phone.trimmed().startsWith(u'+') && !digits.isEmpty() ? u"00"_s + digits : digits;
}

QString singleSendNumber(QStringView phone)
{
    const QString number = numberToSend(phone);
    return number.startsWith(u"00"_s) ? number : number.left(kNationalDigits);
}

QString senderPrefix(const TextTable &textes, const QString &sender)
{
    if (sender.isEmpty())
        return {};
    return textes(Txt::SenderPrefix) + QLatin1Char(' ') + sender + u", ";
}

QString Build_Message(const QString &text, const ClassContact &contact)
{
    Q_UNUSED(contact);
    if (text.size() <= kSmsMaxLength)
        return text;
    qsizetype length = kSmsMaxLength;
    if (text[length - 1].isHighSurrogate() && text[length].isLowSurrogate())
        --length;
    return text.left(length);
}

QString textToSend(const TextTable &textes, const QString &sender, const QString &message, const ClassContact &contact)
{
    return Build_Message(senderPrefix(textes, sender) + message, contact);
}

QString previewText(const TextTable &textes, const QString &sender, const QString &message, const ClassContact *contact)
{
    return senderPrefix(textes, sender) + (contact ? Build_Message(message, *contact) : message);
}

QPoint previewPosition(const QRect &mainWindow, const QSize &preview, const QRect &screen)
{
    const int top =
        MinOf(mainWindow.y() + mainWindow.height() - preview.height(), screen.y() + screen.height() - preview.height());
    const int left =
        MinOf(mainWindow.x() + mainWindow.width() + kPreviewGap, screen.x() + screen.width() - preview.width());
    // Never above or left of the screen either: a main window lower than the preview, or a main
    // window partly off screen, would otherwise push its top-left corner out of reach.
    return {std::max(left, screen.x()), std::max(top, screen.y())};
}

} // namespace parlevo
