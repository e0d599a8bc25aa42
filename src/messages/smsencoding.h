#pragma once

#include <QStringList>
#include <QStringView>

namespace parlevo {

enum class SmsAlphabet { Gsm7, Unicode };

// How a text travels as SMS: the alphabet it needs, its length counted in that alphabet and
// the number of SMS it takes.
struct SmsEncodingInfo {
    SmsAlphabet alphabet = SmsAlphabet::Gsm7;
    // Septets in the GSM alphabet (an extension character takes two), UTF-16 code units in Unicode.
    int length = 0;
    // An empty text still takes one SMS.
    int parts = 1;
    // The distinct characters outside the GSM alphabet, in the order they first appear; a
    // character beyond the BMP is one entry of two code units.
    QStringList unicodeCharacters;
    // The distinct characters of the GSM extension table (two septets each), in the order they
    // first appear.
    QStringList extensionCharacters;
};

inline constexpr int kGsmSingleSmsLength = 160;
inline constexpr int kGsmConcatenatedPartLength = 153;
inline constexpr int kUnicodeSingleSmsLength = 70;
inline constexpr int kUnicodeConcatenatedPartLength = 67;

// Septets a character takes in the GSM 7-bit default alphabet: 1 for the basic table, 2 for
// the extension table (escape then code), 0 when the alphabet cannot carry it.
int gsmSeptets(char32_t character);

SmsEncodingInfo analyseSmsText(QStringView text);

} // namespace parlevo
