// Charge_Contacts on any bytes: no crash, the backup is the file as found, every group of a
// contact is listed, and what was loaded comes back the same after Sauve_Contacts and a new load.
#include "fuzzsupport.h"

#include "addressbook/addressbook.h"
#include "addressbook/contactcollection.h"
#include "addressbook/contactstore.h"
#include "addressbook/groupcollection.h"
#include "base/datadir.h"
#include "base/storefile.h"

using namespace parlevo;
using namespace parlevo::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray input = toBytes(data, size);
    const QString fileName = QString::fromUtf16(kContactsFileName);
    writeDataFile(fileName, input);

    DataDir firstDir(dataDir());
    AddressBook first(firstDir);
    FUZZ_CHECK(Charge_Contacts(first));
    FUZZ_CHECK(readWholeFile(firstDir.filePath(QString::fromUtf16(kContactsBackupName))) == input);
    for (const ClassContact &contact : first.colContacts())
        FUZZ_CHECK(contact.Groupe.isEmpty() || first.colGroupes().contains(contact.Groupe));
    const QList<QStringList> records = storedRecords(first.colContacts());

    FUZZ_CHECK(Sauve_Contacts(first, firstDir.filePath(fileName)));
    DataDir secondDir(dataDir());
    AddressBook second(secondDir);
    FUZZ_CHECK(Charge_Contacts(second));
    FUZZ_CHECK(storedRecords(second.colContacts()) == records);
    FUZZ_CHECK(second.colGroupes().names() == first.colGroupes().names());
    return 0;
}
