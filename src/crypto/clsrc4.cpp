#include "clsrc4.h"

#include "base/codec1252.h"

#include <utility>

namespace parlevo {

namespace {
constexpr qsizetype kLineLength = 76;
}

clsRC4::clsRC4()
{
    const char *alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (std::size_t i = 0; i < m_alphabet.size(); ++i) {
        m_alphabet[i] = alphabet[i];
        m_reverse[static_cast<unsigned char>(alphabet[i])] = static_cast<std::uint8_t>(i);
    }
}

void clsRC4::setKey(const QString &key)
{
    if (key == m_key)
        return;
    m_key = key;
    const QByteArray k = encode1252(key);
    for (int i = 0; i < 256; ++i)
        m_state[i] = static_cast<std::uint8_t>(i);
    if (k.isEmpty())
        return; // an empty key has nothing to mix in
    unsigned j = 0;
    for (int i = 0; i < 256; ++i) {
        j = (j + m_state[i] + static_cast<unsigned char>(k[i % k.size()])) & 0xFF;
        std::swap(m_state[i], m_state[j]);
    }
}

void clsRC4::EncryptByte(QByteArray &data, const QString &key)
{
    if (!key.isEmpty())
        setKey(key);
    auto s = m_state; // every call starts from the scheduled table
    unsigned i = 0;
    unsigned j = 0;
    for (char &byte : data) {
        i = (i + 1) & 0xFF;
        j = (j + s[i]) & 0xFF;
        std::swap(s[i], s[j]);
        byte = static_cast<char>(static_cast<unsigned char>(byte) ^ s[(s[i] + s[j]) & 0xFF]);
    }
}

void clsRC4::DecryptByte(QByteArray &data, const QString &key)
{
    EncryptByte(data, key);
}

QString clsRC4::EncryptString(const QString &text, const QString &key, bool OutputIn64)
{
    QByteArray bytes = encode1252(text);
    EncryptByte(bytes, key);
    return OutputIn64 ? EncodeArray64(bytes) : decode1252(bytes);
}

QString clsRC4::DecryptString(QString &text, const QString &key, bool IsTextIn64)
{
    if (IsTextIn64)
        text = Decode64(text);
    QByteArray bytes = encode1252(text);
    DecryptByte(bytes, key);
    return decode1252(bytes);
}

QString clsRC4::Encode64(const QString &text) const
{
    return text.isEmpty() ? QString() : EncodeArray64(encode1252(text));
}

QString clsRC4::EncodeArray64(const QByteArray &bytes) const
{
    QString flat;
    flat.reserve((bytes.size() + 2) / 3 * 4);
    const auto at = [&bytes](qsizetype i) { return static_cast<unsigned char>(bytes[i]); };
    for (qsizetype i = 0; i < bytes.size(); i += 3) {
        const qsizetype left = bytes.size() - i;
        const unsigned group = (at(i) << 16) | (left > 1 ? at(i + 1) << 8 : 0) | (left > 2 ? at(i + 2) : 0);
        flat.append(QLatin1Char(m_alphabet[(group >> 18) & 63]));
        flat.append(QLatin1Char(m_alphabet[(group >> 12) & 63]));
        flat.append(left > 1 ? QLatin1Char(m_alphabet[(group >> 6) & 63]) : QLatin1Char('='));
        flat.append(left > 2 ? QLatin1Char(m_alphabet[group & 63]) : QLatin1Char('='));
    }
    if (flat.size() <= kLineLength)
        return flat;
    QString out;
    out.reserve(flat.size() + flat.size() / kLineLength * 2 + 2);
    for (qsizetype i = 0; i < flat.size(); i += kLineLength) {
        out.append(QStringView(flat).mid(i, kLineLength));
        if (i + kLineLength <= flat.size())
            out.append(QLatin1String("\r\n"));
    }
    return out;
}

QString clsRC4::Decode64(const QString &text) const
{
    return text.isEmpty() ? QString() : decode1252(DecodeArray64(text));
}

QByteArray clsRC4::DecodeArray64(const QString &text) const
{
    QString clean = text;
    clean.remove(QLatin1String("\r\n")).remove(u'=');
    QByteArray out;
    out.reserve(clean.size() * 3 / 4);
    unsigned bits = 0;
    int count = 0;
    for (const QChar c : clean) {
        const char16_t u = c.unicode();
        bits = (bits << 6) | (u < 256 ? m_reverse[u] : 0);
        count += 6;
        if (count >= 8) {
            count -= 8;
            out.append(static_cast<char>((bits >> count) & 0xFF));
        }
    }
    return out;
}

} // namespace parlevo
