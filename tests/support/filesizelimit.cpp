#include "filesizelimit.h"

#include <csignal>

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#endif

namespace parlevo::test {

#ifdef Q_OS_UNIX

FileSizeLimit::FileSizeLimit(qint64 bytes)
{
    rlimit limit{};
    if (getrlimit(RLIMIT_FSIZE, &limit) != 0)
        return;
    m_previousLimit = limit.rlim_cur;
    // The signal would end the process; ignored, the write fails with EFBIG instead.
    m_previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    limit.rlim_cur = rlim_t(bytes);
    m_active = setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

FileSizeLimit::~FileSizeLimit()
{
    if (m_active) {
        rlimit limit{};
        getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = rlim_t(m_previousLimit);
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    if (m_previousHandler != SIG_ERR)
        std::signal(SIGXFSZ, m_previousHandler);
}

#else

FileSizeLimit::FileSizeLimit(qint64) {}
FileSizeLimit::~FileSizeLimit() = default;

#endif

} // namespace parlevo::test
