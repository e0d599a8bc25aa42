#include "form_desinscrits.h"

#include "addressbook.h"
#include "base/config.h"
#include "base/shared.h"
#include "base/textes.h"
#include "base/txt.h"
#include "classcontact.h"
#include "contactlistview.h"
#include "optoutlist.h"

#include <QBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace parlevo {

namespace {

QPushButton *namedButton(const QString &text, const QString &name, QWidget *parent)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(name);
    return button;
}

} // namespace

Form_Desinscrits::Form_Desinscrits(const TextTable &textes, AddressBook &book, QWidget *parent)
    : QDialog(parent)
    , m_textes(textes)
    , m_book(book)
{
    setObjectName(u"Form_Desinscrits"_s);
    setWindowTitle(u"Parlevo - "_s + textes(Txt::OptOutsTitle));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(textes(Txt::OptOutsHeading), this));
    m_list = new QListWidget(this);
    m_list->setObjectName(u"ListDesinscrits"_s);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    layout->addWidget(m_list, 1);
    auto *buttons = new QHBoxLayout;
    QPushButton *ajouter = namedButton(textes(Txt::OptOutsAdd), u"CMD_Ajouter"_s, this);
    QPushButton *retirer = namedButton(textes(Txt::OptOutsRemove), u"CMD_Retirer"_s, this);
    QPushButton *fermer = namedButton(textes(Txt::OptOutsClose), u"CMD_Fermer"_s, this);
    buttons->addWidget(ajouter);
    buttons->addWidget(retirer);
    buttons->addStretch(1);
    buttons->addWidget(fermer);
    layout->addLayout(buttons);
    connect(ajouter, &QPushButton::clicked, this, &Form_Desinscrits::CMD_Ajouter_Click);
    connect(retirer, &QPushButton::clicked, this, &Form_Desinscrits::CMD_Retirer_Click);
    connect(fermer, &QPushButton::clicked, this, &QDialog::accept);
    resize(360, 400);
    fill();
}

void Form_Desinscrits::fill()
{
    m_list->clear();
    m_list->addItems(m_book.optOuts().numbers());
}

void Form_Desinscrits::CMD_Ajouter_Click()
{
    bool ok = false;
    const QString number =
        QInputDialog::getText(this, windowTitle(), m_textes(Txt::OptOutPrompt), QLineEdit::Normal, QString(), &ok);
    if (ok && m_book.optOuts().add(number)) {
        Sauve_Desinscrits(m_book);
        fill();
    }
}

void Form_Desinscrits::CMD_Retirer_Click()
{
    const QList<QListWidgetItem *> chosen = m_list->selectedItems();
    if (chosen.isEmpty())
        return;
    for (const QListWidgetItem *item : chosen)
        m_book.optOuts().remove(item->text());
    Sauve_Desinscrits(m_book);
    fill();
}

void addOptOutActions(QMenu *menu, const TextTable &textes, AddressBook &book, ContactListView *list)
{
    menu->addSeparator();
    QAction *optOut = menu->addAction(textes(Txt::OptOut));
    optOut->setObjectName(u"MNU_Desinscrire"_s);
    QAction *optBackIn = menu->addAction(textes(Txt::OptBackIn));
    optBackIn->setObjectName(u"MNU_Reinscrire"_s);
    QAction *show = menu->addAction(textes(Txt::OptOutsLink));
    show->setObjectName(u"MNU_Desinscrits"_s);
    // The list, the texts and the book outlive the menu, which the list's window owns.
    QObject::connect(optOut, &QAction::triggered, menu, [&book, list] {
        for (const ClassContact *contact : list->selectedContacts())
            book.optOuts().add(contact->Phone);
        Sauve_Desinscrits(book);
    });
    QObject::connect(optBackIn, &QAction::triggered, menu, [&book, list] {
        for (const ClassContact *contact : list->selectedContacts())
            book.optOuts().remove(contact->Phone);
        Sauve_Desinscrits(book);
    });
    QObject::connect(show, &QAction::triggered, menu, [&textes, &book, list] {
        Form_Desinscrits window(textes, book, list->window());
        window.exec();
    });
}

} // namespace parlevo
