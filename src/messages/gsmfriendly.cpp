#include "gsmfriendly.h"

#include "smsencoding.h"

#include <algorithm>
#include <array>

namespace parlevo {

namespace {

constexpr std::array<GsmLookAlike, 28> kLookAlikes{{
    {u'\u2018', u"'"},   // ‘ left single quotation mark
    {u'\u2019', u"'"},   // ’ right single quotation mark, the typographic apostrophe
    {u'\u201A', u"'"},   // ‚ single low quotation mark
    {u'\u201B', u"'"},   // ‛ single reversed quotation mark
    {u'\u2032', u"'"},   // ′ prime
    {u'\u00B4', u"'"},   // ´ acute accent on its own
    {u'\u0060', u"'"},   // ` grave accent on its own: not in the GSM alphabet
    {u'\u201C', u"\""},  // “ left double quotation mark
    {u'\u201D', u"\""},  // ” right double quotation mark
    {u'\u201E', u"\""},  // „ double low quotation mark
    {u'\u201F', u"\""},  // ‟ double reversed quotation mark
    {u'\u2033', u"\""},  // ″ double prime
    {u'\u00AB', u"\""},  // « left guillemet
    {u'\u00BB', u"\""},  // » right guillemet
    {u'\u2039', u"'"},   // ‹ single left guillemet
    {u'\u203A', u"'"},   // › single right guillemet
    {u'\u2010', u"-"},   // ‐ hyphen
    {u'\u2011', u"-"},   // ‑ non-breaking hyphen
    {u'\u2012', u"-"},   // ‒ figure dash
    {u'\u2013', u"-"},   // – en dash
    {u'\u2014', u"-"},   // — em dash
    {u'\u2212', u"-"},   // − minus sign
    {u'\u2026', u"..."}, // … horizontal ellipsis
    {u'\u00A0', u" "},   // non-breaking space
    {u'\u202F', u" "},   // narrow non-breaking space (French punctuation)
    {u'\u2009', u" "},   // thin space
    {u'\u2002', u" "},   // en space
    {u'\u2003', u" "},   // em space
}};

} // namespace

std::span<const GsmLookAlike> gsmLookAlikes()
{
    return kLookAlikes;
}

QString gsmFriendly(const QString &text)
{
    QString replaced;
    replaced.reserve(text.size());
    for (const QChar c : text) {
        const auto found = std::find_if(kLookAlikes.cbegin(), kLookAlikes.cend(),
                                        [c](const GsmLookAlike &l) { return l.character == c.unicode(); });
        if (found == kLookAlikes.cend())
            replaced += c;
        else
            replaced += QStringView(found->replacement);
    }
    return replaced;
}

GsmFriendlyOffer gsmFriendlyOffer(QStringView before, QStringView after)
{
    const SmsEncodingInfo was = analyseSmsText(before);
    const SmsEncodingInfo will = analyseSmsText(after);
    if (was.alphabet != SmsAlphabet::Unicode || will.alphabet != SmsAlphabet::Gsm7)
        return {};
    return {true, std::max(0, was.parts - will.parts)};
}

} // namespace parlevo
