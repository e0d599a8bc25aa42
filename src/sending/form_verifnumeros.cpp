#include "form_verifnumeros.h"

#include "base/dialogframe.h"
#include "base/messagebox.h"
#include "base/textes.h"
#include "base/txt.h"
#include "numberreview.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace parlevo {

namespace {

template <typename W> W *named(W *widget, const char16_t *name)
{
    widget->setObjectName(QString::fromUtf16(name));
    return widget;
}

} // namespace

Form_VerifNumeros::Form_VerifNumeros(const TextTable &textes, const NumberCheck &check, const QStringList &labels,
                                     QWidget *parent)
    : QDialog(parent, kDialogFrame)
    , m_textes(textes)
    , m_wholeList(numberReviewText(textes, check, labels, true))
{
    setObjectName(u"Form_VerifNumeros"_s);
    setWindowTitle(QString::fromUtf16(kMessageBoxTitle));
    auto *review = named(new QLabel(numberReviewText(textes, check, labels), this), u"LabelVerification");
    review->setWordWrap(true);
    review->setTextFormat(Qt::PlainText);
    review->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(review);
    if (const qsizetype bad = notValidMobileCount(check); bad > 0) {
        // Such a number only costs a refused request: left out unless the user says otherwise.
        m_skipInvalid = named(new QCheckBox(textes(Txt::SkipInvalidNumbers).arg(bad), this), u"CheckLaisserInvalides");
        m_skipInvalid->setChecked(true);
        layout->addWidget(m_skipInvalid);
    }
    auto *list = named(new QPushButton(textes(Txt::SeeList), this), u"CMD_VoirListe");
    auto *once = named(new QPushButton(textes(Txt::OncePerNumberButton), this), u"CMD_UneFois");
    auto *every = named(new QPushButton(textes(Txt::EveryRowButton), this), u"CMD_ChaqueLigne");
    auto *cancel = named(new QPushButton(textes(Txt::CancelButton), this), u"CMD_Annuler");
    list->setAutoDefault(false);
    once->setDefault(true);
    connect(list, &QPushButton::clicked, this, &Form_VerifNumeros::showWholeList);
    connect(once, &QPushButton::clicked, this, [this] {
        m_choice = Choice::OncePerNumber;
        accept();
    });
    connect(every, &QPushButton::clicked, this, [this] {
        m_choice = Choice::EveryRow;
        accept();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(list);
    buttons->addStretch(1);
    buttons->addWidget(once);
    buttons->addWidget(every);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    once->setFocus();
}

bool Form_VerifNumeros::skipInvalid() const
{
    return m_skipInvalid && m_skipInvalid->isChecked();
}

void Form_VerifNumeros::showWholeList()
{
    QDialog whole(this, kDialogFrame);
    whole.setObjectName(u"Form_ListeNumeros"_s);
    whole.setWindowTitle(QString::fromUtf16(kMessageBoxTitle) + u" - "_s + m_textes(Txt::NumberListTitle));
    // Read-only but selectable: the list can be copied into a spreadsheet or a mail.
    auto *text = named(new QPlainTextEdit(m_wholeList, &whole), u"TextListe");
    text->setReadOnly(true);
    text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    auto *close = named(new QPushButton(m_textes(Txt::Close), &whole), u"CMD_Fermer");
    connect(close, &QPushButton::clicked, &whole, &QDialog::accept);
    auto *layout = new QVBoxLayout(&whole);
    layout->addWidget(text, 1);
    layout->addWidget(close, 0, Qt::AlignRight);
    whole.resize(520, 400);
    text->setFocus();
    whole.exec();
}

} // namespace parlevo
