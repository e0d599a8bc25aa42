#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace parlevo::test {

// A fresh, empty data directory removed when the test ends.
class TestDataDir final {
public:
    TestDataDir();

    QString path() const { return m_dir.path(); }
    QString filePath(const QString &name) const { return m_dir.filePath(name); }

    // Writes bytes to a file of the directory (creating sub-directories); false on failure.
    bool write(const QString &name, const QByteArray &bytes) const;
    // The bytes of a file of the directory, or an empty array.
    QByteArray read(const QString &name) const;

private:
    QTemporaryDir m_dir;
};

// A file of tests/data.
QString fixturePath(const QString &name);
// The bytes of a file of tests/data; ends the test run when it cannot be read.
QByteArray fixtureBytes(const QString &name);

} // namespace parlevo::test
