#include "predefinis.h"

namespace parlevo {

// The predefined messages are not kept yet: nothing to load or save.
void Charge_Predefinis(AppState &) {}

void Sauve_Predefinis(AppState &) {}

} // namespace parlevo
