#pragma once

#include <QString>

class QLabel;
class QWidget;

namespace parlevo {

// A caption as a screen reader should say it: no "&" marking a mnemonic ("&&" stays one "&"),
// line breaks as blanks, no trailing colon.
QString accessibleText(const QString &caption);

// Ties a label to the control it captions: its mnemonic moves the focus there and a screen
// reader names the control after it.
void captionFor(QLabel *caption, QWidget *control);

// Lets screen readers see the picture buttons and hyperlink labels as buttons and links named
// after their caption, which they can press. Safe to call more than once.
void installControlsAccessibility();

} // namespace parlevo
