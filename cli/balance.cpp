#include "options.h"

#include "addressbook/contactcollection.h"
#include "base/ini.h"
#include "base/txt.h"
#include "gateway/classsendora.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace parlevo::cli {

int balance(const QString &globalDataDir, const QStringList &arguments)
{
    QCommandLineParser parser;
    int status = kAccepted;
    if (!parseCommand(parser, u"balance"_s,
                      u"Prints the remaining credit of the configured account (digits) on standard output.\n"
                      u"When the credit is not available, prints why on standard error and exits with 2."_s,
                      arguments, &status))
        return status;
    auto parts = loadParts(parser.isSet(dataDirOption()) ? parser.value(dataDirOption()) : globalDataDir);
    const QString credit = awaitCredit(parts->gateway);
    if (credit.isEmpty()) {
        err(parts->textes(Txt::CreditUnavailable));
        return kUnreachable;
    }
    out(credit);
    return kAccepted;
}

} // namespace parlevo::cli
