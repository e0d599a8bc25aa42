#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

namespace parlevo {

// Larger files are refused before reading: the program's files are far smaller, and reading one
// of unbounded size (a device, a huge file picked by mistake) would exhaust memory.
inline constexpr qint64 kMaxReadBytes = qint64(1) << 31;

// Why a file could not be read: none, the open or read failed, or it is not a regular file of a
// bounded size.
enum class ReadFailure { None, CannotRead, TooLarge };

// The whole file at once; nothing when it cannot be opened or read, is not a regular file, or is
// larger than kMaxReadBytes. failure and error (the system's reason) tell why when given.
std::optional<QByteArray> readWholeFile(const QString &path, QString *error = nullptr, ReadFailure *failure = nullptr);

// Who may read a file written by replaceFile.
enum class FileAccess { Default, OwnerOnly };

// Writes bytes to a temporary file of the same directory and renames it over path once it is
// complete and flushed. On any failure the previous file stays as it was and false is returned.
bool replaceFile(const QString &path, const QByteArray &bytes, FileAccess access = FileAccess::Default);

// True when no file is left at path.
bool removeFile(const QString &path);

// A save whose bytes are already taken: it may run on any thread and touches nothing but its file.
// True when the file on disk is up to date.
using FileWrite = std::function<bool()>;

// Replaces path by bytes, or removes the file when bytes is empty (an empty list leaves no file).
FileWrite replaceOrRemove(const QString &path, QByteArray bytes, FileAccess access = FileAccess::Default);

} // namespace parlevo
