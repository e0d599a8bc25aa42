// The vCard import on any bytes: no crash, the count reported is the count added, and the
// imported contacts come back unchanged from the address book's vCard export and from its save.
#include "fuzzsupport.h"

#include "addressbook/addressbook.h"
#include "addressbook/contactcollection.h"
#include "addressbook/contactstore.h"
#include "addressbook/csvimport.h"
#include "addressbook/vcard.h"
#include "base/datadir.h"

using namespace parlevo;
using namespace parlevo::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString path = writeDataFile(QStringLiteral("import.vcf"), toBytes(data, size));
    const QString bookName = QString::fromUtf16(kContactsFileName);
    removeDataFile(bookName);

    DataDir firstDir(dataDir());
    AddressBook first(firstDir);
    const ContactImportResult result = importVCardFile(first, path);
    FUZZ_CHECK(result.opened);
    FUZZ_CHECK(result.count == first.colContacts().count());
    const QList<QStringList> records = storedRecords(first.colContacts());

    QList<const ClassContact *> imported;
    for (const ClassContact &contact : first.colContacts())
        imported.append(&contact);
    int key = 0;
    QList<QStringList> exported;
    for (const auto &contact : readVCards(vCardsOf(imported), [&key] { return QString::number(++key); }))
        exported.append(storedFields(*contact));
    FUZZ_CHECK(exported == records);

    FUZZ_CHECK(Sauve_Contacts(first, firstDir.filePath(bookName)));
    DataDir secondDir(dataDir());
    AddressBook second(secondDir);
    FUZZ_CHECK(Charge_Contacts(second));
    FUZZ_CHECK(storedRecords(second.colContacts()) == records);
    return 0;
}
