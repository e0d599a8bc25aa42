#include "singleinstance.h"

#include <QDir>

namespace parlevo {

SingleInstance::SingleInstance(const QString &dataDir)
    : m_lock(QDir(dataDir).filePath(QStringLiteral("Parlevo.lock")))
{
    // Only a dead owner makes the lock stale; a live copy keeps it however long it runs.
    m_lock.setStaleLockTime(0);
}

bool SingleInstance::tryAcquire()
{
    return m_lock.tryLock(0);
}

} // namespace parlevo
