#include "contactrules.h"

#include "base/codec1252.h"

#include "sortkeys.h"

#include <algorithm>

namespace parlevo {

QList<ContactColumn> presentColumns(const Config &config)
{
    QList<ContactColumn> present;
    for (const ContactFieldInfo &field : kContactFields) {
        if (config.*field.shown)
            present.append(field.column);
    }
    return present;
}

QString columnValue(const ClassContact &contact, ContactColumn column)
{
    const QString ClassContact::*member = fieldInfo(column).member;
    return member ? contact.*member : contact.FullName();
}

int compareIgnoringCase(QStringView a, QStringView b)
{
    // Plain ASCII letters are folded in line; other characters by Unicode case folding. No
    // string is built, which matters when a sort compares a large book's texts a million times.
    // A loaded book shares each group's and title's text between its contacts.
    if (a.data() == b.data() && a.size() == b.size())
        return 0;
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        char16_t x = a[i].unicode();
        char16_t y = b[i].unicode();
        if (x == y)
            continue;
        if (x < 128 && y < 128) {
            if (x >= u'A' && x <= u'Z')
                x += 32;
            if (y >= u'A' && y <= u'Z')
                y += 32;
        } else {
            x = QChar::toCaseFolded(x);
            y = QChar::toCaseFolded(y);
        }
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool listedByGroup(const ClassContact &contact, const QString &groupItem, const QString &allItem)
{
    return groupItem == allItem || contact.Groupe.contains(groupItem, Qt::CaseInsensitive);
}

const QString &searchField(const ClassContact &contact, int field)
{
    static const QString none;
    return field >= 0 && std::size_t(field) < kSearchFields.size() ? contact.*kSearchFields[std::size_t(field)]->member
                                                                   : none;
}

bool containsIgnoringCase(QStringView text, QStringView part)
{
    // Unit by unit with the folding of compareIgnoringCase: a picker's search runs this over a
    // whole book, where the general search costs many times more per field. A part holding a
    // surrogate goes to the general search, which folds whole pairs.
    if (part.isEmpty())
        return true;
    if (std::any_of(part.begin(), part.end(), [](QChar c) { return c.isSurrogate(); }))
        return text.contains(part, Qt::CaseInsensitive);
    const char16_t first = foldedUnit(part[0].unicode());
    const qsizetype last = text.size() - part.size();
    for (qsizetype i = 0; i <= last; ++i) {
        if (foldedUnit(text[i].unicode()) != first)
            continue;
        qsizetype k = 1;
        while (k < part.size() && foldedUnit(text[i + k].unicode()) == foldedUnit(part[k].unicode()))
            ++k;
        if (k == part.size())
            return true;
    }
    return false;
}

bool listedBySearch(const ClassContact &contact, int field, const QString &text)
{
    const QString &value = searchField(contact, field);
    return !value.isEmpty() && containsIgnoringCase(value, text);
}

std::optional<Txt> contactEditorError(const QString &nom, const QString &gsm)
{
    if (nom.isEmpty())
        return Txt::NoLastName;
    if (gsm.isEmpty())
        return Txt::NoNumber;
    return std::nullopt;
}

bool isForbiddenInField(QChar c)
{
    return c == u';' || c == u'\r' || c == u'\n';
}

QString withoutForbidden(const QString &text)
{
    QString kept = text;
    kept.removeIf(isForbiddenInField);
    return kept;
}

QString unsavableCharacters(const ClassContact &contact)
{
    QString all;
    for (const ContactFieldInfo *field : kStoredFields)
        all += contact.*field->member;
    return unencodable1252(all);
}

bool isNumberCharacter(QChar c)
{
    return (c >= u'0' && c <= u'9') || c == u' ' || c == u'.';
}

QString numberCharactersOnly(const QString &text)
{
    QString kept = text;
    kept.removeIf([](QChar c) { return !isNumberCharacter(c); });
    return kept;
}

} // namespace parlevo
