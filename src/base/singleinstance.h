#pragma once

#include <QLockFile>
#include <QString>

namespace parlevo {

// One running copy per data directory. The lock file names the owning process, so a copy
// that crashed or was killed does not keep later ones out.
class SingleInstance final {
public:
    explicit SingleInstance(const QString &dataDir);
    Q_DISABLE_COPY_MOVE(SingleInstance)

    enum class Outcome {
        Acquired,     // this process now owns the data directory
        HeldByOther,  // another running copy owns it
        CannotCreate, // no lock could be made there (read-only, full, not a directory...)
    };
    // reason receives the system's words when the lock cannot be created.
    Outcome acquire(QString *reason = nullptr);

    // True when this process now owns the data directory.
    bool tryAcquire() { return acquire() == Outcome::Acquired; }

private:
    QString m_path;
    QLockFile m_lock;
};

} // namespace parlevo
