#include "sendrun.h"

#include "addressbook/classcontact.h"
#include "base/shared.h"
#include "base/textes.h"
#include "base/txt.h"
#include "gateway/classsendora.h"
#include "messages/mergefields.h"
#include "messages/outgoing.h"
#include "sendjournal.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>

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
// How long a busy gateway is left alone when it does not say.
constexpr int kBusyPauseSeconds = 60;

} // namespace

MailingRun::MailingRun(ClassSendora &gateway, const TextTable &textes, MailingSource source, QString differer,
                       const SendRunOptions &options, QObject *parent)
    : QObject(parent)
    , m_gateway(gateway)
    , m_textes(textes)
    , m_source(std::move(source))
    , m_differer(std::move(differer))
    , m_options(options)
    , m_parallel(std::clamp(options.parallel, 1, SendRunOptions::kMaxParallel))
{
    m_pumpTimer.setSingleShot(true);
    m_pumpTimer.setInterval(0);
    connect(&m_pumpTimer, &QTimer::timeout, this, &MailingRun::pump);
    m_waitTimer.setSingleShot(true);
    m_waitTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_waitTimer, &QTimer::timeout, this, &MailingRun::pump);
}

MailingRun::~MailingRun()
{
    if (QCoreApplication *app = QCoreApplication::instance())
        app->removeEventFilter(this);
}

void MailingRun::start()
{
    if (m_started)
        return;
    m_started = true;
    m_clock.start();
    if (m_options.perMinute > 0) {
        for (int i = 0; i < m_options.requestsJustBefore; ++i)
            m_startTimes.push_back(0);
        while (qsizetype(m_startTimes.size()) > m_options.perMinute)
            m_startTimes.pop_front();
    }
    if (QCoreApplication *app = QCoreApplication::instance())
        app->installEventFilter(this);
    m_summary.total = m_source.rowCount();
    // Told from the event loop, as everything else the run tells.
    QTimer::singleShot(0, this, [this] {
        emit started(m_summary.total);
        schedulePump();
    });
}

void MailingRun::stop()
{
    if (!m_started || m_finished || m_stopStarting)
        return;
    m_stopStarting = true;
    m_summary.stopped = m_nextStart < m_summary.total;
    schedulePump();
}

void MailingRun::pause()
{
    m_paused = true;
}

void MailingRun::resume()
{
    m_paused = false;
    if (m_started)
        schedulePump();
}

bool MailingRun::eventFilter(QObject *watched, QEvent *event)
{
    // Quitting now would leave the SMS in flight without their answers in the journal: the quit
    // waits for them, nothing more starts, and the quit is asked again once the run has ended.
    if (event->type() == QEvent::Quit && watched == QCoreApplication::instance() && m_started && !m_finished) {
        m_quitHeld = true;
        stop();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void MailingRun::schedulePump()
{
    if (!m_pumpTimer.isActive())
        m_pumpTimer.start();
}

// Reports what can be reported, starts what may start, ends the run when nothing is left.
void MailingRun::pump()
{
    if (m_finished)
        return;
    report();
    startRows();
    if (m_inFlight == 0 && (m_stopStarting || m_nextStart == m_summary.total) && m_rows.empty())
        finishRun();
}

void MailingRun::report()
{
    while (!m_rows.empty() && m_rows.front().reply) {
        const Row row = std::move(m_rows.front());
        m_rows.pop_front();
        emit rowDone(m_nextReport++, row.contact, row.number, *row.reply,
                     row.skipText.isEmpty() ? replyText(m_textes, *row.reply) : row.skipText);
    }
}

// Milliseconds until the pace lets the next request leave; 0 when it may leave now.
qint64 MailingRun::paceWait() const
{
    if (m_options.perMinute <= 0 || m_startTimes.empty())
        return 0;
    const qint64 now = m_clock.elapsed();
    const qint64 minute = m_options.paceWindowMs;
    qint64 next = m_startTimes.back() + (minute + m_options.perMinute - 1) / m_options.perMinute;
    if (qsizetype(m_startTimes.size()) >= m_options.perMinute)
        next = std::max(next, m_startTimes.front() + minute + kPaceMarginMs);
    return std::max<qint64>(0, next - now);
}

void MailingRun::startRows()
{
    skipRows();
    if (m_stopStarting || m_nextStart >= m_summary.total || m_inFlight >= m_parallel)
        return;
    // resume() pumps again.
    if (m_paused)
        return;
    if (const qint64 busy = m_busyUntil - m_clock.elapsed(); busy > 0) {
        m_waitTimer.start(int(busy));
        return;
    }
    // The pace counts from the moment a request leaves: one waits for the disk at a time.
    if (m_options.perMinute > 0 && m_waitingForDisk > 0)
        return;
    if (const qint64 wait = paceWait(); wait > 0) {
        m_waitTimer.start(int(wait));
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
    m_options.journal->recordStartedLater(batch, this, [this, batch](bool written) {
        --m_waitingForDisk;
        for (qsizetype row : batch) {
            // A stop asked while the disk was written still lets these go: they are journaled as sent.
            if (written)
                startRow(row);
            else
                notStarted(row);
        }
        schedulePump();
    });
}

// The rows left out from m_nextStart on get their outcome at once, without a request.
void MailingRun::skipRows()
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
void MailingRun::notStarted(qsizetype row)
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

MailingRun::Row &MailingRun::slotOf(qsizetype row)
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

void MailingRun::startRow(qsizetype row)
{
    Row &slot = slotOf(row);
    if (m_options.perMinute > 0) {
        m_startTimes.push_back(m_clock.elapsed());
        if (qsizetype(m_startTimes.size()) > m_options.perMinute)
            m_startTimes.pop_front();
    }
    emit rowStarted(row, slot.contact, recipientText(slot.contact));
    const QString text = textToSend(m_textes, m_source.sender(), m_source.messageFor(slot.contact), slot.contact);
    // The run may be gone when the answer comes (its window closed as the program ends).
    m_gateway.sendAsync(slot.number, text, m_differer,
                        [self = QPointer<MailingRun>(this), row](const SendReply &reply) {
                            if (self)
                                self->rowEnded(row, reply);
                        });
}

void MailingRun::rowEnded(qsizetype row, const SendReply &reply)
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
            emit gatewayBusy(seconds);
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
void MailingRun::reportProgress()
{
    emit progress(m_summary.done, m_summary.total - m_summary.skipped);
}

void MailingRun::count(SendOutcome outcome)
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

void MailingRun::finishRun()
{
    // Whatever those told of the last rows do, nothing may start again.
    m_finished = true;
    m_waitTimer.stop();
    m_pumpTimer.stop();
    if (QCoreApplication *app = QCoreApplication::instance())
        app->removeEventFilter(this);
    const ClassContact none;
    const SendReply notSent{0, SendOutcome::NotSent};
    const QString text = replyText(m_textes, notSent);
    for (qsizetype row = m_nextStart; row < m_summary.total; ++row) {
        const ClassContact *found = row < m_source.rowCount() ? m_source.contactAt(row) : nullptr;
        const ClassContact &contact = found ? *found : none;
        const QString skip = m_options.skipText ? m_options.skipText(row) : QString();
        if (skip.isEmpty()) {
            count(SendOutcome::NotSent);
            emit rowDone(row, contact, numberToSend(contact.Phone), notSent, text);
            continue;
        }
        const SendReply skipped{0, SendOutcome::Skipped};
        if (m_options.journal)
            m_options.journal->recordDone(row, skipped);
        count(SendOutcome::Skipped);
        emit rowDone(row, contact, numberToSend(contact.Phone), skipped, skip);
    }
    // Asked again from the event loop, once those told of the end have done with it.
    if (m_quitHeld)
        QTimer::singleShot(0, QCoreApplication::instance(), [] { QCoreApplication::quit(); });
    emit finished(m_summary);
}

} // namespace parlevo
