// A mailing's results file, as --retry-failed reads it: the program's own export or the CSV of
// parlevo-cli --results. Checked: no crash; rows read once and written in the export's form read
// back as rows that write the very same bytes.
#include "fuzzsupport.h"

#include "sending/mailingresults.h"

using namespace parlevo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    QString error;
    const auto rows = readResultsFile(fuzz::toBytes(data, size), &error);
    if (!rows) {
        FUZZ_CHECK(!error.isEmpty());
        return 0;
    }
    FUZZ_CHECK(!rows->empty());
    const QByteArray written = resultsFileBytes(*rows);
    const auto again = readResultsFile(written, &error);
    FUZZ_CHECK(again && again->size() == rows->size());
    FUZZ_CHECK(resultsFileBytes(*again) == written);
    return 0;
}
