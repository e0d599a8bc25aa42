#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>

namespace parlevo {

// Every text file the program reads or writes is in Windows-1252. Characters outside the code
// page become "?" when written; the five bytes the code page leaves undefined read as the C1
// control character of the same value, so any byte sequence survives a read and a write.
QString decode1252(QByteArrayView bytes);
QByteArray encode1252(QStringView text);

// The distinct characters of text that Windows-1252 cannot hold, in order of first appearance
// (a character outside the code page would be saved as "?"); empty when it holds them all.
QString unencodable1252(QStringView text);

// Files that other programs write (a spreadsheet's CSV, a mailing file) may be UTF-8: the text
// when bytes are valid UTF-8 (a byte order mark first is dropped), else nothing.
std::optional<QString> decodeUtf8(QByteArrayView bytes);

// Appends the Windows-1252 form of text to out (no reallocation per character).
void appendEncoded1252(QByteArray &out, QStringView text);

} // namespace parlevo
