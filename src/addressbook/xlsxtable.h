#pragma once

#include "csvcolumns.h"

#include <QtGlobal>

#include <optional>

class QIODevice;

namespace parlevo {

class TextTable;

// Workbooks whose parts unpack to more are refused: a few bytes of zip can inflate to gigabytes.
inline constexpr qint64 kMaxXlsxPartBytes = qint64(512) << 20;
// The cells a sheet, its rows padded to one width, or its shared strings may count (an empty cell
// takes 24 bytes: a cell at column XFD costs 400 KB for 20 bytes of XML).
inline constexpr qint64 kMaxXlsxCells = qint64(8) << 20;

// The first worksheet of an Excel workbook (.xlsx) as a table: the header is its first row that
// holds a value, the rows follow, each padded to the widest; rows without a value are left out.
// Cells show what the spreadsheet shows: numbers as stored ("12.5", a phone "612345678"), those
// styled as dates or times as "dd/MM/yyyy", "HH:mm" or "HH:mm:ss", booleans as the table's words
// for true and false, formulas by their last result. separator is left null. Nothing when the
// bytes are not a workbook, are damaged, or exceed the limits above.
std::optional<CsvTable> readXlsxTable(QIODevice &device, const TextTable &textes);

} // namespace parlevo
