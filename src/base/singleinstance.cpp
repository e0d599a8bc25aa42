#include "singleinstance.h"

#include <QDir>
#include <QFile>
#include <QThread>

namespace parlevo {

SingleInstance::SingleInstance(const QString &dataDir)
    : m_path(QDir(dataDir).filePath(QStringLiteral("Parlevo.lock")))
    , m_lock(m_path)
{
    // Only a dead owner makes the lock stale; a live copy keeps it however long it runs.
    m_lock.setStaleLockTime(0);
}

SingleInstance::Outcome SingleInstance::acquire(QString *reason)
{
    if (m_lock.tryLock(0))
        return Outcome::Acquired;
    if (m_lock.error() == QLockFile::LockFailedError) {
        // A lock that names no process (left empty or torn by a power loss) can never be found
        // stale by its owner's death. A live copy writes its name as it creates the file, so a
        // lock still unreadable a moment later is taken over.
        qint64 pid = 0;
        QString host, app;
        if (m_lock.getLockInfo(&pid, &host, &app))
            return Outcome::HeldByOther;
        QThread::msleep(100);
        if (m_lock.getLockInfo(&pid, &host, &app))
            return Outcome::HeldByOther;
        if (m_lock.removeStaleLockFile()) {
            if (m_lock.tryLock(0))
                return Outcome::Acquired;
            if (m_lock.error() == QLockFile::LockFailedError)
                return Outcome::HeldByOther; // another copy took it meanwhile
        }
    }
    if (reason) {
        // QLockFile keeps the system's words to itself: creating the file again gives them.
        QFile probe(m_path);
        if (probe.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            probe.close();
            probe.remove();
        }
        *reason = probe.errorString();
    }
    return Outcome::CannotCreate;
}

} // namespace parlevo
