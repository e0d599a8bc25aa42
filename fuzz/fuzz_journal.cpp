// A mailing run's journal, as parlevo-cli mailing resume reads it. Checked: no crash; a journal
// read gives one state and one reply per recipient, and a row it calls done has an outcome other
// than not sent.
#include "fuzzsupport.h"

#include "sending/sendjournal.h"

using namespace parlevo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    QString error;
    const auto content = readJournal(fuzz::toBytes(data, size), &error);
    if (!content) {
        FUZZ_CHECK(!error.isEmpty());
        return 0;
    }
    const std::size_t rows = content->head.rows.size();
    FUZZ_CHECK(content->states.size() == rows && content->replies.size() == rows);
    for (std::size_t i = 0; i < rows; ++i) {
        if (content->states[i] == JournalRowState::Done)
            FUZZ_CHECK(content->replies[i].outcome != SendOutcome::NotSent);
    }
    return 0;
}
