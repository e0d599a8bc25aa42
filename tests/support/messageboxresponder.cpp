#include "messageboxresponder.h"

namespace parlevo::test {

MessageBoxResponder::MessageBoxResponder(int answer)
    : m_answer(answer)
{
    m_previous = setMessageBoxHandler([this](const QString &text, int style) {
        m_shown.append({text, style});
        return m_next.isEmpty() ? m_answer : m_next.takeFirst();
    });
}

MessageBoxResponder::~MessageBoxResponder()
{
    setMessageBoxHandler(std::move(m_previous));
}

} // namespace parlevo::test
