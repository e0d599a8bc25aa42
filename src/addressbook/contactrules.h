#pragma once

#include "base/txt.h"
#include "classcontact.h"
#include "contactfields.h"

#include <QChar>
#include <QList>
#include <QString>

#include <optional>
#include <vector>

namespace parlevo {

// The columns whose flag is on, in display order.
QList<ContactColumn> presentColumns(const Config &config);

// The text a contact shows in a column.
QString columnValue(const ClassContact &contact, ContactColumn column);

// Compares texts ignoring case (Unicode simple case folding), character by character.
int compareIgnoringCase(QStringView a, QStringView b);

// The picker's filters. By group: listed when Groupe contains the chosen item's text ignoring
// case, or when the item is the "all" entry. By search: listed when the chosen field is not
// empty and contains the text ignoring case (an empty text lists every non-empty field).
bool listedByGroup(const ClassContact &contact, const QString &groupItem, const QString &allItem);
// field: a position in kSearchFields.
bool listedBySearch(const ClassContact &contact, int field, const QString &text);
// Whether text holds part, ignoring case as compareIgnoringCase does.
bool containsIgnoringCase(QStringView text, QStringView part);
// The field a search looks in; empty for an unknown position.
const QString &searchField(const ClassContact &contact, int field);

// The editor's checks: nothing when the contact can be accepted, else the message to show (no
// last name, checked first; no number).
std::optional<Txt> contactEditorError(const QString &nom, const QString &gsm);

// ";", CR and LF would break a line of the contacts file: they are refused in every field.
bool isForbiddenInField(QChar c);
QString withoutForbidden(const QString &text);
// The characters of a contact's six stored fields that the contacts file (Windows-1252) cannot
// hold, each once; empty when it can hold them all.
QString unsavableCharacters(const ClassContact &contact);

// text with each character Windows-1252 lacks replaced by its nearest letter there: by Unicode
// decomposition where there is one (ễ -> ê, ș -> s), else from a small table (ł -> l, đ -> d).
// Characters with neither (an emoji, Cyrillic) are left as they are.
QString nearest1252(const QString &text);

// The number box takes digits, blanks and full stops, and a "+" first (an international number).
bool isNumberCharacter(QChar c);
// plusFirst: text is the start of the number, where a "+" is kept.
QString numberCharactersOnly(const QString &text, bool plusFirst = true);

} // namespace parlevo
