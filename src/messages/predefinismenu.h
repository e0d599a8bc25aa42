#pragma once

#include "predefinis.h"

#include <QPoint>

#include <memory>

class QMenu;

namespace parlevo {

// The most items one column of the popup shows.
inline constexpr qsizetype kPredefinisMenuItems = 500;

// One item per predefined message, in list order: its name as text, its 1-based position as data.
// Past kPredefinisMenuItems messages the items are grouped, in order, in sub-menus of that many
// (titled by their first and last names), each filled when it is first opened.
std::unique_ptr<QMenu> buildPredefinisMenu(const PredefiniList &list);

// Builds the popup of the predefined messages, replacing the previous one. The
// program holds one such popup, shared by the sending windows.
void Cree_MenuPredefinis(const PredefiniList &list);
// Frees the popup; showing it afterwards picks nothing.
void Detruit_MenuPredefinis();

// The popup, or nullptr when none is built.
QMenu *MenuPredefinis();

// Shows the popup at a screen point and waits for the pick: the 1-based position of the chosen
// message, or 0 when the user dismissed the popup.
int ShowMenuPredefinis(const QPoint &screenPos);

} // namespace parlevo
