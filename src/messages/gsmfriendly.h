#pragma once

#include <QString>
#include <QStringView>

#include <span>

namespace parlevo {

// A typographic character that forces Unicode and what stands for it in the GSM 7-bit alphabet.
struct GsmLookAlike {
    char16_t character;
    const char16_t *replacement;
};

// The one table of look-alikes: curly quotes and apostrophes, guillemets, dashes, the ellipsis and
// the special spaces. Only punctuation and spaces: a letter (â, œ) is the writer's spelling and
// stays as typed.
std::span<const GsmLookAlike> gsmLookAlikes();

// The text with every look-alike of the table replaced.
QString gsmFriendly(const QString &text);

// What replacing the look-alikes would do to a text as it is sent.
struct GsmFriendlyOffer {
    // True when the text needs Unicode only because of look-alikes: replaced, it is GSM 7-bit.
    bool applies = false;
    // SMS the replacement saves (0 when the text is one SMS either way).
    int smsSaved = 0;
};

// before: the text sent as it stands; after: the same text built from the replaced message (the
// caller builds both, so that the prefix and the 160 cut are counted).
GsmFriendlyOffer gsmFriendlyOffer(QStringView before, QStringView after);

} // namespace parlevo
