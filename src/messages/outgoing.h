#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringView>

namespace parlevo {

struct ClassContact;
class TextTable;

// Longest text of one SMS, in UTF-16 code units.
inline constexpr qsizetype kSmsMaxLength = 160;

// The number every send hands the gateway, which takes digits only: the digits of phone, with a
// leading "+" written "00" ("+33 6 12" -> "0033612"), whatever was stored.
QString numberToSend(QStringView phone);

// The number one SMS sent alone goes to: an international number ("+" or "00" first) whole, a
// national one its first ten digits, as the single send has always cut it.
QString singleSendNumber(QStringView phone);

// "De : <sender>, " from the message table, or nothing when the sender is empty.
QString senderPrefix(const TextTable &textes, const QString &sender);

// The first 160 code units of text. A character made of a surrogate pair that does not fit whole
// is left out rather than cut in two. The contact is that of the recipient; the text does not
// depend on it.
QString Build_Message(const QString &text, const ClassContact &contact);

// The text handed to the gateway for one recipient: the prefix is counted in the 160.
QString textToSend(const TextTable &textes, const QString &sender, const QString &message, const ClassContact &contact);

// The preview: the prefix, then the message cut as if it were sent alone. Without a contact (a
// mailing row whose contact is gone) the message is shown uncut.
QString previewText(const TextTable &textes, const QString &sender, const QString &message,
                    const ClassContact *contact);

// Where the preview window goes: its bottom level with the main window's bottom and its left
// just right of the main window, each pulled back so that it stays inside the screen.
QPoint previewPosition(const QRect &mainWindow, const QSize &preview, const QRect &screen);

} // namespace parlevo
