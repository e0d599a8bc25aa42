#include "predefinismenu.h"

#include "app/appstate.h"

#include <QAction>
#include <QMenu>
#include <QPointer>

using namespace Qt::StringLiterals;

namespace parlevo {

namespace {

// Not owning: the popup is freed by Detruit_MenuPredefinis, and a weak pointer cannot outlive it.
QPointer<QMenu> g_menu;

} // namespace

std::unique_ptr<QMenu> buildPredefinisMenu(const PredefiniList &list)
{
    auto menu = std::make_unique<QMenu>();
    menu->setObjectName(QStringLiteral("MenuPredefinis"));
    for (qsizetype i = 0; i < list.size(); ++i) {
        // Names are shown as typed: a "&" is not a keyboard accelerator here.
        QString text = list[i].Nom;
        text.replace(u'&', u"&&"_s);
        QAction *action = menu->addAction(text);
        action->setData(int(i + 1));
    }
    return menu;
}

void Cree_MenuPredefinis(AppState &state)
{
    Detruit_MenuPredefinis();
    g_menu = buildPredefinisMenu(state.colPredefinis()).release();
}

void Detruit_MenuPredefinis()
{
    delete g_menu.data();
    g_menu.clear();
}

QMenu *MenuPredefinis()
{
    return g_menu.data();
}

int ShowMenuPredefinis(const QPoint &screenPos)
{
    if (!g_menu)
        return 0;
    const QAction *picked = g_menu->exec(screenPos);
    return picked ? picked->data().toInt() : 0;
}

} // namespace parlevo
