#pragma once

#include "base/config.h"
#include "base/txt.h"
#include "classcontact.h"

#include <array>
#include <span>

namespace parlevo {

// The fields of a contact, in the order of the list columns.
enum class ContactColumn { Groupe, Societe, FullName, Titre, Prenom, Nom, GSM };

struct ContactFieldInfo {
    ContactColumn column;
    // The column key; lowercased, the field's name on the command line and in a search.
    const char16_t *key;
    Txt caption;
    // The configuration flag that shows the column.
    bool Config::*shown;
    // The stored text; nullptr for the full name, which is built.
    QString ClassContact::*member;
};

// The seven fields in column order.
inline constexpr std::array<ContactFieldInfo, 7> kContactFields{{
    {ContactColumn::Groupe, u"Groupe", Txt::FieldGroup, &Config::ColumnGroup, &ClassContact::Groupe},
    {ContactColumn::Societe, u"Societe", Txt::FieldCompany, &Config::ColumnCompany, &ClassContact::Societe},
    {ContactColumn::FullName, u"FullName", Txt::FieldFullName, &Config::ColumnFullName, nullptr},
    {ContactColumn::Titre, u"Titre", Txt::FieldTitle, &Config::ColumnTitle, &ClassContact::Titre},
    {ContactColumn::Prenom, u"Prenom", Txt::FieldFirstName, &Config::ColumnFirstName, &ClassContact::Prenom},
    {ContactColumn::Nom, u"Nom", Txt::FieldLastName, &Config::ColumnLastName, &ClassContact::Nom},
    {ContactColumn::GSM, u"GSM", Txt::FieldNumber, &Config::ColumnGSM, &ClassContact::Phone},
}};

constexpr const ContactFieldInfo &fieldInfo(ContactColumn column)
{
    return kContactFields[std::size_t(column)];
}

// The six stored fields in the contacts file's order: the columns but the full name.
inline constexpr std::array<const ContactFieldInfo *, 6> kStoredFields{&kContactFields[0], &kContactFields[1],
                                                                       &kContactFields[3], &kContactFields[4],
                                                                       &kContactFields[5], &kContactFields[6]};

// The five fields a search looks in, in the picker's order: the stored fields but the group.
inline constexpr std::span<const ContactFieldInfo *const> kSearchFields = std::span(kStoredFields).subspan<1>();

// The key lowercased: "societe", "gsm".
inline QString fieldName(const ContactFieldInfo &field)
{
    return QString::fromUtf16(field.key).toLower();
}

} // namespace parlevo
