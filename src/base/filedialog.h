#pragma once

#include <QString>

class QWidget;

namespace parlevo {

// The file dialogs of the program. Tests queue the answer of the next dialog, which is then not
// shown.
namespace FileDialog {

// An empty name answers as a cancel.
void setNextFileName(const QString &name);

// filter: the program's "Caption|pattern|Caption|pattern" form. Empty when cancelled.
QString getOpenFileName(QWidget *parent, const QString &title, const QString &filter);

// A save dialog: a name chosen without an extension gets the first filter's; an existing file is
// not questioned here, the caller asks. Empty when cancelled.
QString getSaveFileName(QWidget *parent, const QString &title, const QString &filter);

// The same, where an existing file is replaced only when the user answers yes to replaceQuestion.
// Empty when cancelled or refused.
QString getSaveFileNameReplacing(QWidget *parent, const QString &title, const QString &filter,
                                 const QString &replaceQuestion);

} // namespace FileDialog

} // namespace parlevo
