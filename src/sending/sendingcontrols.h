#pragma once

#include <QString>

class QDateEdit;
class QEvent;
class QLabel;
class QLineEdit;
class QTimeEdit;
class QWidget;

namespace parlevo {

class AppState;
class SmsTextEdit;
class TextTable;

// Controls and rules the single SMS and the mailing windows share.

// A count with one leading blank when it is not negative, its minus sign otherwise: " 3", "-2".
QString signedCount(qsizetype value);

// The remaining-characters label: "Caractère(s) restant(s) :" and the signed count.
QString remainingCharsText(const TextTable &textes, qsizetype remaining);

// Counts the text really sent: the sender prefix and the message with its CR LF line breaks.
// The message box takes no more typing than fits beside the prefix; the counter shows what is
// left, below zero when the program put in more than fits.
void updateRemainingChars(const TextTable &textes, const QLineEdit &sender, SmsTextEdit &message, QLabel &counter);

// The coding indicator that stands beside the remaining-characters label: the alphabet the text
// sent needs and its number of SMS, the characters that decide it in the tooltip. It follows
// every change of the message and of the sender.
QLabel *addCodingIndicator(QWidget *parent, const TextTable &textes, QLineEdit *sender, SmsTextEdit *message);

// Shows the predefined messages just above and left of the message box (its point (-2, -2))
// and puts the picked message in place of the whole text; a dismissal changes nothing.
void popUpPredefinis(AppState &state, SmsTextEdit &textSMS);

// The deferred controls follow the check box; ticking it sets the time back to the current
// hour and minute, the date keeps its value.
void applyDeferred(bool ticked, QWidget *labelDate, QDateEdit *date, QWidget *labelTime, QTimeEdit *time);

// The "Messages prédéfinis..." label as a link: reachable with Tab and framed while it has the
// focus; its arrow, a glyph only, is named after it for screen readers.
void makePredefinisLink(QLabel *label, QLabel *arrow);
// Whether an event on that label or its arrow asks for the popup: a mouse press, or Space or Enter.
bool asksForPredefinis(const QEvent *event);

// Whether the preview window is on screen, so that a change must reach it.
bool previewVisible();

} // namespace parlevo
