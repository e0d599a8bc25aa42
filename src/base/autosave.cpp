#include "autosave.h"

#include <utility>

namespace parlevo {

AutoSave::AutoSave(QObject *parent)
    : QObject(parent)
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(kDefaultDelayMs);
    connect(&m_timer, &QTimer::timeout, this, &AutoSave::savePending);
    // One thread: two saves of one file never overlap and the later one always lands last.
    m_writer.setMaxThreadCount(1);
}

AutoSave::~AutoSave()
{
    m_writer.waitForDone();
}

void AutoSave::watch(const QString &name, Prepare prepare)
{
    m_watched.insert(name, std::move(prepare));
}

void AutoSave::changed(const QString &name)
{
    if (!m_watched.contains(name))
        return;
    m_pending.insert(name);
    // Not restarted by later changes: a stream of changes must not put the save off for ever.
    if (!m_timer.isActive())
        m_timer.start();
}

void AutoSave::savePending()
{
    m_timer.stop();
    const QSet<QString> pending = std::exchange(m_pending, {});
    for (const QString &name : pending) {
        FileWrite write = m_watched.value(name)();
        if (!write)
            continue;
        m_writer.start([this, name, write = std::move(write)] {
            const bool ok = write();
            QMetaObject::invokeMethod(
                this, [this, name, ok] { emit saved(name, ok); }, Qt::QueuedConnection);
        });
    }
}

void AutoSave::saveAll()
{
    for (auto it = m_watched.cbegin(); it != m_watched.cend(); ++it)
        m_pending.insert(it.key());
    flush();
}

void AutoSave::flush()
{
    savePending();
    m_writer.waitForDone();
}

} // namespace parlevo
