#include "mailingsheet.h"

#include "addressbook/contactfields.h"
#include "base/csvtext.h"
#include "base/textes.h"
#include "messages/mergefields.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace parlevo {

MailingSheet mailingSheet(const CsvTable &table, const CsvMapping &mapping, const std::function<QString()> &nextKey)
{
    MailingSheet sheet;
    QStringList taken;
    for (const ContactFieldInfo *field : kStoredFields)
        taken.append(fieldName(*field));
    std::vector<int> extra;
    for (int column = 0, count = int(table.columnCount()); column < count; ++column) {
        if (std::find(mapping.cbegin(), mapping.cend(), column) != mapping.cend())
            continue;
        QString name = mergeFieldName(table.header.value(column));
        if (name.isEmpty())
            name = u"colonne"_s + QString::number(column + 1);
        const QString base = name;
        for (int n = 2; taken.contains(name); ++n)
            name = base + u'_' + QString::number(n);
        taken.append(name);
        sheet.columns.append(name);
        // A column without a header is shown, and saved, under its field's name.
        const QString header = table.header.value(column);
        sheet.headers.append(header.trimmed().isEmpty() ? name : header);
        extra.push_back(column);
    }
    sheet.rows = contactsFromTable(table, mapping, nextKey);
    for (std::size_t i = 0; i < sheet.rows.size(); ++i) {
        const QStringList &row = table.rows[qsizetype(i)];
        ClassContact &contact = *sheet.rows[i];
        // A list this program saved made formula-like values safe ("'=1+1", "'+33 6…"): undone.
        for (const ContactFieldInfo *field : kStoredFields)
            contact.*field->member = fromSpreadsheetSafe(contact.*field->member);
        contact.Extra.reserve(qsizetype(extra.size()));
        for (int column : extra)
            contact.Extra.append(fromSpreadsheetSafe(row.value(column).trimmed()));
    }
    return sheet;
}

namespace {

// What a French spreadsheet splits on when the file is opened by a double click.
constexpr char16_t kSeparator = u';';

} // namespace

QByteArray mailingSheetCsv(const TextTable &textes, const QList<const ClassContact *> &rows, const QStringList &headers)
{
    QStringList line;
    const auto flush = [&line](QString &text) {
        text += line.join(QChar(kSeparator)) + u"\r\n"_s;
        line.clear();
    };
    QString text;
    for (const ContactFieldInfo *field : kStoredFields)
        line.append(csvField(textes(field->caption), kSeparator));
    for (const QString &header : headers)
        line.append(csvField(header, kSeparator));
    flush(text);
    for (const ClassContact *row : rows) {
        for (const ContactFieldInfo *field : kStoredFields)
            line.append(csvField(row->*field->member, kSeparator));
        for (qsizetype i = 0; i < headers.size(); ++i)
            line.append(csvField(row->Extra.value(i), kSeparator));
        flush(text);
    }
    return "\xEF\xBB\xBF" + text.toUtf8();
}

QString mailingColumnsText(const QStringList &columns, const QStringList &headers)
{
    QStringList fields;
    for (qsizetype i = 0; i < columns.size(); ++i) {
        const QString header = headers.value(i).trimmed();
        fields.append(u'{' + columns[i] + u'}' + (header == columns[i] ? QString() : u" ("_s + header + u')'));
    }
    return fields.join(u' ');
}

} // namespace parlevo
