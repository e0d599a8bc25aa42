// The CSV import on any bytes: no crash, the count reported is the count added, and the imported
// contacts survive the address book's save and load unchanged.
#include "fuzzsupport.h"

#include "addressbook/addressbook.h"
#include "addressbook/contactcollection.h"
#include "addressbook/contactstore.h"
#include "addressbook/csvimport.h"
#include "base/datadir.h"

using namespace parlevo;
using namespace parlevo::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString path = writeDataFile(QStringLiteral("import.csv"), toBytes(data, size));
    const QString bookName = QString::fromUtf16(kContactsFileName);
    removeDataFile(bookName);

    DataDir firstDir(dataDir());
    AddressBook first(firstDir);
    const ContactImportResult result = importCsvFile(first, path);
    FUZZ_CHECK(result.opened);
    FUZZ_CHECK(result.count == first.colContacts().count());
    const QList<QStringList> records = storedRecords(first.colContacts());

    FUZZ_CHECK(Sauve_Contacts(first, firstDir.filePath(bookName)));
    DataDir secondDir(dataDir());
    AddressBook second(secondDir);
    FUZZ_CHECK(Charge_Contacts(second));
    FUZZ_CHECK(storedRecords(second.colContacts()) == records);
    return 0;
}
