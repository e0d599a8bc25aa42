#pragma once

#include <QString>

namespace parlevo {

class AppState;
class TextTable;

struct CsvImportResult {
    // False when the file could not be read: nothing was added.
    bool opened = false;
    qsizetype count = 0;
};

// Appends the contacts of a ";"-separated file to colContacts, one per line in the contacts
// file's field order, each under a new key. Nothing is checked, trimmed or unquoted: a header
// or an empty line becomes a contact too. The groups are not added to colGroupes.
CsvImportResult importCsvFile(AppState &state, const QString &path);

// The message that closes an import: "Importer depuis un fichier CSV:", an empty line, then
// "<count> contact(s) importé(s)". For a file that could not be read, its path comes first.
QString csvImportMessage(const TextTable &textes, const CsvImportResult &result, const QString &path);

} // namespace parlevo
