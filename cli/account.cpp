#include "options.h"

#include "addressbook/contactcollection.h"
#include "addressbook/contactrules.h"
#include "base/appstate.h"
#include "base/ini.h"
#include "base/singleinstance.h"
#include "base/storefile.h"
#include "gateway/classsendora.h"
#include "prefs/configfile.h"
#include "sending/sendrun.h"
#include "sending/singlesend.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace parlevo::cli {

int account(const QString &globalDataDir, const QStringList &arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption email(QStringLiteral("email"), QStringLiteral("The account's e-mail address."),
                                   QStringLiteral("EMAIL"));
    const QCommandLineOption passwordStdin(
        QStringLiteral("password-stdin"),
        QStringLiteral("Reads the password from the first line of standard input (else it is kept)."));
    const QCommandLineOption myNumber(QStringLiteral("my-number"),
                                      QStringLiteral("Your own mobile number, where 'mailing send --test' sends."),
                                      QStringLiteral("NUMBER"));
    parser.addOptions({email, passwordStdin, myNumber});
    int status = kAccepted;
    if (!parseCommand(parser, u"account"_s,
                      u"Sets the gateway account, or your own mobile number, and writes the configuration file\n"
                      u"Parlevo.cfg of the data directory, the password enciphered as the desktop app does. The\n"
                      u"other settings"
                      u"are kept. Refused while the desktop app runs on the same data directory."_s,
                      arguments, &status))
        return status;
    if (!parser.isSet(email) && !parser.isSet(myNumber))
        return usage(u"account needs --email or --my-number"_s, u"account"_s);
    if (parser.isSet(passwordStdin) && !parser.isSet(email))
        return usage(u"--password-stdin goes with --email"_s, u"account"_s);
    if (parser.isSet(myNumber) && testNumber(parser.value(myNumber)).isEmpty())
        return usage(u"--my-number wants a phone number, not \""_s + parser.value(myNumber) + u'"', u"account"_s);

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
        sayUnreadable(*state, QString::fromUtf16(kConfigFileName));
        return kFailure;
    }
    QDir().mkpath(state->dataDir());
    // The app writes the configuration when it quits: a change made under it would be lost.
    SingleInstance instance(state->dataDir());
    if (!lockForChange(*state, instance))
        return kFailure;
    ClassSendora &gateway = state->Gateway();
    if (parser.isSet(email))
        gateway.Mail = mail;
    if (parser.isSet(passwordStdin))
        gateway.Password = password;
    if (parser.isSet(myNumber))
        state->config().MyNumber = parser.value(myNumber).trimmed();
    const Config &c = state->config();
    if (!SaveConfig(*state,
                    WindowGeometry{c.WindowTop, c.WindowLeft, c.WindowWidth, c.WindowHeight, c.WindowMaximized})) {
        err(u"parlevo-cli: cannot write "_s + QDir::toNativeSeparators(path));
        return kFailure;
    }
    out(path);
    return kAccepted;
}

} // namespace parlevo::cli
