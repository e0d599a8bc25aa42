#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace parlevo::test {

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
