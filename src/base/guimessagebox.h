#pragma once

namespace parlevo {

// Makes MsgBox show real modal message boxes.
void installWidgetMessageBoxes();

} // namespace parlevo
