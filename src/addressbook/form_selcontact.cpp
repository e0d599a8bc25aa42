#include "form_selcontact.h"

#include "addressbook.h"
#include "addressbook/contactcollection.h"
#include "addressbook/groupcollection.h"
#include "base/config.h"
#include "base/dialogframe.h"
#include "base/messagebox.h"
#include "base/shared.h"
#include "base/textes.h"
#include "base/txt.h"
#include "contactlistmodel.h"
#include "contactlistview.h"
#include "contactrules.h"
#include "controls/accessibility.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <numeric>

using namespace Qt::StringLiterals;

namespace parlevo {

namespace {

// The list control's progress steps: every 100 contacts copied, every 20 filtered.
constexpr int kCopyStep = 100;
constexpr int kFilterStep = 20;
constexpr qint64 kProgressInterval = 40;
// The window is this much shorter than the main window (900 twips at 15 twips a pixel).
constexpr int kHeightBelowMain = 60;

template <typename W> W *named(W *widget, const char16_t *name)
{
    widget->setObjectName(QString::fromUtf16(name));
    return widget;
}

} // namespace

Form_SelContact::Form_SelContact(const TextTable &textes, const Config &config, AddressBook &book, QWidget *parent)
    : QDialog(parent, kDialogFrame)
    , m_textes(textes)
    , m_book(book)
{
    setObjectName(u"Form_SelContact"_s);
    setModal(true);
    m_list = named(new ContactListView(textes, config, this), u"ListViewCA");

    m_comboGroupe = named(new QComboBox(this), u"ComboGroupe");
    auto *labelGroupe =
        named(new QLabel(textes(fieldInfo(ContactColumn::Groupe).caption) + u" :"_s, this), u"LabelGroupe");
    captionFor(labelGroupe, m_comboGroupe);

    auto *frame = named(new QGroupBox(this), u"FrameFiltre");
    m_checkFiltre = named(new QCheckBox(frame), u"CheckFiltre");
    m_labelFrame = named(new QLabel(textes(Txt::DeepSearch) + u"  "_s, frame), u"LabelFrame");
    m_labelFrame->installEventFilter(this);
    m_textRecherche = named(new QLineEdit(frame), u"TextRecherche");
    m_labelRechercher = named(new QLabel(textes(Txt::Search) + u" :"_s, frame), u"Label_Rechercher");
    m_comboDans = named(new QComboBox(frame), u"Combo_Dans");
    for (const ContactFieldInfo *field : kSearchFields)
        m_comboDans->addItem(textes(field->caption));
    m_labelDans = named(new QLabel(textes(Txt::SearchIn), frame), u"Label_Dans");
    m_filtre = named(new QPushButton(textes(Txt::Find), frame), u"CMD_Filtre");
    auto *grid = new QGridLayout(frame);
    auto *title = new QHBoxLayout;
    title->addWidget(m_checkFiltre);
    title->addWidget(m_labelFrame, 1);
    grid->addLayout(title, 0, 0, 1, 4);
    grid->addWidget(m_labelRechercher, 1, 0);
    grid->addWidget(m_textRecherche, 1, 1);
    grid->addWidget(m_labelDans, 1, 2);
    grid->addWidget(m_comboDans, 1, 3);
    grid->addWidget(m_filtre, 1, 4);
    grid->setColumnStretch(1, 1);
    captionFor(m_labelFrame, m_checkFiltre);
    captionFor(m_labelRechercher, m_textRecherche);
    captionFor(m_labelDans, m_comboDans);
    m_list->setAccessibleName(accessibleText(textes(Txt::ContactList)));
    m_textRecherche->installEventFilter(this);

    m_count = named(new QLabel(QString(textes(Txt::ResultCount)).replace(u"%1"_s, u"0"_s), this), u"LabelNBFiche");
    m_progress = named(new QProgressBar(this), u"ProgressBar2");
    m_progress->setTextVisible(false);
    // Showing the bar for a filter must not move the other controls nor lay the window out again.
    QSizePolicy keepPlace = m_progress->sizePolicy();
    keepPlace.setRetainSizeWhenHidden(true);
    m_progress->setSizePolicy(keepPlace);
    m_progress->hide();
    m_progress->setAccessibleName(textes(Txt::Progress));
    m_accepter = named(new QPushButton(this), u"CMD_Accepter");
    m_accepter->setDefault(true);

    m_menuSelection = named(new QMenu(this), u"MNU_Selection");
    m_list->addSelectionActions(m_menuSelection);

    auto *top = new QHBoxLayout;
    top->addWidget(labelGroupe);
    top->addWidget(m_comboGroupe, 1);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(m_count);
    bottom->addWidget(m_progress, 1);
    bottom->addStretch(0);
    bottom->addWidget(m_accepter);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(frame);
    layout->addWidget(m_list, 1);
    layout->addLayout(bottom);
    resize(640, 480);
    // The list is made first but sits below the search controls.
    const QList<QWidget *> tabOrder{m_comboGroupe, m_checkFiltre, m_textRecherche, m_comboDans,
                                    m_filtre,      m_list,        m_accepter};
    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        QWidget::setTabOrder(tabOrder[i - 1], tabOrder[i]);
    if (parent && parent->window()->height() > 2 * kHeightBelowMain)
        resize(width(), parent->window()->height() - kHeightBelowMain);

    connect(m_checkFiltre, &QCheckBox::clicked, this, &Form_SelContact::CheckFiltre_Click);
    connect(m_filtre, &QPushButton::clicked, this, &Form_SelContact::Remplit_LV_Carnet);
    connect(m_comboGroupe, &QComboBox::activated, this, [this] {
        if (m_checkFiltre->isChecked()) {
            m_checkFiltre->setChecked(false);
            CheckFiltre_Click();
            // The unchecked box has just listed the group.
            return;
        }
        Remplit_LV_Carnet();
    });
    connect(m_accepter, &QPushButton::clicked, this, &Form_SelContact::CMD_Accepter_Click);
    connect(m_list, &QAbstractItemView::clicked, this, [this] { m_accepter->setEnabled(true); });
    // Moving to a row with the keyboard chooses it as a click does.
    connect(m_list->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex &current) {
        if (current.isValid() && m_list->hasFocus())
            m_accepter->setEnabled(true);
    });
    connect(m_list, &QAbstractItemView::doubleClicked, this, [this] {
        if (mailingMode())
            return;
        QCoreApplication::processEvents();
        if (m_accepter->isEnabled())
            CMD_Accepter_Click();
    });
    connect(m_list, &ContactListView::rightButtonPressed, this, [this](const QPoint &where) {
        if (mailingMode())
            m_menuSelection->popup(where);
    });
    resetSearch();
}

Form_SelContact::~Form_SelContact() = default;

void Form_SelContact::resetSearch()
{
    m_checkFiltre->setChecked(false);
    m_textRecherche->clear();
    m_comboDans->setCurrentIndex(0);
    for (QWidget *w :
         std::initializer_list<QWidget *>{m_textRecherche, m_labelRechercher, m_filtre, m_comboDans, m_labelDans})
        w->setEnabled(false);
}

void Form_SelContact::ImporteCarnet()
{
    // Each use starts as a freshly opened window would.
    resetSearch();
    m_accepted = false;
    m_temp.clear();
    const ContactCollection &contacts = m_book.colContacts();
    if (!contacts.isEmpty()) {
        m_progress->setMaximum(int(contacts.count()));
        m_temp.reserve(std::size_t(contacts.count()));
        QElapsedTimer sinceShown;
        sinceShown.start();
        for (ClassContact &contact : contacts) {
            m_temp.push_back(&contact);
            if (m_temp.size() % kCopyStep == 0)
                showProgress(int(m_temp.size()), sinceShown);
        }
    }
    for (std::size_t field = 0; field < m_fields.size(); ++field)
        m_fields[field] = FoldedField(m_temp, int(field));
    m_orderValid = false;
    m_comboGroupe->clear();
    m_comboGroupe->addItem(m_textes(Txt::AllGroups));
    m_comboGroupe->addItems(m_book.colGroupes().names());
    m_comboGroupe->setCurrentIndex(0);
}

void Form_SelContact::showProgress(int value, QElapsedTimer &sinceShown)
{
    // Every move of the bar repaints the window at once, which would cost a fast pass over a
    // large book more than the pass itself: the bar moves only when the eye can follow it.
    if (sinceShown.elapsed() < kProgressInterval)
        return;
    m_progress->setValue(value);
    sinceShown.restart();
}

void Form_SelContact::Init()
{
    setWindowTitle(QString::fromUtf16(kMessageBoxTitle) + u" - "_s +
                   m_textes(mailingMode() ? Txt::AddToMailing : Txt::ChooseRecipient));
    m_accepter->setText(m_textes(mailingMode() ? Txt::AddSelection : Txt::SelectThisContact));
    m_list->setSelectionMode(mailingMode() ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
    m_list->Init_ColonneLV();
    // A contact removed from the book while the snapshot is held loses its row.
    m_list->listModel()->follow(&m_book.colContacts(), false);
    Remplit_LV_Carnet();
    Result = false;
    SelContact = nullptr;
    m_accepted = false;
}

void Form_SelContact::Remplit_LV_Carnet()
{
    const QString search = m_textRecherche->text();
    const bool deep = m_checkFiltre->isChecked();
    const int field = m_comboDans->currentIndex();
    const QString group = m_comboGroupe->currentText();
    const QString all = m_textes(Txt::AllGroups);

    m_progress->setMaximum(std::max(1, int(m_temp.size())));
    m_progress->setValue(1);
    m_progress->show();
    // A search text without surrogates is looked for in the folded fields.
    const bool folded = deep && field >= 0 && std::size_t(field) < m_fields.size() &&
                        m_fields[std::size_t(field)].size() == m_temp.size() && foldsUnitByUnit(search);
    const QString part = folded ? foldedText(search) : QString();
    // Taken in the list's order, the rows kept need no sort.
    const std::vector<quint32> &order = sortedSnapshot();
    std::vector<ClassContact *> listed;
    QElapsedTimer sinceShown;
    sinceShown.start();
    for (std::size_t n = 0; n < order.size(); ++n) {
        const std::size_t i = order[n];
        const ClassContact &contact = *m_temp[i];
        bool kept;
        if (!deep)
            kept = listedByGroup(contact, group, all);
        else if (folded)
            kept = m_fields[std::size_t(field)].listed(i, part);
        else
            kept = listedBySearch(contact, field, search);
        if (kept)
            listed.push_back(m_temp[i]);
        if ((n + 1) % kFilterStep == 0)
            showProgress(int(n + 1), sinceShown);
    }
    m_list->setContacts(std::move(listed), true);
    // Sized to what is listed now, so that no name is cut after a search.
    m_list->AutosizeColumns();
    const int rows = m_list->model()->rowCount();
    m_count->setText(QString(m_textes(Txt::ResultCount)).replace(u"%1"_s, QString::number(rows)));
    m_progress->hide();
    if (rows == 0)
        m_accepter->setEnabled(false);
}

const std::vector<quint32> &Form_SelContact::sortedSnapshot()
{
    const ContactListModel &model = *m_list->listModel();
    const int column = model.sortColumn();
    const ContactColumn key = column >= 0 ? model.columns()[column] : ContactColumn::Groupe;
    const bool same = m_orderValid && m_order.size() == m_temp.size() && m_orderColumn == column &&
                      (column < 0 || (m_orderKey == key && m_orderDirection == model.sortOrder()));
    if (!same) {
        if (column < 0) {
            m_order.resize(m_temp.size());
            std::iota(m_order.begin(), m_order.end(), 0u);
        } else {
            m_order = sortedPositions(m_temp, key, model.sortOrder() == Qt::AscendingOrder);
        }
        m_orderValid = true;
        m_orderColumn = column;
        m_orderKey = key;
        m_orderDirection = model.sortOrder();
    }
    return m_order;
}

void Form_SelContact::CheckFiltre_Click()
{
    const bool on = m_checkFiltre->isChecked();
    for (QWidget *w :
         std::initializer_list<QWidget *>{m_textRecherche, m_labelRechercher, m_filtre, m_comboDans, m_labelDans})
        w->setEnabled(on);
    if (!on)
        Remplit_LV_Carnet();
}

void Form_SelContact::CMD_Accepter_Click()
{
    if (mailingMode()) {
        m_accepted = true;
        accept();
        return;
    }
    const ClassContact *current = m_list->currentContact();
    if (m_list->model()->rowCount() == 0 || !current)
        return;
    Result = true;
    SelContact = m_book.colContacts().find(current->GUID);
    m_accepted = true;
    accept();
}

QList<ClassContact *> Form_SelContact::selectedContacts() const
{
    if (!m_accepted)
        return {};
    return m_list->selectedContacts();
}

bool Form_SelContact::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_labelFrame && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        m_checkFiltre->setChecked(!m_checkFiltre->isChecked());
        CheckFiltre_Click();
        return true;
    }
    // Enter in the search text runs the search rather than accepting whatever row is current.
    if (watched == m_textRecherche && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            Remplit_LV_Carnet();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace parlevo
