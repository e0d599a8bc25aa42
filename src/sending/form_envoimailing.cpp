#include "form_envoimailing.h"

#include "addressbook/addressbook.h"
#include "addressbook/optoutlist.h"
#include "base/config.h"
#include "base/datadir.h"
#include "base/dialogframe.h"
#include "base/filedialog.h"
#include "base/messagebox.h"
#include "base/shared.h"
#include "base/textes.h"
#include "base/txt.h"
#include "controls/wincolor.h"
#include "differer.h"
#include "gateway/classsendora.h"
#include "numberreview.h"
#include "sendingcontrols.h"
#include "sendjournal.h"

#include <QDateTimeEdit>
#include <QDialog>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace parlevo {

namespace {

constexpr int kContactWidth = 250;
constexpr int kResultWidth = 245;
constexpr int kFlushMs = 50;

} // namespace

Form_EnvoiMailing::Form_EnvoiMailing(const TextTable &textes, const Config &config, DataDir &dataDir, AddressBook &book,
                                     ClassSendora &gateway, QWidget *owner)
    : QWidget(owner, kDialogFrame)
    , m_textes(textes)
    , m_config(config)
    , m_dataDir(dataDir)
    , m_book(book)
    , m_gateway(gateway)
{
    setObjectName(u"Form_EnvoiMailing"_s);
    setWindowTitle(QString::fromUtf16(u"Parlevo - ") + textes(Txt::SendWindowTitle));

    m_labelTravail = new QLabel(this);
    m_labelTravail->setObjectName(u"LabelTravail"_s);
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(u"ProgressBar1"_s);
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_progress->setTextVisible(false);
    m_progress->setAccessibleName(textes(Txt::Progress));

    // The names of the marks, in the order of SendOutcome.
    m_model = new ResultModel(textes(Txt::ContactHeader), textes(Txt::Result),
                              {textes(Txt::OutcomeAccepted), textes(Txt::OutcomeRefused),
                               textes(Txt::OutcomeUnreachable), textes(Txt::OutcomeNoAnswer),
                               textes(Txt::OutcomeNotSent), textes(Txt::OutcomeSkipped), textes(Txt::OutcomeBusy)},
                              this);
    m_list = new QTreeView(this);
    m_list->setObjectName(u"LV_Travail"_s);
    m_list->setRootIsDecorated(false);
    // Every row has the same height: the view then lays out a new row without measuring the others.
    m_list->setUniformRowHeights(true);
    m_list->setModel(m_model);
    m_list->header()->setStretchLastSection(true);
    m_list->setColumnWidth(0, kContactWidth);
    m_list->setColumnWidth(1, kResultWidth);
    m_list->setMinimumWidth(kContactWidth + kResultWidth + 24);
    m_list->setAccessibleName(textes(Txt::SendResults));

    m_labelBilan = new QLabel(this);
    m_labelBilan->setObjectName(u"LabelBilan"_s);

    m_ok = new QPushButton(u"&Ok"_s, this);
    m_ok->setObjectName(u"CMD_OK"_s);
    connect(m_ok, &QPushButton::clicked, this, &QWidget::hide);
    m_exporter = new QPushButton(textes(Txt::ExportResults), this);
    m_exporter->setObjectName(u"CMD_Exporter"_s);
    m_exporter->setToolTip(textes(Txt::ExportResultsTip));
    m_exporter->setEnabled(false);
    connect(m_exporter, &QPushButton::clicked, this, &Form_EnvoiMailing::CMD_Exporter_Click);
    m_renvoyer = new QPushButton(textes(Txt::ResendNotAccepted), this);
    m_renvoyer->setObjectName(u"CMD_Renvoyer"_s);
    m_renvoyer->setToolTip(textes(Txt::ResendNotAcceptedTip));
    m_renvoyer->setEnabled(false);
    connect(m_renvoyer, &QPushButton::clicked, this, &Form_EnvoiMailing::CMD_Renvoyer_Click);
    // Usable while a run is under way, when the rest of the program is not.
    m_arreter = new QPushButton(textes(Txt::StopButton), this);
    m_arreter->setObjectName(u"CMD_Arreter"_s);
    m_arreter->setEnabled(false);
    connect(m_arreter, &QPushButton::clicked, this, &Form_EnvoiMailing::stopRun);
    m_pause = new QPushButton(textes(Txt::PauseButton), this);
    m_pause->setObjectName(u"CMD_Pause"_s);
    m_pause->setEnabled(false);
    connect(m_pause, &QPushButton::clicked, this, &Form_EnvoiMailing::CMD_Pause_Click);
    m_flushTimer = new QTimer(this);
    m_flushTimer->setSingleShot(true);
    m_flushTimer->setInterval(kFlushMs);
    connect(m_flushTimer, &QTimer::timeout, this, &Form_EnvoiMailing::flush);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_labelTravail);
    layout->addWidget(m_progress);
    layout->addWidget(m_list, 1);
    layout->addWidget(m_labelBilan);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_exporter);
    buttons->addWidget(m_renvoyer);
    buttons->addStretch(1);
    buttons->addWidget(m_pause);
    buttons->addWidget(m_arreter);
    buttons->addWidget(m_ok);
    layout->addLayout(buttons);
    // Ok was made first; Tab follows the row of buttons from the left.
    setTabOrder(m_list, m_exporter);
    setTabOrder(m_exporter, m_renvoyer);
    setTabOrder(m_renvoyer, m_pause);
    setTabOrder(m_pause, m_arreter);
    setTabOrder(m_arreter, m_ok);
    resize(560, 360);
}

bool Form_EnvoiMailing::Send(const MailingSource &source, const QString &differer, bool oncePerNumber, bool skipInvalid)
{
    const NumberPolicy policy = oncePerNumber ? NumberPolicy::OncePerNumber : NumberPolicy::EveryRow;
    // The main window holds still during the run, so the texts and rows read now are those sent.
    const auto newJournal = [&](const std::vector<RowSkip> &skips) -> std::unique_ptr<SendJournal> {
        if (!source.readAheadAllowed)
            return nullptr;
        JournalHead head{QString(), QDateTime(), source.sender(), source.message(), differer, {}};
        const qsizetype count = source.rowCount();
        head.rows.reserve(std::size_t(count));
        for (qsizetype row = 0; row < count; ++row) {
            const ClassContact *contact = source.contactAt(row);
            head.rows.push_back(contact ? *contact : ClassContact{});
        }
        head.policy = policy;
        head.columns = source.columns;
        head.region = m_book.phoneCheck().region();
        head.skips = skips;
        // Without a journal (a data directory that cannot be written) the run goes on all the same.
        QString error;
        return SendJournal::create(m_dataDir.path(), head, &error);
    };
    return run(source, differer, policy, skipInvalid, newJournal);
}

bool Form_EnvoiMailing::resume(HeldRun held, bool includeUnknown)
{
    if (m_run)
        return false;
    const JournalContent &content = held.content;
    // Numbers are compared as when the run chose whom to leave out.
    PhoneCheck numbers(content.head.region.isEmpty() ? m_book.phoneCheck().region() : content.head.region);
    ResumePlan plan =
        planResume(content, includeUnknown, [&numbers](const QString &number) { return numbers.matchKey(number); });
    QString error;
    if (plan.rows.empty()) {
        if (const auto journal = SendJournal::reopen(held.path, std::move(held.lock), &error))
            journal->recordEnd(true);
        return false;
    }
    // Asked before any SMS; the run stays held meanwhile, and giving up leaves it to take up later.
    const std::optional<QString> differer = differerForResume(content.head.differer);
    if (!differer)
        return false;
    std::optional<QString> newDifferer;
    if (*differer != content.head.differer)
        newDifferer = *differer;
    std::vector<qsizetype> rowMap = plan.rowMap;
    m_takenUpRows = recordedResults(m_textes, content);
    m_rowMap = std::move(plan.rowMap);
    const auto heldJournal = [&](const std::vector<RowSkip> &) {
        auto journal = SendJournal::reopen(held.path, std::move(held.lock), &error);
        if (journal) {
            journal->recordResumed(newDifferer);
            journal->setRowMap(std::move(rowMap));
        }
        return journal;
    };
    if (run(fixedMailingSource(plan.rows, content.head.sender, content.head.message, content.head.columns), *differer,
            content.head.policy, false, heldJournal))
        return true;
    m_takenUpRows.clear();
    m_rowMap.clear();
    return false;
}

std::optional<QString> Form_EnvoiMailing::differerForResume(const QString &recorded)
{
    QString differer = recorded;
    // A time picked may itself pass while the user looks at the question: asked until it holds.
    while (differerTooSoon(differer, sendingNow())) {
        if (MsgBox(m_textes(Txt::DeferredTimePassed).arg(differerShown(differer)), vbYesNo | vbQuestion) == vbYes)
            return QString();
        const std::optional<QDateTime> when = pickSendingTime();
        if (!when)
            return std::nullopt;
        differer = Build_Differer(true, when->date(), when->time());
    }
    return differer;
}

std::optional<QDateTime> Form_EnvoiMailing::pickSendingTime()
{
    QDialog dialog(isVisible() ? static_cast<QWidget *>(this) : parentWidget(), kDialogFrame);
    dialog.setObjectName(u"Form_AutreHeure"_s);
    dialog.setWindowTitle(QString::fromUtf16(kMessageBoxTitle));
    auto *label = new QLabel(m_textes(Txt::NewSendingTime), &dialog);
    auto *picker = new QDateTimeEdit(sendingNow().addSecs(3600), &dialog);
    picker->setObjectName(u"DTPickerAutreHeure"_s);
    picker->setDisplayFormat(u"dd/MM/yyyy HH:mm"_s);
    picker->setCalendarPopup(true);
    label->setBuddy(picker);
    auto *ok = new QPushButton(u"&Ok"_s, &dialog);
    ok->setObjectName(u"CMD_OK"_s);
    ok->setDefault(true);
    auto *cancel = new QPushButton(m_textes(Txt::CancelButton), &dialog);
    cancel->setObjectName(u"CMD_Annuler"_s);
    connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
    auto *layout = new QVBoxLayout(&dialog);
    layout->addWidget(label);
    layout->addWidget(picker);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    picker->setFocus();
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return picker->dateTime();
}

bool Form_EnvoiMailing::run(const MailingSource &source, const QString &differer, NumberPolicy policy, bool skipInvalid,
                            const JournalOpener &openJournal)
{
    // One run at a time: a second one would interleave its rows with the first.
    if (m_run)
        return false;
    // Without the opt-out list, nobody can tell who asked never to be written to again.
    if (const QString optOuts = QString::fromUtf16(kOptOutFileName); m_dataDir.isUnreadable(optOuts)) {
        MsgBox(m_textes(Txt::OptOutUnreadableNoMailing).arg(QDir::toNativeSeparators(m_dataDir.filePath(optOuts))),
               vbOKOnly | vbCritical);
        return false;
    }
    m_pauseRequested = false;
    m_heldByQuestion = false;
    m_busyNotice.clear();
    m_pause->setText(m_textes(Txt::PauseButton));
    m_pause->setEnabled(true);
    m_arreter->setEnabled(true);
    m_ok->setEnabled(false);
    m_exporter->setEnabled(false);
    m_renvoyer->setEnabled(false);
    m_labelBilan->clear();
    // The colours in force now, as the mailing list takes them.
    m_model->setStripeColors(toQColor(kListBackColor, m_list->palette()),
                             toQColor(kListStripeColor, m_list->palette()));
    show();
    raise();
    // The texts are read once per SMS; the last ones read are those a retry sends again.
    m_recording = MailingRunRecord{m_takenUpRows, QString(), QString(), differer, policy, source.columns};
    MailingSource recorded = source;
    recorded.sender = [this, sender = source.sender] { return m_recording.sender = sender(); };
    recorded.message = [this, message = source.message] { return m_recording.message = message(); };
    SendRunOptions options;
    options.parallel = m_config.ParallelRequests;
    options.perMinute = m_config.MaxSmsPerMinute;
    // The rows left out are decided before the journal starts, which records them: every later
    // try of the run leaves them out too.
    std::vector<RowSkip> skips;
    if (policy == NumberPolicy::OncePerNumber || skipInvalid || !m_book.optOuts().isEmpty()) {
        QStringList numbers;
        for (qsizetype row = 0, count = source.rowCount(); row < count; ++row) {
            const ClassContact *contact = source.contactAt(row);
            numbers.append(contact ? contact->Phone : QString());
        }
        skips = skippedRows(reviewMailingNumbers(m_book, numbers), numbers.size(),
                            policy == NumberPolicy::OncePerNumber, skipInvalid);
        options.skipText = skipTextFor(m_textes, skips);
    }
    m_journal = openJournal(skips);
    options.journal = m_journal.get();

    const qsizetype total = source.rowCount();
    m_runBase = m_model->rowCount() + static_cast<int>(m_pending.size());
    // Every row of a run taken up is there from the start; those sent now wait for their answer.
    std::vector<char> sentNow(m_takenUpRows.size(), 0);
    for (qsizetype row : m_rowMap)
        sentNow[std::size_t(row)] = 1;
    for (std::size_t row = 0; row < m_takenUpRows.size(); ++row) {
        const MailingResult &taken = m_takenUpRows[row];
        m_pending.push_back(sentNow[row] ? ResultRow{recipientText(taken.contact), {}, std::nullopt}
                                         : ResultRow{recipientText(taken.contact), taken.text, taken.outcome});
    }
    m_progress->setRange(0, static_cast<int>(total));
    queueProgress(0, total);
    flush();

    m_run = std::make_unique<MailingRun>(m_gateway, m_textes, std::move(recorded), differer, options);
    MailingRun *run = m_run.get();
    connect(
        run, &MailingRun::rowStarted, this,
        [this](qsizetype, const ClassContact &contact, const QString &recipient) { rowStarted(contact, recipient); });
    connect(run, &MailingRun::rowDone, this,
            [this](qsizetype row, const ClassContact &contact, const QString &, const SendReply &reply,
                   const QString &result) { rowDone(row, contact, reply, result); });
    connect(run, &MailingRun::progress, this, &Form_EnvoiMailing::queueProgress);
    connect(run, &MailingRun::gatewayBusy, this, &Form_EnvoiMailing::gatewayBusy);
    connect(run, &MailingRun::finished, this, &Form_EnvoiMailing::runEnded);
    run->start();
    return true;
}

void Form_EnvoiMailing::rowStarted(const ClassContact &contact, const QString &recipient)
{
    if (!m_rowMap.empty())
        return;
    m_recording.rows.push_back(MailingResult{contact, 0, QString(), SendOutcome::Unreachable});
    queueRow(recipient);
}

void Form_EnvoiMailing::rowDone(qsizetype sentRow, const ClassContact &contact, const SendReply &reply,
                                const QString &result)
{
    const qsizetype row = m_rowMap.empty() ? sentRow : m_rowMap[std::size_t(sentRow)];
    // A row never started has no line yet.
    if (row >= qsizetype(m_recording.rows.size())) {
        m_recording.rows.push_back(MailingResult{contact, 0, QString(), SendOutcome::NotSent});
        queueRow(recipientText(contact));
    }
    MailingResult &done = m_recording.rows[std::size_t(row)];
    done.code = reply.code;
    done.outcome = reply.outcome;
    done.text = result;
    queueResult(m_runBase + int(row), result, reply.outcome);
}

void Form_EnvoiMailing::gatewayBusy(int seconds)
{
    m_busyNotice = m_textes(Txt::GatewayBusyWaiting).arg(seconds);
    m_busyUntil.setRemainingTime(std::chrono::seconds(seconds));
    flush();
}

void Form_EnvoiMailing::runEnded(const SendRunSummary &summary)
{
    // Rows a busy gateway did not serve are still to send: the run is left for a resume.
    if (m_journal)
        m_journal->recordEnd(!summary.stopped && summary.busy == 0);
    m_journal.reset();
    // It is telling its end: it goes once that is over.
    m_run.release()->deleteLater();
    m_pause->setEnabled(false);
    m_arreter->setEnabled(false);
    m_busyNotice.clear();
    flush();
    m_lastRun = std::exchange(m_recording, MailingRunRecord{});
    // A run taken up counts its rows sent before too: it is one campaign.
    SendRunSummary counted = summary;
    std::vector<char> sentNow(m_takenUpRows.size(), 0);
    for (qsizetype row : m_rowMap)
        sentNow[std::size_t(row)] = 1;
    for (std::size_t row = 0; row < m_takenUpRows.size(); ++row) {
        if (sentNow[row])
            continue;
        switch (m_takenUpRows[row].outcome) {
        case SendOutcome::Accepted:
            ++counted.accepted;
            break;
        case SendOutcome::Refused:
        case SendOutcome::Busy:
            ++counted.refused;
            break;
        case SendOutcome::Unknown:
            ++counted.unknown;
            break;
        case SendOutcome::Skipped:
            ++counted.skipped;
            break;
        case SendOutcome::Unreachable:
        case SendOutcome::NotSent:
            ++counted.notSent;
            break;
        }
    }
    m_takenUpRows.clear();
    m_rowMap.clear();
    QString bilan = m_textes(Txt::RunSummary)
                        .arg(counted.accepted)
                        .arg(counted.refused)
                        .arg(counted.unknown)
                        .arg(counted.unreachable + counted.notSent);
    if (counted.skipped > 0)
        bilan += u' ' + m_textes(Txt::SkippedCount).arg(counted.skipped);
    m_labelBilan->setText(bilan);
    m_ok->setEnabled(true);
    m_exporter->setEnabled(true);
    m_renvoyer->setEnabled(!resendRows(true).empty());
    m_lastSummary = summary;
    emit runFinished();
}

std::vector<ClassContact> Form_EnvoiMailing::resendRows(bool includeUnknown) const
{
    const std::vector<MailingResult> &rows = m_lastRun.rows;
    std::vector<ClassContact> contacts;
    std::vector<SendOutcome> outcomes;
    contacts.reserve(rows.size());
    outcomes.reserve(rows.size());
    for (const MailingResult &row : rows) {
        contacts.push_back(row.contact);
        outcomes.push_back(row.outcome);
    }
    PhoneCheck &numbers = m_book.phoneCheck();
    std::vector<ClassContact> chosen;
    for (qsizetype row : retryRows(contacts, outcomes, m_lastRun.policy, includeUnknown,
                                   [&numbers](const QString &number) { return numbers.matchKey(number); }))
        chosen.push_back(contacts[std::size_t(row)]);
    return chosen;
}

void Form_EnvoiMailing::stopRun()
{
    if (m_run)
        m_run->stop();
    m_arreter->setEnabled(false);
}

void Form_EnvoiMailing::setHeldByQuestion(bool held)
{
    m_heldByQuestion = held && m_run;
    applyHold();
}

void Form_EnvoiMailing::CMD_Pause_Click()
{
    if (!m_run)
        return;
    m_pauseRequested = !m_pauseRequested;
    m_pause->setText(m_textes(m_pauseRequested ? Txt::ResumeButton : Txt::PauseButton));
    applyHold();
}

void Form_EnvoiMailing::applyHold()
{
    if (!m_run)
        return;
    if (m_pauseRequested || m_heldByQuestion)
        m_run->pause();
    else
        m_run->resume();
}

void Form_EnvoiMailing::CMD_Exporter_Click()
{
    if (m_run)
        return;
    const QString path = FileDialog::getSaveFileNameReplacing(
        this, QString::fromUtf16(kMessageBoxTitle) + u" - "_s + m_textes(Txt::ExportResultsTitle),
        m_textes(Txt::CsvOnlyFileFilter), m_textes(Txt::ReplaceFile));
    if (path.isEmpty())
        return;
    if (!Sauve_Resultats(path, m_lastRun.rows))
        MsgBox(m_textes(Txt::CannotWriteFile).arg(QDir::toNativeSeparators(path)), vbOKOnly | vbCritical);
}

void Form_EnvoiMailing::CMD_Renvoyer_Click()
{
    if (m_run)
        return;
    // Rows without an answer may have been sent: they go again only when the user says so, and
    // Enter answers no.
    const qsizetype unknown = unknownCount(m_lastRun.rows);
    const bool withUnknown = unknown > 0 && MsgBox(m_textes(Txt::ResendUnknownQuestion).arg(unknown),
                                                   vbYesNo | vbQuestion | vbDefaultButton2) == vbYes;
    // Copies: the run about to start replaces the last run's record when it ends.
    const std::vector<ClassContact> failed = resendRows(withUnknown);
    const QString sender = m_lastRun.sender;
    const QString message = m_lastRun.message;
    const QStringList columns = m_lastRun.columns;
    const bool oncePerNumber = m_lastRun.policy == NumberPolicy::OncePerNumber;
    if (failed.empty())
        return;
    const QString question = withCount(m_textes(Txt::SendCountQuestion), qsizetype(failed.size()));
    if (MsgBox(question, vbYesNo | vbInformation) != vbYes)
        return;
    // The run's deferred time may have passed since.
    const std::optional<QString> differer = differerForResume(m_lastRun.differer);
    if (!differer)
        return;
    emit retryStarting();
    if (!Send(fixedMailingSource(failed, sender, message, columns), *differer, oncePerNumber))
        emit runFinished();
}

void Form_EnvoiMailing::keyPressEvent(QKeyEvent *event)
{
    // A window rather than a dialog, so Enter and Escape get their dialog meaning here: Enter
    // presses the focused button or else Ok, Escape presses Ok. Neither hides the window mid-run.
    const int key = event->key();
    if (key != Qt::Key_Escape && key != Qt::Key_Return && key != Qt::Key_Enter) {
        QWidget::keyPressEvent(event);
        return;
    }
    auto *focused = qobject_cast<QPushButton *>(focusWidget());
    QPushButton *target = key != Qt::Key_Escape && focused ? focused : m_ok;
    if (target->isEnabled())
        target->click();
    event->accept();
}

void Form_EnvoiMailing::queueRow(const QString &recipient)
{
    m_pending.push_back(ResultRow{recipient, QString(), std::nullopt});
    if (!m_flushTimer->isActive())
        m_flushTimer->start();
}

void Form_EnvoiMailing::queueResult(int modelRow, const QString &result, SendOutcome outcome)
{
    // The row may be shown already or still wait in the batch.
    if (modelRow >= m_model->rowCount()) {
        ResultRow &row = m_pending[std::size_t(modelRow - m_model->rowCount())];
        row.result = result;
        row.outcome = outcome;
    } else {
        m_model->setResult(modelRow, result, outcome);
    }
    if (!m_flushTimer->isActive())
        m_flushTimer->start();
}

void Form_EnvoiMailing::queueProgress(qsizetype done, qsizetype total)
{
    m_done = done;
    m_total = total;
    if (!m_flushTimer->isActive())
        m_flushTimer->start();
}

void Form_EnvoiMailing::flush()
{
    m_flushTimer->stop();
    if (!m_pending.empty()) {
        m_model->appendRows(m_pending);
        m_pending.clear();
        m_list->scrollToBottom();
    }
    // The bar goes by the SMS to send, as the line beside it: rows left out do not hold it short.
    if (m_total > 0)
        m_progress->setMaximum(static_cast<int>(m_total));
    m_progress->setValue(static_cast<int>(m_done));
    QString progress = progressText(m_textes, m_done, m_total);
    if (!m_busyNotice.isEmpty() && !m_busyUntil.hasExpired())
        progress += u"  "_s + m_busyNotice;
    m_labelTravail->setText(progress);
}

} // namespace parlevo
