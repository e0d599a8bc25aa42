#include "form_importcsv.h"

#include "addressbook/contactfields.h"
#include "base/config.h"
#include "base/dialogframe.h"
#include "base/messagebox.h"
#include "base/shared.h"
#include "base/textes.h"
#include "base/txt.h"
#include "controls/accessibility.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace parlevo {

namespace {

QLabel *makeLabel(const char16_t *name, const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QString::fromUtf16(name));
    label->setWordWrap(true);
    return label;
}

} // namespace

Form_ImportCSV::Form_ImportCSV(const TextTable &textes, QWidget *parent)
    : QDialog(parent, kDialogFrame)
{
    setObjectName(u"Form_ImportCSV"_s);
    setModal(true);
    setWindowTitle(QString::fromUtf16(kMessageBoxTitle) + u" - "_s + textes(Txt::CsvImport));
    QStringList fields;
    for (const ContactFieldInfo *field : kStoredFields)
        fields.append(textes(field->caption));

    auto *example = new QPlainTextEdit(this);
    example->setObjectName(u"TextExemple"_s);
    example->setPlainText(u"Travail;Parlevo;Mr;Jean;Dupont;0612345678\r\nPersonnel;;Mme;Anne;Dupuis;0687654321\r\n"_s);
    QFont fixed(u"Courier New"_s);
    fixed.setStyleHint(QFont::TypeWriter);
    example->setFont(fixed);
    example->setReadOnly(true);
    example->setFixedHeight(example->fontMetrics().lineSpacing() * 4);

    auto *suivant = new QPushButton(QString(textes(Txt::NextButton)).remove(u'&'), this);
    suivant->setObjectName(u"CMD_ChargeCSV"_s);
    suivant->setDefault(true);
    auto *annuler = new QPushButton(QString(textes(Txt::CancelButton)).remove(u'&'), this);
    annuler->setObjectName(u"CMD_Annuler"_s);
    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(suivant, QDialogButtonBox::AcceptRole);
    buttons->addButton(annuler, QDialogButtonBox::RejectRole);
    connect(suivant, &QPushButton::clicked, this, [this] {
        Etat = true;
        accept();
    });
    connect(annuler, &QPushButton::clicked, this, [this] {
        Etat = false;
        reject();
    });

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(makeLabel(u"LabelHelp1", textes(Txt::CsvImportHelpBefore), this));
    layout->addWidget(makeLabel(u"LabelHelp2", textes(Txt::CsvImportHelpLayout), this));
    auto *layoutLine = makeLabel(u"LabelHelp3", fields.join(u';'), this);
    layoutLine->setStyleSheet(u"font-weight: 600;"_s);
    layout->addWidget(layoutLine);
    QLabel *exampleCaption = makeLabel(u"LabelHelp5", textes(Txt::CsvExample), this);
    captionFor(exampleCaption, example);
    layout->addWidget(exampleCaption);
    layout->addWidget(example);
    layout->addWidget(buttons);
    setMinimumWidth(480);
}

} // namespace parlevo
