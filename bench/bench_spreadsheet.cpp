// A mailing's list read from a spreadsheet: a generated CSV file and a generated Excel workbook
// of the same rows (names, a mobile number, a date, a time and an amount), each read through
// readSpreadsheetTable. Prints the best of a few runs, elapsed and processor time.
//
//   bench_spreadsheet [rows, default 100000]

#include "addressbook/spreadsheettable.h"
#include "base/textes.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipnewinfo.h>

#include <cstdio>
#include <ctime>
#include <random>

using namespace Qt::StringLiterals;

using namespace parlevo;

namespace {

const char16_t *const kFirst[] = {u"Anne", u"Jean", u"Marie", u"Pierre", u"Zoé", u"Luc", u"Camille", u"Hugo"};
const char16_t *const kLast[] = {u"Martin", u"Bernard", u"Dubois", u"Dupont",  u"Durand",
                                 u"Leroy",  u"Moreau",  u"Dupuis", u"Lefèvre", u"Garcia"};

struct Row {
    QString last;
    QString first;
    QString mobile;
    int day; // Excel's serial day
    int minutes;
    int cents;
};

std::vector<Row> generate(int count)
{
    std::mt19937 random(42);
    std::vector<Row> rows;
    rows.reserve(std::size_t(count));
    for (int i = 0; i < count; ++i)
        rows.push_back(
            {QString::fromUtf16(kLast[random() % std::size(kLast)]) + u' ' + QString::number(random() % 100000),
             QString::fromUtf16(kFirst[random() % std::size(kFirst)]),
             u"6%1"_s.arg(random() % 100000000, 8, 10, QLatin1Char('0')), 46000 + int(random() % 1000),
             int(random() % 96) * 15, int(random() % 100000)});
    return rows;
}

QByteArray csvOf(const std::vector<Row> &rows)
{
    QString text = u"nom;prénom;mobile;date;heure;montant\r\n"_s;
    for (const Row &row : rows)
        text += row.last + u';' + row.first + u";0"_s + row.mobile + u";12/03/2026;"_s +
                QString::number(row.minutes / 60) + u':' + QString::number(row.minutes % 60) + u';' +
                QString::number(row.cents / 100.0) + u"\r\n"_s;
    return text.toUtf8();
}

// As Excel writes it: names in the shared strings (those that repeat once each), numbers in
// the sheet, the date and time columns styled by a custom date format and built-in h:mm.
QByteArray workbookOf(const std::vector<Row> &rows)
{
    QStringList strings{u"nom"_s, u"prénom"_s, u"mobile"_s, u"date"_s, u"heure"_s, u"montant"_s};
    QHash<QString, int> index;
    const auto shared = [&](const QString &text) {
        const auto it = index.constFind(text);
        if (it != index.cend())
            return *it;
        strings.append(text);
        return *index.insert(text, int(strings.size() - 1));
    };
    QString sheet = u"<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n<worksheet "
                    "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData><row r=\"1\">"_s;
    for (int c = 0; c < 6; ++c)
        sheet += u"<c r=\""_s + QChar(u'A' + c) + u"1\" t=\"s\"><v>"_s + QString::number(c) + u"</v></c>"_s;
    sheet += u"</row>"_s;
    int r = 1;
    for (const Row &row : rows) {
        const QString n = QString::number(++r);
        sheet += u"<row r=\""_s + n + u"\"><c r=\"A"_s + n + u"\" t=\"s\"><v>"_s + QString::number(shared(row.last)) +
                 u"</v></c><c r=\"B"_s + n + u"\" t=\"s\"><v>"_s + QString::number(shared(row.first)) +
                 u"</v></c><c r=\"C"_s + n + u"\"><v>"_s + row.mobile + u"</v></c><c r=\"D"_s + n +
                 u"\" s=\"1\"><v>"_s + QString::number(row.day) + u"</v></c><c r=\"E"_s + n + u"\" s=\"2\"><v>"_s +
                 QString::number(row.minutes / 1440.0, 'g', 17) + u"</v></c><c r=\"F"_s + n + u"\"><v>"_s +
                 QString::number(row.cents / 100.0) + u"</v></c></row>"_s;
    }
    sheet += u"</sheetData></worksheet>"_s;
    QString sst = u"<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"_s;
    for (const QString &text : std::as_const(strings))
        sst += u"<si><t>"_s + text.toHtmlEscaped() + u"</t></si>"_s;
    sst += u"</sst>"_s;
    const QString main = u"xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\""_s;
    const QString rel = u"http://schemas.openxmlformats.org/officeDocument/2006/relationships"_s;
    const QList<std::pair<QString, QString>> parts{
        {u"xl/workbook.xml"_s, u"<workbook %1 xmlns:r=\"%2\"><sheets><sheet name=\"Liste\" sheetId=\"1\" "
                               "r:id=\"rId1\"/></sheets></workbook>"_s.arg(main, rel)},
        {u"xl/_rels/workbook.xml.rels"_s,
         u"<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\"><Relationship "
         "Id=\"rId1\" Type=\"%1/worksheet\" Target=\"worksheets/sheet1.xml\"/></Relationships>"_s.arg(rel)},
        {u"xl/styles.xml"_s, u"<styleSheet %1><numFmts><numFmt numFmtId=\"164\" formatCode=\"dd/mm/yyyy\"/></numFmts>"
                             "<cellXfs><xf numFmtId=\"0\"/><xf numFmtId=\"164\"/><xf numFmtId=\"20\"/></cellXfs>"
                             "</styleSheet>"_s.arg(main)},
        {u"xl/sharedStrings.xml"_s, sst},
        {u"xl/worksheets/sheet1.xml"_s, sheet}};
    QByteArray bytes;
    QBuffer buffer(&bytes);
    QuaZip zip(&buffer);
    zip.open(QuaZip::mdCreate);
    for (const auto &[name, text] : parts) {
        QuaZipFile file(&zip);
        file.open(QIODevice::WriteOnly, QuaZipNewInfo(name));
        file.write(text.toUtf8());
        file.close();
    }
    zip.close();
    return bytes;
}

double threadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

void measure(const char *what, const QString &path, qsizetype expectedRows)
{
    const TextTable textes;
    double bestMs = 1e12;
    double bestCpu = 1e12;
    for (int run = 0; run < 3; ++run) {
        QElapsedTimer timer;
        timer.start();
        const double cpu = threadCpuMs();
        QString error;
        const std::optional<CsvTable> table = readSpreadsheetTable(path, textes, &error);
        bestCpu = std::min(bestCpu, threadCpuMs() - cpu);
        bestMs = std::min(bestMs, double(timer.nsecsElapsed()) / 1e6);
        if (!table || table->rows.size() != expectedRows) {
            std::fprintf(stderr, "%s: %s\n", what,
                         table ? qPrintable(u"%1 rows"_s.arg(table->rows.size())) : qPrintable(error));
            return;
        }
    }
    std::printf("%-6s %lld rows, %6.1f MB: %7.1f ms, %7.1f ms of processor time   (target <= 1500 ms)\n", what,
                static_cast<long long>(expectedRows), double(QFile(path).size()) / 1e6, bestMs, bestCpu);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 100000;
    if (count <= 0) {
        std::fprintf(stderr, "usage: bench_spreadsheet [rows]\n");
        return 2;
    }
    QTemporaryDir dir;
    const std::vector<Row> rows = generate(count);
    const QString csv = dir.filePath(u"liste.csv"_s);
    const QString xlsx = dir.filePath(u"liste.xlsx"_s);
    QFile csvFile(csv);
    QFile xlsxFile(xlsx);
    if (!csvFile.open(QIODevice::WriteOnly) || csvFile.write(csvOf(rows)) < 0 || !xlsxFile.open(QIODevice::WriteOnly) ||
        xlsxFile.write(workbookOf(rows)) < 0) {
        std::fprintf(stderr, "cannot write in %s\n", qPrintable(dir.path()));
        return 1;
    }
    csvFile.close();
    xlsxFile.close();
    std::printf("Mailing list read from a spreadsheet, best of 3 runs\n");
    measure("CSV", csv, count);
    measure("xlsx", xlsx, count);
    return 0;
}
