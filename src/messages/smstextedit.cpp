#include "smstextedit.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QTextCursor>

#include <utility>

namespace parlevo {

namespace {

bool isLineBreak(QChar c)
{
    return c == u'\n' || c == QChar::ParagraphSeparator || c == QChar::LineSeparator;
}

// The characters at the start of text that make one unit as sent, and what they count: a line
// break (CR LF pasted is one) counts two.
std::pair<qsizetype, int> unitAt(QStringView text, qsizetype i)
{
    if (text[i] == u'\r')
        return {i + 1 < text.size() && text[i + 1] == u'\n' ? 2 : 1, 2};
    return {1, isLineBreak(text[i]) ? 2 : 1};
}

int sentLength(QStringView text)
{
    int length = 0;
    for (qsizetype i = 0; i < text.size();) {
        const auto [size, count] = unitAt(text, i);
        i += size;
        length += count;
    }
    return length;
}

// The longest start of text whose sent length is at most room.
QString fitting(const QString &text, int room)
{
    int used = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        const auto [size, count] = unitAt(text, i);
        if (used + count > room)
            break;
        used += count;
        i += size;
    }
    return text.left(i);
}

} // namespace

SmsTextEdit::SmsTextEdit(QWidget *parent)
    : QPlainTextEdit(parent)
{
    setTabChangesFocus(true);
}

int SmsTextEdit::length() const
{
    return sentLength(toPlainText());
}

QString SmsTextEdit::sentText() const
{
    QString text = toPlainText();
    text.replace(QChar(u'\n'), QStringLiteral("\r\n"));
    return text;
}

int SmsTextEdit::room() const
{
    const int selected = sentLength(textCursor().selectedText());
    return m_maxLength - (length() - selected);
}

void SmsTextEdit::clearPrompt()
{
    if (!m_prompt.isEmpty() && toPlainText() == m_prompt)
        clear();
}

void SmsTextEdit::focusInEvent(QFocusEvent *event)
{
    clearPrompt();
    QPlainTextEdit::focusInEvent(event);
}

void SmsTextEdit::keyPressEvent(QKeyEvent *event)
{
    const bool typesText = !event->text().isEmpty() && event->text().at(0).isPrint() &&
                           !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    const bool newLine = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if ((typesText && room() < 1) || (newLine && room() < 2)) {
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
    textCursor().insertText(fitting(source->text(), free));
    ensureCursorVisible();
}

void SmsTextEdit::inputMethodEvent(QInputMethodEvent *event)
{
    if (!event->commitString().isEmpty()) {
        const int free = room();
        if (sentLength(event->commitString()) > free) {
            QInputMethodEvent cut(event->preeditString(), event->attributes());
            cut.setCommitString(fitting(event->commitString(), free), event->replacementStart(),
                                event->replacementLength());
            QPlainTextEdit::inputMethodEvent(&cut);
            return;
        }
    }
    QPlainTextEdit::inputMethodEvent(event);
}

void SmsTextEdit::mousePressEvent(QMouseEvent *event)
{
    clearPrompt();
    emit clicked();
    QPlainTextEdit::mousePressEvent(event);
}

} // namespace parlevo
