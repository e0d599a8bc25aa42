#include "smscodingtext.h"

#include "base/textes.h"
#include "base/txt.h"
#include "gsmfriendly.h"
#include "smsencoding.h"

#include <QStringList>

using namespace Qt::StringLiterals;

namespace parlevo {

namespace {

// A blank, a tab or a control character would not be seen in a list: it is shown by its code.
QString shownCharacter(const QString &character)
{
    const char32_t c = character.size() == 2 ? QChar::surrogateToUcs4(character[0], character[1])
                                             : char32_t(character.isEmpty() ? 0 : character[0].unicode());
    if (QChar::isPrint(c) && !QChar::isSpace(c))
        return character;
    return u"U+%1"_s.arg(uint(c), 4, 16, QChar(u'0')).toUpper();
}

QString characterList(const QStringList &characters)
{
    QStringList shown;
    for (const QString &c : characters)
        shown.append(shownCharacter(c));
    return shown.join(u' ');
}

// The characters the coding depends on, as a sentence; empty when there are none.
QString charactersSentence(const TextTable &textes, const SmsEncodingInfo &info)
{
    if (info.alphabet == SmsAlphabet::Unicode)
        return textes(Txt::CharactersForcingUnicode).arg(characterList(info.unicodeCharacters));
    if (!info.extensionCharacters.isEmpty())
        return textes(Txt::CharactersCountingTwice).arg(characterList(info.extensionCharacters));
    return {};
}

} // namespace

QString smsCodingSummary(const TextTable &textes, const SmsEncodingInfo &info)
{
    const Txt text = info.alphabet == SmsAlphabet::Gsm7 ? Txt::GsmSummary : Txt::UnicodeSummary;
    return textes(text).arg(QString::number(info.length), QString::number(info.parts));
}

QString smsCodingDetails(const TextTable &textes, const SmsEncodingInfo &info)
{
    const QString characters = charactersSentence(textes, info);
    if (info.alphabet == SmsAlphabet::Unicode) {
        return characters + u'\n' +
               textes(Txt::UnicodeSizes)
                   .arg(QString::number(kUnicodeSingleSmsLength), QString::number(kUnicodeConcatenatedPartLength));
    }
    const QString sizes =
        textes(Txt::GsmSizes).arg(QString::number(kGsmSingleSmsLength), QString::number(kGsmConcatenatedPartLength));
    return characters.isEmpty() ? sizes : sizes + u'\n' + characters;
}

QString smsCodingLine(const TextTable &textes, const SmsEncodingInfo &info)
{
    const QString characters = charactersSentence(textes, info);
    const QString summary = smsCodingSummary(textes, info);
    return characters.isEmpty() ? summary : summary + u" - "_s + characters;
}

QString gsmFriendlyOfferText(const TextTable &textes, const GsmFriendlyOffer &offer)
{
    return offer.applies ? textes(Txt::ReplaceLookAlikes).arg(QString::number(offer.smsSaved)) : QString();
}

} // namespace parlevo
