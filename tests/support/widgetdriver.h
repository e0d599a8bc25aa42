#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <QtGlobal>

#include <functional>

namespace parlevo::test {

// The child of that type and object name; a missing one ends the test run at once, naming it.
template <typename T> T *child(const QObject *parent, const char16_t *name)
{
    T *w = parent->findChild<T *>(QString::fromUtf16(name));
    if (!w)
        qFatal("no child %s", qPrintable(QString::fromUtf16(name)));
    return w;
}

// Runs fn on the next modal dialog of type D once it is on screen; the caller then opens the
// dialog and its exec() loop runs fn. Polls the event loop, never sleeps.
template <typename D> void whenModalShown(std::function<void(D *)> fn)
{
    auto *timer = new QTimer(qApp);
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, qApp, [timer, fn] {
        auto *dialog = qobject_cast<D *>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        fn(dialog);
    });
    timer->start();
}

} // namespace parlevo::test
