#include "predefinismenu.h"

#include "messages/predefinis.h"

#include <QAction>
#include <QMenu>
#include <QPointer>
#include <QStringList>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace parlevo {

namespace {

// Not owning: the popup is freed by Detruit_MenuPredefinis, and a weak pointer cannot outlive it.
QPointer<QMenu> g_menu;

// Names are shown as typed: a "&" is not a keyboard accelerator here.
QString itemText(const QString &name)
{
    return QString(name).replace(u'&', u"&&"_s);
}

// One action per message of [first, end), positions counted from 1.
void addItems(QMenu *menu, const QStringList &names, qsizetype first, qsizetype end)
{
    QList<QAction *> actions;
    actions.reserve(end - first);
    for (qsizetype i = first; i < end; ++i) {
        auto *action = new QAction(itemText(names[i]), menu);
        action->setData(int(i + 1));
        actions.append(action);
    }
    menu->addActions(actions);
}

} // namespace

std::unique_ptr<QMenu> buildPredefinisMenu(const PredefiniList &list)
{
    auto menu = std::make_unique<QMenu>();
    menu->setObjectName(QStringLiteral("MenuPredefinis"));
    QStringList names;
    names.reserve(list.size());
    for (const ClassPredefini &record : list)
        names.append(record.Nom);
    // Adding an action to a menu costs as much as the actions it already holds, and no one reads
    // a list of thousands in one column: past kPredefinisMenuItems the messages are grouped in
    // sub-menus of that many, each filled when first opened.
    if (names.size() <= kPredefinisMenuItems) {
        addItems(menu.get(), names, 0, names.size());
        return menu;
    }
    for (qsizetype first = 0; first < names.size(); first += kPredefinisMenuItems) {
        const qsizetype end = std::min(first + kPredefinisMenuItems, names.size());
        auto *sub = new QMenu(itemText(names.at(first)) + u" \u2026 "_s + itemText(names.at(end - 1)), menu.get());
        QObject::connect(sub, &QMenu::aboutToShow, sub, [sub, names, first, end] {
            if (sub->actions().isEmpty())
                addItems(sub, names, first, end);
        });
        menu->addMenu(sub);
    }
    return menu;
}

void Cree_MenuPredefinis(const PredefiniList &list)
{
    Detruit_MenuPredefinis();
    g_menu = buildPredefinisMenu(list).release();
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
