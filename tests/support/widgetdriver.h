#pragma once

#include <QAbstractItemModel>
#include <QApplication>
#include <QStringList>
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

// The display texts of one column of a model, top to bottom.
inline QStringList columnTexts(const QAbstractItemModel &model, int column)
{
    QStringList texts;
    for (int row = 0; row < model.rowCount(); ++row)
        texts.append(model.index(row, column).data().toString());
    return texts;
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
