// The Excel workbook reader on any bytes: no crash or hang, and a table it returns has every row
// as wide as its header and no row without a value. The input is read as a workbook file, then
// cut at NUL bytes into the workbook, styles, shared strings and sheet parts of a zip built
// around them, so that changed XML reaches the parsers past the zip's checksums.
#include "fuzzsupport.h"

#include "addressbook/xlsxtable.h"
#include "base/textes.h"

#include <QBuffer>

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipnewinfo.h>

#include <algorithm>

using namespace Qt::StringLiterals;

using namespace parlevo;
using namespace parlevo::fuzz;

namespace {

void readAndCheck(QByteArray bytes)
{
    static const TextTable textes;
    QBuffer buffer(&bytes);
    const std::optional<CsvTable> table = readXlsxTable(buffer, textes);
    if (!table)
        return;
    for (const QStringList &row : table->rows) {
        FUZZ_CHECK(row.size() == table->header.size());
        FUZZ_CHECK(std::any_of(row.cbegin(), row.cend(), [](const QString &cell) { return !cell.isEmpty(); }));
    }
}

QByteArray zipOf(const QList<QByteArray> &parts)
{
    static const QString names[] = {u"xl/workbook.xml"_s, u"xl/styles.xml"_s, u"xl/sharedStrings.xml"_s,
                                    u"xl/worksheets/sheet1.xml"_s};
    QByteArray bytes;
    QBuffer buffer(&bytes);
    QuaZip zip(&buffer);
    FUZZ_CHECK(zip.open(QuaZip::mdCreate));
    for (qsizetype i = 0; i < parts.size(); ++i) {
        QuaZipFile file(&zip);
        // Stored, not deflated: the parts are small.
        FUZZ_CHECK(file.open(QIODevice::WriteOnly, QuaZipNewInfo(names[i]), nullptr, 0, 0, 0));
        file.write(parts[i]);
        file.close();
    }
    zip.close();
    return bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray input = toBytes(data, size);
    readAndCheck(input);
    readAndCheck(zipOf(splitInput(input, 4)));
    return 0;
}
