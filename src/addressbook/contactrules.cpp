#include "contactrules.h"

#include "app/config.h"

#include <algorithm>
#include <utility>

namespace parlevo {

const std::vector<ContactColumnInfo> &allContactColumns()
{
    static const std::vector<ContactColumnInfo> columns{
        {ContactColumn::Groupe, u"Groupe", 184, &Config::ColumnGroup},
        {ContactColumn::Societe, u"Societe", 169, &Config::ColumnCompany},
        {ContactColumn::FullName, u"FullName", 181, &Config::ColumnFullName},
        {ContactColumn::Titre, u"Titre", 165, &Config::ColumnTitle},
        {ContactColumn::Prenom, u"Prenom", 166, &Config::ColumnFirstName},
        {ContactColumn::Nom, u"Nom", 167, &Config::ColumnLastName},
        {ContactColumn::GSM, u"GSM", 168, &Config::ColumnGSM},
    };
    return columns;
}

QList<ContactColumn> presentColumns(const Config &config)
{
    QList<ContactColumn> present;
    for (const ContactColumnInfo &info : allContactColumns()) {
        if (config.*info.flag)
            present.append(info.column);
    }
    return present;
}

QString columnValue(const ClassContact &contact, ContactColumn column)
{
    switch (column) {
    case ContactColumn::Groupe:
        return contact.Groupe;
    case ContactColumn::Societe:
        return contact.Societe;
    case ContactColumn::FullName:
        return contact.FullName();
    case ContactColumn::Titre:
        return contact.Titre;
    case ContactColumn::Prenom:
        return contact.Prenom;
    case ContactColumn::Nom:
        return contact.Nom;
    case ContactColumn::GSM:
        return contact.Phone;
    }
    return {};
}

int compareIgnoringCase(QStringView a, QStringView b)
{
    // Plain ASCII letters are folded in line; other characters by Unicode case folding. No
    // string is built, which matters when a sort compares a large book's texts a million times.
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

void sortContacts(std::vector<ClassContact *> &contacts, ContactColumn column, bool ascending)
{
    // Each text taken once: the full name is built, the other columns are shared copies.
    std::vector<std::pair<QString, ClassContact *>> keyed;
    keyed.reserve(contacts.size());
    for (ClassContact *contact : contacts)
        keyed.emplace_back(columnValue(*contact, column), contact);
    if (ascending)
        std::stable_sort(keyed.begin(), keyed.end(),
                         [](const auto &a, const auto &b) { return compareIgnoringCase(a.first, b.first) < 0; });
    else
        std::stable_sort(keyed.begin(), keyed.end(),
                         [](const auto &a, const auto &b) { return compareIgnoringCase(b.first, a.first) < 0; });
    for (std::size_t i = 0; i < keyed.size(); ++i)
        contacts[i] = keyed[i].second;
}

qsizetype columnLength(const ClassContact &contact, ContactColumn column)
{
    if (column != ContactColumn::FullName)
        return columnValue(contact, column).size();
    qsizetype length = 0;
    for (const QString *part : {&contact.Titre, &contact.Nom, &contact.Prenom})
        length += part->isEmpty() ? 0 : part->size() + 1;
    return length;
}

bool listedByGroup(const ClassContact &contact, const QString &groupItem, const QString &allItem)
{
    return groupItem == allItem || contact.Groupe.contains(groupItem, Qt::CaseInsensitive);
}

QString searchField(const ClassContact &contact, int field)
{
    switch (field) {
    case 0:
        return contact.Societe;
    case 1:
        return contact.Titre;
    case 2:
        return contact.Prenom;
    case 3:
        return contact.Nom;
    case 4:
        return contact.Phone;
    default:
        return {};
    }
}

bool listedBySearch(const ClassContact &contact, int field, const QString &text)
{
    const QString value = searchField(contact, field);
    return !value.isEmpty() && value.contains(text, Qt::CaseInsensitive);
}

int contactEditorError(const QString &nom, const QString &gsm)
{
    if (nom.isEmpty())
        return 135;
    if (gsm.isEmpty())
        return 136;
    return 0;
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
