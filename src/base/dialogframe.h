#pragma once

#include <Qt>

namespace parlevo {

// The frame of the program's dialogs: a title and a close button, never minimise or maximise
// (a minimised modal dialog would leave the program looking frozen).
inline constexpr Qt::WindowFlags kDialogFrame =
    Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;

} // namespace parlevo
