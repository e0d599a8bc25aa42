#include "coredump.h"

#include <QtGlobal>

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#endif

namespace parlevo {

void disableCoreDumps()
{
#ifdef Q_OS_UNIX
    // Soft and hard limit both: nothing later in the process can raise it again.
    const rlimit none{0, 0};
    setrlimit(RLIMIT_CORE, &none);
#endif
    // Windows writes no crash dump of a process unless the user configured one.
}

} // namespace parlevo
