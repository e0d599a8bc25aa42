// The reading of gateway replies: the page text of any body, then the reply code and the credit
// taken from it. The input is the Content-Type header, a NUL, then the body (without a NUL, all
// of it is the body of an undeclared type). Checked: no crash or hang; the page text is trimmed;
// a non-zero code is the whole text; the credit is digits only.
#include "fuzzsupport.h"

#include "base/textes.h"
#include "gateway/classsendora.h"
#include "gateway/pagetext.h"

using namespace parlevo;
using namespace parlevo::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const TextTable textes;

    const QList<QByteArray> parts = splitInput(toBytes(data, size), 2);
    const QByteArray contentType = parts.size() == 2 ? parts[0] : QByteArray();
    const QString text = pageText(parts.back(), contentType);
    FUZZ_CHECK(text == text.trimmed());

    const quint8 code = replyCode(text);
    if (code != 0)
        FUZZ_CHECK(text.toUInt() == code);
    FUZZ_CHECK(!failureMessage(textes, SendReply{code, outcomeOfCode(code)}).isEmpty());

    const QString credit = creditFromPage(text);
    for (const QChar c : credit)
        FUZZ_CHECK(c >= u'0' && c <= u'9');
    return 0;
}
