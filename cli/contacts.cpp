#include "options.h"

#include "addressbook/classcontact.h"
#include "addressbook/contactcollection.h"
#include "addressbook/contactfields.h"
#include "addressbook/contactrules.h"
#include "addressbook/contactstore.h"
#include "addressbook/csvimport.h"
#include "addressbook/groupcollection.h"
#include "addressbook/numberinput.h"
#include "addressbook/optoutlist.h"
#include "addressbook/phonecheck.h"
#include "addressbook/vcard.h"
#include "base/ini.h"
#include "base/singleinstance.h"
#include "base/storefile.h"
#include "base/txt.h"
#include "messages/outgoing.h"
#include "prefs/configfile.h"
#include "sending/sendrun.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>

#include <algorithm>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace parlevo::cli {

namespace {

// The fields a search can look in, in the picker's order.
QStringList searchFieldNames()
{
    QStringList names;
    for (const ContactFieldInfo *field : kSearchFields)
        names.append(fieldName(*field));
    return names;
}

// The help of each field's option and the name of its value, by column; the full name has none.
constexpr std::pair<const char16_t *, const char16_t *> kOptionHelp[] = {
    {u"The group.", u"NAME"},
    {u"The company.", u"TEXT"},
    {},
    {u"The title.", u"TEXT"},
    {u"The first name.", u"TEXT"},
    {u"The last name (needed).", u"TEXT"},
    {u"The number (needed): digits, blanks and full stops.", u"NUMBER"}};
static_assert(std::size(kOptionHelp) == kContactFields.size());

int contactsList(const QString &globalDataDir, const QStringList &arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption group(QStringLiteral("group"),
                                   QStringLiteral("Contacts whose group contains NAME, ignoring case (\"Tous\": all)."),
                                   QStringLiteral("NAME"));
    const QCommandLineOption search(QStringLiteral("search"),
                                    QStringLiteral("Contacts whose --in field contains TEXT, ignoring case; an empty "
                                                   "TEXT lists every contact whose field is not empty."),
                                    QStringLiteral("TEXT"));
    const QStringList fieldNames = searchFieldNames();
    const QCommandLineOption in(QStringLiteral("in"),
                                QStringLiteral("The field searched: %1.").arg(fieldNames.join(u'|')),
                                QStringLiteral("FIELD"));
    parser.addOptions({group, search, in});
    int status = kAccepted;
    if (!parseCommand(parser, u"contacts list"_s,
                      u"Prints the address book, one contact a line, its fields separated by tabs in the\n"
                      u"contacts file's order: group, company, title, first name, last name, number.\n"
                      u"The filters are the contact picker's."_s,
                      arguments, &status))
        return status;
    if (parser.isSet(group) && parser.isSet(search))
        return usage(u"--group and --search exclude each other"_s, u"contacts list"_s);
    if (parser.isSet(search) != parser.isSet(in))
        return usage(u"--search and --in go together"_s, u"contacts list"_s);
    const qsizetype field = fieldNames.indexOf(parser.value(in).toLower());
    if (parser.isSet(in) && field < 0)
        return usage(u"--in wants one of "_s + fieldNames.join(u", "_s), u"contacts list"_s);

    auto parts = loadParts(parser.isSet(dataDirOption()) ? parser.value(dataDirOption()) : globalDataDir);
    const QString all = parts->textes(Txt::AllGroups);
    const auto book = readBook(parts->book);
    if (!book)
        return kFailure;
    QString lines;
    for (const std::unique_ptr<ClassContact> &c : *book) {
        if (parser.isSet(search) ? !listedBySearch(*c, int(field), parser.value(search))
                                 : parser.isSet(group) && !listedByGroup(*c, parser.value(group), all))
            continue;
        QStringList values;
        for (const ContactFieldInfo *field : kStoredFields)
            values.append((*c).*field->member);
        lines += values.join(u'\t') + u'\n';
    }
    write(lines, stdout);
    return kAccepted;
}

int contactsCheck(const QString &globalDataDir, const QStringList &arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption group(QStringLiteral("group"),
                                   QStringLiteral("Contacts whose group contains NAME, ignoring case (\"Tous\": all)."),
                                   QStringLiteral("NAME"));
    parser.addOption(group);
    int status = kAccepted;
    if (!parseCommand(parser, u"contacts check"_s,
                      u"Checks the numbers of the address book as a mailing does before sending, in the\n"
                      u"region of the user's locale: prints one line per contact concerned, its finding,\n"
                      u"full name and number as stored separated by tabs (\"invalid\", \"not mobile\",\n"
                      u"\"duplicate\" and the number in international form, \"opted out\"), then a count on\n"
                      u"standard error. Changes nothing. Exit status 0 whatever it finds, 1 when the address\n"
                      u"book or the opt-out list cannot be read, 64 usage error."_s,
                      arguments, &status))
        return status;

    auto parts = loadParts(parser.isSet(dataDirOption()) ? parser.value(dataDirOption()) : globalDataDir);
    const auto book = readBook(parts->book);
    if (!book)
        return kFailure;
    if (!readOptOuts(parts->book))
        return kFailure;
    const QString all = parts->textes(Txt::AllGroups);
    std::vector<const ClassContact *> chosen;
    QStringList numbers;
    for (const std::unique_ptr<ClassContact> &c : *book) {
        if (parser.isSet(group) && !listedByGroup(*c, parser.value(group), all))
            continue;
        chosen.push_back(c.get());
        numbers.append(c->Phone);
    }
    PhoneCheck &phones = parts->book.phoneCheck();
    const NumberCheck check = checkNumbers(phones, numbers, &parts->book.optOuts());
    QString lines;
    const auto list = [&](const QString &finding, qsizetype row) {
        const ClassContact &c = *chosen[std::size_t(row)];
        lines += finding + u'\t' + c.FullName().trimmed() + u'\t' + c.Phone + u'\n';
    };
    for (qsizetype row : check.invalid)
        list(u"invalid"_s, row);
    for (qsizetype row : check.notMobile)
        list(u"not mobile"_s, row);
    for (const std::vector<qsizetype> &rows : check.duplicates)
        for (qsizetype row : rows)
            list(u"duplicate "_s + phones.matchKey(numbers[row]), row);
    for (qsizetype row : check.optedOut)
        list(u"opted out"_s, row);
    write(lines, stdout);
    err(u"%1 contact(s) checked: %2 invalid, %3 not mobile, %4 number(s) listed more than once, %5 opted out"_s
            .arg(chosen.size())
            .arg(check.invalid.size())
            .arg(check.notMobile.size())
            .arg(check.duplicates.size())
            .arg(check.optedOut.size()));
    return kAccepted;
}

// Loads the book for a change; nothing when the app holds the data directory.
std::unique_ptr<Parts> loadBookForChange(const QString &dataDir, std::unique_ptr<SingleInstance> &lock)
{
    auto parts = loadParts(dataDir);
    QDir().mkpath(parts->dataDir.path());
    // The app writes the book when it quits: a change made under it would be lost.
    lock = std::make_unique<SingleInstance>(parts->dataDir.path());
    if (!lockForChange(parts->textes, parts->dataDir, *lock))
        return nullptr;
    if (!Charge_Contacts(parts->book)) {
        sayUnreadable(parts->dataDir, QString::fromUtf16(kContactsFileName));
        return nullptr;
    }
    return parts;
}

int saveBook(AddressBook &book)
{
    const QString path = book.dataDir().filePath(QString::fromUtf16(kContactsFileName));
    if (!Sauve_Contacts(book, path)) {
        err(u"parlevo-cli: cannot write "_s + path);
        return kFailure;
    }
    return kAccepted;
}

int contactsImport(const QString &globalDataDir, const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("The CSV or vCard file."));
    const QCommandLineOption group(
        QStringLiteral("group"), QStringLiteral("Puts every imported contact in group NAME."), QStringLiteral("NAME"));
    const QCommandLineOption map(
        QStringLiteral("map"),
        QStringLiteral("Takes FIELD (societe, titre, prenom, nom, gsm, groupe) from the column named HEADER\n"
                       "of a CSV file whose first line names its columns. May be repeated."),
        QStringLiteral("FIELD=HEADER"));
    parser.addOptions({group, map});
    int status = kAccepted;
    QStringList rest = arguments;
    // parseCommand refuses positional arguments: the file is taken first.
    const qsizetype fileAt = [&rest] {
        for (qsizetype i = 0; i < rest.size(); ++i) {
            if (rest[i] == u"--data-dir") {
                ++i;
                continue;
            }
            if (!rest[i].startsWith(u'-'))
                return i;
        }
        return qsizetype(-1);
    }();
    const QString file = fileAt >= 0 ? rest.takeAt(fileAt) : QString();
    if (!parseCommand(parser, u"contacts import"_s,
                      u"Appends the contacts of a CSV file to the address book as the app's import does:\n"
                      u"one contact a line, six fields separated by \";\" (group;company;title;first\n"
                      u"name;last name;number), nothing checked, trimmed or unquoted. A vCard file (.vcf,\n"
                      u"or one that begins with BEGIN:VCARD) gives one contact a card: name, title, company,\n"
                      u"mobile number and first category. A CSV file whose first line names its columns (Google,\n"
                      u"Outlook, Thunderbird, a spreadsheet; English or French), or whose fields are separated by\n"
                      u"\",\" or a tab, is read as RFC 4180 with its columns taken by name (--map sets any);\n"
                      u"which column went where is printed first, and with no number column the import\n"
                      u"stops (exit 64) and names the columns. Numbers are read as the app reads them and\n"
                      u"each change is told. A file that gives no contact exits 1. Then saves the book."_s,
                      rest, &status))
        return status;
    if (file.isEmpty())
        return usage(u"contacts import needs a FILE"_s, u"contacts import"_s);
    const bool vCard = file.endsWith(u".vcf"_s, Qt::CaseInsensitive) || [&file] {
        const std::optional<QByteArray> bytes = readWholeFile(file);
        return bytes && looksLikeVCard(*bytes);
    }();
    if (parser.value(group) != withoutForbidden(parser.value(group)))
        return usage(u"--group cannot hold \";\" or a line break"_s, u"contacts import"_s);

    std::unique_ptr<SingleInstance> lock;
    auto parts = loadBookForChange(parser.isSet(dataDirOption()) ? parser.value(dataDirOption()) : globalDataDir, lock);
    if (!parts)
        return kFailure;
    // A header line or a "," or tab separator: the columns are taken by their names, as the app
    // pre-fills its choice, and the user is told which went where.
    std::optional<CsvTable> table;
    if (!vCard)
        if (const std::optional<QByteArray> bytes = readWholeFile(file))
            table = readCsvTable(*bytes);
    if (parser.isSet(map) && (!table || table->header.isEmpty()))
        return usage(u"--map is for CSV files whose first line names their columns"_s, u"contacts import"_s);
    CsvMapping mapping{};
    QString columns;
    if (table) {
        QString mapError;
        const std::optional<CsvMapping> chosen = columnMapping(*table, parser.values(map), &mapError);
        if (!chosen)
            return usage(mapError, u"contacts import"_s);
        mapping = *chosen;
        for (std::size_t field = 0; field < mapping.size(); ++field)
            columns += fieldName(*kStoredFields[field]) + u" <- "_s +
                       (mapping[field] < 0 ? u"(none)"_s : QString(u'"' + columnName(*table, mapping[field]) + u'"')) +
                       u'\n';
    }
    const ContactImportResult result = vCard   ? importVCardFile(parts->book, file, parser.value(group))
                                       : table ? importCsvTable(parts->book, *table, mapping, parser.value(group))
                                               : importCsvFile(parts->book, file, parser.value(group));
    const QString message = importMessage(parts->textes, result, file);
    // A file that gives no contact was not what the user meant to import.
    if (!result.opened || result.count == 0) {
        err(message);
        return kFailure;
    }
    if (const int saved = saveBook(parts->book); saved != kAccepted)
        return saved;
    write(columns, stdout);
    out(QString(message).replace(u"\r\n"_s, u"\n"_s));
    return kAccepted;
}

int contactsExport(const QString &globalDataDir, const QStringList &arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption vcard(QStringLiteral("vcard"),
                                   QStringLiteral("The vCard file written (version 3.0, UTF-8), replaced if there."),
                                   QStringLiteral("FILE"));
    const QCommandLineOption group(QStringLiteral("group"),
                                   QStringLiteral("Only the contacts of group NAME, ignoring case."),
                                   QStringLiteral("NAME"));
    parser.addOptions({vcard, group});
    int status = kAccepted;
    if (!parseCommand(parser, u"contacts export"_s,
                      u"Writes the contacts of the address book, or of one group, to a vCard file."_s, arguments,
                      &status))
        return status;
    if (!parser.isSet(vcard) || parser.value(vcard).isEmpty())
        return usage(u"contacts export needs --vcard FILE"_s, u"contacts export"_s);

    auto parts = loadParts(parser.isSet(dataDirOption()) ? parser.value(dataDirOption()) : globalDataDir);
    const auto book = readBook(parts->book);
    if (!book)
        return kFailure;
    QList<const ClassContact *> chosen;
    for (const std::unique_ptr<ClassContact> &c : *book)
        if (!parser.isSet(group) || compareIgnoringCase(c->Groupe, parser.value(group)) == 0)
            chosen.append(c.get());
    const QString path = parser.value(vcard);
    if (!writeVCardFile(path, chosen)) {
        err(u"parlevo-cli: "_s + QString(parts->textes(Txt::FileNotSaved)).replace(u"%1"_s, path));
        return kFailure;
    }
    out(QString(parts->textes(Txt::ContactsExported))
            .replace(u"%1"_s, QString::number(chosen.size()))
            .replace(u"%2"_s, QDir::toNativeSeparators(path)));
    return kAccepted;
}

int contactsAdd(const QString &globalDataDir, const QStringList &arguments)
{
    QCommandLineParser parser;
    std::vector<std::pair<QCommandLineOption, const ContactFieldInfo *>> fields;
    for (const ContactFieldInfo *field : kStoredFields) {
        const auto [help, valueName] = kOptionHelp[std::size_t(field->column)];
        fields.emplace_back(
            QCommandLineOption(fieldName(*field), QString::fromUtf16(help), QString::fromUtf16(valueName)), field);
        parser.addOption(fields.back().first);
    }
    int status = kAccepted;
    if (!parseCommand(parser, u"contacts add"_s,
                      u"Adds one contact to the address book with the contact editor's checks, adds its\n"
                      u"group to the groups, then saves the book."_s,
                      arguments, &status))
        return status;

    auto contact = std::make_unique<ClassContact>();
    for (const auto &[option, field] : fields) {
        const QString value = parser.value(option);
        if (value != withoutForbidden(value))
            return usage(u"--"_s + option.names().constFirst() + u" cannot hold \";\" or a line break"_s,
                         u"contacts add"_s);
        (*contact).*field->member = value;
    }
    if (contact->Phone != numberCharactersOnly(contact->Phone))
        return usage(u"--gsm takes digits, blanks and full stops, and a \"+\" first, only"_s, u"contacts add"_s);
    const QString dataDir = parser.isSet(dataDirOption()) ? parser.value(dataDirOption()) : globalDataDir;
    if (const QString refused = unsavableCharacters(*contact); !refused.isEmpty()) {
        err(QString(loadParts(dataDir)->textes(Txt::UnsavableCharacters)).replace(u"%1"_s, refused));
        return usage(u"the address book file cannot hold these characters"_s, u"contacts add"_s);
    }
    if (const std::optional<Txt> error = contactEditorError(contact->Nom, contact->Phone)) {
        err(loadParts(dataDir)->textes(*error));
        return usage(*error == Txt::NoLastName ? u"contacts add needs --nom"_s : u"contacts add needs --gsm"_s,
                     u"contacts add"_s);
    }

    std::unique_ptr<SingleInstance> lock;
    auto parts = loadBookForChange(dataDir, lock);
    if (!parts)
        return kFailure;
    contact->Phone = readNumberInput(parts->book.phoneCheck(), contact->Phone).number;
    contact->GUID = parts->book.NextKey();
    Ajoute_Groupe(parts->book.colGroupes(), contact->Groupe);
    parts->book.colContacts().add(std::move(contact));
    return saveBook(parts->book);
}

} // namespace

int contacts(const QString &globalDataDir, const QStringList &arguments)
{
    const QString sub = arguments.value(0);
    if (sub == u"list")
        return contactsList(globalDataDir, arguments.mid(1));
    if (sub == u"import")
        return contactsImport(globalDataDir, arguments.mid(1));
    if (sub == u"add")
        return contactsAdd(globalDataDir, arguments.mid(1));
    if (sub == u"export")
        return contactsExport(globalDataDir, arguments.mid(1));
    if (sub == u"check")
        return contactsCheck(globalDataDir, arguments.mid(1));
    if (sub == u"--help" || sub == u"-h") {
        out(u"Usage: parlevo-cli contacts list|import|export|add|check [options]; 'contacts <action> --help' for each."_s);
        return kAccepted;
    }
    return usage(sub.isEmpty() ? u"contacts needs list, import, export, add or check"_s
                               : u"unknown contacts action "_s + sub,
                 u"contacts"_s);
}

} // namespace parlevo::cli
