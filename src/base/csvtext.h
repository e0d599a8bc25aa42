#pragma once

#include <QList>
#include <QStringList>
#include <QStringView>

namespace parlevo {

// Text split into records and fields as RFC 4180 reads it: a field that starts with a quote may
// hold separators, doubled quotes and line breaks; CR LF, CR and LF each end a record.
struct CsvRecords {
    QList<QStringList> records;
    bool openQuote = false; // the text ended inside a quoted field
};
CsvRecords readCsvRecords(QStringView text, QChar separator);

// A field written for such a reader: quoted, its quotes doubled, when it holds the separator, a
// quote or a line break; made safe for a spreadsheet first.
QString csvField(const QString &value, QChar separator = u',');

// A field that a spreadsheet would run as a formula (it starts with "=", "+", "-", "@", a tab or
// a carriage return: a contact named "=1+1") gets a leading apostrophe, which spreadsheets show
// as text. Every other field, digits included, is left as it is.
QString spreadsheetSafe(const QString &value);
// The field as it was before spreadsheetSafe.
QString fromSpreadsheetSafe(const QString &value);

} // namespace parlevo
