#pragma once

#include <QString>

#include <cstdint>

namespace parlevo {

// True when a first-file search on the path finds an entry: a file, a directory or a
// wildcard ("*", "?") match in the last path element.
bool FileExists(const QString &path);

// Every backslash followed by "n" becomes one line feed.
QString UnescapeNewlines(const QString &text);

// Keeps, in order, only the characters "0" to "9".
QString DigitsOnly(QStringView text);

// a when a < b, otherwise b (equal values give b).
template <typename T> T MinOf(const T &a, const T &b)
{
    return a < b ? a : b;
}

// Colours are Windows colour values, 0xBBGGRR.
using WinColor = std::uint32_t;
inline constexpr WinColor kListBackColor = 0xFFFFFF;
inline constexpr WinColor kListStripeColor = 0xDDFFFF;

} // namespace parlevo
