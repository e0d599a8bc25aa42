#include "sendrun.h"

#include "addressbook/classcontact.h"
#include "base/shared.h"
#include "base/textes.h"
#include "base/txt.h"
#include "gateway/classsendora.h"
#include "messages/mergefields.h"
#include "messages/outgoing.h"
#include "sendjournal.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <deque>
#include <optional>

namespace parlevo {

QString MailingSource::messageFor(const ClassContact &contact) const
{
    return mergedMessage(message(), contact, columns);
}

QString recipientText(const ClassContact &contact)
{
    return u'(' + contact.Phone + u") " + contact.FullName();
}

QString progressText(const TextTable &textes, qsizetype done, qsizetype total)
{
    return textes(Txt::SentOfTotal).arg(QString::number(done), QString::number(total));
}

namespace {

// Beyond the even spacing, a request waits this long past the minute since the request N before
// it: the gateway's clock sees requests a little after they leave, not always equally late.
constexpr qint64 kPaceMarginMs = 100;
// How often a paused or paced run looks again whether it is asked to stop or go on.
constexpr int kPollMs = 50;
// How long a busy gateway is left alone when it does not say.
constexpr int kBusyPauseSeconds = 60;

class SendRun final {
public:
    SendRun(ClassSendora &gateway, const TextTable &textes, const MailingSource &source, const QString &differer,
            SendRunObserver &observer, const SendRunOptions &options)
        : m_gateway(gateway)
        , m_textes(textes)
        , m_source(source)
        , m_differer(differer)
        , m_observer(observer)
        , m_options(options)
        , m_parallel(std::clamp(options.parallel, 1, SendRunOptions::kMaxParallel))
    {
        m_pumpTimer.setSingleShot(true);
        m_pumpTimer.setInterval(0);
        QObject::connect(&m_pumpTimer, &QTimer::timeout, &m_loop, [this] { pump(); });
        m_waitTimer.setSingleShot(true);
        m_waitTimer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_waitTimer, &QTimer::timeout, &m_loop, [this] { pump(); });
        m_clock.start();
        if (m_options.perMinute > 0) {
            for (int i = 0; i < m_options.requestsJustBefore; ++i)
                m_started.push_back(0);
            while (qsizetype(m_started.size()) > m_options.perMinute)
                m_started.pop_front();
        }
    }

    SendRunSummary run()
    {
        m_summary.total = m_source.rowCount();
        m_observer.runStarted(m_summary.total);
        m_pumpTimer.start();
        while (!m_finished) {
            // The application is quitting: nothing more starts, the SMS in flight end.
            if (m_loop.exec() < 0)
                m_stopStarting = true;
        }
        return m_summary;
    }

private:
    struct Row {
        ClassContact contact;
        QString number;
        std::optional<SendReply> reply;
        QString skipText;
    };

    void schedulePump()
    {
        if (!m_pumpTimer.isActive())
            m_pumpTimer.start();
    }

    // Reports what can be reported, starts what may start, ends the run when nothing is left.
    // Observers may let events run; a pump asked for meanwhile runs once this one is over.
    void pump()
    {
        if (m_finished)
            return;
        if (m_pumping) {
            m_pumpAgain = true;
            return;
        }
        m_pumping = true;
        do {
            m_pumpAgain = false;
            report();
            startRows();
        } while (m_pumpAgain);
        m_pumping = false;
        if (m_inFlight == 0 && (m_stopStarting || m_nextStart == m_summary.total) && m_rows.empty())
            finishRun();
    }

    void report()
    {
        while (!m_rows.empty() && m_rows.front().reply) {
            const Row row = std::move(m_rows.front());
            m_rows.pop_front();
            m_observer.rowDone(m_nextReport++, row.contact, row.number, *row.reply,
                               row.skipText.isEmpty() ? replyText(m_textes, *row.reply) : row.skipText);
        }
    }

    // Milliseconds until the pace lets the next request leave; 0 when it may leave now.
    qint64 paceWait() const
    {
        if (m_options.perMinute <= 0 || m_started.empty())
            return 0;
        const qint64 now = m_clock.elapsed();
        const qint64 minute = m_options.paceWindowMs;
        qint64 next = m_started.back() + (minute + m_options.perMinute - 1) / m_options.perMinute;
        if (qsizetype(m_started.size()) >= m_options.perMinute)
            next = std::max(next, m_started.front() + minute + kPaceMarginMs);
        return std::max<qint64>(0, next - now);
    }

    void startRows()
    {
        if (!m_stopStarting && m_observer.stopRequested()) {
            m_stopStarting = true;
            m_summary.stopped = m_nextStart < m_summary.total;
        }
        skipRows();
        if (m_stopStarting || m_nextStart >= m_summary.total || m_inFlight >= m_parallel)
            return;
        if (m_observer.pauseRequested()) {
            m_waitTimer.start(kPollMs);
            return;
        }
        if (const qint64 busy = m_busyUntil - m_clock.elapsed(); busy > 0) {
            m_waitTimer.start(int(std::min<qint64>(busy, kPollMs)));
            return;
        }
        // The pace counts from the moment a request leaves: one waits for the disk at a time.
        if (m_options.perMinute > 0 && m_waitingForDisk > 0)
            return;
        if (const qint64 wait = paceWait(); wait > 0) {
            // Short waits, so that a stop or a pause asked meanwhile is seen at once.
            m_waitTimer.start(int(std::min<qint64>(wait, kPollMs)));
            return;
        }
        // A paced run starts one request per spacing; otherwise every free place is filled at once,
        // and the journal writes all of them in one trip to the disk.
        qsizetype count =
            m_options.perMinute > 0 ? 1 : std::min<qsizetype>(m_parallel - m_inFlight, m_summary.total - m_nextStart);
        // A batch ends before a row left out; the next pump skips it.
        for (qsizetype i = 1; i < count && m_options.skipText; ++i) {
            if (!m_options.skipText(m_nextStart + i).isEmpty()) {
                count = i;
                break;
            }
        }
        std::vector<qsizetype> batch;
        for (qsizetype i = 0; i < count; ++i)
            batch.push_back(m_nextStart + i);
        // The places are taken now; the requests leave once the journal has them on the disk.
        m_nextStart += count;
        m_inFlight += int(count);
        if (!m_options.journal) {
            for (qsizetype row : batch)
                startRow(row);
            return;
        }
        ++m_waitingForDisk;
        m_options.journal->recordStartedLater(batch, &m_loop, [this, batch](bool written) {
            --m_waitingForDisk;
            for (qsizetype row : batch) {
                if (written)
                    startRow(row);
                else
                    notStarted(row);
            }
            schedulePump();
        });
    }

    // The rows left out from m_nextStart on get their outcome at once, without a request.
    void skipRows()
    {
        if (!m_options.skipText)
            return;
        while (!m_stopStarting && m_nextStart < m_summary.total) {
            QString text = m_options.skipText(m_nextStart);
            if (text.isEmpty())
                return;
            // Journaled as done, so that taking the run up again leaves it out too.
            const qsizetype row = m_nextStart++;
            Row &slot = slotOf(row);
            slot.reply = SendReply{0, SendOutcome::Skipped};
            slot.skipText = std::move(text);
            if (m_options.journal)
                m_options.journal->recordDone(row, *slot.reply);
            count(SendOutcome::Skipped);
            reportProgress();
            schedulePump();
        }
    }

    // A row whose start could not be recorded does not leave, and nothing more starts.
    void notStarted(qsizetype row)
    {
        --m_inFlight;
        m_summary.journalFailed = true;
        m_summary.stopped = true;
        m_stopStarting = true;
        const SendReply reply{0, SendOutcome::NotSent};
        slotOf(row).reply = reply;
        count(reply.outcome);
        schedulePump();
    }

    Row &slotOf(qsizetype row)
    {
        // Rows are read in list order, each once, as their place is taken.
        while (qsizetype(m_rows.size()) <= row - m_nextReport) {
            const qsizetype next = m_nextReport + qsizetype(m_rows.size());
            const ClassContact *found = next < m_source.rowCount() ? m_source.contactAt(next) : nullptr;
            Row &slot = m_rows.emplace_back(Row{found ? *found : ClassContact{}, QString(), std::nullopt, QString()});
            slot.number = numberToSend(slot.contact.Phone);
        }
        return m_rows[std::size_t(row - m_nextReport)];
    }

    void startRow(qsizetype row)
    {
        Row &slot = slotOf(row);
        if (m_options.perMinute > 0) {
            m_started.push_back(m_clock.elapsed());
            if (qsizetype(m_started.size()) > m_options.perMinute)
                m_started.pop_front();
        }
        m_observer.rowStarted(row, slot.contact, recipientText(slot.contact));
        const QString text = textToSend(m_textes, m_source.sender(), m_source.messageFor(slot.contact), slot.contact);
        m_gateway.sendAsync(slot.number, text, m_differer,
                            [this, row](const SendReply &reply) { rowEnded(row, reply); });
    }

    void rowEnded(qsizetype row, const SendReply &reply)
    {
        --m_inFlight;
        slotOf(row).reply = reply;
        if (m_options.journal)
            m_options.journal->recordDone(row, reply);
        count(reply.outcome);
        ++m_summary.done;
        if (reply.outcome == SendOutcome::Busy) {
            const int seconds = reply.retryAfterSeconds > 0 ? reply.retryAfterSeconds : kBusyPauseSeconds;
            const qint64 until = m_clock.elapsed() + qint64(seconds) * 1000;
            if (until > m_busyUntil) {
                m_busyUntil = until;
                m_observer.gatewayBusy(seconds);
            }
        }
        // Without credit, the rows not started yet would all be refused.
        if (reply.code == kNoCreditCode && m_parallel > 1 && !m_stopStarting) {
            m_stopStarting = true;
            m_summary.stopped = m_nextStart < m_summary.total;
        }
        reportProgress();
        schedulePump();
    }

    // Rows left out on purpose are not SMS to send: they leave the total, so the progress still ends full.
    void reportProgress() { m_observer.progress(m_summary.done, m_summary.total - m_summary.skipped); }

    void count(SendOutcome outcome)
    {
        switch (outcome) {
        case SendOutcome::Accepted:
            ++m_summary.accepted;
            break;
        case SendOutcome::Refused:
            ++m_summary.refused;
            break;
        case SendOutcome::Unreachable:
            ++m_summary.unreachable;
            break;
        case SendOutcome::Unknown:
            ++m_summary.unknown;
            break;
        case SendOutcome::NotSent:
            ++m_summary.notSent;
            break;
        case SendOutcome::Skipped:
            ++m_summary.skipped;
            break;
        case SendOutcome::Busy:
            ++m_summary.refused;
            ++m_summary.busy;
            break;
        }
    }

    void finishRun()
    {
        // Observers may let events run while told of the last rows: nothing may start again.
        m_finished = true;
        m_waitTimer.stop();
        const ClassContact none;
        const SendReply notSent{0, SendOutcome::NotSent};
        const QString text = replyText(m_textes, notSent);
        for (qsizetype row = m_nextStart; row < m_summary.total; ++row) {
            const ClassContact *found = row < m_source.rowCount() ? m_source.contactAt(row) : nullptr;
            const ClassContact &contact = found ? *found : none;
            const QString skip = m_options.skipText ? m_options.skipText(row) : QString();
            if (skip.isEmpty()) {
                count(SendOutcome::NotSent);
                m_observer.rowDone(row, contact, numberToSend(contact.Phone), notSent, text);
                continue;
            }
            const SendReply skipped{0, SendOutcome::Skipped};
            if (m_options.journal)
                m_options.journal->recordDone(row, skipped);
            count(SendOutcome::Skipped);
            m_observer.rowDone(row, contact, numberToSend(contact.Phone), skipped, skip);
        }
        m_loop.quit();
    }

    ClassSendora &m_gateway;
    const TextTable &m_textes;
    const MailingSource &m_source;
    const QString m_differer;
    SendRunObserver &m_observer;
    const SendRunOptions m_options;
    const int m_parallel;
    SendRunSummary m_summary;
    // The rows started and not reported yet, from m_nextReport on.
    std::deque<Row> m_rows;
    qsizetype m_nextStart = 0;
    qsizetype m_nextReport = 0;
    // Rows whose place is taken: their request is under way or waits for the journal.
    int m_inFlight = 0;
    int m_waitingForDisk = 0;
    bool m_stopStarting = false;
    bool m_pumping = false;
    bool m_pumpAgain = false;
    bool m_finished = false;
    // When the last perMinute requests started, on m_clock.
    std::deque<qint64> m_started;
    // Until when a busy gateway is left alone, on m_clock.
    qint64 m_busyUntil = 0;
    QElapsedTimer m_clock;
    QEventLoop m_loop;
    QTimer m_pumpTimer;
    QTimer m_waitTimer;
};

} // namespace

SendRunSummary runMailing(ClassSendora &gateway, const TextTable &textes, const MailingSource &source,
                          const QString &differer, SendRunObserver &observer, const SendRunOptions &options)
{
    SendRun run(gateway, textes, source, differer, observer, options);
    return run.run();
}

} // namespace parlevo
