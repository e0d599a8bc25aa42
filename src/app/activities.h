#pragma once

#include "base/activitywindow.h"

namespace parlevo {

class AppState;
class MDIForm_Main;

// Creates the window of an activity, once per run; the main window keeps it afterwards. The
// activities whose window is still to be built get a placeholder here, and this is the one
// place where their real window takes over.
ActivityWindow *createActivityWindow(Activity activity, AppState &state, MDIForm_Main &main, QWidget *parent);

} // namespace parlevo
