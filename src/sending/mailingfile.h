#pragma once

#include "addressbook/classcontact.h"
#include "addressbook/csvimport.h"
#include "base/storefile.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace parlevo {

class PhoneCheck;
class TextTable;

// A mailing file (*.kxg) holds only the recipients: one line per row, the six fields
// Groupe;Societe;Titre;Prenom;Nom;Phone in Windows-1252, each line ended by CR LF. Nothing is
// quoted or escaped, so a field holding ";" comes back split over the next fields.

// The rows of the file in order, each a fresh contact keyed by nextKey(); an empty line gives a
// row of empty fields. A file another program wrote in UTF-8 is read as UTF-8. Nothing when the
// file is missing or cannot be read; failure then tells whether it was refused as too large.
std::optional<std::vector<std::unique_ptr<ClassContact>>>
Charge_Mailing(const QString &path, const std::function<QString()> &nextKey, ReadFailure *failure = nullptr);

// Reads every row's number as a number entering the address book is read (readNumberInput): a
// list written by a spreadsheet or another program sends to the number meant. Gives the numbers
// it rewrote, with the row's full name.
QList<FieldChange> readMailingNumbers(PhoneCheck &check, const std::vector<std::unique_ptr<ClassContact>> &rows);

// The lines that tell the rewritten numbers, as the import's report does; empty for none.
QString mailingNumbersText(const TextTable &textes, const QList<FieldChange> &changes);

// The bytes of a mailing file for these rows, in order; no row gives no byte. Windows-1252, or
// UTF-8 with a byte order mark when Windows-1252 would lose characters or read back otherwise.
QByteArray mailingBytes(const QList<const ClassContact *> &rows);

// Writes the rows to path, replacing a previous file only once the new one is complete. False
// when the file could not be written; a previous file is then left whole.
bool Sauve_Mailing(const QString &path, const QList<const ClassContact *> &rows);

// The copy a mailing keeps of a contact: the six stored members and a fresh key; AccountNo empty.
std::unique_ptr<ClassContact> mailingCopy(const ClassContact &contact, const QString &key);

} // namespace parlevo
