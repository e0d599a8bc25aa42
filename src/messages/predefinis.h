#pragma once

namespace parlevo {

class AppState;

// Loads the predefined messages at start-up.
void Charge_Predefinis(AppState &state);
// Writes the predefined messages at shutdown.
void Sauve_Predefinis(AppState &state);

} // namespace parlevo
