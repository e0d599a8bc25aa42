#include "smsencoding.h"

#include <string_view>

namespace parlevo {

namespace {

// The GSM 7-bit default alphabet, by code 0x00 to 0x7F. Code 0x1B is the escape to the
// extension table, not a character of its own.
constexpr std::u16string_view kBasicTable = u"@£$¥èéùìòÇ\nØø\rÅå"
                                            u"Δ_ΦΓΛΩΠΨΣΘΞ\x1bÆæßÉ"
                                            u" !\"#¤%&'()*+,-./"
                                            u"0123456789:;<=>?"
                                            u"¡ABCDEFGHIJKLMNO"
                                            u"PQRSTUVWXYZÄÖÑÜ§"
                                            u"¿abcdefghijklmno"
                                            u"pqrstuvwxyzäöñüà";
static_assert(kBasicTable.size() == 128);
constexpr char16_t kEscape = 0x1B;

// Characters reached through the escape: form feed ^ { } \ [ ~ ] | €.
constexpr std::u16string_view kExtensionTable = u"\f^{}\\[~]|€";

// Calls f(codePoint, codeUnits) for each character of the text; a lone surrogate counts as a
// character of its own.
template <typename F> void forEachCharacter(QStringView text, F f)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            f(QChar::surrogateToUcs4(c, text[i + 1]), text.sliced(i, 2));
            ++i;
        } else {
            f(char32_t(c.unicode()), text.sliced(i, 1));
        }
    }
}

// A character never straddles two parts of a concatenated SMS (neither an escape and its
// code nor a surrogate pair), so a part can hold one unit less than its size.
int countParts(QStringView text, SmsAlphabet alphabet, int length)
{
    const bool gsm = alphabet == SmsAlphabet::Gsm7;
    if (length <= (gsm ? kGsmSingleSmsLength : kUnicodeSingleSmsLength))
        return 1;
    const int partLength = gsm ? kGsmConcatenatedPartLength : kUnicodeConcatenatedPartLength;
    int parts = 1;
    int used = 0;
    forEachCharacter(text, [&](char32_t c, QStringView codeUnits) {
        const int units = gsm ? gsmSeptets(c) : int(codeUnits.size());
        if (used + units > partLength) {
            ++parts;
            used = 0;
        }
        used += units;
    });
    return parts;
}

} // namespace

int gsmSeptets(char32_t character)
{
    if (character > 0xFFFF || character == kEscape)
        return 0;
    const auto c = static_cast<char16_t>(character);
    if (kBasicTable.find(c) != std::u16string_view::npos)
        return 1;
    if (kExtensionTable.find(c) != std::u16string_view::npos)
        return 2;
    return 0;
}

SmsEncodingInfo analyseSmsText(QStringView text)
{
    SmsEncodingInfo info;
    int septets = 0;
    forEachCharacter(text, [&](char32_t c, QStringView codeUnits) {
        const int n = gsmSeptets(c);
        septets += n;
        QStringList &list = n == 0 ? info.unicodeCharacters : info.extensionCharacters;
        if (n != 1 && !list.contains(codeUnits))
            list.append(codeUnits.toString());
    });
    info.alphabet = info.unicodeCharacters.isEmpty() ? SmsAlphabet::Gsm7 : SmsAlphabet::Unicode;
    info.length = info.alphabet == SmsAlphabet::Gsm7 ? septets : int(text.size());
    info.parts = countParts(text, info.alphabet, info.length);
    return info;
}

} // namespace parlevo
