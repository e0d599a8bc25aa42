#pragma once

#include <QPlainTextEdit>

namespace parlevo {

// The message box of the sending and predefined-message windows: typing and pasting stop at a
// maximum length, while text put in by the program may be longer (the counter then goes below
// zero). Also tells when it is clicked.
class SmsTextEdit final : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit SmsTextEdit(QWidget *parent = nullptr);
    Q_DISABLE_COPY_MOVE(SmsTextEdit)

    int maxLength() const { return m_maxLength; }
    void setMaxLength(int length) { m_maxLength = length; }
    int length() const;

signals:
    void clicked();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void insertFromMimeData(const QMimeData *source) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    // How many characters may still be typed over the current selection.
    int room() const;

    int m_maxLength = 160;
};

} // namespace parlevo
