#include "coredump.h"

#include <QtGlobal>

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#endif
#ifdef Q_OS_WIN
#include <qt_windows.h>

// MinGW's werapi.h does not compile on its own: the one call and flag used, as Windows has them.
extern "C" __declspec(dllimport) HRESULT WINAPI WerSetFlags(DWORD flags);
#endif

namespace parlevo {

#ifdef Q_OS_WIN
namespace {

// Ends the process at once: Windows Error Reporting, which may keep a dump of a crashed
// process (LocalDumps, or a report sent away), is only reached when no filter handled the fault.
LONG WINAPI endWithoutReport(EXCEPTION_POINTERS *)
{
    TerminateProcess(GetCurrentProcess(), 0xC0000005u);
    return EXCEPTION_EXECUTE_HANDLER;
}

} // namespace
#endif

void disableCoreDumps()
{
#ifdef Q_OS_UNIX
    // Soft and hard limit both: nothing later in the process can raise it again.
    const rlimit none{0, 0};
    setrlimit(RLIMIT_CORE, &none);
#endif
#ifdef Q_OS_WIN
    SetUnhandledExceptionFilter(endWithoutReport);
    // The faults that skip the filter (a failed stack check) still reach the reporting: its dump
    // then leaves the heap, where the password is, out.
    constexpr DWORD kReportNoHeap = 1; // WER_FAULT_REPORTING_FLAG_NOHEAP
    WerSetFlags(kReportNoHeap);
    SetErrorMode(SetErrorMode(0) | SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
#endif
}

} // namespace parlevo
