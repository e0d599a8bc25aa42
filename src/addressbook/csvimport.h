#pragma once

#include "classcontact.h"
#include "csvcolumns.h"

#include <QString>

#include <memory>
#include <vector>

namespace parlevo {

class AddressBook;
class TextTable;

// A number, or a field whose characters Windows-1252 lacks, the import rewrote: told in its report.
struct FieldChange {
    QString fullName;
    QString before;
    QString after;
};

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
    QList<FieldChange> changedNumbers;
    // Fields whose characters the contacts file cannot hold were given their nearest letters.
    QList<FieldChange> replacedCharacters;
    // Numbers that are not valid ones even rewritten: imported as written.
    qsizetype unreadableNumbers = 0;
};

// Where the imported contacts' numbers come from.
enum class NumberSource {
    // The contacts file's own layout: kept as written unless readNumberInput rewrites it.
    Plain,
    // Another program's file: then only what the number box accepts is kept.
    Foreign,
};

// Appends the contacts of a ";"-separated file to colContacts, one per line in the contacts
// file's field order, each under a new key. The file is UTF-8 when its bytes are valid UTF-8,
// else Windows-1252. Nothing is checked, trimmed or unquoted: a header or an empty line becomes a
// contact too; only a line with characters Windows-1252 cannot hold is left out, as it would be
// saved as "?". The groups are not added to colGroupes, but for group: when given, it replaces
// every line's own and is added.
ContactImportResult importCsvFile(AddressBook &book, const QString &path, const QString &group = {});

// Appends the contacts of a vCard file (see readVCards), each under a new key, with the CSV
// import's limits. A group, when given, replaces every card's own.
ContactImportResult importVCardFile(AddressBook &book, const QString &path, const QString &group = {});

// Appends one contact a row of a CSV table, its columns taken as mapping says, with the limits of
// the plain CSV import. A group, when given, replaces every row's own.
ContactImportResult importCsvTable(AddressBook &book, const CsvTable &table, const CsvMapping &mapping,
                                   const QString &group = {});

// Appends imported contacts: characters the contacts file cannot hold are replaced by their
// nearest letters (nearest1252), and contacts still holding some are left out and counted; each number is read by
// readNumberInput, and its changes are told.
ContactImportResult addImportedContacts(AddressBook &book, std::vector<std::unique_ptr<ClassContact>> contacts,
                                        NumberSource source);

// The message that closes an import: "Importer depuis un fichier CSV:" (or vCard), an empty line,
// then "<count> contact(s) importé(s)". For a file that could not be read, its path comes first
// (with the reason when it was too large), and for a file that holds no contact, a line that says
// so. After the count: the lines left out, the characters replaced and the numbers rewritten (each
// "<full name> : <before> -> <after>"), and the count of numbers that could not be read.
QString importMessage(const TextTable &textes, const ContactImportResult &result, const QString &path);

} // namespace parlevo
