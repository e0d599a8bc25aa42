#include "wine.h"

#include <QtGlobal>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#endif

namespace parlevo::test {

bool underWine()
{
#ifdef Q_OS_WIN
    // Wine's ntdll has it; Windows' has not.
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
#else
    return false;
#endif
}

} // namespace parlevo::test
