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

namespace {

bool in1252(QStringView text)
{
    return unencodable1252(text).isEmpty();
}

// Letters that decompose to nothing Windows-1252 holds.
constexpr std::pair<char16_t, char16_t> kNearestLetters[] = {
    {u'ł', u'l'}, {u'Ł', u'L'}, {u'đ', u'd'}, {u'Đ', u'D'}, {u'ħ', u'h'}, {u'Ħ', u'H'}, {u'ı', u'i'},
    {u'ŧ', u't'}, {u'Ŧ', u'T'}, {u'ŀ', u'l'}, {u'Ŀ', u'L'}, {u'ĸ', u'k'}, {u'ŉ', u'n'}, {u'ș', u's'},
    {u'Ș', u'S'}, {u'ț', u't'}, {u'Ț', u'T'}, {u'ə', u'e'}, {u'Ə', u'E'}, {u'ʼ', u'\''}};

QString nearestOf(QChar c)
{
    const QString decomposed = QString(c).normalized(QString::NormalizationForm_D);
    // The base with as many of its marks as Windows-1252 can hold composed: ễ keeps its ^.
    for (qsizetype keep = decomposed.size(); keep >= 1; --keep) {
        const QString candidate = decomposed.first(keep).normalized(QString::NormalizationForm_C);
        if (in1252(candidate))
            return candidate;
    }
    for (const auto &[from, to] : kNearestLetters)
        if (c == QChar(from))
            return QString(QChar(to));
    return QString(c);
}

} // namespace

QString nearest1252(const QString &text)
{
    if (in1252(text))
        return text;
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isSurrogate()) {
            out += text[i];
            continue;
        }
        out += in1252(QStringView(text).sliced(i, 1)) ? QString(text[i]) : nearestOf(text[i]);
    }
    return out;
}

bool isNumberCharacter(QChar c)
{
    return (c >= u'0' && c <= u'9') || c == u' ' || c == u'.';
}

QString numberCharactersOnly(const QString &text, bool plusFirst)
{
    QString kept = text;
    kept.removeIf([](QChar c) { return !isNumberCharacter(c) && c != u'+'; });
    const bool plus = plusFirst && kept.trimmed().startsWith(u'+');
    kept.remove(u'+');
    return plus ? u'+' + kept.trimmed() : kept;
}

} // namespace parlevo
