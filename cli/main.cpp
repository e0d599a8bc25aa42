#include "base/processsetup.h"
#include "cli.h"

#include <QCoreApplication>

int main(int argc, char *argv[])
{
    parlevo::prepareProcess();
    QCoreApplication app(argc, argv);
    // The same names as the desktop app, so both find the same per-user data directory.
    QCoreApplication::setApplicationName(QStringLiteral("Parlevo"));
    QCoreApplication::setOrganizationName(QStringLiteral("Parlevo"));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.0"));
    parlevo::cli::prepareStreams();
    return parlevo::cli::run(QCoreApplication::arguments());
}
