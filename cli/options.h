#pragma once

// What the command files of parlevo-cli share: the data directory option, the message options of
// the two send commands, the output helpers and the parts a command works with.

#include "addressbook/addressbook.h"
#include "addressbook/csvcolumns.h"
#include "base/config.h"
#include "base/datadir.h"
#include "base/textes.h"
#include "cli.h"
#include "crypto/clsrc4.h"
#include "gateway/classsendora.h"
#include "messages/gsmfriendly.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace parlevo {

struct ClassContact;
struct SendReply;
class SingleInstance;
enum class SendOutcome : quint8;

namespace cli {

// What a command works with: the parts the desktop app assembles at start-up, the texts and the
// configuration loaded as it loads them. Each command uses the few it needs.
struct Parts {
    explicit Parts(const QString &dataDir)
        : dataDir(dataDir)
        , gateway(textes)
        , book(this->dataDir)
    {
    }
    Parts(const Parts &) = delete;
    Parts &operator=(const Parts &) = delete;

    DataDir dataDir;
    TextTable textes;
    Config config;
    clsRC4 cipher;
    ClassSendora gateway;
    AddressBook book;
};

// One command each, with the options after the command's name; globalDataDir is the
// --data-dir given before the command (empty when none).
int balance(const QString &globalDataDir, const QStringList &arguments);
int send(const QString &globalDataDir, const QStringList &arguments);
int account(const QString &globalDataDir, const QStringList &arguments);
int contacts(const QString &globalDataDir, const QStringList &arguments);
int mailing(const QString &globalDataDir, const QStringList &arguments);
int history(const QString &globalDataDir, const QStringList &arguments);
int optout(const QString &globalDataDir, const QStringList &arguments);

// The exit status of one send's outcome.
int exitStatusOf(SendOutcome outcome);

// Whole texts: a NUL character inside a field must not end the output there.
void write(const QString &text, std::FILE *stream);
// A line on standard output, or on standard error.
void out(const QString &text);
void err(const QString &text);
// Says what is wrong and where the help is; returns kUsageError.
int usage(const QString &text, const QString &command);

const QCommandLineOption &dataDirOption();
// Parses one command's options; false when the caller must return at once with *status.
bool parseCommand(QCommandLineParser &parser, const QString &command, const QString &description,
                  const QStringList &arguments, int *status, qsizetype maxPositional = 0);

// Takes the data directory for a change, as the app does; false (and why, on standard error) when
// another copy holds it or no lock can be made there.
bool lockForChange(const TextTable &textes, const DataDir &dataDir, SingleInstance &lock);
// Why a file could not be read, with the system's reason.
QString cannotRead(const QString &path, const QString &reason);
// Says on standard error why the data directory's file cannot be read.
void sayUnreadable(const DataDir &dataDir, const QString &fileName);
// The parts of the data directory, with the text table and the configuration as the app loads them.
std::unique_ptr<Parts> loadParts(const QString &dataDir);

// The book as the app would load it, without the start-up copy: listing changes nothing. No file
// is an empty book; nothing (and why, on standard error) when the file cannot be read.
std::optional<std::vector<std::unique_ptr<ClassContact>>> readBook(AddressBook &book);

// The opt-out list into book.optOuts(), without the app's start-up copy; false (and why, on
// standard error) when the file cannot be read.
bool readOptOuts(AddressBook &book);

// The columns a table's fields come from: found by their names as the app pre-fills its choice,
// then as the --map FIELD=HEADER pairs say. Nothing, with the reason, for a pair that names no
// field or no column, or when no column gives the number.
std::optional<CsvMapping> columnMapping(const CsvTable &table, const QStringList &pairs, QString *error);

// Whether standard error is a terminal, where a progress bar can be redrawn in place.
bool stderrIsTerminal();

// The answer to one gateway request that start begins, handing it the callback to call; the
// event loop turns until it comes, as in the desktop app.
SendReply awaitReply(const std::function<void(std::function<void(const SendReply &)>)> &start);
// The credit the gateway tells: digits, or the empty text when it is not available.
QString awaitCredit(ClassSendora &gateway);

// The options both send commands take for the text and its timing.
struct MessageOptions {
    QCommandLineOption message{QStringLiteral("message"), QStringLiteral("The message."), QStringLiteral("TEXT")};
    QCommandLineOption from{QStringLiteral("from"),
                            QStringLiteral("Sender shown as \"De : SENDER, \" before the message (default: the "
                                           "configured sender; an empty one gives no prefix)."),
                            QStringLiteral("SENDER")};
    QCommandLineOption at{QStringLiteral("at"), QStringLiteral("Deferred sending at this local date and time."),
                          QStringLiteral("YYYY-MM-DD HH:MM")};
    QCommandLineOption gsmFriendly{QStringLiteral("gsm-friendly"),
                                   QStringLiteral("Replaces typographic characters (curly quotes, guillemets, dashes, "
                                                  "ellipsis, non-breaking spaces) with their GSM 7-bit look-alikes.")};

    // The --message text, its look-alikes replaced with --gsm-friendly.
    QString text(const QCommandLineParser &parser) const
    {
        return parser.isSet(gsmFriendly) ? parlevo::gsmFriendly(parser.value(message)) : parser.value(message);
    }

    // The deferred value of --at (empty without it); nothing when --at is not a date and time.
    std::optional<QString> differer(const QCommandLineParser &parser) const
    {
        return parser.isSet(at) ? deferredValue(parser.value(at)) : std::optional<QString>(QString());
    }
};

} // namespace cli
} // namespace parlevo
