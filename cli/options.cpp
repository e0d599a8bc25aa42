#include "options.h"

#include "addressbook/contactfields.h"
#include "addressbook/contactstore.h"
#include "addressbook/optoutlist.h"
#include "base/txt.h"
#include "gateway/classsendora.h"

#include "prefs/configfile.h"

#include "base/datapaths.h"

#include "base/singleinstance.h"

#include "sending/differer.h"
#include "sending/mailingfile.h"

#include "sending/sendrun.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <algorithm>
#include <cstdio>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

namespace parlevo::cli {

namespace {

// Every answer comes from the event loop, never from within start: the loop runs until it is in.
template <typename T> T awaitAnswer(const std::function<void(std::function<void(const T &)>)> &start)
{
    std::optional<T> answer;
    start([&answer](const T &value) {
        answer = value;
        QCoreApplication::quit();
    });
    if (!answer)
        QCoreApplication::exec();
    return answer.value_or(T{});
}

} // namespace

SendReply awaitReply(const std::function<void(std::function<void(const SendReply &)>)> &start)
{
    return awaitAnswer<SendReply>(start);
}

QString awaitCredit(ClassSendora &gateway)
{
    return awaitAnswer<QString>(
        [&gateway](std::function<void(const QString &)> done) { gateway.Solde(std::move(done)); });
}

int exitStatusOf(SendOutcome outcome)
{
    switch (outcome) {
    case SendOutcome::Accepted:
        return kAccepted;
    case SendOutcome::Refused:
    case SendOutcome::Busy:
        return kRefused;
    case SendOutcome::Unreachable:
        return kUnreachable;
    case SendOutcome::Unknown:
        return kNoAnswer;
    case SendOutcome::NotSent:
    case SendOutcome::Skipped:
        break;
    }
    return kUnreachable;
}

void prepareStreams()
{
#ifdef _WIN32
    // Binary: in text mode the C library puts a CR before every LF, so a CSV's CR LF would come
    // out as CR CR LF. Every line is then written as on Linux (LF, CR LF in CSV files), which
    // consoles, PowerShell and spreadsheets read. UTF-8, as every text is written.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    SetConsoleOutputCP(CP_UTF8);
#endif
}

void write(const QString &text, std::FILE *stream)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stream);
}

void out(const QString &text)
{
    write(text + u'\n', stdout);
    std::fflush(stdout);
}

void err(const QString &text)
{
    QString plain = text;
    plain.replace(u"\r\n"_s, u"\n"_s);
    write(plain + u'\n', stderr);
    std::fflush(stderr);
}

int usage(const QString &text, const QString &command)
{
    err(u"parlevo-cli: "_s + text);
    err(u"Try 'parlevo-cli "_s + (command.isEmpty() ? QString() : command + u' ') + u"--help'."_s);
    return kUsageError;
}

const QCommandLineOption &dataDirOption()
{
    static const QCommandLineOption option(QStringLiteral("data-dir"), QStringLiteral("The data directory."),
                                           QStringLiteral("DIR"));
    return option;
}

bool parseCommand(QCommandLineParser &parser, const QString &command, const QString &description,
                  const QStringList &arguments, int *status, qsizetype maxPositional)
{
    parser.setApplicationDescription(description);
    parser.addHelpOption();
    parser.addOption(dataDirOption());
    if (!parser.parse(QStringList{u"parlevo-cli "_s + command} + arguments)) {
        *status = usage(parser.errorText(), command);
        return false;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        // Qt names the program by its path; the command's own name reads better.
        QString help = parser.helpText();
        help = u"Usage: parlevo-cli "_s + command + u" [options]"_s + help.mid(help.indexOf(u'\n'));
        out(help.trimmed());
        *status = kAccepted;
        return false;
    }
    if (parser.positionalArguments().size() > maxPositional) {
        *status = usage(u"unexpected argument: "_s + parser.positionalArguments().at(maxPositional), command);
        return false;
    }
    return true;
}

bool lockForChange(const TextTable &textes, const DataDir &dataDir, SingleInstance &lock)
{
    QString reason;
    switch (lock.acquire(&reason)) {
    case SingleInstance::Outcome::Acquired:
        return true;
    case SingleInstance::Outcome::HeldByOther:
        err(textes(Txt::AlreadyRunning));
        return false;
    case SingleInstance::Outcome::CannotCreate:
        err(u"parlevo-cli: cannot lock the data directory "_s + QDir::toNativeSeparators(dataDir.path()) + u": "_s +
            reason);
        return false;
    }
    return false;
}

QString cannotRead(const QString &path, const QString &reason)
{
    return u"cannot read "_s + QDir::toNativeSeparators(path) +
           (reason.isEmpty() ? u": not a regular file, or larger than 2 GB"_s : u": "_s + reason);
}

std::unique_ptr<Parts> loadParts(const QString &dataDir)
{
    auto parts = std::make_unique<Parts>(resolveDataDir(dataDir));
    parts->textes.LoadTextes(findLanguageFile(parts->dataDir.path(), chosenLanguageName(QString())));
    LoadConfig(parts->config, parts->gateway, parts->cipher, parts->dataDir);
    return parts;
}

bool stderrIsTerminal()
{
#ifdef _WIN32
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(fileno(stderr)) != 0;
#endif
}

namespace {

QDateTime atTime(const QString &at)
{
    return QDateTime::fromString(at.trimmed(), u"yyyy-MM-dd HH:mm"_s);
}

} // namespace

std::optional<QString> deferredValue(const QString &at)
{
    const QDateTime when = atTime(at);
    if (!when.isValid())
        return std::nullopt;
    return Build_Differer(true, when.date(), when.time());
}

void sayUnreadable(const DataDir &dataDir, const QString &fileName)
{
    QString reason;
    dataDir.read(fileName, &reason);
    err(u"parlevo-cli: "_s + cannotRead(dataDir.filePath(fileName), reason));
}

namespace {

// A data file read as it is, without the start-up copy: empty when there is none; nothing (and
// why, on standard error) when it cannot be read.
std::optional<QByteArray> readDataFile(const DataDir &dataDir, const char16_t *fileName)
{
    const QString name = QString::fromUtf16(fileName);
    QString reason;
    std::optional<QByteArray> bytes = dataDir.read(name, &reason);
    if (!bytes)
        err(u"parlevo-cli: "_s + cannotRead(dataDir.filePath(name), reason));
    return bytes;
}

} // namespace

std::optional<std::vector<std::unique_ptr<ClassContact>>> readBook(AddressBook &book)
{
    const std::optional<QByteArray> bytes = readDataFile(book.dataDir(), kContactsFileName);
    if (!bytes)
        return std::nullopt;
    return readContactLines(*bytes, [&book] { return book.NextKey(); });
}

bool readOptOuts(AddressBook &book)
{
    const std::optional<QByteArray> bytes = readDataFile(book.dataDir(), kOptOutFileName);
    if (bytes)
        book.optOuts().setFileBytes(*bytes);
    return bytes.has_value();
}

namespace {

// The names of a CSV header, quoted, for a message.
QString headerList(const CsvTable &table)
{
    QStringList quoted;
    for (const QString &name : table.header)
        quoted.append(u'"' + name.trimmed() + u'"');
    return quoted.join(u", "_s);
}

} // namespace

std::optional<CsvMapping> columnMapping(const CsvTable &table, const QStringList &pairs, QString *error)
{
    CsvMapping mapping = defaultMapping(table);
    for (const QString &pair : pairs) {
        const qsizetype eq = pair.indexOf(u'=');
        const auto field = std::find_if(kStoredFields.cbegin(), kStoredFields.cend(), [&](const auto *info) {
            return fieldName(*info) == QStringView(pair).first(std::max<qsizetype>(eq, 0));
        });
        const QString header = pair.sliced(eq + 1).trimmed();
        const auto column = std::find_if(table.header.cbegin(), table.header.cend(), [&](const QString &name) {
            return name.trimmed().compare(header, Qt::CaseInsensitive) == 0;
        });
        if (eq < 0 || field == kStoredFields.cend()) {
            *error =
                u"--map wants FIELD=HEADER with FIELD one of societe, titre, prenom, nom, gsm, groupe, not "_s + pair;
            return std::nullopt;
        }
        if (column == table.header.cend()) {
            *error = u"no column is named \""_s + header + u"\"; the columns are: "_s + headerList(table);
            return std::nullopt;
        }
        mapping[std::size_t(field - kStoredFields.cbegin())] = int(column - table.header.cbegin());
    }
    if (!table.header.isEmpty() && mapping[5] < 0) {
        *error = u"no column was recognised as the number: name it with --map gsm=HEADER; the columns are: "_s +
                 headerList(table);
        return std::nullopt;
    }
    return mapping;
}

} // namespace parlevo::cli
