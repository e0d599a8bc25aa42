#pragma once

#include "base/txt.h"

#include <QString>

#include <array>

namespace parlevo {

// The message table: every caption and message of the program, entries 1 to 1000, named in
// txt.h. Filled with the built-in French texts, then overridden from a language file, then
// unescaped.
class TextTable final {
public:
    static constexpr int kCount = kTextTableSize;

    // The built-in texts, already unescaped (as after a load without a language file).
    TextTable();

    // A number outside 1..kCount gives the empty text rather than a crash.
    const QString &operator()(Txt text) const;

    // Defaults, then the language file's [Strings] keys Textes(1)..Textes(kCount) when the file
    // exists, then "\n" turned into line feeds. An unreadable file leaves the defaults.
    void LoadTextes(const QString &languageFile);

private:
    void assignDefaults();
    std::array<QString, kCount + 1> m_entries;
};

// The English name of the user's language ("French", "English", ...).
QString systemLanguageName();

// The language whose file is looked for: the one asked for on the command line, else the
// PARLEVO_LANGUAGE environment variable, else the user's own.
QString chosenLanguageName(const QString &languageOption);

} // namespace parlevo
