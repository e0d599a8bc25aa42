#include "predefinismenu.h"

namespace parlevo {

// No predefined messages yet, so no menu to build or free.
void Cree_MenuPredefinis(AppState &) {}

void Detruit_MenuPredefinis() {}

} // namespace parlevo
