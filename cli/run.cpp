#include "options.h"

#include "addressbook/groupcollection.h"
#include "base/messagebox.h"
#include "base/textes.h"
#include "gateway/classsendora.h"
#include "sending/sendrun.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace parlevo::cli {

namespace {

const char kGeneralHelp[] = "Usage: parlevo-cli [--data-dir DIR] <command> [options]\n"
                            "\n"
                            "The scripting companion of Parlevo: same data directory, configuration file and\n"
                            "gateway account as the desktop app.\n"
                            "\n"
                            "Commands:\n"
                            "  balance   print the account's remaining credit (a number of SMS)\n"
                            "  send      send one SMS now or deferred\n"
                            "  account   set the gateway account in the configuration file\n"
                            "  contacts  list, import (CSV) or add address book contacts; check their numbers\n"
                            "  mailing send  send one SMS to every row of a mailing file or of a group\n"
                            "  mailing resume  take up an interrupted mailing from its journal\n"
                            "  history   list the SMS sent, newest first, or write them as CSV\n"
                            "  optout    add, remove, list or import the numbers that receive no mailing\n"
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
                            "gravest of its rows: 4, then 2, then 3; 130 when Ctrl+C or SIGTERM stopped it.\n";

} // namespace

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
            write(QString::fromUtf8(kGeneralHelp), stdout);
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
    if (command == u"history")
        return history(dataDir, rest);
    if (command == u"optout")
        return optout(dataDir, rest);
    return usage(u"unknown command "_s + command, QString());
}

} // namespace parlevo::cli
