#pragma once

#include <QString>

namespace parlevo {

class AppState;

inline constexpr const char16_t *kContactsFileName = u"Contacts.lst";

// Loads the address book and the group list at start-up.
void Charge_Contacts(AppState &state);
// Writes the address book to path at shutdown.
void Sauve_Contacts(AppState &state, const QString &path);

} // namespace parlevo
