#include "app/startup.h"
#include "base/coredump.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    parlevo::disableCoreDumps();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Parlevo"));
    QApplication::setOrganizationName(QStringLiteral("Parlevo"));
    QApplication::setApplicationVersion(QStringLiteral("1.0"));
    return parlevo::runDesktop(QApplication::arguments());
}
