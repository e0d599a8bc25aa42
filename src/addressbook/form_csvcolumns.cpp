#include "form_csvcolumns.h"

#include "addressbook/contactfields.h"
#include "addressbook/groupcollection.h"
#include "base/config.h"
#include "base/dialogframe.h"
#include "base/messagebox.h"
#include "base/shared.h"
#include "base/textes.h"
#include "base/txt.h"
#include "controls/accessibility.h"
#include "groupcollection.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace parlevo {

namespace {

constexpr int kPreviewRows = 5;

} // namespace

Form_CsvColumns::Form_CsvColumns(const TextTable &textes, const GroupCollection &groups, const CsvTable &table,
                                 QWidget *parent)
    : QDialog(parent, kDialogFrame)
{
    setObjectName(u"Form_CsvColumns"_s);
    setModal(true);
    setWindowTitle(QString::fromUtf16(kMessageBoxTitle) + u" - "_s + textes(Txt::CsvImport));

    const int columns = int(table.columnCount());
    QStringList names;
    for (int column = 0; column < columns; ++column)
        names.append(columnName(table, column));
    const int rows = int(std::min<qsizetype>(table.rows.size(), kPreviewRows));
    auto *preview = new QTableWidget(rows, columns, this);
    preview->setObjectName(u"TablePreview"_s);
    preview->setHorizontalHeaderLabels(names);
    preview->setEditTriggers(QAbstractItemView::NoEditTriggers);
    preview->verticalHeader()->hide();
    for (int row = 0; row < rows; ++row)
        for (int column = 0; column < columns; ++column)
            preview->setItem(row, column, new QTableWidgetItem(table.rows[row].value(column)));
    preview->resizeColumnsToContents();

    auto *fields = new QFormLayout;
    const CsvMapping chosen = defaultMapping(table);
    for (std::size_t field = 0; field < m_choosers.size(); ++field) {
        auto *chooser = new QComboBox(this);
        chooser->setObjectName(u"ComboColumn_"_s + fieldName(*kStoredFields[field]));
        chooser->addItem(textes(Txt::CsvDoNotImport), -1);
        for (int column = 0; column < columns; ++column)
            chooser->addItem(names[column], column);
        chooser->setCurrentIndex(chooser->findData(chosen[field]));
        m_choosers[field] = chooser;
        fields->addRow(textes(kStoredFields[field]->caption), chooser);
    }
    connect(m_choosers[5], &QComboBox::currentIndexChanged, this, &Form_CsvColumns::updateNumberHint);
    m_numberHint = new QLabel(textes(Txt::ChooseNumberColumn), this);
    m_numberHint->setObjectName(u"LabelChooseNumber"_s);
    m_numberHint->setWordWrap(true);
    m_group = new QComboBox(this);
    m_group->setObjectName(u"ComboGroupe"_s);
    m_group->setEditable(true);
    m_group->addItem(QString());
    m_group->addItems(groups.names());
    auto *groupCaption = new QLabel(textes(Txt::ImportGroup), this);
    captionFor(groupCaption, m_group);

    auto *suivant = new QPushButton(QString(textes(Txt::NextButton)).remove(u'&'), this);
    suivant->setObjectName(u"CMD_Suivant"_s);
    suivant->setDefault(true);
    m_suivant = suivant;
    auto *annuler = new QPushButton(QString(textes(Txt::CancelButton)).remove(u'&'), this);
    annuler->setObjectName(u"CMD_Annuler"_s);
    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(suivant, QDialogButtonBox::AcceptRole);
    buttons->addButton(annuler, QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    auto *previewCaption = new QLabel(textes(Txt::CsvPreview), this);
    captionFor(previewCaption, preview);
    layout->addWidget(previewCaption);
    layout->addWidget(preview, 1);
    layout->addWidget(new QLabel(textes(Txt::CsvColumnOfEachField), this));
    layout->addLayout(fields);
    layout->addWidget(m_numberHint);
    layout->addWidget(groupCaption);
    layout->addWidget(m_group);
    layout->addWidget(buttons);
    setMinimumWidth(560);
    updateNumberHint();
}

void Form_CsvColumns::updateNumberHint()
{
    // Contacts without a number cannot be sent anything: the user names the column first.
    const bool noNumber = m_choosers[5]->currentData().toInt() < 0;
    m_numberHint->setVisible(noNumber);
    m_suivant->setEnabled(!noNumber);
}

QString Form_CsvColumns::group() const
{
    return m_group->currentText().trimmed();
}

CsvMapping Form_CsvColumns::mapping() const
{
    CsvMapping mapping;
    for (std::size_t field = 0; field < m_choosers.size(); ++field)
        mapping[field] = m_choosers[field]->currentData().toInt();
    return mapping;
}

} // namespace parlevo
