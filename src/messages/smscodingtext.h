#pragma once

#include <QString>

namespace parlevo {

struct GsmFriendlyOffer;
struct SmsEncodingInfo;
class TextTable;

// How the coding of an outgoing text is told to the user, in the windows and on the command line.

// "GSM 7 bits : 24 caractère(s), 1 SMS", or the same for Unicode.
QString smsCodingSummary(const TextTable &textes, const SmsEncodingInfo &info);

// The tooltip, one sentence a line: the characters forcing Unicode and the Unicode sizes, or the
// GSM sizes and the characters that count as two.
QString smsCodingDetails(const TextTable &textes, const SmsEncodingInfo &info);

// One line: the summary, then the characters that matter to the coding.
QString smsCodingLine(const TextTable &textes, const SmsEncodingInfo &info);

// "Convertir en GSM (-N SMS)", the SMS the replacement saves, when the offer applies, else empty.
QString gsmFriendlyOfferText(const TextTable &textes, const GsmFriendlyOffer &offer);

} // namespace parlevo
