#include "smstextedit.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QTextCursor>

namespace parlevo {

SmsTextEdit::SmsTextEdit(QWidget *parent)
    : QPlainTextEdit(parent)
{
    setTabChangesFocus(true);
}

int SmsTextEdit::length() const
{
    return static_cast<int>(toPlainText().size());
}

int SmsTextEdit::room() const
{
    const int selected = static_cast<int>(textCursor().selectedText().size());
    return m_maxLength - (length() - selected);
}

void SmsTextEdit::keyPressEvent(QKeyEvent *event)
{
    const bool typesText = !event->text().isEmpty() && event->text().at(0).isPrint() &&
                           !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    const bool newLine = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if ((typesText || newLine) && room() < 1) {
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void SmsTextEdit::insertFromMimeData(const QMimeData *source)
{
    if (!source || !source->hasText())
        return;
    const int free = room();
    if (free <= 0)
        return;
    textCursor().insertText(source->text().left(free));
    ensureCursorVisible();
}

void SmsTextEdit::inputMethodEvent(QInputMethodEvent *event)
{
    if (!event->commitString().isEmpty()) {
        const int free = room();
        if (event->commitString().size() > free) {
            QInputMethodEvent cut(event->preeditString(), event->attributes());
            cut.setCommitString(event->commitString().left(std::max(free, 0)), event->replacementStart(),
                                event->replacementLength());
            QPlainTextEdit::inputMethodEvent(&cut);
            return;
        }
    }
    QPlainTextEdit::inputMethodEvent(event);
}

void SmsTextEdit::mousePressEvent(QMouseEvent *event)
{
    emit clicked();
    QPlainTextEdit::mousePressEvent(event);
}

} // namespace parlevo
