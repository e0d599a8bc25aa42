#include "messagebox.h"

#include <cstdio>

namespace parlevo {

namespace {

int defaultAnswer(int style)
{
    switch (style & 7) {
    case vbYesNo:
    case vbYesNoCancel:
        return (style & vbDefaultButton2) ? vbNo : vbYes;
    default:
        return vbOK;
    }
}

MessageBoxHandler &handler()
{
    static MessageBoxHandler current;
    return current;
}

} // namespace

int MsgBox(const QString &text, int style)
{
    if (const MessageBoxHandler &h = handler())
        return h(text, style);
    std::fprintf(stderr, "%s\n", qPrintable(text));
    return defaultAnswer(style);
}

MessageBoxHandler setMessageBoxHandler(MessageBoxHandler next)
{
    MessageBoxHandler previous = std::move(handler());
    handler() = std::move(next);
    return previous;
}

} // namespace parlevo
