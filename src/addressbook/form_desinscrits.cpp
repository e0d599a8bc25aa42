#include "form_desinscrits.h"

#include "base/appstate.h"
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

Form_Desinscrits::Form_Desinscrits(AppState &state, QWidget *parent)
    : QDialog(parent)
    , m_state(state)
{
    setObjectName(u"Form_Desinscrits"_s);
    setWindowTitle(u"Parlevo - "_s + state.Textes(Txt::OptOutsTitle));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(state.Textes(Txt::OptOutsHeading), this));
    m_list = new QListWidget(this);
    m_list->setObjectName(u"ListDesinscrits"_s);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    layout->addWidget(m_list, 1);
    auto *buttons = new QHBoxLayout;
    QPushButton *ajouter = namedButton(state.Textes(Txt::OptOutsAdd), u"CMD_Ajouter"_s, this);
    QPushButton *retirer = namedButton(state.Textes(Txt::OptOutsRemove), u"CMD_Retirer"_s, this);
    QPushButton *fermer = namedButton(state.Textes(Txt::OptOutsClose), u"CMD_Fermer"_s, this);
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
    m_list->addItems(m_state.optOuts().numbers());
}

void Form_Desinscrits::CMD_Ajouter_Click()
{
    bool ok = false;
    const QString number = QInputDialog::getText(this, windowTitle(), m_state.Textes(Txt::OptOutPrompt),
                                                 QLineEdit::Normal, QString(), &ok);
    if (ok && m_state.optOuts().add(number)) {
        Sauve_Desinscrits(m_state);
        fill();
    }
}

void Form_Desinscrits::CMD_Retirer_Click()
{
    const QList<QListWidgetItem *> chosen = m_list->selectedItems();
    if (chosen.isEmpty())
        return;
    for (const QListWidgetItem *item : chosen)
        m_state.optOuts().remove(item->text());
    Sauve_Desinscrits(m_state);
    fill();
}

void addOptOutActions(QMenu *menu, AppState &state, ContactListView *list)
{
    menu->addSeparator();
    QAction *optOut = menu->addAction(state.Textes(Txt::OptOut));
    optOut->setObjectName(u"MNU_Desinscrire"_s);
    QAction *optBackIn = menu->addAction(state.Textes(Txt::OptBackIn));
    optBackIn->setObjectName(u"MNU_Reinscrire"_s);
    QAction *show = menu->addAction(state.Textes(Txt::OptOutsLink));
    show->setObjectName(u"MNU_Desinscrits"_s);
    // The list and the state outlive the menu, which the list's window owns.
    QObject::connect(optOut, &QAction::triggered, menu, [&state, list] {
        for (const ClassContact *contact : list->selectedContacts())
            state.optOuts().add(contact->Phone);
        Sauve_Desinscrits(state);
    });
    QObject::connect(optBackIn, &QAction::triggered, menu, [&state, list] {
        for (const ClassContact *contact : list->selectedContacts())
            state.optOuts().remove(contact->Phone);
        Sauve_Desinscrits(state);
    });
    QObject::connect(show, &QAction::triggered, menu, [&state, list] {
        Form_Desinscrits window(state, list->window());
        window.exec();
    });
}

} // namespace parlevo
