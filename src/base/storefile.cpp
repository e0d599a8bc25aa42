#include "storefile.h"

#include "privatefile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace parlevo {

std::optional<QByteArray> readWholeFile(const QString &path, QString *error, ReadFailure *failure)
{
    const auto fail = [&](ReadFailure why, const QString &reason) -> std::optional<QByteArray> {
        if (error)
            *error = reason;
        if (failure)
            *failure = why;
        return std::nullopt;
    };
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(ReadFailure::CannotRead, file.errorString());
    // A device or a pipe has no size to check and may never end.
    if (file.isSequential() || !QFileInfo(path).isFile() || file.size() > kMaxReadBytes)
        return fail(ReadFailure::TooLarge, QString());
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return fail(ReadFailure::CannotRead, file.errorString());
    if (failure)
        *failure = ReadFailure::None;
    return bytes;
}

bool replaceFile(const QString &path, const QByteArray &bytes, FileAccess access)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (access == FileAccess::OwnerOnly && !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        file.cancelWriting();
        return false;
    }
    // Flushed here: an error in the flush that commit() would do itself can go unnoticed, and a
    // truncated file would then replace a whole one.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        file.cancelWriting();
        return false;
    }
#ifdef Q_OS_WIN
    // Windows keeps who may read a file in its security descriptor, which the temporary file took
    // from its folder: the file is narrowed once in place (it is written whole, never in pieces).
    return file.commit() && (access != FileAccess::OwnerOnly || makeOwnerOnly(path));
#else
    return file.commit();
#endif
}

bool removeFile(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return true;
    if (info.isDir())
        return false;
    return QFile::remove(path);
}

FileWrite replaceOrRemove(const QString &path, QByteArray bytes, FileAccess access)
{
    return [path, bytes = std::move(bytes), access] {
        return bytes.isEmpty() ? removeFile(path) : replaceFile(path, bytes, access);
    };
}

} // namespace parlevo
