#include "xlsxtable.h"

#include "sheetscanner.h"

#include "base/textes.h"

#include <QDate>
#include <QDir>
#include <QHash>
#include <QXmlStreamReader>

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipfileinfo.h>

#include <algorithm>
#include <cmath>
#include <string_view>
#include <vector>

using namespace Qt::StringLiterals;

namespace parlevo {

namespace {

// How a cell's number is shown, from its style's number format.
struct NumberFormat {
    bool date = false;
    bool time = false;
    bool seconds = false;
    // "[h]:mm": hours counted past 24.
    bool elapsed = false;
};

enum class PartRead { Found, Missing, Damaged };

// A part of the zip, checked against its CRC; one that unpacks past kMaxXlsxPartBytes is damaged.
PartRead readPart(QuaZip &zip, const QString &name, QByteArray &bytes)
{
    bytes.clear();
    if (!zip.setCurrentFile(name, QuaZip::csInsensitive))
        return PartRead::Missing;
    QuaZipFile file(&zip);
    if (!file.open(QIODevice::ReadOnly))
        return PartRead::Damaged;
    QuaZipFileInfo64 info;
    if (zip.getCurrentFileInfo(&info))
        bytes.reserve(qsizetype(std::min<quint64>(info.uncompressedSize, quint64(64) << 20)));
    constexpr qint64 kChunk = qint64(1) << 20;
    for (;;) {
        const qsizetype used = bytes.size();
        if (used >= kMaxXlsxPartBytes + 1)
            return PartRead::Damaged;
        bytes.resize(used + kChunk);
        const qint64 count = file.read(bytes.data() + used, kChunk);
        bytes.resize(used + std::max<qint64>(count, 0));
        if (count < 0)
            return PartRead::Damaged;
        if (count == 0)
            break;
    }
    file.close();
    return bytes.size() <= kMaxXlsxPartBytes && file.getZipError() == UNZ_OK ? PartRead::Found : PartRead::Damaged;
}

// The text of a shared or inline string: its <t>, or its rich-text runs' <t> joined; the phonetic
// guide (<rPh>) is not part of the text.
QString readStringItem(QXmlStreamReader &xml)
{
    QString text;
    for (int depth = 1; depth > 0 && !xml.atEnd();) {
        switch (xml.readNext()) {
        case QXmlStreamReader::StartElement:
            if (xml.name() == u"t")
                text += xml.readElementText();
            else if (xml.name() == u"rPh")
                xml.skipCurrentElement();
            else
                ++depth;
            break;
        case QXmlStreamReader::EndElement:
            --depth;
            break;
        default:
            break;
        }
    }
    return text;
}

std::optional<std::vector<QString>> readSharedStrings(const QByteArray &bytes)
{
    std::vector<QString> strings;
    QXmlStreamReader xml(bytes);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"si") {
            if (qint64(strings.size()) >= kMaxXlsxCells)
                return std::nullopt;
            strings.push_back(readStringItem(xml));
        }
    }
    if (xml.hasError())
        return std::nullopt;
    return strings;
}

struct WorkbookInfo {
    QString sheetRelation;
    bool date1904 = false;
};

std::optional<WorkbookInfo> readWorkbook(const QByteArray &bytes)
{
    WorkbookInfo info;
    QXmlStreamReader xml(bytes);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == u"workbookPr") {
            const QString value = xml.attributes().value(u"date1904"_s).toString();
            info.date1904 = value == u"1" || value == u"true";
        } else if (xml.name() == u"sheet") {
            // r:id, in the relationships namespace (its URI differs between transitional and strict files).
            for (const QXmlStreamAttribute &attribute : xml.attributes())
                if (attribute.name() == u"id" && !attribute.namespaceUri().isEmpty())
                    info.sheetRelation = attribute.value().toString();
            return info;
        }
    }
    if (xml.hasError())
        return std::nullopt;
    return info;
}

// The part the workbook's relationship names, or nothing.
QString relationTarget(const QByteArray &bytes, const QString &id)
{
    QXmlStreamReader xml(bytes);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"Relationship" &&
            xml.attributes().value(u"Id"_s) == id) {
            const QString target = xml.attributes().value(u"Target"_s).toString();
            return target.startsWith(u'/') ? target.mid(1) : QDir::cleanPath(u"xl/"_s + target);
        }
    }
    return QString();
}

// Excel's built-in formats that show a date or a time.
NumberFormat builtInFormat(int id)
{
    if (id >= 14 && id <= 17)
        return {.date = true};
    if (id == 18 || id == 20)
        return {.time = true};
    if (id == 19 || id == 21 || id == 45 || id == 47)
        return {.time = true, .seconds = true};
    if (id == 22)
        return {.date = true, .time = true};
    if (id == 46)
        return {.time = true, .seconds = true, .elapsed = true};
    return {};
}

bool isLetter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

// A custom format shows a date or a time when its first section has date or time letters outside
// quotes, escapes and brackets; "m" is minutes after hours or before seconds, else the month.
NumberFormat customFormat(QStringView code)
{
    NumberFormat format;
    QChar previous;
    for (qsizetype i = 0; i < code.size(); ++i) {
        const QChar c = code[i].toLower();
        if (c == u';')
            break;
        if (c == u'"') {
            i = code.indexOf(u'"', i + 1);
            if (i < 0)
                break;
        } else if (c == u'\\' || c == u'_' || c == u'*') {
            ++i;
        } else if (c == u'[') {
            const qsizetype end = code.indexOf(u']', i);
            if (end < 0)
                break;
            const QStringView inside = code.sliced(i + 1, end - i - 1);
            const QChar first = inside.isEmpty() ? QChar() : inside.front().toLower();
            if ((first == u'h' || first == u'm' || first == u's') &&
                std::all_of(inside.begin(), inside.end(), [first](QChar x) { return x.toLower() == first; })) {
                format.time = format.elapsed = true;
                format.seconds = format.seconds || first == u's';
                previous = first;
            }
            i = end;
        } else if (code.sliced(i).startsWith(u"am/pm", Qt::CaseInsensitive)) {
            i += 4;
        } else if (code.sliced(i).startsWith(u"a/p", Qt::CaseInsensitive)) {
            i += 2;
        } else if (c == u'e' && i + 1 < code.size() && (code[i + 1] == u'+' || code[i + 1] == u'-')) {
            return {}; // scientific notation
        } else if (c == u'd' || c == u'y') {
            format.date = true;
            previous = c;
        } else if (c == u'h' || c == u's') {
            format.time = true;
            format.seconds = format.seconds || c == u's';
            previous = c;
        } else if (c == u'm') {
            qsizetype run = i;
            while (run < code.size() && code[run].toLower() == u'm')
                ++run;
            qsizetype next = run;
            while (next < code.size() && !isLetter(code[next]))
                ++next;
            const bool minutes =
                run - i <= 2 && (previous == u'h' || (next < code.size() && code[next].toLower() == u's'));
            (minutes ? format.time : format.date) = true;
            previous = minutes ? u'h' : u'd';
            i = run - 1;
        }
    }
    return format;
}

// The number format of each cell style (cellXfs), by the style's index.
std::optional<std::vector<NumberFormat>> readStyles(const QByteArray &bytes)
{
    QHash<int, NumberFormat> custom;
    std::vector<int> styleFormats;
    bool inCellStyles = false;
    QXmlStreamReader xml(bytes);
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::EndElement && xml.name() == u"cellXfs")
            inCellStyles = false;
        if (token != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == u"numFmt")
            custom.insert(xml.attributes().value(u"numFmtId"_s).toInt(),
                          customFormat(xml.attributes().value(u"formatCode"_s)));
        else if (xml.name() == u"cellXfs")
            inCellStyles = true;
        else if (inCellStyles && xml.name() == u"xf")
            styleFormats.push_back(xml.attributes().value(u"numFmtId"_s).toInt());
    }
    if (xml.hasError())
        return std::nullopt;
    std::vector<NumberFormat> formats;
    formats.reserve(styleFormats.size());
    for (const int id : styleFormats)
        formats.push_back(custom.contains(id) ? custom.value(id) : builtInFormat(id));
    return formats;
}

QString twoDigits(qint64 value)
{
    return QString::number(value).rightJustified(2, u'0');
}

// A serial day count shown as the format asks: "dd/MM/yyyy", "HH:mm[:ss]" or both. In the 1900
// system day 1 is 1 January 1900 and day 60 the 29 February 1900 that Lotus counted and Excel kept.
std::optional<QString> dateTimeText(double serial, const NumberFormat &format, bool date1904)
{
    if (!(serial >= 0 && serial < 2958466)) // up to 31 December 9999
        return std::nullopt;
    const qint64 seconds = std::llround(serial * 86400.0);
    const qint64 days = seconds / 86400;
    QString text;
    if (format.date) {
        if (!date1904 && days == 60)
            text = u"29/02/1900"_s;
        else
            text = (date1904 ? QDate(1904, 1, 1) : QDate(1899, 12, days < 60 ? 31 : 30))
                       .addDays(days)
                       .toString(u"dd/MM/yyyy"_s);
    }
    if (format.time) {
        if (!text.isEmpty())
            text += u' ';
        const qint64 inDay = format.elapsed ? seconds : seconds % 86400;
        text += twoDigits(inDay / 3600) + u':' + twoDigits(inDay / 60 % 60);
        if (format.seconds)
            text += u':' + twoDigits(inDay % 60);
    }
    return text;
}

// A number as stored, but an integer written in exponent form or with a ".0" (a phone number
// kept as a number) in full, and binary noise past 15 significant digits rounded away.
QString numberText(const QString &stored)
{
    const bool plain = std::all_of(stored.begin(), stored.end(), [](QChar c) { return c.isDigit() || c == u'-'; });
    if (plain)
        return stored;
    bool ok = false;
    const double value = stored.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return stored;
    if (std::abs(value) < 1e15 && value == std::trunc(value))
        return QString::number(qint64(value));
    const qsizetype digits = std::count_if(stored.begin(), stored.end(), [](QChar c) { return c.isDigit(); });
    return digits > 15 && !stored.contains(u'E', Qt::CaseInsensitive) ? QString::number(value, 'g', 15) : stored;
}

class SheetReader {
public:
    SheetReader(const std::vector<QString> &strings, const std::vector<NumberFormat> &formats, bool date1904,
                const TextTable &textes)
        : m_strings(strings)
        , m_formats(formats)
        , m_date1904(date1904)
        , m_textes(textes)
    {
    }

    std::optional<CsvTable> read(const QByteArray &bytes);

private:
    bool readCell(SheetScanner &scanner, const SheetScanner::Tag &cell, QStringList &row, qsizetype &nextColumn);
    QString cellText(std::string_view type, int style, const QString &value) const;

    const std::vector<QString> &m_strings;
    const std::vector<NumberFormat> &m_formats;
    bool m_date1904;
    const TextTable &m_textes;
};

std::optional<CsvTable> SheetReader::read(const QByteArray &bytes)
{
    CsvTable table;
    QStringList row;
    qsizetype nextColumn = 0;
    qsizetype width = 0;
    int depth = 0;
    SheetScanner scanner(bytes);
    SheetScanner::Tag tag;
    while (scanner.next(tag, nullptr)) {
        if (tag.name == "c" && !tag.end) {
            if (!readCell(scanner, tag, row, nextColumn))
                return std::nullopt;
            continue;
        }
        depth += tag.empty ? 0 : tag.end ? -1 : 1;
        if (depth < 0)
            return std::nullopt;
        if (tag.name != "row")
            continue;
        if (!tag.end) {
            row.clear();
            nextColumn = 0;
        }
        if ((!tag.end && !tag.empty) ||
            std::all_of(row.cbegin(), row.cend(), [](const QString &cell) { return cell.isEmpty(); }))
            continue;
        width = std::max(width, row.size());
        if (qint64(table.rows.size() + 1) * width > kMaxXlsxCells)
            return std::nullopt;
        if (table.header.isEmpty())
            table.header = row;
        else
            table.rows.append(row);
    }
    if (scanner.failed() || depth != 0)
        return std::nullopt;
    table.header.resize(width);
    for (QStringList &line : table.rows)
        line.resize(width);
    return table;
}

// The column of a reference such as "C5" (2), or of the cell after the previous one when the
// reference is missing; false past Excel's last column, XFD.
bool SheetReader::readCell(SheetScanner &scanner, const SheetScanner::Tag &cell, QStringList &row,
                           qsizetype &nextColumn)
{
    qsizetype column = nextColumn;
    qsizetype letters = 0;
    qsizetype number = 0;
    while (std::size_t(letters) < cell.r.size() && isLetter(QLatin1Char(cell.r[std::size_t(letters)])) &&
           number <= 16384)
        number = number * 26 + (QChar::toUpper(char16_t(cell.r[std::size_t(letters++)])) - u'A' + 1);
    if (letters > 0)
        column = number - 1;
    if (column >= 16384)
        return false;
    int style = 0;
    for (const char digit : cell.s)
        style = digit >= '0' && digit <= '9' && style < 1000000 ? style * 10 + (digit - '0') : -1;

    // <v> holds the value; <is> an inline string, whose <t> are its text but for a phonetic guide.
    QByteArray value;
    QByteArray *text = nullptr;
    bool inline_ = false;
    int phonetic = 0;
    SheetScanner::Tag tag;
    while (!cell.empty && scanner.next(tag, text)) {
        if (tag.name == "c" && tag.end)
            break;
        if (tag.empty)
            continue;
        if (tag.name == "v" || (tag.name == "t" && inline_ && phonetic == 0))
            text = tag.end ? nullptr : &value;
        else if (tag.name == "is")
            inline_ = !tag.end;
        else if (tag.name == "rPh")
            phonetic += tag.end ? -1 : 1;
        else if (tag.name == "c")
            return false;
    }
    if (scanner.failed() || (!cell.empty && !(tag.name == "c" && tag.end)))
        return false;
    if (row.size() <= column)
        row.resize(column + 1);
    row[column] = cellText(cell.t, style, QString::fromUtf8(value));
    nextColumn = column + 1;
    return true;
}

QString SheetReader::cellText(std::string_view type, int style, const QString &value) const
{
    if (type == "s") {
        bool ok = false;
        const qsizetype index = value.toLongLong(&ok);
        return ok && index >= 0 && std::size_t(index) < m_strings.size() ? m_strings[std::size_t(index)] : QString();
    }
    if (type == "b")
        return value.isEmpty() ? QString() : m_textes(value == u"1" ? Txt::SpreadsheetTrue : Txt::SpreadsheetFalse);
    if (type == "d") {
        const QDateTime stamp = QDateTime::fromString(value, Qt::ISODate);
        return stamp.isValid() ? stamp.toString(value.contains(u'T') ? u"dd/MM/yyyy HH:mm"_s : u"dd/MM/yyyy"_s) : value;
    }
    if (!type.empty() && type != "n")
        return value; // inline strings, formula strings and errors as written
    if (value.isEmpty())
        return value;
    if (style >= 0 && std::size_t(style) < m_formats.size()) {
        const NumberFormat &format = m_formats[std::size_t(style)];
        bool ok = false;
        const double serial = value.toDouble(&ok);
        if ((format.date || format.time) && ok)
            if (std::optional<QString> text = dateTimeText(serial, format, m_date1904))
                return *text;
    }
    return numberText(value);
}

} // namespace

std::optional<CsvTable> readXlsxTable(QIODevice &device, const TextTable &textes)
{
    QuaZip zip(&device);
    zip.setAutoClose(false);
    if (!zip.open(QuaZip::mdUnzip))
        return std::nullopt;
    QByteArray bytes;
    if (readPart(zip, u"xl/workbook.xml"_s, bytes) != PartRead::Found)
        return std::nullopt;
    const std::optional<WorkbookInfo> workbook = readWorkbook(bytes);
    if (!workbook)
        return std::nullopt;

    QString sheetPath;
    if (!workbook->sheetRelation.isEmpty() && readPart(zip, u"xl/_rels/workbook.xml.rels"_s, bytes) == PartRead::Found)
        sheetPath = relationTarget(bytes, workbook->sheetRelation);
    if (sheetPath.isEmpty())
        sheetPath = u"xl/worksheets/sheet1.xml"_s;

    std::vector<QString> strings;
    PartRead read = readPart(zip, u"xl/sharedStrings.xml"_s, bytes);
    if (read == PartRead::Damaged)
        return std::nullopt;
    if (read == PartRead::Found) {
        std::optional<std::vector<QString>> shared = readSharedStrings(bytes);
        if (!shared)
            return std::nullopt;
        strings = std::move(*shared);
    }

    std::vector<NumberFormat> formats;
    read = readPart(zip, u"xl/styles.xml"_s, bytes);
    if (read == PartRead::Damaged)
        return std::nullopt;
    if (read == PartRead::Found) {
        std::optional<std::vector<NumberFormat>> styles = readStyles(bytes);
        if (!styles)
            return std::nullopt;
        formats = std::move(*styles);
    }

    if (readPart(zip, sheetPath, bytes) != PartRead::Found)
        return std::nullopt;
    return SheetReader(strings, formats, workbook->date1904, textes).read(bytes);
}

} // namespace parlevo
