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
// Set once the program no longer listens: the run it stopped is over.
std::atomic<bool> g_over{false};

BOOL WINAPI onConsoleEvent(DWORD event)
{
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT)
        return FALSE;
    // The second one goes to the default handler, which ends the program.
    if (g_requested.exchange(true))
        return FALSE;
    if (event == CTRL_CLOSE_EVENT) {
        // The system ends the process as soon as this returns (and after 5 s at most): wait here
        // for the SMS in flight to be answered and recorded.
        for (int waited = 0; !g_over.load() && waited < 4500; waited += 50)
            Sleep(50);
    }
    return TRUE;
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
    g_over.store(false);
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
#else
    install(onSignal, SA_RESETHAND | SA_RESTART);
#endif
}

StopSignal::~StopSignal()
{
#ifdef Q_OS_WIN
    g_over.store(true);
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
