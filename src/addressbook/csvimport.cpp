#include "csvimport.h"

#include "addressbook/contactcollection.h"
#include "base/appstate.h"
#include "base/storefile.h"
#include "base/txt.h"
#include "contactrules.h"
#include "contactstore.h"
#include "groupcollection.h"
#include "vcard.h"

#include <QDir>

using namespace Qt::StringLiterals;

namespace parlevo {

namespace {

// Contacts from other programs bring their groups into the group lists at once. (The plain CSV
// import keeps its long-standing way: a new group shows from the next start.)
ContactImportResult addWithGroups(AppState &state, std::vector<std::unique_ptr<ClassContact>> contacts)
{
    ContactImportResult result = addImportedContacts(state, std::move(contacts));
    const ContactCollection &book = state.colContacts();
    for (qsizetype i = book.count() - result.count; i < book.count(); ++i)
        Ajoute_Groupe(state, book.at(i)->Groupe);
    return result;
}

} // namespace

ContactImportResult importCsvFile(AppState &state, const QString &path)
{
    ReadFailure failure = ReadFailure::None;
    const std::optional<QByteArray> bytes = readWholeFile(path, nullptr, &failure);
    if (!bytes) {
        ContactImportResult result;
        result.tooLarge = failure == ReadFailure::TooLarge;
        return result;
    }
    // The import file has the contacts file's layout, so the same reader takes it; it accepts a
    // lone line feed as a line end, as files written on other systems have.
    return addImportedContacts(state, readForeignContactLines(*bytes, [&state] { return state.NextKey(); }));
}

ContactImportResult importVCardFile(AppState &state, const QString &path, const QString &group)
{
    ReadFailure failure = ReadFailure::None;
    const std::optional<QByteArray> bytes = readWholeFile(path, nullptr, &failure);
    if (!bytes) {
        ContactImportResult result;
        result.vCard = true;
        result.tooLarge = failure == ReadFailure::TooLarge;
        return result;
    }
    auto contacts = readVCards(*bytes, [&state] { return state.NextKey(); });
    if (!group.isEmpty())
        for (const std::unique_ptr<ClassContact> &contact : contacts)
            contact->Groupe = withoutForbidden(group);
    ContactImportResult result = addWithGroups(state, std::move(contacts));
    result.vCard = true;
    return result;
}

ContactImportResult importCsvTable(AppState &state, const CsvTable &table, const CsvMapping &mapping)
{
    return addWithGroups(state, contactsFromTable(table, mapping, [&state] { return state.NextKey(); }));
}

ContactImportResult addImportedContacts(AppState &state, std::vector<std::unique_ptr<ClassContact>> contacts)
{
    ContactImportResult result;
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

QString importMessage(const TextTable &textes, const ContactImportResult &result, const QString &path)
{
    QString text = textes(result.vCard ? Txt::ImportFromVCard : Txt::ImportFromCsv) + u":\r\n\r\n"_s;
    if (result.tooLarge)
        text += QString(textes(Txt::NotPlainFile)).replace(u"%1"_s, QDir::toNativeSeparators(path)) + u"\r\n\r\n"_s;
    else if (!result.opened)
        text += QDir::toNativeSeparators(path) + u"\r\n\r\n"_s;
    text += QString(textes(Txt::ContactsImported)).replace(u"%1"_s, QString::number(result.count));
    if (result.refused > 0)
        text += u"\r\n\r\n"_s + QString(textes(result.vCard ? Txt::VCardsRefused : Txt::CsvLinesRefused))
                                    .replace(u"%1"_s, QString::number(result.refused))
                                    .replace(u"%2"_s, result.refusedCharacters);
    return text;
}

} // namespace parlevo
