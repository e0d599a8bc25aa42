#pragma once

#include "base/storefile.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace parlevo {

// The directory of a run's data files, and the one way they are loaded and saved: at start-up a
// file is copied as found to its backup before anything reads it, and a file that exists but
// cannot be read is left exactly as it is, never saved over or removed during the run.
class DataDir final {
public:
    explicit DataDir(const QString &path);

    const QString &path() const { return m_path; }
    // A file of the directory.
    QString filePath(const QString &name) const;

    // The start-up load of file name: no file, nothing happens. Otherwise the bytes read are first
    // written to backupName (the copy is the file as this run found it) and then handed to use.
    // False when the file exists but cannot be read; it is then marked unreadable.
    bool load(const QString &name, const QString &backupName, const std::function<void(const QByteArray &)> &use);
    // File name as it is now, without the copy or the mark: empty when there is none; nothing when
    // it exists but cannot be read, reason then telling why.
    std::optional<QByteArray> read(const QString &name, QString *reason = nullptr) const;

    // Replaces the file at path by bytes, or removes it when bytes is empty, in a step that may
    // run on any thread. Empty (nothing may be written) when path is a file of this directory that
    // could not be read at start-up.
    FileWrite prepareSave(const QString &path, QByteArray bytes) const;
    // The same save done now; false when the file on disk is not up to date.
    bool save(const QString &path, QByteArray bytes) const;

    void markUnreadable(const QString &name);
    bool isUnreadable(const QString &name) const { return m_unreadable.contains(name); }
    const QStringList &unreadableFiles() const { return m_unreadable; }

private:
    QString m_path;
    QStringList m_unreadable;
};

} // namespace parlevo
