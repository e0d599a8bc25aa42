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

    // True when this process now owns the data directory.
    bool tryAcquire();

private:
    QLockFile m_lock;
};

} // namespace parlevo
