// The opt-out file and merge templates on any bytes: no crash; the numbers read come back the
// same after a save; every number read matches itself through the library; a template's merged
// length is the length of its merged text.
#include "fuzzsupport.h"

#include "addressbook/classcontact.h"
#include "addressbook/optoutlist.h"
#include "addressbook/phonecheck.h"
#include "messages/mergefields.h"

using namespace parlevo;
using namespace parlevo::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes = toBytes(data, size);
    const QStringList numbers = readOptOutLines(bytes);
    FUZZ_CHECK(readOptOutLines(optOutBytes(numbers)) == numbers);

    PhoneCheck check(QStringLiteral("FR"));
    OptOutList list(check);
    list.setNumbers(numbers);
    for (const QString &number : numbers)
        FUZZ_CHECK(list.contains(number));

    const QString text = QString::fromUtf8(bytes);
    const MergeTemplate message(text);
    ClassContact contact;
    contact.Prenom = QStringLiteral("Zoé");
    contact.Nom = text.left(12);
    contact.Groupe = QStringLiteral("{groupe}");
    FUZZ_CHECK(message.mergedLength(contact) == message.merge(contact).size());
    return 0;
}
