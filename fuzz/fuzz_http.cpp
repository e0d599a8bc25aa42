// The gateway's HTTP answer as it arrives: whatever the bytes and however they are cut into
// reads, the reader ends the same way and never holds more than its limits.
#include "fuzzsupport.h"

#include "gateway/httpresponse.h"

using namespace parlevo;

namespace {

constexpr qsizetype kMaxHead = 1024;
constexpr qsizetype kMaxBody = 4096;

struct Ending {
    bool complete;
    bool failed;
    int status;
    QByteArray body;
    bool keepAlive;
    bool operator==(const Ending &) const = default;
};

Ending read(const QList<QByteArray> &pieces, bool close)
{
    HttpResponseReader reader(kMaxHead, kMaxBody);
    for (const QByteArray &piece : pieces) {
        reader.feed(piece);
        FUZZ_CHECK(reader.body().size() <= kMaxBody);
    }
    if (close)
        reader.closed();
    if (!reader.isComplete())
        return {false, reader.hasFailed(), 0, {}, false};
    return {true, false, reader.status(), reader.body(), reader.keepAlive()};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray input = fuzz::toBytes(data, size);
    const bool close = !input.isEmpty() && (input.back() & 1);
    const Ending whole = read({input}, close);
    // Byte by byte, as a slow connection delivers it.
    QList<QByteArray> bytes;
    for (char c : input)
        bytes.append(QByteArray(1, c));
    FUZZ_CHECK(read(bytes, close) == whole);
    if (whole.complete)
        FUZZ_CHECK(whole.status >= 200 && whole.status <= 999);
    return 0;
}
