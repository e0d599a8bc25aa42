#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace parlevo {

// Every text file the program reads or writes is in Windows-1252. Characters outside the code
// page become "?" when written; the five bytes the code page leaves undefined read as the C1
// control character of the same value, so any byte sequence survives a read and a write.
QString decode1252(QByteArrayView bytes);
QByteArray encode1252(QStringView text);

// Appends the Windows-1252 form of text to out (no reallocation per character).
void appendEncoded1252(QByteArray &out, QStringView text);

} // namespace parlevo
