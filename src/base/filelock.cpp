#include "filelock.h"

#include <QFile>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace parlevo {

FileLock::FileLock(qintptr handle)
    : m_handle(handle)
{
}

#ifdef Q_OS_WIN

FileLock::~FileLock()
{
    CloseHandle(reinterpret_cast<HANDLE>(m_handle));
}

std::unique_ptr<FileLock> FileLock::tryLock(const QString &path, Outcome *outcome, QString *reason)
{
    // Opened without sharing: a second opening fails while this handle lives, and the system
    // closes the handle of a process that dies.
    const HANDLE handle = CreateFileW(reinterpret_cast<const wchar_t *>(path.utf16()), GENERIC_READ | GENERIC_WRITE, 0,
                                      nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
        *outcome = Outcome::Acquired;
        return std::unique_ptr<FileLock>(new FileLock(reinterpret_cast<qintptr>(handle)));
    }
    const DWORD error = GetLastError();
    *outcome =
        error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ? Outcome::HeldByOther : Outcome::Failed;
    if (reason)
        *reason = qt_error_string(int(error));
    return nullptr;
}

#else

FileLock::~FileLock()
{
    ::close(int(m_handle));
}

std::unique_ptr<FileLock> FileLock::tryLock(const QString &path, Outcome *outcome, QString *reason)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        *outcome = Outcome::Failed;
        if (reason)
            *reason = qt_error_string(errno);
        return nullptr;
    }
    // flock belongs to the open file: released when the last descriptor of it closes, which the
    // system does for a process that dies.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        *outcome = error == EWOULDBLOCK ? Outcome::HeldByOther : Outcome::Failed;
        if (reason)
            *reason = qt_error_string(error);
        return nullptr;
    }
    *outcome = Outcome::Acquired;
    return std::unique_ptr<FileLock>(new FileLock(fd));
}

#endif

bool FileLock::isHeld(const QString &path)
{
    if (!QFile::exists(path))
        return false;
    Outcome outcome = Outcome::Failed;
    const auto lock = tryLock(path, &outcome);
    return outcome == Outcome::HeldByOther;
}

} // namespace parlevo
