#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace parlevo {

// The whole file at once; nothing when it cannot be opened or read.
std::optional<QByteArray> readWholeFile(const QString &path);

// Writes bytes to a temporary file of the same directory and renames it over path once it is
// complete and flushed. On any failure the previous file stays as it was and false is returned.
bool replaceFile(const QString &path, const QByteArray &bytes);

// True when no file is left at path.
bool removeFile(const QString &path);

} // namespace parlevo
