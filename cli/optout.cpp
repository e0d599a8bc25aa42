#include "options.h"

#include "addressbook/optoutlist.h"
#include "base/codec1252.h"
#include "base/shared.h"
#include "base/singleinstance.h"
#include "base/storefile.h"

#include <QCommandLineParser>
#include <QDir>

#include <limits>

using namespace Qt::StringLiterals;

namespace parlevo::cli {

namespace {

// The list as the app would load it; for a change, with the data directory held as the app does.
std::unique_ptr<Parts> loadOptOuts(const QString &dataDir, std::unique_ptr<SingleInstance> *lock)
{
    auto parts = loadParts(dataDir);
    if (lock) {
        QDir().mkpath(parts->dataDir.path());
        *lock = std::make_unique<SingleInstance>(parts->dataDir.path());
        if (!lockForChange(parts->textes, parts->dataDir, **lock))
            return nullptr;
    }
    if (!Charge_Desinscrits(parts->book)) {
        sayUnreadable(parts->dataDir, QString::fromUtf16(kOptOutFileName));
        return nullptr;
    }
    return parts;
}

int saveOptOuts(AddressBook &book)
{
    if (!Sauve_Desinscrits(book)) {
        err(u"parlevo-cli: cannot write "_s + book.dataDir().filePath(QString::fromUtf16(kOptOutFileName)));
        return kFailure;
    }
    return kAccepted;
}

// The lines of a file another program wrote: UTF-8 when valid, else Windows-1252.
std::optional<QStringList> importedNumbers(const QString &path)
{
    QString reason;
    const std::optional<QByteArray> bytes = readWholeFile(path, &reason);
    if (!bytes) {
        err(u"parlevo-cli: "_s + cannotRead(path, reason));
        return std::nullopt;
    }
    const std::optional<QString> text = decodeUtf8(*bytes);
    return readOptOutLines(text ? encode1252(*text) : *bytes);
}

int optOutChange(const QString &globalDataDir, const QString &action, const QStringList &arguments)
{
    QCommandLineParser parser;
    const bool import = action == u"import";
    parser.addPositionalArgument(import ? u"FILE"_s : u"NUMBER"_s,
                                 import ? u"A text file, one number a line."_s : u"The numbers, as written."_s);
    const QString command = u"optout "_s + action;
    const QString help =
        action == u"add" ? u"Adds numbers to the opt-out list: they receive no SMS mailing. A number already\n"
                           u"listed under another spelling (\"06 12 34 56 78\", \"+33612345678\") is not added again."_s
        : action == u"remove" ? u"Removes numbers from the opt-out list, however they are written there."_s
                              : u"Adds each number of FILE (one a line; lines without a digit are skipped)."_s;
    int status = kAccepted;
    if (!parseCommand(parser, command, help, arguments, &status, import ? 1 : std::numeric_limits<int>::max()))
        return status;
    if (parser.positionalArguments().isEmpty())
        return usage(command + (import ? u" needs a FILE"_s : u" needs at least one NUMBER"_s), command);
    QStringList numbers = parser.positionalArguments();
    for (const QString &number : numbers) {
        if (!import && DigitsOnly(number).isEmpty())
            return usage(u"not a number: "_s + number, command);
    }
    if (import) {
        const std::optional<QStringList> read = importedNumbers(numbers.constFirst());
        if (!read)
            return kFailure;
        numbers = *read;
    }

    std::unique_ptr<SingleInstance> lock;
    auto parts = loadOptOuts(parser.isSet(dataDirOption()) ? parser.value(dataDirOption()) : globalDataDir, &lock);
    if (!parts)
        return kFailure;
    OptOutList &list = parts->book.optOuts();
    qsizetype changed = 0;
    for (const QString &number : std::as_const(numbers))
        changed += (action == u"remove" ? list.remove(number) : list.add(number)) ? 1 : 0;
    if (const int saved = saveOptOuts(parts->book); saved != kAccepted)
        return saved;
    out((action == u"remove" ? u"%1 removed, %2 not listed"_s : u"%1 added, %2 already listed"_s)
            .arg(changed)
            .arg(numbers.size() - changed));
    return kAccepted;
}

int optOutList(const QString &globalDataDir, const QStringList &arguments)
{
    QCommandLineParser parser;
    int status = kAccepted;
    if (!parseCommand(parser, u"optout list"_s, u"Prints the opt-out list, one number a line as written."_s, arguments,
                      &status))
        return status;
    auto parts = loadOptOuts(parser.isSet(dataDirOption()) ? parser.value(dataDirOption()) : globalDataDir, nullptr);
    if (!parts)
        return kFailure;
    // A block at a time: a list of a million numbers is not copied whole once more.
    const OptOutList &list = parts->book.optOuts();
    QString lines;
    for (qsizetype i = 0; i < list.count(); ++i) {
        lines += list.number(i) + u'\n';
        if (lines.size() >= 1 << 16 || i + 1 == list.count()) {
            write(lines, stdout);
            lines.clear();
        }
    }
    return kAccepted;
}

} // namespace

int optout(const QString &globalDataDir, const QStringList &arguments)
{
    const QString sub = arguments.value(0);
    if (sub == u"add" || sub == u"remove" || sub == u"import")
        return optOutChange(globalDataDir, sub, arguments.mid(1));
    if (sub == u"list")
        return optOutList(globalDataDir, arguments.mid(1));
    if (sub == u"--help" || sub == u"-h") {
        out(u"Usage: parlevo-cli optout add NUMBER...|remove NUMBER...|list|import FILE; 'optout <action> --help' for each."_s);
        return kAccepted;
    }
    return usage(sub.isEmpty() ? u"optout needs add, remove, list or import"_s : u"unknown optout action "_s + sub,
                 u"optout"_s);
}

} // namespace parlevo::cli
