#pragma once

namespace parlevo {

class AppState;

// Builds the popup menu of predefined messages.
void Cree_MenuPredefinis(AppState &state);
// Frees the popup menu at shutdown.
void Detruit_MenuPredefinis();

} // namespace parlevo
