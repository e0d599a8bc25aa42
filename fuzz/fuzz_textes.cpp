// LoadTextes on any language file: no crash, and an entry taken from the file is within the
// reader's length limit and has no escaped line break left.
#include "fuzzsupport.h"

#include "base/ini.h"
#include "base/textes.h"
#include "base/txt.h"

using namespace parlevo;
using namespace parlevo::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const TextTable defaults;
    // Each load starts from the defaults, so the table is reused from one input to the next.
    static TextTable table;
    const QString path = writeDataFile(QStringLiteral("Fuzz.lng"), toBytes(data, size));

    table.LoadTextes(path);
    for (int i = 0; i <= TextTable::kCount + 1; ++i) {
        const Txt entry = static_cast<Txt>(i);
        const QString &text = table(entry);
        FUZZ_CHECK(!text.contains(u"\\n"));
        if (text != defaults(entry))
            FUZZ_CHECK(text.size() <= IniDocument::kMaxValueLength);
    }
    FUZZ_CHECK(table(static_cast<Txt>(0)).isEmpty() && table(static_cast<Txt>(TextTable::kCount + 1)).isEmpty());
    return 0;
}
