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

private:
    int m_answer;
    QList<Shown> m_shown;
    MessageBoxHandler m_previous;
};

} // namespace parlevo::test
