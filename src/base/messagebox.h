#pragma once

#include <QString>

#include <functional>

namespace parlevo {

// Style values of a message box: one button set plus one icon, added together.
enum MsgStyle : int {
    vbOKOnly = 0,
    vbOKCancel = 1,
    vbYesNoCancel = 3,
    vbYesNo = 4,
    vbCritical = 16,
    vbQuestion = 32,
    vbExclamation = 48,
    vbInformation = 64,
    // The second button (No) is the default: for questions whose Yes deletes.
    vbDefaultButton2 = 256,
};

// The button that closed a message box.
enum MsgAnswer : int { vbOK = 1, vbCancel = 2, vbYes = 6, vbNo = 7 };

// Shows one modal message box titled "Parlevo" and returns the button chosen. Every message
// box of the program goes through here, so tests and the command-line tool can answer it.
int MsgBox(const QString &text, int style);

using MessageBoxHandler = std::function<int(const QString &text, int style)>;

// Installs the routine that shows message boxes and returns the previous one. Without one,
// the text goes to standard error and the default button (the first, or No with
// vbDefaultButton2) is chosen.
MessageBoxHandler setMessageBoxHandler(MessageBoxHandler handler);

inline constexpr const char16_t *kMessageBoxTitle = u"Parlevo";

} // namespace parlevo
