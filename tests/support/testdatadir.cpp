#include "testdatadir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace parlevo::test {

TestDataDir::TestDataDir() = default;

bool TestDataDir::write(const QString &name, const QByteArray &bytes) const
{
    const QString path = filePath(name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray TestDataDir::read(const QString &name) const
{
    QFile file(filePath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString fixturePath(const QString &name)
{
    return QDir(qEnvironmentVariable("PARLEVO_TEST_DATA")).filePath(name);
}

} // namespace parlevo::test

namespace parlevo::test {

QByteArray fixtureBytes(const QString &name)
{
    QFile file(fixturePath(name));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read the fixture %s", qPrintable(file.fileName()));
    return file.readAll();
}

} // namespace parlevo::test
