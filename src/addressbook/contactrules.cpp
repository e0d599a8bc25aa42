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

void sortContacts(std::vector<ClassContact *> &contacts, ContactColumn column, bool ascending)
{
    // Folding each text once and comparing the folded forms is several times faster on a
    // large book than a case-insensitive comparison inside the sort.
    std::vector<std::pair<QString, ClassContact *>> keyed;
    keyed.reserve(contacts.size());
    for (ClassContact *contact : contacts)
        keyed.emplace_back(columnValue(*contact, column).toCaseFolded(), contact);
    if (ascending)
        std::stable_sort(keyed.begin(), keyed.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    else
        std::stable_sort(keyed.begin(), keyed.end(), [](const auto &a, const auto &b) { return b.first < a.first; });
    for (std::size_t i = 0; i < keyed.size(); ++i)
        contacts[i] = keyed[i].second;
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
