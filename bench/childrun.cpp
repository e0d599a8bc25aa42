#include "childrun.h"

#include <QElapsedTimer>
#include <QFile>

#include <vector>

#ifdef Q_OS_WIN
#include <QProcess>

#include <qt_windows.h>

#include <psapi.h>
#else
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#endif

#ifdef Q_OS_WIN

ChildRun runChild(const QStringList &arguments)
{
    ChildRun run;
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer clock;
    clock.start();
    process.start(arguments.value(0), arguments.mid(1));
    if (!process.waitForStarted(-1))
        return run;
    // Kept open, the handle still answers once the process has ended.
    const HANDLE handle = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, DWORD(process.processId()));
    process.waitForFinished(-1);
    run.ms = double(clock.nsecsElapsed()) / 1e6;
    if (process.exitStatus() == QProcess::NormalExit)
        run.exitCode = process.exitCode();
    if (handle) {
        PROCESS_MEMORY_COUNTERS counters = {};
        // Wine answers zeros for a process that has ended: unknown then, not 0 MB.
        if (GetProcessMemoryInfo(handle, &counters, sizeof counters) && counters.PeakWorkingSetSize > 0)
            run.peakMb = double(counters.PeakWorkingSetSize) / (1024.0 * 1024.0);
        CloseHandle(handle);
    }
    return run;
}

#else

// posix_spawn and wait4: the child's own peak memory, which QProcess cannot give.
ChildRun runChild(const QStringList &arguments)
{
    std::vector<QByteArray> bytes;
    for (const QString &a : arguments)
        bytes.push_back(a.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &b : bytes)
        argv.push_back(b.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    ChildRun run;
    QElapsedTimer clock;
    clock.start();
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        rusage usage{};
        if (wait4(pid, &status, 0, &usage) == pid) {
            run.ms = double(clock.nsecsElapsed()) / 1e6;
            run.peakMb = double(usage.ru_maxrss) / 1024.0;
            run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
    }
    posix_spawn_file_actions_destroy(&actions);
    return run;
}

#endif

double ownMegabytes(Memory which)
{
#ifdef Q_OS_WIN
    PROCESS_MEMORY_COUNTERS counters = {};
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters))
        return -1;
    const SIZE_T bytes = which == Memory::Peak ? counters.PeakWorkingSetSize : counters.WorkingSetSize;
    return double(bytes) / (1024.0 * 1024.0);
#else
    const QByteArray field = which == Memory::Peak ? "VmHWM:" : "VmRSS:";
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(field.size()).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return -1;
#endif
}
