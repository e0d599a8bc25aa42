#pragma once

#include "csvcolumns.h"

#include <QString>

#include <optional>

namespace parlevo {

class TextTable;

// A mailing's recipients from a spreadsheet, every column named by its first line: an Excel
// workbook (.xlsx, recognised by its zip signature or its name; its first sheet, see
// readXlsxTable) or a CSV file (see readHeaderedCsv). Nothing when the file cannot be read, with
// error set to the message to show.
std::optional<CsvTable> readSpreadsheetTable(const QString &path, const TextTable &textes, QString *error = nullptr);

} // namespace parlevo
