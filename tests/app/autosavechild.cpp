// Child process of the autosave kill test: starts the program on a data directory, imports a CSV
// file, edits one contact and deletes two, tells "changed", then waits to be killed.
#include "addressbook/contactcollection.h"
#include "addressbook/csvimport.h"
#include "app/appstate.h"
#include "app/startup.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>

using namespace Qt::StringLiterals;

using namespace parlevo;

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    Application application(args.value(1));
    if (!application.start())
        return 1;
    QTimer::singleShot(0, &application, [&application, csv = args.value(2)] {
        AppState &state = application.state();
        importCsvFile(state.addressBook(), csv);
        ContactCollection &book = state.addressBook().colContacts();
        ClassContact *edited = book.at(0);
        edited->Groupe = u"Changé"_s;
        book.notifyChanged(edited->GUID);
        book.remove(QStringList{book.at(9)->GUID, book.at(19)->GUID});
        std::puts("changed");
        std::fflush(stdout);
    });
    return QApplication::exec();
}
