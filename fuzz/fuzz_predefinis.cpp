// Charge_Predefinis on any bytes: no crash, no name holding a ";" or a line break, and the records
// come back the same after Sauve_Predefinis and a new load.
#include "fuzzsupport.h"

#include "base/datadir.h"
#include "messages/predefinis.h"

using namespace parlevo;
using namespace parlevo::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    writeDataFile(QString::fromUtf16(kPredefinisFileName), toBytes(data, size));

    DataDir firstDir(dataDir());
    PredefinedMessages first(firstDir);
    FUZZ_CHECK(Charge_Predefinis(first));
    const PredefiniList records = first.colPredefinis();
    for (const ClassPredefini &record : records) {
        FUZZ_CHECK(!record.Nom.contains(u';'));
        FUZZ_CHECK(!record.Nom.contains(u'\r') && !record.Nom.contains(u'\n'));
    }

    FUZZ_CHECK(Sauve_Predefinis(first));
    DataDir secondDir(dataDir());
    PredefinedMessages second(secondDir);
    FUZZ_CHECK(Charge_Predefinis(second));
    FUZZ_CHECK(second.colPredefinis() == records);
    return 0;
}
