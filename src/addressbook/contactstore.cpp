#include "contactstore.h"

namespace parlevo {

// The address book itself is not kept yet: nothing to load or save.
void Charge_Contacts(AppState &) {}

void Sauve_Contacts(AppState &, const QString &) {}

} // namespace parlevo
