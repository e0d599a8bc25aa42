#include "app/startup.h"
#include "base/processsetup.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    parlevo::prepareProcess();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Parlevo"));
    QApplication::setOrganizationName(QStringLiteral("Parlevo"));
    QApplication::setApplicationVersion(QStringLiteral("1.0"));
    return parlevo::runDesktop(QApplication::arguments());
}
