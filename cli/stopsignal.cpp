#include "stopsignal.h"

#include <QtGlobal>

#include <atomic>
#include <csignal>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <signal.h>
#endif

namespace parlevo::cli {

namespace {

// Lock-free, so a signal handler may set it.
std::atomic<bool> g_requested{false};
static_assert(std::atomic<bool>::is_always_lock_free);

#ifdef Q_OS_WIN
BOOL WINAPI onConsoleEvent(DWORD event)
{
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT)
        return FALSE;
    // The second one goes to the default handler, which ends the program.
    return g_requested.exchange(true) ? FALSE : TRUE;
}
#else
void onSignal(int)
{
    g_requested.store(true);
}

void install(void (*handler)(int), int flags)
{
    struct sigaction action = {};
    action.sa_handler = handler;
    // SA_RESETHAND: the next signal has its default effect and ends the program.
    action.sa_flags = flags;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}
#endif

} // namespace

StopSignal::StopSignal()
{
    g_requested.store(false);
#ifdef Q_OS_WIN
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
#else
    install(onSignal, SA_RESETHAND | SA_RESTART);
#endif
}

StopSignal::~StopSignal()
{
#ifdef Q_OS_WIN
    SetConsoleCtrlHandler(onConsoleEvent, FALSE);
#else
    install(SIG_DFL, 0);
#endif
}

bool StopSignal::requested()
{
    return g_requested.load();
}

} // namespace parlevo::cli
