#include "form_carnetadresse.h"

#include "addressbook.h"
#include "addressbook/contactcollection.h"
#include "addressbook/groupcollection.h"
#include "base/autosave.h"
#include "base/config.h"
#include "base/filedialog.h"
#include "base/messagebox.h"
#include "base/shared.h"
#include "base/storefile.h"
#include "base/textes.h"
#include "base/txt.h"
#include "contactlistmodel.h"
#include "contactlistview.h"
#include "contactsearch.h"
#include "contactstore.h"
#include "controls/accessibility.h"
#include "controls/labellink.h"
#include "csvimport.h"
#include "form_addcontact.h"
#include "form_changegroup.h"
#include "form_csvcolumns.h"
#include "form_desinscrits.h"
#include "form_importcsv.h"
#include "sortkeys.h"
#include "vcard.h"

#include <QApplication>
#include <QBoxLayout>
#include <QDir>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>

using namespace Qt::StringLiterals;

namespace parlevo {

namespace {

QAction *addMenuAction(QMenu *menu, const char16_t *name, const QString &text)
{
    QAction *action = menu->addAction(text);
    action->setObjectName(QString::fromUtf16(name));
    return action;
}

} // namespace

Form_CarnetAdresse::Form_CarnetAdresse(const TextTable &textes, const Config &config, AddressBook &book,
                                       AutoSave &autoSave, QWidget *parent)
    : SectionPage(textes(Txt::AddressBookTitle), activityIcon(Activity::Carnet), parent, ContentHeight::Fill)
    , m_textes(textes)
    , m_book(book)
    , m_autoSave(autoSave)
{
    setObjectName(u"Form_CarnetAdresse"_s);
    QVBoxLayout *content = contentLayout();
    auto *caption = new QLabel(textes(Txt::ContactList), this);
    caption->setObjectName(u"LabelListView"_s);
    auto *captionRow = new QHBoxLayout;
    captionRow->addWidget(caption);
    captionRow->addStretch(1);
    m_search = new QLineEdit(this);
    m_search->setObjectName(u"TextRecherche"_s);
    m_search->setPlaceholderText(textes(Txt::SearchContacts));
    m_search->setAccessibleName(textes(Txt::SearchContacts));
    m_search->setClearButtonEnabled(true);
    m_search->setMinimumWidth(220);
    captionRow->addWidget(m_search);
    content->addLayout(captionRow);
    m_list = new ContactListView(textes, config, this);
    m_list->setObjectName(u"ListViewCA"_s);
    m_list->setMinimumHeight(200);
    captionFor(caption, m_list);
    content->addWidget(m_list, 1);

    auto *buttons = new QHBoxLayout;
    m_count = new QLabel(textes(Txt::ContactCount) + u" 0"_s, this);
    m_count->setObjectName(u"LabelNBFiche"_s);
    buttons->addWidget(m_count);
    buttons->addStretch(1);
    auto *ajouter = new QPushButton(textes(Txt::AddButton), this);
    ajouter->setObjectName(u"CMD_Ajouter"_s);
    m_modifier = new QPushButton(textes(Txt::ModifyButton), this);
    m_modifier->setObjectName(u"CMD_Modifier"_s);
    m_supprimer = new QPushButton(textes(Txt::DeleteButton), this);
    m_supprimer->setObjectName(u"CMD_Supprimer"_s);
    for (QPushButton *button : {ajouter, m_modifier, m_supprimer})
        buttons->addWidget(button);
    content->addLayout(buttons);

    m_importLink = new LabelLink(this);
    m_importLink->setObjectName(u"LabelLinkImporter"_s);
    m_importLink->setForeColor(LabelLink::kLinkColor);
    m_importLink->setCaption(textes(Txt::ImportContactsFrom));
    content->addWidget(m_importLink);

    m_menuListview = new QMenu(this);
    m_menuListview->setObjectName(u"MNU_Listview"_s);
    QMenu *selection = m_menuListview->addMenu(textes(Txt::SelectionMenu));
    selection->setObjectName(u"MNU_Selection"_s);
    m_list->addSelectionActions(selection);
    QAction *defGroupe = addMenuAction(m_menuListview, u"MNU_DefGroupe", textes(Txt::ChangeGroup));
    m_menuImporter = new QMenu(this);
    m_menuImporter->setObjectName(u"MNU_Importer"_s);
    QAction *importCsv = addMenuAction(m_menuImporter, u"MNU_ImportCSV", textes(Txt::FromCsvFile));
    QAction *importVCard = addMenuAction(m_menuImporter, u"MNU_ImportVCard", textes(Txt::FromVCardFile));
    QAction *exportVCard = addMenuAction(m_menuListview, u"MNU_ExportVCard", textes(Txt::ExportAsVCard));
    addOptOutActions(m_menuListview, textes, book, m_list);

    connect(ajouter, &QPushButton::clicked, this, &Form_CarnetAdresse::CMD_Ajouter_Click);
    connect(m_modifier, &QPushButton::clicked, this, &Form_CarnetAdresse::CMD_Modifier_Click);
    connect(m_supprimer, &QPushButton::clicked, this, &Form_CarnetAdresse::CMD_Supprimer_Click);
    connect(defGroupe, &QAction::triggered, this, &Form_CarnetAdresse::MNU_DefGroupe_Click);
    connect(importCsv, &QAction::triggered, this, &Form_CarnetAdresse::MNU_ImportCSV_Click);
    connect(importVCard, &QAction::triggered, this, &Form_CarnetAdresse::MNU_ImportVCard_Click);
    connect(exportVCard, &QAction::triggered, this, &Form_CarnetAdresse::MNU_ExportVCard_Click);
    connect(m_importLink, &LabelLink::Click, this,
            [this] { m_menuImporter->popup(m_importLink->mapToGlobal(QPoint(0, m_importLink->height()))); });

    connect(m_list, &ContactListView::listClicked, this, [this] {
        if (m_list->model()->rowCount() > 0)
            setEditButtonsEnabled(true);
    });
    // Moving to a row with the keyboard counts as a click in the list.
    connect(m_list->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex &current) {
        if (current.isValid() && m_list->hasFocus())
            setEditButtonsEnabled(true);
    });
    connect(m_list, &ContactListView::listDoubleClicked, this, [this] {
        if (m_list->model()->rowCount() > 0)
            CMD_Modifier_Click();
    });
    connect(m_list, &ContactListView::deleteKeyPressed, this, &Form_CarnetAdresse::CMD_Supprimer_Click);
    connect(m_list, &ContactListView::rightButtonPressed, this,
            [this](const QPoint &where) { m_menuListview->popup(where); });

    // The search filters as the user types; Ctrl+F reaches it, Escape there empties it.
    connect(m_search, &QLineEdit::textChanged, this, &Form_CarnetAdresse::showFound);
    // The index is built when the box gets the focus, before the first key.
    m_search->installEventFilter(this);
    auto *find = new QShortcut(QKeySequence::Find, this, nullptr, nullptr, Qt::WidgetWithChildrenShortcut);
    connect(find, &QShortcut::activated, this, [this] {
        m_search->setFocus(Qt::ShortcutFocusReason);
        m_search->selectAll();
    });
    auto *clear = new QShortcut(QKeySequence(Qt::Key_Escape), m_search, nullptr, nullptr, Qt::WidgetShortcut);
    connect(clear, &QShortcut::activated, m_search, &QLineEdit::clear);
    ContactCollection &contacts = book.colContacts();
    const auto dropIndex = [this] { m_searchIndex.reset(); };
    connect(&contacts, &ContactCollection::contactAdded, this, dropIndex);
    connect(&contacts, &ContactCollection::contactsAboutToBeRemoved, this, dropIndex);
    connect(&contacts, &ContactCollection::contactChanged, this, dropIndex);
    connect(&contacts, &ContactCollection::contactsAboutToBeReset, this, dropIndex);

    Init_ColonneLV();
}

Form_CarnetAdresse::~Form_CarnetAdresse() = default;

bool Form_CarnetAdresse::eventFilter(QObject *watched, QEvent *event)
{
    // Reached by the user (not by the page opening): the index is built before the first key.
    if (watched == m_search && event->type() == QEvent::FocusIn) {
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason == Qt::MouseFocusReason || reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
            reason == Qt::ShortcutFocusReason)
            searchIndex();
    }
    return SectionPage::eventFilter(watched, event);
}

void Form_CarnetAdresse::Init()
{
    Init_ColonneLV();
    QCoreApplication::processEvents();
    setUpdatesEnabled(false);
    Remplit_lv();
    setUpdatesEnabled(true);
    update();
}

void Form_CarnetAdresse::Init_ColonneLV()
{
    m_list->Init_ColonneLV();
}

bool Form_CarnetAdresse::searching() const
{
    return !m_search->text().trimmed().isEmpty();
}

ContactSearch &Form_CarnetAdresse::searchIndex()
{
    const ContactListModel *model = m_list->listModel();
    const std::pair<int, Qt::SortOrder> order{model->sortColumn(), model->sortOrder()};
    if (m_searchIndex && m_searchOrder == order)
        return *m_searchIndex;
    // Built in the list's order, so that what it finds is shown without sorting again.
    std::vector<ClassContact *> rows;
    if (!searching() && qsizetype(model->contacts().size()) == m_book.colContacts().count()) {
        rows = model->contacts();
    } else {
        rows.reserve(std::size_t(m_book.colContacts().count()));
        for (ClassContact &contact : m_book.colContacts())
            rows.push_back(&contact);
        if (order.first >= 0)
            sortContacts(rows, model->columns()[order.first], order.second == Qt::AscendingOrder);
    }
    m_searchIndex = std::make_unique<ContactSearch>(m_book.phoneCheck(), std::move(rows));
    m_searchOrder = order;
    return *m_searchIndex;
}

void Form_CarnetAdresse::showFound()
{
    m_list->setContacts(searchIndex().matching(m_search->text()), true);
    // While searching, a contact added elsewhere is not one the search found: it waits for the
    // next keystroke or an empty box.
    m_list->listModel()->follow(&m_book.colContacts(), !searching());
    selectFirstRow();
    updateCountLabel();
}

void Form_CarnetAdresse::Remplit_lv()
{
    if (searching()) {
        showFound();
        AutosizeColumns();
        return;
    }
    ContactCollection &contacts = m_book.colContacts();
    std::vector<ClassContact *> rows;
    rows.reserve(std::size_t(contacts.count()));
    for (ClassContact &contact : contacts)
        rows.push_back(&contact);
    m_list->setContacts(std::move(rows));
    m_list->listModel()->follow(&contacts, true);
    selectFirstRow();
    updateCountLabel();
    AutosizeColumns();
}

void Form_CarnetAdresse::selectFirstRow()
{
    const int count = m_list->model()->rowCount();
    if (count > 1) {
        const QModelIndex first = m_list->model()->index(0, 0);
        m_list->selectionModel()->setCurrentIndex(first,
                                                  QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        // The selected first row can be changed at once.
        setEditButtonsEnabled(true);
    } else {
        setEditButtonsEnabled(false);
    }
}

void Form_CarnetAdresse::AutosizeColumns()
{
    m_list->AutosizeColumns();
}

void Form_CarnetAdresse::updateCountLabel()
{
    m_count->setText(m_textes(Txt::ContactCount) + u' ' + QString::number(m_list->model()->rowCount()));
}

void Form_CarnetAdresse::setEditButtonsEnabled(bool enabled)
{
    m_modifier->setEnabled(enabled);
    m_supprimer->setEnabled(enabled);
}

void Form_CarnetAdresse::CMD_Ajouter_Click()
{
    auto contact = std::make_unique<ClassContact>();
    // The key is used up even if the user cancels.
    contact->GUID = m_book.NextKey();
    if (!m_addContact)
        m_addContact = new Form_AddContact(m_textes, m_book, this);
    m_addContact->Ajoute(*contact);
    if (!m_addContact->Etat)
        return;
    // The list follows the book: the contact gets its row at its sorted place.
    m_book.colContacts().add(std::move(contact));
    m_list->setFocus();
    updateCountLabel();
}

void Form_CarnetAdresse::CMD_Modifier_Click()
{
    ClassContact *contact = m_list->currentContact();
    if (!contact)
        return;
    if (!m_addContact)
        m_addContact = new Form_AddContact(m_textes, m_book, this);
    m_addContact->Modifie(*contact);
    if (m_addContact->Etat)
        m_book.colContacts().notifyChanged(contact->GUID);
    m_list->setFocus();
}

void Form_CarnetAdresse::CMD_Supprimer_Click()
{
    const QList<ClassContact *> selected = m_list->selectedContacts();
    if (selected.size() < 2) {
        ClassContact *contact = m_list->currentContact();
        if (!contact)
            return;
        const QString question = m_textes(Txt::ConfirmDeleteContact) + u"\r\n\r\n' "_s + contact->FullName() + u" '"_s;
        if (MsgBox(question, vbYesNo | vbExclamation | vbDefaultButton2) == vbYes) {
            m_book.colContacts().remove(contact->GUID);
            setEditButtonsEnabled(false);
        } else {
            m_list->setFocus();
        }
    } else if (MsgBox(m_textes(Txt::ConfirmDeleteContacts), vbYesNo | vbExclamation | vbDefaultButton2) == vbYes) {
        QStringList keys;
        keys.reserve(selected.size());
        for (const ClassContact *contact : selected)
            keys.append(contact->GUID);
        m_book.colContacts().remove(keys);
        setEditButtonsEnabled(false);
    } else {
        m_list->setFocus();
    }
    updateCountLabel();
}

void Form_CarnetAdresse::MNU_DefGroupe_Click()
{
    if (!m_changeGroup)
        m_changeGroup = new Form_ChangeGroup(m_textes, m_book.colGroupes(), this);
    m_changeGroup->Init();
    m_changeGroup->exec();
    const QString groupe = m_changeGroup->Groupe;
    if (groupe == QString::fromUtf16(Form_ChangeGroup::kCancelMarker))
        return;
    Ajoute_Groupe(m_book.colGroupes(), groupe);
    const QList<ClassContact *> selected = m_list->selectedContacts();
    for (ClassContact *contact : selected)
        contact->Groupe = groupe;
    // Changed in place, past the collection's signals: the save is told here.
    if (!selected.isEmpty())
        m_autoSave.changed(QString::fromUtf16(kContactsFileName));
    // One redraw of the list rather than one notice per contact: a change of thousands of rows
    // would otherwise look each row up again.
    ContactListModel *model = m_list->listModel();
    if (!selected.isEmpty() && model->columnCount() > 0)
        emit model->dataChanged(model->index(0, 0), model->index(model->rowCount() - 1, model->columnCount() - 1));
}

void Form_CarnetAdresse::MNU_ImportCSV_Click()
{
    if (!m_importCsv)
        m_importCsv = new Form_ImportCSV(m_textes, this);
    m_importCsv->Etat = false;
    m_importCsv->exec();
    if (!m_importCsv->Etat)
        return;
    const QString path = FileDialog::getOpenFileName(
        this, QString::fromUtf16(kMessageBoxTitle) + u" - "_s + m_textes(Txt::ImportFromCsv),
        m_textes(Txt::CsvFileFilter));
    if (path.isEmpty())
        return;
    const std::optional<QByteArray> bytes = readWholeFile(path);
    // A vCard file picked here is read as one, not as lines of garbage.
    if (bytes && looksLikeVCard(*bytes)) {
        tellImported(importVCardFile(m_book, path), path);
        AutosizeColumns();
        return;
    }
    // Another program's file: its columns are chosen over a preview first.
    if (const std::optional<CsvTable> table = bytes ? readCsvTable(*bytes) : std::nullopt) {
        Form_CsvColumns columns(m_textes, m_book.colGroupes(), *table, this);
        if (columns.exec() != QDialog::Accepted)
            return;
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const ContactImportResult result = importCsvTable(m_book, *table, columns.mapping(), columns.group());
        AutosizeColumns();
        QApplication::restoreOverrideCursor();
        tellImported(result, path);
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ImportCSV(path);
    AutosizeColumns();
    QApplication::restoreOverrideCursor();
}

void Form_CarnetAdresse::ImportCSV(const QString &path)
{
    tellImported(importCsvFile(m_book, path), path);
}

void Form_CarnetAdresse::tellImported(const ContactImportResult &result, const QString &path)
{
    // A file that could not be read is an error, not an import of nothing.
    MsgBox(importMessage(m_textes, result, path), vbOKOnly | (result.opened ? vbInformation : vbCritical));
    updateCountLabel();
}

std::optional<QString> Form_CarnetAdresse::askGroup(Txt title, Txt caption, Txt action, bool existingOnly)
{
    Form_ChangeGroup dialog(m_textes, m_book.colGroupes(), this);
    dialog.setPurpose(m_textes(title), m_textes(caption), m_textes(action), existingOnly);
    dialog.Init();
    dialog.exec();
    if (dialog.Groupe == QString::fromUtf16(Form_ChangeGroup::kCancelMarker))
        return std::nullopt;
    return dialog.Groupe;
}

void Form_CarnetAdresse::MNU_ImportVCard_Click()
{
    const QString path = FileDialog::getOpenFileName(
        this, QString::fromUtf16(kMessageBoxTitle) + u" - "_s + m_textes(Txt::ImportFromVCard),
        m_textes(Txt::VCardFileFilter));
    if (path.isEmpty())
        return;
    const std::optional<QString> group = askGroup(Txt::ImportFromVCard, Txt::ImportGroup, Txt::ImportButton, false);
    if (!group)
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const ContactImportResult result = importVCardFile(m_book, path, *group);
    AutosizeColumns();
    QApplication::restoreOverrideCursor();
    tellImported(result, path);
}

void Form_CarnetAdresse::MNU_ExportVCard_Click()
{
    QList<const ClassContact *> chosen;
    for (const ClassContact *contact : m_list->selectedContacts())
        chosen.append(contact);
    // Nothing selected: a group, or the whole book.
    if (chosen.isEmpty()) {
        const std::optional<QString> group = askGroup(Txt::ExportToVCard, Txt::ExportGroup, Txt::ExportButton, true);
        if (!group)
            return;
        for (const ClassContact &contact : m_book.colContacts()) {
            if (group->isEmpty() || contact.Groupe == *group)
                chosen.append(&contact);
        }
    }
    const QString path = FileDialog::getSaveFileNameReplacing(
        this, QString::fromUtf16(kMessageBoxTitle) + u" - "_s + m_textes(Txt::ExportToVCard),
        m_textes(Txt::VCardFileFilter), m_textes(Txt::ReplaceFile));
    if (path.isEmpty())
        return;
    const QString shown = QDir::toNativeSeparators(path);
    if (writeVCardFile(path, chosen))
        MsgBox(QString(m_textes(Txt::ContactsExported))
                   .replace(u"%1"_s, QString::number(chosen.size()))
                   .replace(u"%2"_s, shown),
               vbOKOnly | vbInformation);
    else
        MsgBox(QString(m_textes(Txt::FileNotSaved)).replace(u"%1"_s, shown), vbOKOnly | vbCritical);
}

} // namespace parlevo
