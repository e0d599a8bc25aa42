#include "form_historique.h"

#include "addressbook/addressbook.h"
#include "base/basics.h"
#include "base/config.h"
#include "base/datadir.h"
#include "base/filedialog.h"
#include "base/messagebox.h"
#include "base/shared.h"
#include "base/storefile.h"
#include "base/textes.h"
#include "base/txt.h"
#include "controls/accessibility.h"
#include "form_envoimailing.h"
#include "historymodel.h"
#include "mailingresults.h"
#include "sendingcontrols.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <map>
#include <set>

using namespace Qt::StringLiterals;

namespace parlevo {

namespace {

// The dates the range starts with stand for "no bound": the first date the controls take, and
// today (a clock set back may have dated some SMS after it).
const QDate kNoBound(2000, 1, 1);

QDateEdit *dateControl(const char16_t *name, QDate date, QWidget *parent)
{
    auto *edit = named(new QDateEdit(parent), name);
    edit->setCalendarPopup(true);
    edit->setDisplayFormat(u"dd/MM/yyyy"_s);
    edit->setMinimumDate(kNoBound);
    edit->setDate(date);
    return edit;
}

} // namespace

Form_Historique::Form_Historique(const Basics &basics, AddressBook &book, ClassSendora &gateway, QWidget &owner,
                                 QWidget *parent)
    : SectionPage(basics.textes(Txt::HistoryTitle), activityIcon(Activity::History), parent, ContentHeight::Fill)
    , m_textes(basics.textes)
    , m_config(basics.config)
    , m_dataDir(basics.dataDir)
    , m_book(book)
    , m_gateway(gateway)
    , m_owner(owner)
{
    setObjectName(u"Form_Historique"_s);
    buildWindow();
    connect(m_text, &QLineEdit::textChanged, this, &Form_Historique::applyFilter);
    connect(m_number, &QLineEdit::textChanged, this, &Form_Historique::applyFilter);
    connect(m_result, &QComboBox::currentIndexChanged, this, &Form_Historique::applyFilter);
    connect(m_from, &QDateEdit::dateChanged, this, &Form_Historique::applyFilter);
    connect(m_to, &QDateEdit::dateChanged, this, &Form_Historique::applyFilter);
    connect(m_list->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &Form_Historique::showSummary);
    connect(m_model, &QAbstractItemModel::modelReset, this, &Form_Historique::showSummary);
    // Rows that arrive while the journals are read are appended, not reset: the count follows.
    connect(m_model, &QAbstractItemModel::rowsInserted, this, &Form_Historique::showSummary);
    connect(m_renvoyer, &QPushButton::clicked, this, &Form_Historique::CMD_Renvoyer_Click);
    connect(m_exporter, &QPushButton::clicked, this, &Form_Historique::CMD_Exporter_Click);
    connect(m_loader, &HistoryLoader::arrived, this, [this] {
        if (m_loader->extendsLast())
            m_model->extendHistory(m_loader->takeHistory());
        else
            m_model->setHistory(m_loader->takeHistory());
    });
}

void Form_Historique::buildWindow()
{
    // Two rows that do not share columns: each is only as wide as its own controls, so the page
    // fits the first-start size whatever width the style gives a combo or a date.
    auto *firstRow = new QHBoxLayout;
    auto *secondRow = new QHBoxLayout;
    const auto addFilter = [&](QHBoxLayout *row, Txt text, QWidget *control, int stretch) {
        auto *label = new QLabel(m_textes(text), this);
        captionFor(label, control);
        row->addWidget(label);
        row->addWidget(control, stretch);
    };
    m_text = named(new QLineEdit(this), u"TextRecherche");
    m_number = named(new QLineEdit(this), u"TextNumero");
    m_result = named(new QComboBox(this), u"ComboResultat");
    m_result->addItems({m_textes(Txt::AllResults), m_textes(Txt::OutcomeAccepted), m_textes(Txt::OutcomeRefused),
                        m_textes(Txt::OutcomeNoAnswer), m_textes(Txt::NotSent), m_textes(Txt::OutcomeSkipped)});
    // Its longest item would widen the page past the window's first-start size.
    m_result->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_result->setMinimumContentsLength(16);
    m_today = QDate::currentDate();
    m_from = dateControl(u"DateDu", kNoBound, this);
    m_to = dateControl(u"DateAu", m_today, this);
    addFilter(firstRow, Txt::HistorySearch, m_text, 2);
    addFilter(firstRow, Txt::HistoryNumberFilter, m_number, 1);
    addFilter(secondRow, Txt::HistoryResultFilter, m_result, 0);
    addFilter(secondRow, Txt::HistoryFrom, m_from, 0);
    addFilter(secondRow, Txt::HistoryTo, m_to, 0);
    secondRow->addStretch(1);
    contentLayout()->addLayout(firstRow);
    contentLayout()->addLayout(secondRow);

    m_loader = new HistoryLoader(m_textes, this);
    m_model = new HistoryModel(m_textes,
                               {m_textes(Txt::HistoryDate), m_textes(Txt::HistoryNumber), m_textes(Txt::HistoryName),
                                m_textes(Txt::Result), m_textes(Txt::HistoryMessage), m_textes(Txt::HistoryRun)},
                               this);
    // A table view keeps nothing per row: a tree view lays out all its rows again each time the
    // rows of a million-row history arrive, and keeps an item for each.
    m_list = named(new QTableView(this), u"LV_Historique");
    m_list->setShowGrid(false);
    m_list->setWordWrap(false);
    m_list->setTabKeyNavigation(false);
    m_list->verticalHeader()->hide();
    m_list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_list->verticalHeader()->setDefaultSectionSize(m_list->fontMetrics().height() + 6);
    m_list->horizontalHeader()->setHighlightSections(false);
    m_list->horizontalHeader()->setStretchLastSection(true);
    m_list->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_list->setAlternatingRowColors(true);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setModel(m_model);
    m_list->setAccessibleName(m_textes(Txt::HistoryTitle));
    m_list->horizontalHeader()->resizeSection(HistoryModel::DateColumn, 140);
    m_list->horizontalHeader()->resizeSection(HistoryModel::NumberColumn, 110);
    m_list->horizontalHeader()->resizeSection(HistoryModel::NameColumn, 150);
    m_list->horizontalHeader()->resizeSection(HistoryModel::ResultColumn, 170);
    m_list->horizontalHeader()->resizeSection(HistoryModel::TextColumn, 260);
    contentLayout()->addWidget(m_list, 1);

    m_summary = named(new QLabel(this), u"LabelBilan");
    m_summary->setWordWrap(true);
    m_count = named(new QLabel(this), u"LabelCompte");
    contentLayout()->addWidget(m_summary);
    m_renvoyer = named(new QPushButton(m_textes(Txt::HistoryResend), this), u"CMD_Renvoyer");
    m_exporter = named(new QPushButton(m_textes(Txt::HistoryExport), this), u"CMD_Exporter");
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_count, 1);
    buttons->addWidget(m_renvoyer);
    buttons->addWidget(m_exporter);
    contentLayout()->addLayout(buttons);
}

void Form_Historique::Init()
{
    // A range left open still ends today after midnight.
    if (m_to->date() == m_today) {
        m_today = QDate::currentDate();
        const QSignalBlocker quiet(m_to);
        m_to->setDate(m_today);
    }
    m_loader->start(m_dataDir.path());
}

bool Form_Historique::isLoading() const
{
    return m_loader->isLoading();
}

HistoryFilter Form_Historique::filter() const
{
    HistoryFilter filter;
    filter.text = m_text->text();
    filter.number = m_number->text();
    if (m_result->currentIndex() > 0)
        filter.result = HistoryResult(m_result->currentIndex() - 1);
    if (m_from->date() != kNoBound)
        filter.from = m_from->date();
    if (m_to->date() != m_today)
        filter.to = m_to->date();
    return filter;
}

void Form_Historique::applyFilter()
{
    m_model->setFilter(filter());
}

void Form_Historique::showSummary()
{
    // The SMS, not the runs' summary rows.
    m_count->setText(
        m_textes(Txt::ShownCount).arg(qsizetype(m_model->shown().size())).arg(m_model->history().rows().size()));
    const QModelIndex current = m_list->currentIndex();
    if (!current.isValid()) {
        m_summary->clear();
        return;
    }
    const HistoryRun &run = m_model->history().runs()[m_model->runAt(current.row())];
    m_summary->setText(
        m_textes(Txt::RunOf)
            .arg(run.head.started.toString(u"dd/MM/yyyy HH:mm"_s), m_textes(run.head.test ? Txt::TestSms
                                                                            : run.single  ? Txt::SingleSend
                                                                                          : Txt::MailingRun)) +
        historySummaryText(m_textes, run));
}

bool Form_Historique::isRunning() const
{
    return m_envoi && m_envoi->isRunning();
}

void Form_Historique::stopRun()
{
    // The runs not started yet are stopped too.
    m_queuedRuns.clear();
    if (m_envoi)
        m_envoi->stopRun();
}

void Form_Historique::setRunHeldByQuestion(bool held)
{
    if (m_envoi)
        m_envoi->setHeldByQuestion(held);
}

void Form_Historique::CMD_Renvoyer_Click()
{
    if (isRunning())
        return;
    QModelIndexList selected = m_list->selectionModel()->selectedRows();
    // A run's summary row is no SMS to send.
    selected.removeIf([this](const QModelIndex &index) { return m_model->isSummary(index.row()); });
    if (selected.isEmpty()) {
        MsgBox(m_textes(Txt::NothingSelected), vbOKOnly | vbInformation);
        return;
    }
    // As in the result window: rows without an answer may have been sent, and go again only when
    // the user says so; Enter answers no.
    const qsizetype unknown = std::count_if(selected.begin(), selected.end(), [this](const QModelIndex &index) {
        return m_model->rowAt(index.row()).result == HistoryResult::NoAnswer;
    });
    const bool withUnknown = unknown > 0 && MsgBox(m_textes(Txt::ResendUnknownQuestion).arg(unknown),
                                                   vbYesNo | vbQuestion | vbDefaultButton2) == vbYes;
    // Each run's own decisions hold: rows it left out stay out, and when it sent once per number,
    // no number that had (or may have had) its SMS in it gets another. Rows of one run share its
    // texts: they go together, one run after the other.
    const History &history = m_model->history();
    std::map<quint32, std::vector<SendOutcome>> outcomes;
    for (const QModelIndex &index : selected)
        outcomes.try_emplace(m_model->rowAt(index.row()).run);
    for (auto &[run, runOutcomes] : outcomes)
        runOutcomes.assign(std::size_t(history.runs()[run].rowCount), SendOutcome::Unknown);
    for (const HistoryRow &row : history.rows()) {
        if (auto found = outcomes.find(row.run); found != outcomes.end() && row.row < found->second.size())
            found->second[row.row] = row.reply.outcome;
    }
    std::map<quint32, std::set<quint32>> allowed;
    for (const auto &[run, runOutcomes] : outcomes) {
        const JournalHead &head = history.runs()[run].head;
        PhoneCheck numbers(head.region.isEmpty() ? m_book.phoneCheck().region() : head.region);
        for (qsizetype row : retryRows(history.runContacts(run), runOutcomes, head.policy, withUnknown,
                                       [&numbers](const QString &number) { return numbers.matchKey(number); }))
            allowed[run].insert(quint32(row));
    }
    std::map<quint32, std::vector<ClassContact>> byRun;
    qsizetype count = 0;
    for (const QModelIndex &index : selected) {
        const HistoryRow &row = m_model->rowAt(index.row());
        if (!allowed[row.run].contains(row.row))
            continue;
        byRun[row.run].push_back(history.contact(row));
        ++count;
    }
    if (count == 0 || MsgBox(withCount(m_textes(Txt::SendCountQuestion), count), vbYesNo | vbInformation) != vbYes)
        return;
    if (!m_envoi) {
        m_envoi = new Form_EnvoiMailing(m_textes, m_config, m_dataDir, m_book, m_gateway, &m_owner);
        // A second try started from the result window holds the program like a run.
        connect(m_envoi, &Form_EnvoiMailing::retryStarting, this, &Form_Historique::runStarted);
        connect(m_envoi, &Form_EnvoiMailing::runFinished, this, &Form_Historique::sendNextRun);
    }
    // Copies of the texts and rows: a load under way may replace the history while the SMS go.
    for (const auto &[run, contacts] : byRun) {
        const JournalHead &head = history.runs()[run].head;
        m_queuedRuns.push_back({fixedMailingSource(contacts, head.sender, head.message, head.columns),
                                head.policy == NumberPolicy::OncePerNumber});
    }
    emit runStarted();
    sendNextRun();
}

void Form_Historique::sendNextRun()
{
    while (!m_queuedRuns.empty()) {
        QueuedRun next = std::move(m_queuedRuns.front());
        m_queuedRuns.pop_front();
        // A deferred time of the past means nothing now: the SMS go at once.
        if (m_envoi->Send(next.source, QString(), next.oncePerNumber))
            return;
    }
    emit runFinished();
    Init();
}

void Form_Historique::CMD_Exporter_Click()
{
    const QString path = FileDialog::getSaveFileNameReplacing(
        this, QString::fromUtf16(kMessageBoxTitle) + u" - "_s + m_textes(Txt::ExportHistoryTitle),
        m_textes(Txt::CsvOnlyFileFilter), m_textes(Txt::ReplaceFile));
    if (path.isEmpty())
        return;
    if (!replaceFile(path, historySpreadsheet(m_textes, m_model->history(), m_model->shown())))
        MsgBox(m_textes(Txt::CannotWriteFile).arg(QDir::toNativeSeparators(path)), vbOKOnly | vbCritical);
}

} // namespace parlevo
