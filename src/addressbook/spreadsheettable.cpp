#include "spreadsheettable.h"

#include "xlsxtable.h"

#include "base/storefile.h"
#include "base/textes.h"

#include <QBuffer>
#include <QDir>

using namespace Qt::StringLiterals;

namespace parlevo {

std::optional<CsvTable> readSpreadsheetTable(const QString &path, const TextTable &textes, QString *error)
{
    const auto fail = [&](Txt text, const QString &reason = {}) -> std::optional<CsvTable> {
        if (error)
            *error = QString(textes(text)).replace(u"%1"_s, QDir::toNativeSeparators(path)).replace(u"%2"_s, reason);
        return std::nullopt;
    };
    QString reason;
    ReadFailure failure = ReadFailure::None;
    std::optional<QByteArray> bytes = readWholeFile(path, &reason, &failure);
    if (failure == ReadFailure::TooLarge)
        return fail(Txt::NotPlainFile);
    if (!bytes)
        return fail(Txt::SpreadsheetUnreadable, reason);
    if (!bytes->startsWith("PK\x03\x04") && !path.endsWith(u".xlsx"_s, Qt::CaseInsensitive))
        return readHeaderedCsv(*bytes);
    QBuffer buffer(&*bytes);
    std::optional<CsvTable> table = readXlsxTable(buffer, textes);
    return table ? table : fail(Txt::SpreadsheetDamaged);
}

} // namespace parlevo
