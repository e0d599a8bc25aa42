#pragma once

#include <QPlainTextEdit>

namespace parlevo {

// The message box of the sending and predefined-message windows: typing and pasting stop at a
// maximum length, while text put in by the program may be longer (the counter then goes below
// zero). A line break travels as CR LF, so it counts two. Also tells when it is clicked, and
// empties a prompt text as soon as it gets the focus, by the keyboard or the mouse.
class SmsTextEdit final : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit SmsTextEdit(QWidget *parent = nullptr);
    Q_DISABLE_COPY_MOVE(SmsTextEdit)

    int maxLength() const { return m_maxLength; }
    void setMaxLength(int length) { m_maxLength = length; }
    // The length of sentText().
    int length() const;
    // The text as it is sent: every line break a CR LF.
    QString sentText() const;
    // A text that stands for the message until the user comes to type.
    void setPrompt(const QString &prompt) { m_prompt = prompt; }

signals:
    void clicked();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void insertFromMimeData(const QMimeData *source) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;

private:
    void clearPrompt();
    // How many characters may still be typed over the current selection.
    int room() const;

    int m_maxLength = 160;
    QString m_prompt;
};

} // namespace parlevo
