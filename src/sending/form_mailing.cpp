#include "form_mailing.h"

#include "addressbook/addressbook.h"
#include "addressbook/contactcollection.h"
#include "addressbook/contactlistview.h"
#include "addressbook/form_csvcolumns.h"
#include "addressbook/form_desinscrits.h"
#include "addressbook/form_selcontact.h"
#include "addressbook/groupcollection.h"
#include "addressbook/spreadsheettable.h"
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
#include "controls/labellink.h"
#include "controls/wincolor.h"
#include "creditcheck.h"
#include "differer.h"
#include "form_envoimailing.h"
#include "form_verifnumeros.h"
#include "gateway/classsendora.h"
#include "mailingfile.h"
#include "mailingplan.h"
#include "messages/mergefields.h"
#include "messages/outgoing.h"
#include "messages/predefinis.h"
#include "numberreview.h"
#include "sendingcontrols.h"
#include "singlesend.h"

#include <QApplication>
#include <QBoxLayout>
#include <QDir>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace parlevo {

namespace {

// The list's least height: the page then fits 800 by 600 with every line under it.
constexpr int kListHeight = 110;

QAction *namedAction(QAction *action, const char16_t *name)
{
    action->setObjectName(QString::fromUtf16(name));
    return action;
}

} // namespace

Form_Mailing::Form_Mailing(const Basics &basics, AddressBook &book, PredefinedMessages &messages, ClassSendora &gateway,
                           QWidget &owner, std::function<std::optional<qint64>()> knownCredit, QWidget *parent)
    : SectionPage(basics.textes(Txt::MailingTitle), activityIcon(Activity::Mailing), parent, ContentHeight::Fill)
    , m_textes(basics.textes)
    , m_config(basics.config)
    , m_dataDir(basics.dataDir)
    , m_book(book)
    , m_messages(messages)
    , m_gateway(gateway)
    , m_owner(owner)
    , m_knownCredit(std::move(knownCredit))
{
    setObjectName(u"Form_Mailing"_s);
    buildWindow();
    buildMenus();
    connect(m_composer->sendButton(), &QPushButton::clicked, this, &Form_Mailing::CommandEnvoyer_Click);
    connect(m_linkAjouter, &LabelLink::Click, this,
            [this] { m_menuAjouter->popup(m_linkAjouter->mapToGlobal(QPoint(0, m_linkAjouter->height()))); });
    connect(m_linkSauver, &LabelLink::Click, this, [this] { saveMailing(true); });
    connect(m_list, &ContactListView::rightButtonPressed, this, &Form_Mailing::showListPopup);
    connect(m_list, &ContactListView::deleteKeyPressed, this, &Form_Mailing::MNU_Supprimer_Click);
    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, m_composer,
            &MessageComposer::refreshPreview);

    m_timerShowForm = new QTimer(this);
    m_timerShowForm->setObjectName(u"TimerShowForm"_s);
    m_timerShowForm->setInterval(1);
    m_timerShowForm->setSingleShot(true);
    connect(m_timerShowForm, &QTimer::timeout, this, &Form_Mailing::TimerShowForm_Timer);

    m_list->listModel()->follow(&m_colContactMailing, true);
    Init_ColonneLV();
    SetLVBackGround();
    CountContact();
}

Form_Mailing::~Form_Mailing()
{
    // The list must stop following the collection before the collection goes.
    m_list->listModel()->follow(nullptr, false);
}

void Form_Mailing::buildWindow()
{
    QVBoxLayout *content = contentLayout();
    auto *labelList = named(new QLabel(m_textes(Txt::MailingRecipients), this), u"LabelListView");
    content->addWidget(labelList);
    m_list = named(new ContactListView(m_textes, m_config, this), u"ListViewContact");
    captionFor(labelList, m_list);
    m_list->setMinimumHeight(kListHeight);
    content->addWidget(m_list, 1);

    auto *listRow = new QHBoxLayout;
    m_labelNBFiche = named(new QLabel(this), u"LabelNBFiche");
    listRow->addWidget(m_labelNBFiche);
    listRow->addStretch(1);
    m_linkAjouter = named(new LabelLink(this), u"LabelLinkAjouter");
    m_linkAjouter->setForeColor(LabelLink::kLinkColor);
    m_linkAjouter->setCaption(m_textes(Txt::AddContactsFrom));
    m_linkSauver = named(new LabelLink(this), u"LabelLinkSauver");
    m_linkSauver->setForeColor(LabelLink::kLinkColor);
    m_linkSauver->setCaption(m_textes(Txt::SaveMailingLink));
    listRow->addWidget(m_linkAjouter);
    listRow->addSpacing(16);
    listRow->addWidget(m_linkSauver);
    content->addLayout(listRow);
    // Under the count, never widening the window: a long line is cut, whole in its tooltip.
    m_labelChamps = named(new QLabel(this), u"LabelChamps");
    m_labelChamps->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_labelChamps->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_labelChamps->hide();
    content->addWidget(m_labelChamps);
    m_labelCout = named(new QLabel(this), u"LabelCout");
    m_labelCout->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    content->addWidget(m_labelCout);
    // The cost merges every row: counted once typing pauses, not at every key.
    m_costTimer = new QTimer(this);
    m_costTimer->setSingleShot(true);
    m_costTimer->setInterval(200);
    connect(m_costTimer, &QTimer::timeout, this, &Form_Mailing::showCost);

    // A selected row's text is cut as it will be sent; without a selection the whole message shows.
    m_composer = new MessageComposer(
        m_textes, m_config, m_messages.colPredefinis(), m_owner, MessageComposer::Arrangement::SenderBelow,
        MessageComposer::PreviewRefresh::WhileVisible,
        [this]() -> const ClassContact * {
            const QList<ClassContact *> selected = m_list->selectedContacts();
            return selected.isEmpty() ? nullptr : selected.constFirst();
        },
        this);
    content->addWidget(m_composer);
    m_commandTest = named(new QPushButton(m_textes(Txt::SendTest), this), u"CommandTest");
    m_commandTest->setToolTip(m_textes(Txt::MyNumberHelp));
    m_composer->addButton(m_commandTest);
    connect(m_commandTest, &QPushButton::clicked, this, &Form_Mailing::CommandTest_Click);
    // Merge fields: the counter, the coding and the credit go by the longest text of the list,
    // so they follow the rows as well as the message.
    m_composer->setMergeFields(
        [this](const QString &message) {
            m_costTimer->start();
            return mergedFor(MergeTemplate(message, m_columns)).longestText;
        },
        [this] { return m_columns; });
    ContactListModel *model = m_list->listModel();
    for (const auto rowsChanged : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(model, rowsChanged, m_composer, &MessageComposer::MAJ_NbCar);
    connect(model, &QAbstractItemModel::modelReset, m_composer, &MessageComposer::MAJ_NbCar);
}

std::function<const ClassContact *(qsizetype)> Form_Mailing::rowContact() const
{
    ContactListModel *model = m_list->listModel();
    return [model](qsizetype row) -> const ClassContact * { return model->contactAt(int(row)); };
}

MergeReport Form_Mailing::mergedFor(const MergeTemplate &message) const
{
    return mergeReport(message, m_list->model()->rowCount(), rowContact());
}

void Form_Mailing::buildMenus()
{
    m_menuPopUp = named(new QMenu(this), u"MNU_PopUpMenuLV");
    m_mnuSupprimerTout = namedAction(m_menuPopUp->addAction(m_textes(Txt::NewMailing)), u"MNU_SupprimerTout");
    namedAction(m_menuPopUp->addSeparator(), u"MNu_Sep2");
    m_menuAjouter = named(new QMenu(m_textes(Txt::AddContactsFrom), m_menuPopUp), u"MNU_AjouterContacts");
    namedAction(m_menuPopUp->addMenu(m_menuAjouter), u"MNU_AjouterContacts");
    m_menuGroupe = named(new QMenu(m_textes(Txt::FromGroup), m_menuAjouter), u"MNU_Groupe");
    namedAction(m_menuAjouter->addMenu(m_menuGroupe), u"MNU_Groupe");
    QAction *carnet = namedAction(m_menuAjouter->addAction(m_textes(Txt::TheAddressBook)), u"MNU_Carnet");
    namedAction(m_menuAjouter->addSeparator(), u"MNu_Sep3");
    QAction *tableur = namedAction(m_menuAjouter->addAction(m_textes(Txt::FromSpreadsheet)), u"MNU_ChargerTableur");
    QAction *charger = namedAction(m_menuAjouter->addAction(m_textes(Txt::ExistingMailing)), u"MNU_ChargerMailing");
    namedAction(m_menuPopUp->addSeparator(), u"Sep1");
    m_mnuSupprimer = namedAction(m_menuPopUp->addAction(m_textes(Txt::RemoveSelection)), u"MNU_Supprimer");
    namedAction(m_menuPopUp->addSeparator(), u"sep2");
    m_mnuSauver = namedAction(m_menuPopUp->addAction(m_textes(Txt::SaveMailing)), u"MNU_SauverMailing");
    addOptOutActions(m_menuPopUp, m_textes, m_book, m_list);

    connect(m_mnuSupprimerTout, &QAction::triggered, this, &Form_Mailing::MNU_SupprimerTout_Click);
    connect(m_mnuSupprimer, &QAction::triggered, this, &Form_Mailing::MNU_Supprimer_Click);
    connect(m_mnuSauver, &QAction::triggered, this, [this] { saveMailing(false); });
    connect(carnet, &QAction::triggered, this, &Form_Mailing::MNU_Carnet_Click);
    connect(charger, &QAction::triggered, this, &Form_Mailing::MNU_ChargerMailing_Click);
    connect(tableur, &QAction::triggered, this, &Form_Mailing::MNU_ChargerTableur_Click);
    connect(m_menuGroupe, &QMenu::triggered, this, [this](QAction *item) {
        // The "none" item carries no group and adds nothing.
        if (item->data().isValid())
            addGroup(item->data().toString());
    });
    rebuildGroupItems();
}

void Form_Mailing::rebuildGroupItems()
{
    m_menuGroupe->clear();
    const QStringList &names = m_book.colGroupes().names();
    if (names.isEmpty()) {
        namedAction(m_menuGroupe->addAction(m_textes(Txt::NoneOption)), u"MNU_GroupItem");
        return;
    }
    for (const QString &name : names) {
        // A group name is shown as written: an "&" in it is no shortcut.
        QAction *item = namedAction(m_menuGroupe->addAction(QString(name).replace(u"&"_s, u"&&"_s)), u"MNU_GroupItem");
        item->setData(name);
    }
}

void Form_Mailing::Init()
{
    rebuildGroupItems();
    Init_ColonneLV();
    m_composer->setPickersToNow();
    m_colContactMailing.clear();
    m_composer->reset();
    CountContact();
}

void Form_Mailing::Init_ColonneLV()
{
    m_list->Init_ColonneLV();
}

void Form_Mailing::CountContact()
{
    m_labelNBFiche->setText(m_textes(Txt::ContactCount) + signedCount(m_list->model()->rowCount()));
    if (m_list->model()->rowCount() == 0 && !m_columns.isEmpty()) {
        m_columns.clear();
        m_columnHeaders.clear();
        showSheetColumns();
    }
}

void Form_Mailing::showSheetColumns()
{
    m_list->listModel()->setExtraColumns(m_columnHeaders);
    const QString text = m_textes(Txt::SpreadsheetFields).arg(mailingColumnsText(m_columns, m_columnHeaders));
    m_labelChamps->setText(text);
    m_labelChamps->setToolTip(text);
    m_labelChamps->setVisible(!m_columns.isEmpty());
    // The line of fields takes its height from the list: the page still fits 800 by 600.
    m_list->setMinimumHeight(m_columns.isEmpty() ? kListHeight : kListHeight - m_labelChamps->sizeHint().height());
    m_composer->MAJ_NbCar();
}

void Form_Mailing::showCost()
{
    const int count = m_list->model()->rowCount();
    const QString text = count == 0
                             ? QString()
                             : mailingCostText(m_textes, mailingCost(m_textes, m_composer->sender(),
                                                                     MergeTemplate(m_composer->message(), m_columns),
                                                                     count, rowContact()));
    m_labelCout->setText(text);
    m_labelCout->setToolTip(text);
}

void Form_Mailing::AutosizeColumns()
{
    m_list->AutosizeColumns();
}

void Form_Mailing::SetLVBackGround()
{
    m_list->listModel()->setStripeColors(toQColor(kListBackColor, m_list->palette()),
                                         toQColor(kListStripeColor, m_list->palette()));
}

void Form_Mailing::addCopies(const std::vector<const ClassContact *> &contacts)
{
    std::vector<std::unique_ptr<ClassContact>> copies;
    copies.reserve(contacts.size());
    for (const ClassContact *contact : contacts)
        copies.push_back(mailingCopy(*contact, m_book.NextKey()));
    const qsizetype added = copies.empty() ? 0 : m_colContactMailing.append(std::move(copies));
    CountContact();
    if (added > 0)
        AutosizeColumns();
    announceAdded(added);
}

void Form_Mailing::announceAdded(qsizetype count)
{
    // A notice: one OK button is all it needs.
    if (count > 0)
        MsgBox(withCount(m_textes(Txt::ContactsAdded), count), vbOKOnly | vbInformation);
}

void Form_Mailing::addGroup(const QString &name)
{
    std::vector<const ClassContact *> members;
    for (const ClassContact &contact : m_book.colContacts()) {
        if (contact.Groupe == name)
            members.push_back(&contact);
    }
    addCopies(members);
}

void Form_Mailing::MNU_Carnet_Click()
{
    if (m_picker)
        return;
    m_picker = std::make_unique<Form_SelContact>(m_textes, m_config, m_book, &m_owner);
    m_picker->TypeSource = 1;
    m_picker->ImporteCarnet();
    m_picker->Init();
    // The picker opens once the menu that asked for it has closed.
    m_timerShowForm->start();
}

void Form_Mailing::TimerShowForm_Timer()
{
    m_timerShowForm->stop();
    if (!m_picker)
        return;
    m_picker->exec();
    const QList<ClassContact *> chosen = m_picker->selectedContacts();
    std::vector<const ClassContact *> contacts(chosen.cbegin(), chosen.cend());
    // Copied before the picker goes: its snapshot holds the contacts.
    std::vector<std::unique_ptr<ClassContact>> copies;
    copies.reserve(contacts.size());
    for (const ClassContact *contact : contacts)
        copies.push_back(mailingCopy(*contact, m_book.NextKey()));
    m_picker.reset();
    const qsizetype added = copies.empty() ? 0 : m_colContactMailing.append(std::move(copies));
    CountContact();
    if (added > 0)
        AutosizeColumns();
    announceAdded(added);
}

void Form_Mailing::MNU_ChargerMailing_Click()
{
    const QString path =
        FileDialog::getOpenFileName(this, QString::fromUtf16(kMessageBoxTitle) + u" - "_s + m_textes(Txt::LoadMailing),
                                    m_textes(Txt::MailingFileFilter));
    if (path.isEmpty())
        return;
    ReadFailure failure = ReadFailure::None;
    auto loaded = Charge_Mailing(
        path, [this] { return m_book.NextKey(); }, &failure);
    if (!loaded && failure == ReadFailure::TooLarge)
        MsgBox(QString(m_textes(Txt::NotPlainFile)).replace(u"%1"_s, QDir::toNativeSeparators(path)),
               vbOKOnly | vbCritical);
    qsizetype added = 0;
    QString rewritten;
    if (loaded && !loaded->empty()) {
        rewritten = mailingNumbersText(m_textes, readMailingNumbers(m_book.phoneCheck(), *loaded));
        added = m_colContactMailing.append(std::move(*loaded));
    }
    CountContact();
    SetLVBackGround();
    AutosizeColumns();
    announceAdded(added);
    if (!rewritten.isEmpty())
        MsgBox(rewritten, vbOKOnly | vbInformation);
}

void Form_Mailing::MNU_ChargerTableur_Click()
{
    const QString path = FileDialog::getOpenFileName(
        this, QString::fromUtf16(kMessageBoxTitle) + u" - "_s + m_textes(Txt::LoadSpreadsheet),
        m_textes(Txt::SpreadsheetFilter));
    if (path.isEmpty())
        return;
    QString error;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const std::optional<CsvTable> table = readSpreadsheetTable(path, m_textes, &error);
    QApplication::restoreOverrideCursor();
    if (!table) {
        MsgBox(error, vbOKOnly | vbCritical);
        return;
    }
    // The columns are chosen over a preview, as an import does; the number's is required there.
    Form_CsvColumns columns(m_textes, m_book.colGroupes(), *table, this);
    if (columns.exec() != QDialog::Accepted)
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    MailingSheet sheet = mailingSheet(*table, columns.mapping(), [this] { return m_book.NextKey(); });
    if (const QString group = columns.group(); !group.isEmpty())
        for (const auto &row : sheet.rows)
            row->Groupe = group;
    const QString rewritten = mailingNumbersText(m_textes, readMailingNumbers(m_book.phoneCheck(), sheet.rows));
    const qsizetype count = qsizetype(sheet.rows.size());
    addSheet(std::move(sheet));
    QApplication::restoreOverrideCursor();
    announceAdded(count);
    if (!rewritten.isEmpty())
        MsgBox(rewritten, vbOKOnly | vbInformation);
}

void Form_Mailing::addSheet(MailingSheet sheet)
{
    // The fields met before keep their places; a sheet's new ones follow. Rows from elsewhere have
    // no value for them, which the checks before sending tell.
    std::vector<qsizetype> at;
    for (qsizetype i = 0; i < sheet.columns.size(); ++i) {
        qsizetype place = m_columns.indexOf(sheet.columns[i]);
        if (place < 0) {
            place = m_columns.size();
            m_columns.append(sheet.columns[i]);
            m_columnHeaders.append(sheet.headers[i]);
        }
        at.push_back(place);
    }
    for (const auto &row : sheet.rows) {
        QStringList values(m_columns.size());
        for (std::size_t i = 0; i < at.size(); ++i)
            values[at[i]] = row->Extra.value(qsizetype(i));
        row->Extra = std::move(values);
    }
    if (!sheet.rows.empty())
        m_colContactMailing.append(std::move(sheet.rows));
    CountContact();
    showSheetColumns();
    SetLVBackGround();
    AutosizeColumns();
}

void Form_Mailing::saveMailing(bool autosize)
{
    // A mailing file keeps the contact fields only: a list with spreadsheet columns is offered CSV.
    bool asCsv = false;
    if (!m_columns.isEmpty()) {
        const int answer =
            MsgBox(m_textes(Txt::KxgDropsColumns).arg(m_columnHeaders.join(u", "_s)), vbYesNoCancel | vbQuestion);
        if (answer == vbCancel)
            return;
        asCsv = answer == vbYes;
    }
    const QString path = FileDialog::getSaveFileNameReplacing(
        this, QString::fromUtf16(kMessageBoxTitle) + u" - "_s + m_textes(Txt::SaveMailing),
        m_textes(asCsv ? Txt::CsvOnlyFileFilter : Txt::MailingFileFilter), m_textes(Txt::ReplaceFile));
    if (path.isEmpty())
        return;
    QList<const ClassContact *> rows;
    for (const ClassContact *contact : m_list->listModel()->contacts())
        rows.append(contact);
    // The new file replaces the old one only once written whole; a failure says nothing.
    if (asCsv)
        replaceFile(path, mailingSheetCsv(m_textes, rows, m_columnHeaders));
    else
        Sauve_Mailing(path, rows);
    if (autosize)
        AutosizeColumns();
}

void Form_Mailing::MNU_Supprimer_Click()
{
    if (m_list->model()->rowCount() == 0)
        return;
    if (MsgBox(m_textes(Txt::ConfirmRemoveSelected), vbYesNo | vbInformation | vbDefaultButton2) != vbYes)
        return;
    QStringList keys;
    for (const ClassContact *contact : m_list->selectedContacts())
        keys.append(contact->GUID);
    if (!keys.isEmpty())
        m_colContactMailing.remove(keys);
    CountContact();
    if (m_list->model()->rowCount() > 0)
        m_list->selectionModel()->setCurrentIndex(m_list->model()->index(0, 0),
                                                  QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    Update_Appercu();
}

void Form_Mailing::MNU_SupprimerTout_Click()
{
    if (m_list->model()->rowCount() == 0)
        return;
    if (MsgBox(m_textes(Txt::ConfirmRemoveAll), vbYesNo | vbInformation | vbDefaultButton2) != vbYes)
        return;
    m_colContactMailing.clear();
    CountContact();
}

void Form_Mailing::showListPopup(const QPoint &globalPos)
{
    const bool rows = m_list->model()->rowCount() > 0;
    m_mnuSupprimer->setEnabled(rows);
    m_mnuSupprimerTout->setEnabled(rows);
    m_mnuSauver->setEnabled(rows);
    m_menuAjouter->menuAction()->setVisible(true);
    m_menuPopUp->popup(globalPos);
}

MailingSource Form_Mailing::mailingSource()
{
    ContactListModel *model = m_list->listModel();
    return MailingSource{[model] { return qsizetype(model->rowCount()); },
                         [model](qsizetype row) -> const ClassContact * { return model->contactAt(int(row)); },
                         [this] { return m_composer->sender(); },
                         [this] { return m_composer->message(); },
                         true,
                         m_columns};
}

MailingDraft Form_Mailing::draft() const
{
    return MailingDraft{.rowCount = m_list->model()->rowCount(),
                        .contactAt = rowContact(),
                        .sender = m_composer->sender(),
                        .message = m_composer->message(),
                        .columns = m_columns,
                        .differer = Build_Differer()};
}

void Form_Mailing::CommandEnvoyer_Click()
{
    const int count = m_list->model()->rowCount();
    if (count == 0) {
        MsgBox(m_textes(Txt::EmptyList), vbOKOnly | vbInformation);
        return;
    }
    // The numbers are checked once; the plan is made again after each answer that changes it.
    const NumberCheck numbers = reviewMailingNumbers(m_book, draft().numbers());
    PlanRules rules{.commercial = m_config.CommercialSms, .credit = m_knownCredit()};
    const auto planned = [&] {
        rules.now = sendingNow();
        return planMailing(m_textes, draft(), numbers, rules);
    };
    MailingPlan plan = planned();
    if (plan.warning(PlanWarningKind::DeferredTooSoon)) {
        if (!m_composer->sendNowInstead(Build_Differer()))
            return;
        plan = planned();
    }
    if (const PlanWarning *hours = plan.warning(PlanWarningKind::OutsideSendingHours)) {
        const int answer = askSendingHours(*hours);
        if (answer != vbYes && answer != vbNo)
            return;
        if (answer == vbYes) {
            m_composer->deferTo(hours->next);
            plan = planned();
        }
    }
    // What the numbers' check found, and whether a number on several rows gets one SMS or one per row.
    if (plan.warning(PlanWarningKind::NumberFindings)) {
        QStringList labels;
        for (int row = 0; row < count; ++row) {
            const ClassContact *contact = m_list->listModel()->contactAt(row);
            labels.append(contact ? reviewLabel(contact->Phone, contact->FullName()) : QString());
        }
        Form_VerifNumeros question(m_textes, plan.numbers, labels, this);
        question.exec();
        if (question.choice() == Form_VerifNumeros::Choice::Cancel)
            return;
        rules.policy = question.choice() == Form_VerifNumeros::Choice::OncePerNumber ? NumberPolicy::OncePerNumber
                                                                                     : NumberPolicy::EveryRow;
        rules.skipInvalid = question.skipInvalid();
        plan = planned();
    }
    // A credit known to be short, a commercial message without STOP, unknown merge fields and rows
    // lacking a field used are told before the question, with the figures of the rows to be sent.
    QStringList told;
    const MailingDraft sent = draft();
    for (const PlanWarning &warning : plan.warnings) {
        if (const QString text = planWarningText(m_textes, sent, warning); !text.isEmpty())
            told.append(text);
    }
    const MailingCost &cost = plan.cost;
    // The cost line when it says more than the question: parts, Unicode or cut rows.
    if (cost.sms != cost.recipients || cost.unicodeRows > 0 || cost.cutRows > 0)
        told.append(mailingCostText(m_textes, cost));
    told.append(withCount(m_textes(Txt::SendCountQuestion), qsizetype(cost.sms)));
    if (MsgBox(told.join(u"\n\n"_s), vbYesNo | vbInformation) != vbYes)
        return;
    const bool oncePerNumber = rules.policy == NumberPolicy::OncePerNumber;
    const bool skipInvalid = rules.skipInvalid;
    heldForRun([this, oncePerNumber, skipInvalid] {
        return envoi().Send(mailingSource(), Build_Differer(), oncePerNumber, skipInvalid);
    });
}

void Form_Mailing::CommandTest_Click()
{
    ContactListModel *model = m_list->listModel();
    if (model->rowCount() == 0) {
        MsgBox(m_textes(Txt::EmptyList), vbOKOnly | vbInformation);
        return;
    }
    const QString myNumber = m_config.MyNumber;
    if (testNumber(myNumber).isEmpty()) {
        MsgBox(m_textes(Txt::NoMyNumber), vbOKOnly | vbInformation);
        return;
    }
    const QList<ClassContact *> selected = m_list->selectedContacts();
    const ClassContact *row = selected.isEmpty() ? model->contactAt(0) : selected.constFirst();
    const ClassContact none;
    // The window waits for the gateway without holding the program: a second click must not send again.
    m_commandTest->setEnabled(false);
    m_composer->sendButton()->setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    sendMailingTest(m_gateway, m_dataDir.path(), m_textes,
                    {myNumber, m_composer->sender(), m_composer->message(), row ? *row : none, m_columns},
                    [self = QPointer<Form_Mailing>(this), myNumber](const SendReply &reply) {
                        QApplication::restoreOverrideCursor();
                        if (!self)
                            return;
                        self->m_gateway.reportFailure(reply);
                        if (reply.outcome == SendOutcome::Accepted)
                            MsgBox(self->m_textes(Txt::TestSent).arg(testNumber(myNumber)), vbOKOnly | vbInformation);
                        emit self->creditMayHaveChanged();
                        self->m_commandTest->setEnabled(true);
                        self->m_composer->sendButton()->setEnabled(!self->isRunning());
                    });
}

int Form_Mailing::askSendingHours(const PlanWarning &hours)
{
    const QLocale locale;
    const auto shown = [&locale](const QDateTime &moment) -> QString {
        return locale.toString(moment.date(), QLocale::LongFormat) + u' ' +
               locale.toString(moment.time(), QLocale::ShortFormat);
    };
    return MsgBox(m_textes(Txt::OutsideHoursQuestion).arg(shown(hours.when), shown(hours.next)),
                  vbYesNoCancel | vbQuestion);
}

void Form_Mailing::resumeInterrupted(HeldRun held, bool includeUnknown)
{
    heldForRun([&] { return envoi().resume(std::move(held), includeUnknown); });
}

void Form_Mailing::setRunHeldByQuestion(bool held)
{
    if (m_envoi)
        m_envoi->setHeldByQuestion(held);
}

void Form_Mailing::heldForRun(const std::function<bool()> &run)
{
    // The main window holds still for the run, until the result window tells its end; that
    // window stays live.
    m_composer->sendButton()->setEnabled(false);
    emit runStarted();
    if (run())
        return;
    m_composer->sendButton()->setEnabled(true);
    emit runFinished();
}

Form_EnvoiMailing &Form_Mailing::envoi()
{
    if (!m_envoi) {
        m_envoi = new Form_EnvoiMailing(m_textes, m_config, m_dataDir, m_book, m_gateway, &m_owner);
        // A second try started from the result window is held like a run.
        connect(m_envoi, &Form_EnvoiMailing::retryStarting, this, [this] {
            m_composer->sendButton()->setEnabled(false);
            emit runStarted();
        });
        connect(m_envoi, &Form_EnvoiMailing::runFinished, this, [this] {
            m_composer->sendButton()->setEnabled(true);
            emit runFinished();
        });
    }
    return *m_envoi;
}

bool Form_Mailing::isRunning() const
{
    return m_envoi && m_envoi->isRunning();
}

void Form_Mailing::stopRun()
{
    if (m_envoi)
        m_envoi->stopRun();
}

} // namespace parlevo
