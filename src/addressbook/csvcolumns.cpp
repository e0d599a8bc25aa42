#include "csvcolumns.h"

#include "base/csvtext.h"

#include "base/codec1252.h"
#include "contactfields.h"
#include "contactrules.h"

#include <QRegularExpression>
#include <QStringDecoder>

#include <algorithm>
#include <limits>

using namespace Qt::StringLiterals;

namespace parlevo {

namespace {

struct KnownName {
    // A position in kStoredFields.
    int field;
    // Lower is preferred when several columns fit one field (a mobile number over any other).
    int rank;
    const char16_t *name;
};

// Lower case, without accents: the form headers are compared in.
constexpr KnownName kKnownNames[] = {
    {0, 0, u"group"},
    {0, 0, u"groupe"},
    {0, 0, u"group membership"},
    {0, 0, u"groups"},
    {0, 1, u"categories"},
    {0, 1, u"category"},
    {0, 1, u"labels"},
    {1, 0, u"company"},
    {1, 0, u"societe"},
    {1, 0, u"organization 1 - name"},
    {1, 0, u"organization"},
    {1, 0, u"organisation"},
    {1, 0, u"entreprise"},
    {1, 0, u"organisation 1 - nom"},
    {1, 0, u"company name"},
    {1, 0, u"organization name"},
    {1, 0, u"nom de l'entreprise"},
    {2, 0, u"titre"},
    {2, 0, u"title"},
    {2, 0, u"civilite"},
    {2, 0, u"name prefix"},
    {2, 0, u"prefixe"},
    {2, 0, u"prefix"},
    {3, 0, u"first name"},
    {3, 0, u"prenom"},
    {3, 0, u"given name"},
    {3, 0, u"firstname"},
    {4, 0, u"last name"},
    {4, 0, u"nom"},
    {4, 0, u"family name"},
    {4, 0, u"nom de famille"},
    {4, 0, u"surname"},
    {4, 0, u"lastname"},
    // A whole name in one column goes to the last name, where the list shows it first.
    {4, 1, u"name"},
    {4, 1, u"full name"},
    {4, 1, u"nom complet"},
    {4, 2, u"client"},
    {5, 0, u"mobile phone"},
    {5, 0, u"telephone mobile"},
    {5, 0, u"telephone portable"},
    {5, 0, u"tel. portable"},
    {5, 0, u"numero de portable"},
    {5, 0, u"cell"},
    {5, 0, u"mobile phone number"},
    {5, 0, u"mobile number"},
    {5, 0, u"mobile"},
    {5, 0, u"cell phone"},
    {5, 0, u"portable"},
    {5, 0, u"tel. mobile"},
    {5, 0, u"n° de gsm"},
    {5, 0, u"gsm"},
    {5, 1, u"phone 1 - value"},
    {5, 1, u"telephone 1 - valeur"},
    {5, 2, u"phone"},
    {5, 2, u"telephone"},
    {5, 2, u"primary phone"},
    {5, 2, u"business phone"},
    {5, 2, u"home phone"},
    {5, 2, u"telephone professionnel"},
    {5, 2, u"telephone (domicile)"},
    {5, 2, u"work phone"},
    {5, 2, u"numero"},
};

QString folded(const QString &name)
{
    QString out;
    for (const QChar c : name.trimmed().normalized(QString::NormalizationForm_D))
        if (c.category() != QChar::Mark_NonSpacing)
            out += c.toLower();
    return out;
}

const KnownName *knownName(const QString &header)
{
    const QString name = folded(header);
    const auto it = std::find_if(std::begin(kKnownNames), std::end(kKnownNames),
                                 [&name](const KnownName &known) { return name == QStringView(known.name); });
    return it == std::end(kKnownNames) ? nullptr : it;
}

QString decodeText(QByteArrayView bytes)
{
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF"))
        return decodeUtf8(utf8FromUtf16(bytes)).value_or(QString());
    if (const std::optional<QString> utf8 = decodeUtf8(bytes))
        return *utf8;
    return decode1252(bytes);
}

qsizetype firstLineLength(const QString &text)
{
    const auto lineEnd = std::find_if(text.cbegin(), text.cend(), [](QChar c) { return c == u'\r' || c == u'\n'; });
    return lineEnd - text.cbegin();
}

void removeBlankRows(CsvTable &table)
{
    table.rows.removeIf([](const QStringList &row) {
        return std::all_of(row.cbegin(), row.cend(), [](const QString &field) { return field.trimmed().isEmpty(); });
    });
}

// Google writes "Clients ::: * myContacts": its own groups are marked by "* ".
QString groupValue(const QString &value)
{
    for (const QString &label : value.split(u":::"_s)) {
        const QString trimmed = label.trimmed();
        if (!trimmed.startsWith(u"* "_s) && !trimmed.isEmpty())
            return trimmed;
    }
    return QString();
}

// Google names its numbers "Phone 1 - Value" with the kind in "Phone 1 - Type": the value column
// whose type column says "Mobile" on most rows is the mobile number.
int googleMobileColumn(const CsvTable &table)
{
    static const QRegularExpression typeName(u"^(phone|telephone) (\\d+) - (type|libelle)$"_s);
    int best = -1;
    qsizetype bestCount = 0;
    for (int column = 0; column < table.header.size(); ++column) {
        const QRegularExpressionMatch match = typeName.match(folded(table.header[column]));
        if (!match.hasMatch())
            continue;
        const qsizetype mobiles =
            std::count_if(table.rows.cbegin(), table.rows.cend(), [column](const QStringList &row) {
                return row.value(column).contains(u"mobile"_s, Qt::CaseInsensitive);
            });
        const QString prefix = match.captured(1) + u' ' + match.captured(2) + u" - "_s;
        for (int value = 0; value < table.header.size() && mobiles > bestCount; ++value) {
            const QString name = folded(table.header[value]);
            if (name == prefix + u"value"_s || name == prefix + u"valeur"_s) {
                best = value;
                bestCount = mobiles;
            }
        }
    }
    return best;
}

} // namespace

qsizetype CsvTable::columnCount() const
{
    qsizetype count = header.size();
    for (const QStringList &row : rows)
        count = std::max(count, row.size());
    return count;
}

QByteArray utf8FromUtf16(QByteArrayView bytes)
{
    const bool little = bytes.startsWith("\xFF\xFE");
    if (!little && !bytes.startsWith("\xFE\xFF"))
        return bytes.toByteArray();
    QStringDecoder decoder(little ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE);
    // A lone surrogate or an odd last byte comes out as U+FFFD, which the import then refuses.
    const QString text = decoder.decode(bytes.sliced(2));
    return "\xEF\xBB\xBF" + text.toUtf8();
}

QList<QStringList> splitCsv(const QString &text, QChar separator)
{
    return readCsvRecords(text, separator).records;
}

std::optional<CsvTable> readCsvTable(QByteArrayView bytes)
{
    const QString text = decodeText(bytes);
    const QString firstLine = text.first(firstLineLength(text));
    std::optional<QChar> separator;
    bool header = false;
    // The separator under which the first line names the most known columns. One is enough with ","
    // or a tab; with ";", the contacts file's own separator, two are needed, as a contact's group
    // or name ("Portable", "Client") may be a column name too.
    int best = 0;
    for (const QChar candidate : {u';', u',', u'\t'}) {
        const QStringList names = splitCsv(firstLine, candidate).value(0);
        const int known = int(std::count_if(names.cbegin(), names.cend(),
                                            [](const QString &name) { return knownName(name) != nullptr; }));
        if (known > best && (candidate != u';' || known >= 2)) {
            best = known;
            separator = candidate;
            header = true;
        }
    }
    if (!separator && !firstLine.contains(u';')) {
        if (firstLine.contains(u'\t'))
            separator = u'\t';
        else if (firstLine.contains(u','))
            separator = u',';
    }
    if (!separator)
        return std::nullopt;
    CsvTable table;
    table.separator = *separator;
    table.rows = splitCsv(text, *separator);
    if (header && !table.rows.isEmpty())
        table.header = table.rows.takeFirst();
    removeBlankRows(table);
    return table;
}

CsvTable readHeaderedCsv(QByteArrayView bytes)
{
    const QString text = decodeText(bytes);
    const QString firstLine = text.first(firstLineLength(text));
    CsvTable table;
    table.separator = u';';
    qsizetype most = 0;
    for (const QChar candidate : {u';', u',', u'\t'}) {
        const qsizetype fields = splitCsv(firstLine, candidate).value(0).size();
        if (fields > most) {
            most = fields;
            table.separator = candidate;
        }
    }
    table.rows = splitCsv(text, table.separator);
    if (!table.rows.isEmpty())
        table.header = table.rows.takeFirst();
    tidyRows(table);
    return table;
}

void tidyRows(CsvTable &table)
{
    removeBlankRows(table);
    const qsizetype width = table.columnCount();
    table.header.resize(width);
    for (QStringList &row : table.rows)
        row.resize(width);
}

CsvMapping defaultMapping(const CsvTable &table)
{
    CsvMapping mapping;
    if (table.header.isEmpty()) {
        for (int field = 0; field < int(mapping.size()); ++field)
            mapping[std::size_t(field)] = field < table.columnCount() ? field : -1;
        return mapping;
    }
    mapping.fill(-1);
    std::array<int, 6> ranks;
    ranks.fill(std::numeric_limits<int>::max());
    for (int column = 0; column < table.header.size(); ++column) {
        const KnownName *known = knownName(table.header[column]);
        if (known && known->rank < ranks[std::size_t(known->field)]) {
            ranks[std::size_t(known->field)] = known->rank;
            mapping[std::size_t(known->field)] = column;
        }
    }
    if (const int mobile = googleMobileColumn(table); mobile >= 0 && ranks[5] > 0)
        mapping[5] = mobile;
    return mapping;
}

QString columnName(const CsvTable &table, int column)
{
    return column < table.header.size() ? table.header[column].trimmed() : QString::number(column + 1);
}

std::vector<std::unique_ptr<ClassContact>> contactsFromTable(const CsvTable &table, const CsvMapping &mapping,
                                                             const std::function<QString()> &nextKey)
{
    std::vector<std::unique_ptr<ClassContact>> contacts;
    contacts.reserve(std::size_t(table.rows.size()));
    for (const QStringList &row : table.rows) {
        auto contact = std::make_unique<ClassContact>();
        for (std::size_t field = 0; field < mapping.size(); ++field) {
            if (mapping[field] < 0)
                continue;
            // The number as written: the import reads it ("; " may part two numbers) before the
            // number box's filter.
            QString value =
                (field == 5 ? row.value(mapping[field]) : withoutForbidden(row.value(mapping[field]))).trimmed();
            if (field == 0)
                value = groupValue(value);
            (*contact).*kStoredFields[field]->member = value;
        }
        contact->GUID = nextKey();
        contacts.push_back(std::move(contact));
    }
    return contacts;
}

} // namespace parlevo
