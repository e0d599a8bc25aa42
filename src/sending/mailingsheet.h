#pragma once

#include "addressbook/classcontact.h"
#include "addressbook/csvcolumns.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

namespace parlevo {

class TextTable;

// A mailing list read from a spreadsheet: a row a line, the contact fields filled from the mapped
// columns as an import fills them, and every other column a merge field named by its header.
struct MailingSheet {
    // The merge fields' names (mergeFieldName of the header, made unique), in column order; each
    // row's Extra holds its values in this order.
    QStringList columns;
    // The header each merge field comes from, as written.
    QStringList headers;
    std::vector<std::unique_ptr<ClassContact>> rows;
};

// Rows keyed by nextKey(). A header that gives no name is "colonneN" (its column counted from 1),
// one that gives a contact field's name or a name already taken gets "_2", "_3"…
MailingSheet mailingSheet(const CsvTable &table, const CsvMapping &mapping, const std::function<QString()> &nextKey);

// The rows as a spreadsheet opens them and this list reads them back: UTF-8 with a byte order mark,
// ";" between fields, CR LF; a header line of the contact fields' captions, then the columns'
// headers; each row's fields, then its Extra values.
QByteArray mailingSheetCsv(const TextTable &textes, const QList<const ClassContact *> &rows,
                           const QStringList &headers);

// "{name}" for each field, with its header when the name differs from it ("{date_rdv} (Date RDV)").
QString mailingColumnsText(const QStringList &columns, const QStringList &headers);

} // namespace parlevo
