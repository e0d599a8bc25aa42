#include "processsetup.h"

#include "coredump.h"

#include <QByteArray>

namespace parlevo {

void prepareProcess()
{
    disableCoreDumps();
#ifdef Q_OS_WIN
    // Read once, when the first pattern is compiled.
    qputenv("QT_ENABLE_REGEXP_JIT", QByteArrayLiteral("0"));
#endif
}

} // namespace parlevo
