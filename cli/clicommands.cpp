#include "clicommands.h"

#include "addressbook/classcontact.h"
#include "addressbook/contactcollection.h"
#include "addressbook/contactrules.h"
#include "addressbook/contactstore.h"
#include "addressbook/csvimport.h"
#include "addressbook/groupcollection.h"
#include "app/configfile.h"
#include "app/mainwindowlogic.h"
#include "base/appstate.h"
#include "base/datapaths.h"
#include "base/ini.h"
#include "base/messagebox.h"
#include "base/shared.h"
#include "base/singleinstance.h"
#include "base/storefile.h"
#include "base/textes.h"
#include "gateway/classsendora.h"
#include "messages/outgoing.h"
#include "messages/smscodingtext.h"
#include "messages/smsencoding.h"
#include "sending/creditcheck.h"
#include "sending/differer.h"
#include "sending/mailingfile.h"
#include "sending/mailingresults.h"
#include "sending/sendrun.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>

#include <cstdio>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

namespace parlevo::cli {

namespace {

constexpr int kNumberDigits = 10;

const char kGeneralHelp[] = "Usage: parlevo-cli [--data-dir DIR] <command> [options]\n"
                            "\n"
                            "The scripting companion of Parlevo: same data directory, configuration file and\n"
                            "gateway account as the desktop app.\n"
                            "\n"
                            "Commands:\n"
                            "  balance   print the account's remaining credit (a number of SMS)\n"
                            "  send      send one SMS now or deferred\n"
                            "  account   set the gateway account in the configuration file\n"
                            "  contacts  list, import (CSV) or add address book contacts\n"
                            "  mailing send  send one SMS to every row of a mailing file or of a group\n"
                            "\n"
                            "Options:\n"
                            "  --data-dir DIR  the data directory (default: PARLEVO_HOME, the program's directory\n"
                            "                  when writable, else the per-user data directory)\n"
                            "  -h, --help      this help; '<command> --help' for a command's own\n"
                            "\n"
                            "The gateway is the build's PARLEVO_GATEWAY_HOST unless PARLEVO_GATEWAY_URL\n"
                            "(http://host:port) is set.\n"
                            "Exit status: 0 accepted, 2 gateway unreachable or no usable reply, 3 refused by the\n"
                            "gateway, 4 no complete answer in time (the SMS may have been sent), 1 configuration,\n"
                            "address book or results file not written, 64 usage error. A mailing exits with the\n"
                            "gravest of its rows: 4, then 2, then 3.\n";

int exitStatusOf(SendOutcome outcome)
{
    switch (outcome) {
    case SendOutcome::Accepted:
        return kAccepted;
    case SendOutcome::Refused:
        return kRefused;
    case SendOutcome::Unreachable:
        return kUnreachable;
    case SendOutcome::Unknown:
        return kNoAnswer;
    }
    return kUnreachable;
}

// Whole texts: a NUL character inside a field must not end the output there.
void write(const QString &text, std::FILE *stream)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stream);
}

void out(const QString &text)
{
    write(text, stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void err(const QString &text)
{
    QString plain = text;
    plain.replace(u"\r\n"_s, u"\n"_s);
    write(plain, stderr);
    std::fputc('\n', stderr);
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

// Parses one command's options; nothing when the caller must return at once with *status.
bool parseCommand(QCommandLineParser &parser, const QString &command, const QString &description,
                  const QStringList &arguments, int *status, qsizetype maxPositional = 0)
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

// Takes the data directory for a change, as the app does; false (and why, on standard error) when
// another copy holds it or no lock can be made there.
bool lockForChange(AppState &state, SingleInstance &lock)
{
    QString reason;
    switch (lock.acquire(&reason)) {
    case SingleInstance::Outcome::Acquired:
        return true;
    case SingleInstance::Outcome::HeldByOther:
        err(state.Textes(4));
        return false;
    case SingleInstance::Outcome::CannotCreate:
        err(u"parlevo-cli: cannot lock the data directory "_s + QDir::toNativeSeparators(state.dataDir()) + u": "_s +
            reason);
        return false;
    }
    return false;
}

// Why a file could not be read, with the system's reason.
QString cannotRead(const QString &path, const QString &reason)
{
    return u"cannot read "_s + QDir::toNativeSeparators(path) +
           (reason.isEmpty() ? u": not a regular file, or larger than 2 GB"_s : u": "_s + reason);
}

// The state the desktop app would have after its start-up steps for the text table and the configuration.
std::unique_ptr<AppState> loadState(const QString &dataDir)
{
    auto state = std::make_unique<AppState>(resolveDataDir(dataDir));
    state->textTable().LoadTextes(findLanguageFile(state->dataDir(), chosenLanguageName(QString())));
    LoadConfig(*state);
    return state;
}

int balance(const QString &globalDataDir, const QStringList &arguments)
{
    QCommandLineParser parser;
    int status = kAccepted;
    if (!parseCommand(parser, u"balance"_s,
                      u"Prints the remaining credit of the configured account (digits) on standard output.\n"
                      u"When the credit is not available, prints why on standard error and exits with 2."_s,
                      arguments, &status))
        return status;
    auto state = loadState(parser.isSet(dataDirOption()) ? parser.value(dataDirOption()) : globalDataDir);
    const QString credit = state->Gateway().Solde();
    if (credit.isEmpty()) {
        err(state->Textes(155));
        return kUnreachable;
    }
    out(credit);
    return kAccepted;
}

// Whether standard error is a terminal, where a progress bar can be redrawn in place.
bool stderrIsTerminal()
{
#ifdef _WIN32
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(fileno(stderr)) != 0;
#endif
}

// The options both send commands take for the text and its timing.
struct MessageOptions {
    QCommandLineOption message{QStringLiteral("message"), QStringLiteral("The message."), QStringLiteral("TEXT")};
    QCommandLineOption from{QStringLiteral("from"),
                            QStringLiteral("Sender shown as \"De : SENDER, \" before the message (default: the "
                                           "configured sender; an empty one gives no prefix)."),
                            QStringLiteral("SENDER")};
    QCommandLineOption at{QStringLiteral("at"), QStringLiteral("Deferred sending at this local date and time."),
                          QStringLiteral("YYYY-MM-DD HH:MM")};

    // The deferred value of --at (empty without it); nothing when --at is not a date and time.
    std::optional<QString> differer(const QCommandLineParser &parser) const
    {
        return parser.isSet(at) ? deferredValue(parser.value(at)) : std::optional<QString>(QString());
    }
};

int send(const QString &globalDataDir, const QStringList &arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption to(QStringLiteral("to"),
                                QStringLiteral("Recipient: its digits are kept, the first 10 are used."),
                                QStringLiteral("NUMBER"));
    const MessageOptions messageOptions;
    const QCommandLineOption &message = messageOptions.message;
    const QCommandLineOption &from = messageOptions.from;
    const QCommandLineOption &at = messageOptions.at;
    parser.addOptions({to, message, from, at});
    int status = kAccepted;
    if (!parseCommand(parser, u"send"_s,
                      u"Sends one SMS through the gateway with the rules of the desktop single send: the\n"
                      u"sender prefix, the 160-character cut, the deferred value hhmmDDMMYYYY.\n"
                      u"Prints the gateway's text for its reply, and before sending, on standard error, the\n"
                      u"text's coding (GSM 7-bit or Unicode) and its number of SMS. Exit status: 0 accepted,\n"
                      u"2 no usable reply, 3 refused, 64 usage error."_s,
                      arguments, &status))
        return status;
    if (!parser.isSet(message))
        return usage(u"send needs --message"_s, u"send"_s);

    auto state = loadState(parser.isSet(dataDirOption()) ? parser.value(dataDirOption()) : globalDataDir);
    const QString number = DigitsOnly(parser.value(to)).left(kNumberDigits);
    if (number.isEmpty()) {
        err(state->Textes(44));
        return usage(u"send needs --to with a number"_s, u"send"_s);
    }
    const auto deferred = messageOptions.differer(parser);
    if (!deferred)
        return usage(u"--at wants \"YYYY-MM-DD HH:MM\", not "_s + parser.value(at), u"send"_s);
    const QString differer = *deferred;
    const QString sender = parser.isSet(from) ? parser.value(from) : state->config().Expediteur;
    const QString text = textToSend(state->textTable(), sender, parser.value(message), ClassContact{});
    // Standard error: standard output keeps the gateway's text alone for scripts.
    err(smsCodingLine(state->textTable(), analyseSmsText(text)));

    const SendReply reply = state->Gateway().send(number, text, differer);
    if (reply.outcome == SendOutcome::Accepted) {
        out(replyText(state->textTable(), reply));
        return kAccepted;
    }
    // The same message Send_SMS shows, through the program's message-box routine (standard error here).
    MsgBox(failureMessage(state->textTable(), reply), vbOKOnly | vbCritical);
    return exitStatusOf(reply.outcome);
}

int account(const QString &globalDataDir, const QStringList &arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption email(QStringLiteral("email"), QStringLiteral("The account's e-mail address."),
                                   QStringLiteral("EMAIL"));
    const QCommandLineOption passwordStdin(
        QStringLiteral("password-stdin"),
        QStringLiteral("Reads the password from the first line of standard input (else it is kept)."));
    parser.addOptions({email, passwordStdin});
    int status = kAccepted;
    if (!parseCommand(parser, u"account"_s,
                      u"Sets the gateway account and writes the configuration file Parlevo.cfg of the data\n"
                      u"directory, the password enciphered as the desktop app does. The other settings\n"
                      u"are kept. Refused while the desktop app runs on the same data directory."_s,
                      arguments, &status))
        return status;
    if (!parser.isSet(email))
        return usage(u"account needs --email"_s, u"account"_s);

    QString password;
    if (parser.isSet(passwordStdin)) {
        QFile input;
        if (!input.open(stdin, QIODevice::ReadOnly))
            return usage(u"cannot read standard input"_s, u"account"_s);
        password = QString::fromUtf8(input.readLine());
        while (password.endsWith(u'\n') || password.endsWith(u'\r'))
            password.chop(1);
        // An empty password is never stored: the file would keep a cipher text keyed by the old
        // e-mail, which no longer deciphers.
        if (password.isEmpty())
            return usage(u"--password-stdin read an empty password; the account is unchanged"_s, u"account"_s);
    }
    // The e-mail as the configuration file will give it back (blanks and quotes around it dropped).
    IniDocument probe;
    probe.setValue(u"Account"_s, u"E-mail"_s, parser.value(email));
    const QString mail = probe.value(u"Account"_s, u"E-mail"_s, QString());

    auto state = loadState(parser.isSet(dataDirOption()) ? parser.value(dataDirOption()) : globalDataDir);
    const QString path = state->filePath(QString::fromUtf16(kConfigFileName));
    if (state->isUnreadable(QString::fromUtf16(kConfigFileName))) {
        QString reason;
        readWholeFile(path, &reason);
        err(u"parlevo-cli: "_s + cannotRead(path, reason));
        return kFailure;
    }
    QDir().mkpath(state->dataDir());
    // The app writes the configuration when it quits: a change made under it would be lost.
    SingleInstance instance(state->dataDir());
    if (!lockForChange(*state, instance))
        return kFailure;
    ClassSendora &gateway = state->Gateway();
    gateway.Mail = mail;
    if (parser.isSet(passwordStdin))
        gateway.Password = password;
    const Config &c = state->config();
    if (!SaveConfig(*state,
                    WindowGeometry{c.WindowTop, c.WindowLeft, c.WindowWidth, c.WindowHeight, c.WindowMaximized})) {
        err(u"parlevo-cli: cannot write "_s + QDir::toNativeSeparators(path));
        return kFailure;
    }
    out(path);
    return kAccepted;
}

// The fields a search can look in, in the picker's order.
const QStringList kSearchFields{u"societe"_s, u"titre"_s, u"prenom"_s, u"nom"_s, u"gsm"_s};

// The book as the app would load it, without the start-up copy: listing changes nothing. No file
// is an empty book; nothing (and why, on standard error) when the file cannot be read.
std::optional<std::vector<std::unique_ptr<ClassContact>>> readBook(AppState &state)
{
    const QString path = state.filePath(QString::fromUtf16(kContactsFileName));
    if (!FileExists(path))
        return std::vector<std::unique_ptr<ClassContact>>{};
    QString reason;
    const std::optional<QByteArray> bytes = readWholeFile(path, &reason);
    if (!bytes) {
        err(u"parlevo-cli: "_s + cannotRead(path, reason));
        return std::nullopt;
    }
    return readContactLines(*bytes, [&state] { return state.NextKey(); });
}

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
    const QCommandLineOption in(QStringLiteral("in"),
                                QStringLiteral("The field searched: %1.").arg(kSearchFields.join(u'|')),
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
    const qsizetype field = kSearchFields.indexOf(parser.value(in).toLower());
    if (parser.isSet(in) && field < 0)
        return usage(u"--in wants one of "_s + kSearchFields.join(u", "_s), u"contacts list"_s);

    auto state = loadState(parser.isSet(dataDirOption()) ? parser.value(dataDirOption()) : globalDataDir);
    const QString all = state->Textes(163);
    const auto book = readBook(*state);
    if (!book)
        return kFailure;
    QString lines;
    for (const std::unique_ptr<ClassContact> &c : *book) {
        if (parser.isSet(search) ? !listedBySearch(*c, int(field), parser.value(search))
                                 : parser.isSet(group) && !listedByGroup(*c, parser.value(group), all))
            continue;
        lines += QStringList{c->Groupe, c->Societe, c->Titre, c->Prenom, c->Nom, c->Phone}.join(u'\t') + u'\n';
    }
    write(lines, stdout);
    return kAccepted;
}

// Loads the book for a change; nothing when the app holds the data directory.
std::unique_ptr<AppState> loadBookForChange(const QString &dataDir, std::unique_ptr<SingleInstance> &lock)
{
    auto state = loadState(dataDir);
    QDir().mkpath(state->dataDir());
    // The app writes the book when it quits: a change made under it would be lost.
    lock = std::make_unique<SingleInstance>(state->dataDir());
    if (!lockForChange(*state, *lock))
        return nullptr;
    if (!Charge_Contacts(*state)) {
        const QString path = state->filePath(QString::fromUtf16(kContactsFileName));
        QString reason;
        readWholeFile(path, &reason);
        err(u"parlevo-cli: "_s + cannotRead(path, reason));
        return nullptr;
    }
    return state;
}

int saveBook(AppState &state)
{
    const QString path = state.filePath(QString::fromUtf16(kContactsFileName));
    if (!Sauve_Contacts(state, path)) {
        err(u"parlevo-cli: cannot write "_s + path);
        return kFailure;
    }
    return kAccepted;
}

int contactsImport(const QString &globalDataDir, const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("The CSV file."));
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
                      u"name;last name;number), nothing checked, trimmed or unquoted. Then saves the book."_s,
                      rest, &status))
        return status;
    if (file.isEmpty())
        return usage(u"contacts import needs a FILE"_s, u"contacts import"_s);

    std::unique_ptr<SingleInstance> lock;
    auto state = loadBookForChange(parser.isSet(dataDirOption()) ? parser.value(dataDirOption()) : globalDataDir, lock);
    if (!state)
        return kFailure;
    const CsvImportResult result = importCsvFile(*state, file);
    const QString message = csvImportMessage(state->textTable(), result, file);
    if (!result.opened) {
        err(message);
        return kFailure;
    }
    if (const int saved = saveBook(*state); saved != kAccepted)
        return saved;
    out(QString(message).replace(u"\r\n"_s, u"\n"_s));
    return kAccepted;
}

int contactsAdd(const QString &globalDataDir, const QStringList &arguments)
{
    QCommandLineParser parser;
    struct Field {
        QCommandLineOption option;
        QString ClassContact::*member;
    };
    const std::vector<Field> fields{
        {QCommandLineOption(QStringLiteral("groupe"), QStringLiteral("The group."), QStringLiteral("NAME")),
         &ClassContact::Groupe},
        {QCommandLineOption(QStringLiteral("societe"), QStringLiteral("The company."), QStringLiteral("TEXT")),
         &ClassContact::Societe},
        {QCommandLineOption(QStringLiteral("titre"), QStringLiteral("The title."), QStringLiteral("TEXT")),
         &ClassContact::Titre},
        {QCommandLineOption(QStringLiteral("prenom"), QStringLiteral("The first name."), QStringLiteral("TEXT")),
         &ClassContact::Prenom},
        {QCommandLineOption(QStringLiteral("nom"), QStringLiteral("The last name (needed)."), QStringLiteral("TEXT")),
         &ClassContact::Nom},
        {QCommandLineOption(QStringLiteral("gsm"),
                            QStringLiteral("The number (needed): digits, blanks and full stops."),
                            QStringLiteral("NUMBER")),
         &ClassContact::Phone},
    };
    for (const Field &f : fields)
        parser.addOption(f.option);
    int status = kAccepted;
    if (!parseCommand(parser, u"contacts add"_s,
                      u"Adds one contact to the address book with the contact editor's checks, adds its\n"
                      u"group to the groups, then saves the book."_s,
                      arguments, &status))
        return status;

    auto contact = std::make_unique<ClassContact>();
    for (const Field &f : fields) {
        const QString value = parser.value(f.option);
        if (value != withoutForbidden(value))
            return usage(u"--"_s + f.option.names().constFirst() + u" cannot hold \";\" or a line break"_s,
                         u"contacts add"_s);
        (*contact).*f.member = value;
    }
    if (contact->Phone != numberCharactersOnly(contact->Phone))
        return usage(u"--gsm takes digits, blanks and full stops only"_s, u"contacts add"_s);
    const QString dataDir = parser.isSet(dataDirOption()) ? parser.value(dataDirOption()) : globalDataDir;
    if (const QString refused = unsavableCharacters(*contact); !refused.isEmpty()) {
        err(QString(loadState(dataDir)->Textes(289)).replace(u"%1"_s, refused));
        return usage(u"the address book file cannot hold these characters"_s, u"contacts add"_s);
    }
    if (const int error = contactEditorError(contact->Nom, contact->Phone); error != 0) {
        err(loadState(dataDir)->Textes(error));
        return usage(error == 135 ? u"contacts add needs --nom"_s : u"contacts add needs --gsm"_s, u"contacts add"_s);
    }

    std::unique_ptr<SingleInstance> lock;
    auto state = loadBookForChange(dataDir, lock);
    if (!state)
        return kFailure;
    contact->GUID = state->NextKey();
    Ajoute_Groupe(*state, contact->Groupe);
    state->colContacts().add(std::move(contact));
    return saveBook(*state);
}

int contacts(const QString &globalDataDir, const QStringList &arguments)
{
    const QString sub = arguments.value(0);
    if (sub == u"list")
        return contactsList(globalDataDir, arguments.mid(1));
    if (sub == u"import")
        return contactsImport(globalDataDir, arguments.mid(1));
    if (sub == u"add")
        return contactsAdd(globalDataDir, arguments.mid(1));
    if (sub == u"--help" || sub == u"-h") {
        out(u"Usage: parlevo-cli contacts list|import|add [options]; 'contacts <action> --help' for each."_s);
        return kAccepted;
    }
    return usage(sub.isEmpty() ? u"contacts needs list, import or add"_s : u"unknown contacts action "_s + sub,
                 u"contacts"_s);
}

// Terminal side of a mailing run: a result line per recipient on standard output, a progress
// bar on standard error when it is a terminal, and each row written to the --results file as
// soon as it has its outcome, so an interrupted run still leaves the record of what was sent.
class TerminalRun final : public SendRunObserver {
public:
    TerminalRun(const TextTable &textes, bool bar, QFile *results)
        : m_textes(textes)
        , m_bar(bar)
        , m_results(results)
    {
        writeResults(cliResultsHeader());
    }

    void runStarted(qsizetype total) override { drawBar(0, total); }
    void rowStarted(qsizetype, const ClassContact &contact, const QString &recipient) override
    {
        m_recipient = recipient;
        m_contact = contact;
    }
    void rowDone(qsizetype, const QString &number, const SendReply &reply, const QString &result) override
    {
        if (m_bar)
            std::fputs("\r\033[K", stderr);
        out(m_recipient.trimmed() + u" : "_s + result);
        writeResults(cliResultsLine(number, MailingResult{m_contact, reply.code, result, reply.outcome}));
    }
    void progress(qsizetype done, qsizetype total) override { drawBar(done, total); }
    void finish(qsizetype done, qsizetype total)
    {
        if (m_bar)
            std::fputs("\r\033[K", stderr);
        err(progressText(m_textes, done, total));
    }
    // False once a line of the results file could not be written.
    bool resultsWritten() const { return m_resultsWritten; }

private:
    void writeResults(const QString &text)
    {
        if (!m_results || !m_resultsWritten)
            return;
        const QByteArray bytes = text.toUtf8();
        m_resultsWritten = m_results->write(bytes) == bytes.size() && m_results->flush();
        // Told at once: whoever watches the run knows its record is incomplete from here.
        if (!m_resultsWritten)
            err(u"parlevo-cli: cannot write "_s + m_results->fileName() + u": "_s + m_results->errorString());
    }
    void drawBar(qsizetype done, qsizetype total)
    {
        if (!m_bar)
            return;
        constexpr int kWidth = 30;
        const int filled = total > 0 ? static_cast<int>(done * kWidth / total) : kWidth;
        const QString bar = u"\r["_s + QString(filled, u'#') + QString(kWidth - filled, u' ') + u"] "_s +
                            progressText(m_textes, done, total);
        std::fputs(bar.toUtf8().constData(), stderr);
        std::fflush(stderr);
    }

    const TextTable &m_textes;
    bool m_bar;
    QFile *m_results;
    bool m_resultsWritten = true;
    QString m_recipient;
    ClassContact m_contact;
};

int mailing(const QString &globalDataDir, const QStringList &arguments)
{
    if (arguments.isEmpty() || arguments.first() != u"send")
        return usage(u"mailing wants the sub-command send"_s, u"mailing"_s);
    QCommandLineParser parser;
    const QCommandLineOption group(QStringLiteral("group"),
                                   QStringLiteral("Sends to every contact of this address book group (exact name)."),
                                   QStringLiteral("NAME"));
    const MessageOptions messageOptions;
    const QCommandLineOption &message = messageOptions.message;
    const QCommandLineOption &from = messageOptions.from;
    const QCommandLineOption &at = messageOptions.at;
    const QCommandLineOption results(QStringLiteral("results"),
                                     QStringLiteral("Writes the results as CSV (number, full name, code, text)."),
                                     QStringLiteral("FILE.csv"));
    const QCommandLineOption retryFailed(
        QStringLiteral("retry-failed"),
        QStringLiteral("Sends only to the rows of a results file (--results or the app's export) refused by the "
                       "gateway or that never reached it, instead of a mailing file or a group."),
        QStringLiteral("RESULTS.csv"));
    const QCommandLineOption includeUnknown(
        QStringLiteral("include-unknown"),
        QStringLiteral("With --retry-failed, also sends to the rows that got no answer in time (they may have "
                       "been sent already)."));
    parser.addOptions({group, message, from, at, results, retryFailed, includeUnknown});
    parser.addPositionalArgument(QStringLiteral("FILE.kxg"), QStringLiteral("A mailing file saved by the app."));
    int status = kAccepted;
    if (!parseCommand(parser, u"mailing send"_s,
                      u"Sends one SMS to every row of a mailing file, or to every contact of a group, one\n"
                      u"after the other, with the rules of the desktop mailing: the sender prefix, the\n"
                      u"160-character cut, the number's digits, the same deferred value for every row.\n"
                      u"Prints one result line per recipient. Before sending, prints on standard error the\n"
                      u"text's coding and number of SMS, and a warning when the gateway tells a credit below\n"
                      u"the SMS the mailing takes; the mailing is sent all the same. With --results, each row\n"
                      u"is written to the file as soon as it has its outcome. Exit status: 0 every SMS\n"
                      u"accepted, 3 some refused, 2 some never reached the gateway, 4 some got no answer in\n"
                      u"time and may have been sent, 1 results file not written, 64 usage error."_s,
                      arguments.mid(1), &status, 1))
        return status;
    const QStringList files = parser.positionalArguments();
    if (parser.isSet(includeUnknown) && !parser.isSet(retryFailed))
        return usage(u"--include-unknown goes with --retry-failed"_s, u"mailing send"_s);
    if (parser.isSet(retryFailed) && (!files.isEmpty() || parser.isSet(group)))
        return usage(u"--retry-failed takes the place of a mailing file or --group"_s, u"mailing send"_s);
    if (!parser.isSet(retryFailed) && files.isEmpty() == !parser.isSet(group))
        return usage(u"mailing send wants either a mailing file or --group"_s, u"mailing send"_s);
    if (!parser.isSet(message))
        return usage(u"mailing send needs --message"_s, u"mailing send"_s);
    const auto deferred = messageOptions.differer(parser);
    if (!deferred)
        return usage(u"--at wants \"YYYY-MM-DD HH:MM\", not "_s + parser.value(at), u"mailing send"_s);
    const QString differer = *deferred;

    auto state = loadState(parser.isSet(dataDirOption()) ? parser.value(dataDirOption()) : globalDataDir);
    const auto nextKey = [&state] { return state->NextKey(); };
    std::vector<std::unique_ptr<ClassContact>> rows;
    if (parser.isSet(retryFailed)) {
        const QString path = parser.value(retryFailed);
        QString reason;
        const auto bytes = readWholeFile(path, &reason);
        if (!bytes)
            return usage(cannotRead(path, reason), u"mailing send"_s);
        QString error;
        const auto previous = readResultsFile(*bytes, &error);
        if (!previous)
            return usage(path + u" is not a results file: "_s + error, u"mailing send"_s);
        for (const ClassContact &contact : failedContacts(*previous, parser.isSet(includeUnknown)))
            rows.push_back(mailingCopy(contact, nextKey()));
        const qsizetype unknown = unknownCount(*previous);
        if (unknown > 0 && !parser.isSet(includeUnknown))
            err(u"parlevo-cli: %1 row(s) of %2 got no answer in time and may have been sent; "
                u"--include-unknown sends them again"_s.arg(unknown)
                    .arg(path));
        if (rows.empty()) {
            err(u"parlevo-cli: nothing to send again in "_s + path);
            return kAccepted;
        }
    } else if (!files.isEmpty()) {
        if (!FileExists(files.first()))
            return usage(u"cannot read "_s + files.first(), u"mailing send"_s);
        QString reason;
        if (!readWholeFile(files.first(), &reason))
            return usage(cannotRead(files.first(), reason), u"mailing send"_s);
        auto loaded = Charge_Mailing(files.first(), nextKey);
        if (!loaded)
            return usage(u"cannot read "_s + files.first(), u"mailing send"_s);
        rows = std::move(*loaded);
    } else {
        // Read without the app's start-up copy: the command changes nothing in the data directory.
        auto book = readBook(*state);
        if (!book)
            return kFailure;
        for (auto &contact : *book) {
            if (contact->Groupe == parser.value(group))
                rows.push_back(mailingCopy(*contact, contact->GUID));
        }
    }
    if (rows.empty()) {
        err(state->Textes(93));
        return kUsageError;
    }

    const QString sender = parser.isSet(from) ? parser.value(from) : state->config().Expediteur;
    const QString text = parser.value(message);
    const QString sent = textToSend(state->textTable(), sender, text, ClassContact{});
    err(smsCodingLine(state->textTable(), analyseSmsText(sent)));
    // One balance request before many sends; a credit that cannot be had warns of nothing.
    const QString warning = creditWarning(state->textTable(), creditFromSolde(state->Gateway().Solde()),
                                          mailingSmsCount(static_cast<qint64>(rows.size()), sent));
    if (!warning.isEmpty())
        err(warning);
    const MailingSource source{
        [&rows] { return static_cast<qsizetype>(rows.size()); },
        [&rows](qsizetype row) -> const ClassContact * { return rows[static_cast<std::size_t>(row)].get(); },
        [&sender] { return sender; }, [&text] { return text; }};
    // The results file is opened before the first SMS: a run that cannot be recorded is not started.
    std::unique_ptr<QFile> resultsFile;
    if (parser.isSet(results)) {
        resultsFile = std::make_unique<QFile>(parser.value(results));
        if (!resultsFile->open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            err(u"parlevo-cli: cannot write "_s + parser.value(results) + u": "_s + resultsFile->errorString());
            return kFailure;
        }
    }
    TerminalRun terminal(state->textTable(), stderrIsTerminal(), resultsFile.get());
    const SendRunSummary summary = runMailing(state->Gateway(), state->textTable(), source, differer, terminal);
    terminal.finish(summary.done, summary.total);
    if (resultsFile)
        resultsFile->close();
    if (resultsFile && (!terminal.resultsWritten() || resultsFile->error() != QFileDevice::NoError)) {
        err(u"parlevo-cli: cannot write "_s + parser.value(results));
        return kFailure;
    }
    if (summary.unknown > 0)
        return kNoAnswer;
    if (summary.unreachable > 0)
        return kUnreachable;
    return summary.refused > 0 ? kRefused : kAccepted;
}

} // namespace

std::optional<QString> deferredValue(const QString &at)
{
    const QDateTime when = QDateTime::fromString(at.trimmed(), u"yyyy-MM-dd HH:mm"_s);
    if (!when.isValid())
        return std::nullopt;
    return Build_Differer(true, when.date(), when.time());
}

int run(const QStringList &arguments)
{
    // Options before the command: --data-dir and --help.
    QString dataDir;
    qsizetype i = 1;
    for (; i < arguments.size(); ++i) {
        const QString &a = arguments[i];
        if (a == u"--data-dir" || a == u"-data-dir") {
            if (i + 1 >= arguments.size())
                return usage(u"--data-dir needs a directory"_s, QString());
            dataDir = arguments[++i];
        } else if (a.startsWith(u"--data-dir=")) {
            dataDir = a.mid(11);
        } else if (a == u"--help" || a == u"-h" || a == u"help") {
            std::fputs(kGeneralHelp, stdout);
            return kAccepted;
        } else if (a.startsWith(u'-')) {
            return usage(u"unknown option "_s + a, QString());
        } else {
            break;
        }
    }
    if (i >= arguments.size())
        return usage(u"no command given"_s, QString());
    const QString command = arguments[i];
    const QStringList rest = arguments.mid(i + 1);

    // Send_SMS's failure boxes become lines on standard error, answered with their first button.
    setMessageBoxHandler([](const QString &text, int) {
        err(text);
        return static_cast<int>(vbOK);
    });
    if (command == u"balance")
        return balance(dataDir, rest);
    if (command == u"send")
        return send(dataDir, rest);
    if (command == u"account")
        return account(dataDir, rest);
    if (command == u"contacts")
        return contacts(dataDir, rest);
    if (command == u"mailing")
        return mailing(dataDir, rest);
    return usage(u"unknown command "_s + command, QString());
}

} // namespace parlevo::cli
