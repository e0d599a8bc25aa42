#include "csvimport.h"

#include "addressbook.h"
#include "base/storefile.h"
#include "base/textes.h"
#include "base/txt.h"
#include "contactcollection.h"
#include "contactrules.h"
#include "contactstore.h"
#include "groupcollection.h"
#include "numberinput.h"
#include "phonecheck.h"
#include "vcard.h"

#include <QDir>
#include <QSet>

using namespace Qt::StringLiterals;

namespace parlevo {

namespace {

// Contacts from other programs bring their groups into the group lists at once. (The plain CSV
// import keeps its long-standing way: a new group shows from the next start.)
ContactImportResult addWithGroups(AddressBook &book, std::vector<std::unique_ptr<ClassContact>> contacts)
{
    ContactImportResult result = addImportedContacts(book, std::move(contacts), NumberSource::Foreign);
    const ContactCollection &all = book.colContacts();
    for (qsizetype i = all.count() - result.count; i < all.count(); ++i)
        Ajoute_Groupe(book.colGroupes(), all.at(i)->Groupe);
    return result;
}

void putInGroup(std::vector<std::unique_ptr<ClassContact>> &contacts, const QString &group)
{
    if (!group.isEmpty())
        for (const std::unique_ptr<ClassContact> &contact : contacts)
            contact->Groupe = withoutForbidden(group);
}

} // namespace

ContactImportResult importCsvFile(AddressBook &book, const QString &path, const QString &group)
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
    auto contacts = readForeignContactLines(utf8FromUtf16(*bytes), [&book] { return book.NextKey(); });
    putInGroup(contacts, group);
    ContactImportResult result = addImportedContacts(book, std::move(contacts), NumberSource::Plain);
    if (!group.isEmpty() && result.count > 0)
        Ajoute_Groupe(book.colGroupes(), withoutForbidden(group));
    return result;
}

ContactImportResult importVCardFile(AddressBook &book, const QString &path, const QString &group)
{
    ReadFailure failure = ReadFailure::None;
    const std::optional<QByteArray> bytes = readWholeFile(path, nullptr, &failure);
    if (!bytes) {
        ContactImportResult result;
        result.vCard = true;
        result.tooLarge = failure == ReadFailure::TooLarge;
        return result;
    }
    auto contacts = readVCards(*bytes, [&book] { return book.NextKey(); });
    putInGroup(contacts, group);
    ContactImportResult result = addWithGroups(book, std::move(contacts));
    result.vCard = true;
    return result;
}

ContactImportResult importCsvTable(AddressBook &book, const CsvTable &table, const CsvMapping &mapping,
                                   const QString &group)
{
    auto contacts = contactsFromTable(table, mapping, [&book] { return book.NextKey(); });
    putInGroup(contacts, group);
    return addWithGroups(book, std::move(contacts));
}

ContactImportResult addImportedContacts(AddressBook &book, std::vector<std::unique_ptr<ClassContact>> contacts,
                                        NumberSource source)
{
    ContactImportResult result;
    result.opened = true;
    for (const std::unique_ptr<ClassContact> &contact : contacts) {
        const qsizetype first = result.replacedCharacters.size();
        for (const ContactFieldInfo *field : kStoredFields) {
            QString &value = (*contact).*field->member;
            if (const QString nearest = nearest1252(value); nearest != value) {
                result.replacedCharacters.append({QString(), value, nearest});
                value = nearest;
            }
        }
        // Named once every field is replaced, as the contact is stored.
        for (qsizetype i = first; i < result.replacedCharacters.size(); ++i)
            result.replacedCharacters[i].fullName = contact->FullName().trimmed();
    }
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
    PhoneCheck &check = book.phoneCheck();
    std::vector<const ClassContact *> emptied;
    for (const std::unique_ptr<ClassContact> &contact : contacts) {
        const NumberInput input = readNumberInput(check, contact->Phone);
        if (input.changed)
            result.changedNumbers.append({contact->FullName().trimmed(), contact->Phone, input.number});
        result.unreadableNumbers += input.unreadable ? 1 : 0;
        const bool hadNumber = !contact->Phone.isEmpty();
        contact->Phone =
            source == NumberSource::Foreign ? numberCharactersOnly(input.number).simplified() : input.number;
        if (hadNumber && contact->Phone.isEmpty() && contact->Groupe.isEmpty() && contact->Societe.isEmpty() &&
            contact->Titre.isEmpty() && contact->Prenom.isEmpty() && contact->Nom.isEmpty())
            emptied.push_back(contact.get());
    }
    // A card whose only field was a number without a digit in it ("tel:D") holds nothing now: it
    // is not a contact, as a card that never held anything is not one.
    if (!emptied.empty()) {
        std::erase_if(contacts, [&emptied](const std::unique_ptr<ClassContact> &c) {
            return std::find(emptied.begin(), emptied.end(), c.get()) != emptied.end();
        });
    }
    result.count = contacts.empty() ? 0 : book.colContacts().append(std::move(contacts));
    return result;
}

QString importMessage(const TextTable &textes, const ContactImportResult &result, const QString &path)
{
    QString text = textes(result.vCard ? Txt::ImportFromVCard : Txt::ImportFromCsv) + u":\r\n\r\n"_s;
    if (result.tooLarge)
        text += QString(textes(Txt::NotPlainFile)).replace(u"%1"_s, QDir::toNativeSeparators(path)) + u"\r\n\r\n"_s;
    else if (!result.opened)
        text += QDir::toNativeSeparators(path) + u"\r\n\r\n"_s;
    else if (result.count == 0 && result.refused == 0)
        text += QString(textes(Txt::NoContactInFile)).replace(u"%1"_s, QDir::toNativeSeparators(path)) + u"\r\n\r\n"_s;
    text += QString(textes(Txt::ContactsImported)).replace(u"%1"_s, QString::number(result.count));
    if (result.refused > 0)
        text += u"\r\n\r\n"_s + QString(textes(result.vCard ? Txt::VCardsRefused : Txt::CsvLinesRefused))
                                    .replace(u"%1"_s, QString::number(result.refused))
                                    .replace(u"%2"_s, result.refusedCharacters);
    if (!result.replacedCharacters.isEmpty()) {
        QSet<QString> names;
        for (const FieldChange &change : result.replacedCharacters)
            names.insert(change.fullName);
        text +=
            u"\r\n\r\n"_s + QString(textes(Txt::CharactersReplaced)).replace(u"%1"_s, QString::number(names.size()));
        for (const FieldChange &change : result.replacedCharacters)
            text += u"\r\n"_s + QString(textes(Txt::CharacterReplaced))
                                    .replace(u"%1"_s, change.fullName)
                                    .replace(u"%2"_s, change.before)
                                    .replace(u"%3"_s, change.after);
    }
    if (!result.changedNumbers.isEmpty()) {
        text += u"\r\n\r\n"_s +
                QString(textes(Txt::NumbersRewritten)).replace(u"%1"_s, QString::number(result.changedNumbers.size()));
        for (const FieldChange &change : result.changedNumbers)
            text += u"\r\n"_s + QString(textes(Txt::NumberRewritten))
                                    .replace(u"%1"_s, change.fullName)
                                    .replace(u"%2"_s, change.before)
                                    .replace(u"%3"_s, change.after);
    }
    if (result.unreadableNumbers > 0)
        text += u"\r\n\r\n"_s +
                QString(textes(Txt::NumbersUnreadable)).replace(u"%1"_s, QString::number(result.unreadableNumbers));
    return text;
}

} // namespace parlevo
