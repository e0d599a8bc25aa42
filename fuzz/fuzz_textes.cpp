// LoadTextes on any language file: no crash, a second load gives the same table, and an entry
// taken from the file is within the reader's length limit and has no escaped line break left.
#include "fuzzsupport.h"

#include "app/ini.h"
#include "app/textes.h"

using namespace parlevo;
using namespace parlevo::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const TextTable defaults;
    // Each load starts from the defaults, so the tables are reused from one input to the next.
    static TextTable first;
    static TextTable second;
    const QString path = writeDataFile(QStringLiteral("Fuzz.lng"), toBytes(data, size));

    first.LoadTextes(path);
    second.LoadTextes(path);
    for (int i = 0; i <= TextTable::kCount + 1; ++i) {
        const QString &text = first(i);
        FUZZ_CHECK(text == second(i));
        FUZZ_CHECK(!text.contains(u"\\n"));
        if (text != defaults(i))
            FUZZ_CHECK(text.size() <= IniDocument::kMaxValueLength);
    }
    FUZZ_CHECK(first(0).isEmpty() && first(TextTable::kCount + 1).isEmpty());
    return 0;
}
