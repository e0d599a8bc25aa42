#include "filesync.h"

#include <QFile>

#ifdef Q_OS_WIN
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace parlevo {

bool syncToDisk(QFile &file)
{
    if (!file.flush())
        return false;
    const int fd = file.handle();
    if (fd < 0)
        return false;
#ifdef Q_OS_WIN
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
    return handle != INVALID_HANDLE_VALUE && FlushFileBuffers(handle);
#elif defined(Q_OS_LINUX)
    // The data and the size it needs to be read back, without the times the inode also holds:
    // enough to survive a crash, and cheaper when a file is synced once per line appended.
    return ::fdatasync(fd) == 0;
#else
    return ::fsync(fd) == 0;
#endif
}

} // namespace parlevo
