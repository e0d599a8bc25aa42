#include "csvimport.h"

#include "app/appstate.h"
#include "contactstore.h"
#include "storefile.h"

#include <QDir>

using namespace Qt::StringLiterals;

namespace parlevo {

CsvImportResult importCsvFile(AppState &state, const QString &path)
{
    const std::optional<QByteArray> bytes = readWholeFile(path);
    if (!bytes)
        return {};
    // The import file has the contacts file's layout, so the same reader takes it; it accepts a
    // lone line feed as a line end, as files written on other systems have.
    auto contacts = readContactLines(*bytes, [&state] { return state.NextKey(); });
    const qsizetype count = state.colContacts().append(std::move(contacts));
    return {true, count};
}

QString csvImportMessage(const TextTable &textes, const CsvImportResult &result, const QString &path)
{
    QString text = textes(41) + u":\r\n\r\n"_s;
    if (!result.opened)
        text += QDir::toNativeSeparators(path) + u"\r\n\r\n"_s;
    return text + QString(textes(35)).replace(u"%1"_s, QString::number(result.count));
}

} // namespace parlevo
