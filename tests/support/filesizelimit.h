#pragma once

#include <QtGlobal>

namespace parlevo::test {

// While it lives, no file this process writes can grow past the given size, as on a full disk:
// a write beyond it fails instead of ending the process. Unlike file permissions this also holds
// for root. Where the system has no such limit, active() is false and nothing changes.
class FileSizeLimit final {
public:
    explicit FileSizeLimit(qint64 bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

    bool active() const { return m_active; }

private:
    bool m_active = false;
    quint64 m_previousLimit = 0;
    void (*m_previousHandler)(int) = nullptr;
};

} // namespace parlevo::test
