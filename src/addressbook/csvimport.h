#pragma once

#include "classcontact.h"
#include "csvcolumns.h"

#include <QString>

#include <memory>
#include <vector>

namespace parlevo {

class AppState;
class TextTable;

struct ContactImportResult {
    // A vCard file rather than a CSV one: the closing message names it.
    bool vCard = false;
    // False when the file could not be read: nothing was added.
    bool opened = false;
    // The file was not read because it is not a regular file or is too large.
    bool tooLarge = false;
    qsizetype count = 0;
    // Lines left out because the contacts file could not hold some of their characters, and
    // those characters, each once.
    qsizetype refused = 0;
    QString refusedCharacters;
};

// Appends the contacts of a ";"-separated file to colContacts, one per line in the contacts
// file's field order, each under a new key. The file is UTF-8 when its bytes are valid UTF-8,
// else Windows-1252. Nothing is checked, trimmed or unquoted: a header or an empty line becomes a
// contact too; only a line with characters Windows-1252 cannot hold is left out, as it would be
// saved as "?". The groups are not added to colGroupes.
ContactImportResult importCsvFile(AppState &state, const QString &path);

// Appends the contacts of a vCard file (see readVCards), each under a new key, with the CSV
// import's limits. A group, when given, replaces every card's own.
ContactImportResult importVCardFile(AppState &state, const QString &path, const QString &group = {});

// Appends one contact a row of a CSV table, its columns taken as mapping says, with the limits of
// the plain CSV import.
ContactImportResult importCsvTable(AppState &state, const CsvTable &table, const CsvMapping &mapping);

// Appends contacts read from another program's file: those with characters the contacts file
// cannot hold are left out and counted.
ContactImportResult addImportedContacts(AppState &state, std::vector<std::unique_ptr<ClassContact>> contacts);

// The message that closes an import: "Importer depuis un fichier CSV:" (or vCard), an empty line, then
// "<count> contact(s) importé(s)". For a file that could not be read, its path comes first (with
// the reason when it was too large); lines left out are told after the count.
QString importMessage(const TextTable &textes, const ContactImportResult &result, const QString &path);

} // namespace parlevo
