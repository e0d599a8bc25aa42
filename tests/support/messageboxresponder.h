#pragma once

#include "app/messagebox.h"

#include <QList>
#include <QString>

namespace parlevo::test {

// Answers every message box while it lives and records what was shown.
class MessageBoxResponder final {
public:
    struct Shown {
        QString text;
        int style;
    };

    explicit MessageBoxResponder(int answer = vbOK);
    ~MessageBoxResponder();
    MessageBoxResponder(const MessageBoxResponder &) = delete;
    MessageBoxResponder &operator=(const MessageBoxResponder &) = delete;

    const QList<Shown> &shown() const { return m_shown; }
    // The answer to the message boxes from now on.
    void setAnswer(int answer) { m_answer = answer; }
    // Forgets the message boxes shown so far.
    void clear() { m_shown.clear(); }

private:
    int m_answer;
    QList<Shown> m_shown;
    MessageBoxHandler m_previous;
};

} // namespace parlevo::test
