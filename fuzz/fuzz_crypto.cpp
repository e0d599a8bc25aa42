// Decode64 and DecryptString on any text, as a hand-edited configuration file can hold. The input
// is the key, a NUL, then the stored text. Checked: no crash; Base64 decoding, encoding and
// decoding again gives the same bytes; a deciphered password enciphered and deciphered again
// with the same key is the same password.
#include "fuzzsupport.h"

#include "base/codec1252.h"
#include "crypto/clsrc4.h"

using namespace parlevo;
using namespace parlevo::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QList<QByteArray> parts = splitInput(toBytes(data, size), 2);
    const QString key = parts.size() == 2 ? decode1252(parts[0]) : QString();
    const QString stored = decode1252(parts.back());

    clsRC4 cipher;
    const QByteArray bytes = cipher.DecodeArray64(stored);
    FUZZ_CHECK(cipher.DecodeArray64(cipher.EncodeArray64(bytes)) == bytes);
    FUZZ_CHECK(cipher.Decode64(stored) == (stored.isEmpty() ? QString() : decode1252(bytes)));

    QString text = stored;
    const QString password = cipher.DecryptString(text, key, true);
    FUZZ_CHECK(text == cipher.Decode64(stored));
    QString again = cipher.EncryptString(password, key, true);
    FUZZ_CHECK(cipher.DecryptString(again, key, true) == password);
    return 0;
}
