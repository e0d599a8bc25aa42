#pragma once

#include "classcontact.h"

#include <QByteArrayView>
#include <QChar>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace parlevo {

// A CSV file written by another program (a spreadsheet, Google, Outlook, Thunderbird): quoted as
// RFC 4180, its columns named by a header line or taken in the contacts file's order.
struct CsvTable {
    QChar separator;
    // The header's names; empty when the first line is already a contact.
    QStringList header;
    // The lines after the header, split into fields; lines with only empty fields are left out.
    QList<QStringList> rows;

    qsizetype columnCount() const;
};

// The column each stored field comes from (kStoredFields order: group, company, title, first
// name, last name, number); -1 leaves the field empty.
using CsvMapping = std::array<int, 6>;

// The table of a file that needs its columns chosen: its first line is a header naming known
// columns (one is enough with "," or a tab, two with ";"; the others are offered for mapping), or
// its fields are separated by "," or a tab. Nothing for a file in the contacts file's own layout,
// which the plain import reads unchanged. UTF-16 with a mark, UTF-8 when valid, else Windows-1252.
std::optional<CsvTable> readCsvTable(QByteArrayView bytes);

// A list whose first line is always the header, as a spreadsheet saves it for a mailing: same
// encodings as readCsvTable; the separator is ";", "," or a tab, whichever splits the header into
// the most fields (";" on a tie). Every row is padded to the widest one.
CsvTable readHeaderedCsv(QByteArrayView bytes);

// Leaves out rows with only blank fields and pads the others and the header to one width.
void tidyRows(CsvTable &table);

// A file another program wrote: UTF-16 with its byte order mark (either order, as Windows tools
// save "Unicode" text) becomes UTF-8 with a mark; other bytes are returned as they are.
QByteArray utf8FromUtf16(QByteArrayView bytes);

// The fields RFC 4180 gives each line of text.
QList<QStringList> splitCsv(const QString &text, QChar separator);

// The columns the header's names suggest, English or French; without a header, the contacts
// file's order.
CsvMapping defaultMapping(const CsvTable &table);

// A name for a column: the header's, or its number counted from 1.
QString columnName(const CsvTable &table, int column);

// One contact a row, each keyed by nextKey(). Values lose ";" and line breaks and blanks at either
// end; the number is kept as written, for the import to read; Google's "Group Membership" gives its
// first label that is not one of Google's own ("* myContacts").
std::vector<std::unique_ptr<ClassContact>> contactsFromTable(const CsvTable &table, const CsvMapping &mapping,
                                                             const std::function<QString()> &nextKey);

} // namespace parlevo
