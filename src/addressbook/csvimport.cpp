#include "csvimport.h"

#include "addressbook/contactcollection.h"
#include "base/appstate.h"
#include "base/storefile.h"
#include "contactrules.h"
#include "contactstore.h"

#include <QDir>

using namespace Qt::StringLiterals;

namespace parlevo {

namespace {

constexpr int kTextContactsImported = 35;
constexpr int kTextImportFromCsv = 41;
constexpr int kTextLinesRefused = 290;
constexpr int kTextNotPlainFile = 291;

} // namespace

CsvImportResult importCsvFile(AppState &state, const QString &path)
{
    ReadFailure failure = ReadFailure::None;
    const std::optional<QByteArray> bytes = readWholeFile(path, nullptr, &failure);
    if (!bytes) {
        CsvImportResult result;
        result.tooLarge = failure == ReadFailure::TooLarge;
        return result;
    }
    // The import file has the contacts file's layout, so the same reader takes it; it accepts a
    // lone line feed as a line end, as files written on other systems have.
    auto contacts = readForeignContactLines(*bytes, [&state] { return state.NextKey(); });
    CsvImportResult result;
    result.opened = true;
    std::erase_if(contacts, [&result](const std::unique_ptr<ClassContact> &contact) {
        const QString refused = unsavableCharacters(*contact);
        if (refused.isEmpty())
            return false;
        ++result.refused;
        for (qsizetype i = 0; i < refused.size(); ++i) {
            const qsizetype length = refused[i].isHighSurrogate() && i + 1 < refused.size() ? 2 : 1;
            const QStringView one = QStringView(refused).sliced(i, length);
            if (!result.refusedCharacters.contains(one))
                result.refusedCharacters += one;
            i += length - 1;
        }
        return true;
    });
    result.count = contacts.empty() ? 0 : state.colContacts().append(std::move(contacts));
    return result;
}

QString csvImportMessage(const TextTable &textes, const CsvImportResult &result, const QString &path)
{
    QString text = textes(kTextImportFromCsv) + u":\r\n\r\n"_s;
    if (result.tooLarge)
        text += QString(textes(kTextNotPlainFile)).replace(u"%1"_s, QDir::toNativeSeparators(path)) + u"\r\n\r\n"_s;
    else if (!result.opened)
        text += QDir::toNativeSeparators(path) + u"\r\n\r\n"_s;
    text += QString(textes(kTextContactsImported)).replace(u"%1"_s, QString::number(result.count));
    if (result.refused > 0)
        text += u"\r\n\r\n"_s + QString(textes(kTextLinesRefused))
                                    .replace(u"%1"_s, QString::number(result.refused))
                                    .replace(u"%2"_s, result.refusedCharacters);
    return text;
}

} // namespace parlevo
