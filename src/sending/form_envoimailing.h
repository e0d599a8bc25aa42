#pragma once

#include "resultmodel.h"
#include "sendrun.h"

#include <QWidget>

class QKeyEvent;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;
class QTreeView;

namespace parlevo {

class AppState;

// The window of a mailing send: one result row per SMS, the progress, and Ok to hide it. It
// lives as long as its owner, so the rows of every run stay, each run appending below.
class Form_EnvoiMailing final : public QWidget {
    Q_OBJECT
public:
    // owner: the main window, which the window stays above.
    Form_EnvoiMailing(AppState &state, QWidget *owner);
    Q_DISABLE_COPY_MOVE(Form_EnvoiMailing)

    // Shows the window and sends one SMS per row of source; returns when every row is done. A
    // call while a run is under way sends nothing.
    SendRunSummary Send(const MailingSource &source, const QString &differer);

    ResultModel *results() const { return m_model; }

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    class Observer;

    // The run's changes reach the widgets in batches, a few times a second: painting every row
    // of a fast gateway would cost more than sending it.
    void queueRow(const QString &recipient);
    void queueResult(const QString &result);
    void queueProgress(qsizetype done, qsizetype total);
    void flush();

    AppState &m_state;
    QLabel *m_labelTravail;
    QProgressBar *m_progress;
    QTreeView *m_list;
    QPushButton *m_ok;
    ResultModel *m_model;
    QTimer *m_flushTimer;
    std::vector<ResultRow> m_pending;
    qsizetype m_done = 0;
    qsizetype m_total = 0;
    bool m_running = false;
};

} // namespace parlevo
