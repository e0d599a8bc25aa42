#pragma once

#include "base/storefile.h"

#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <QThreadPool>
#include <QTimer>

#include <functional>

namespace parlevo {

// Saves the files of one data directory soon after they change, so that a crash loses at most the
// last two seconds of work. Windows and collections only tell that a file's data changed; the
// changes of a burst (an import, a group change over many contacts) are one save. The bytes are
// taken on the caller's thread, then written by one worker thread, in order, with the same atomic
// replace as at shutdown.
class AutoSave final : public QObject {
    Q_OBJECT
public:
    // How long after the first change of a burst the save starts.
    static constexpr int kDefaultDelayMs = 1000;

    // What to write now: a step that touches nothing but the file (run on the worker), or an empty
    // function when there is nothing to write (the file could not be read at start-up, or the
    // data was saved on the spot).
    using Prepare = std::function<FileWrite()>;

    explicit AutoSave(QObject *parent = nullptr);
    ~AutoSave() override;
    Q_DISABLE_COPY_MOVE(AutoSave)

    // Files not watched are never saved by this object: a data directory that cannot be written
    // has none.
    void watch(const QString &name, Prepare prepare);
    void setDelay(int ms) { m_timer.setInterval(ms); }

    // The data of file name changed; it is saved within the delay.
    void changed(const QString &name);
    bool isPending() const { return !m_pending.isEmpty(); }

    // Writes what is pending and waits for every write under way.
    void flush();
    // Writes every watched file now and waits (at shutdown).
    void saveAll();

signals:
    // After each write, on this object's thread; ok is false when the file could not be written.
    void saved(const QString &name, bool ok);

private:
    void savePending();

    QHash<QString, Prepare> m_watched;
    QSet<QString> m_pending;
    QTimer m_timer;
    QThreadPool m_writer;
};

} // namespace parlevo
