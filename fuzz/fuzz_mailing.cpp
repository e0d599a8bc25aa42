// Charge_Mailing on any bytes: no crash, every row under its own key, and the rows come back the
// same after Sauve_Mailing and a new load.
#include "fuzzsupport.h"

#include "sending/mailingfile.h"

#include <QSet>

using namespace parlevo;
using namespace parlevo::fuzz;

namespace {

QList<QStringList> rowFields(const std::vector<std::unique_ptr<ClassContact>> &rows)
{
    QList<QStringList> out;
    for (const auto &row : rows)
        out.append(storedFields(*row));
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString path = writeDataFile(QStringLiteral("fuzz.kxg"), toBytes(data, size));
    quint64 counter = 0;
    const auto nextKey = [&counter] { return QString::number(++counter); };

    const auto rows = Charge_Mailing(path, nextKey);
    FUZZ_CHECK(rows.has_value());
    QSet<QString> keys;
    QList<const ClassContact *> saved;
    for (const auto &row : *rows) {
        keys.insert(row->GUID);
        saved.append(row.get());
    }
    FUZZ_CHECK(keys.size() == qsizetype(rows->size()));

    const QString again = writeDataFile(QStringLiteral("saved.kxg"), QByteArray());
    FUZZ_CHECK(Sauve_Mailing(again, saved));
    const auto reloaded = Charge_Mailing(again, nextKey);
    FUZZ_CHECK(reloaded.has_value());
    FUZZ_CHECK(rowFields(*reloaded) == rowFields(*rows));
    return 0;
}
