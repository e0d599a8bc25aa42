#include "datadir.h"

#include "base/shared.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace parlevo {

DataDir::DataDir(const QString &path)
    : m_path(path)
{
}

QString DataDir::filePath(const QString &name) const
{
    return QDir(m_path).filePath(name);
}

bool DataDir::load(const QString &name, const QString &backupName, const std::function<void(const QByteArray &)> &use)
{
    const QString path = filePath(name);
    if (!FileExists(path))
        return true;
    const std::optional<QByteArray> bytes = readWholeFile(path);
    if (!bytes) {
        markUnreadable(name);
        return false;
    }
    // The copy is made from the very bytes loaded.
    replaceFile(filePath(backupName), *bytes);
    use(*bytes);
    return true;
}

std::optional<QByteArray> DataDir::read(const QString &name, QString *reason) const
{
    const QString path = filePath(name);
    if (!FileExists(path))
        return QByteArray();
    return readWholeFile(path, reason);
}

FileWrite DataDir::prepareSave(const QString &path, QByteArray bytes) const
{
    // A file that could not be read is still on disk, whole: a save would lose it.
    const QFileInfo target(path);
    if (std::any_of(m_unreadable.cbegin(), m_unreadable.cend(),
                    [&](const QString &name) { return QFileInfo(filePath(name)) == target; }))
        return {};
    return replaceOrRemove(path, std::move(bytes));
}

bool DataDir::save(const QString &path, QByteArray bytes) const
{
    const FileWrite write = prepareSave(path, std::move(bytes));
    return write && write();
}

void DataDir::markUnreadable(const QString &name)
{
    if (!m_unreadable.contains(name))
        m_unreadable.append(name);
}

} // namespace parlevo
