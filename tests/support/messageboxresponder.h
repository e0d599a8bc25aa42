#pragma once

#include "base/messagebox.h"

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

    void setAnswer(int answer) { m_answer = answer; }
    // The next boxes get these answers, in order; the later ones the answer set above.
    void setNextAnswers(const QList<int> &answers) { m_next = answers; }
    const QList<Shown> &shown() const { return m_shown; }
    void clear() { m_shown.clear(); }

private:
    int m_answer;
    QList<int> m_next;
    QList<Shown> m_shown;
    MessageBoxHandler m_previous;
};

} // namespace parlevo::test
