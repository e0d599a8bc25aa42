#pragma once

#include <QString>

namespace parlevo {

// The desktop's "navigating" sound, played by hyperlink labels. Only Windows has one; elsewhere
// there is no file and nothing plays.
QString findNavigationSound();
// Starts the sound and returns at once; an empty path plays nothing.
void playSoundAsync(const QString &path);

} // namespace parlevo
