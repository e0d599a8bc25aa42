#pragma once

#include <QString>

#include <memory>

namespace parlevo {

// An exclusive lock on a file, held by this process until the object goes. The system releases
// it when the process dies, however it dies, so a crash or a kill never leaves it held.
// Two locks on one file conflict even within one process.
class FileLock final {
public:
    enum class Outcome {
        Acquired,
        HeldByOther, // another process (or another lock of this one) holds it
        Failed,      // the file cannot be made or locked here
    };

    ~FileLock();
    FileLock(const FileLock &) = delete;
    FileLock &operator=(const FileLock &) = delete;

    // Takes the lock on the file at path (made when missing) without waiting. reason receives the
    // system's words when it fails.
    static std::unique_ptr<FileLock> tryLock(const QString &path, Outcome *outcome, QString *reason = nullptr);
    // True when another process holds the lock now; the lock is not kept.
    static bool isHeld(const QString &path);

private:
    explicit FileLock(qintptr handle);
    qintptr m_handle;
};

} // namespace parlevo
