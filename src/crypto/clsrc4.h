#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>

namespace parlevo {

// RC4 (as published, no bytes discarded) and a Base64 codec; keeps the account password
// out of plain sight in the configuration file. Text becomes bytes through Windows-1252.
class clsRC4 final {
public:
    clsRC4();

    // Schedules the state table for key; does nothing when key is the key in force.
    void setKey(const QString &key);

    // XOR with the keystream, in place. A non-empty key is scheduled first; an empty one uses
    // the table in force (all zero, so the data passes unchanged, until a key was scheduled).
    void EncryptByte(QByteArray &data, const QString &key = QString());
    void DecryptByte(QByteArray &data, const QString &key = QString());

    QString EncryptString(const QString &text, const QString &key = QString(), bool OutputIn64 = false);
    // With IsTextIn64, text is replaced by its Base64 decoding first (the caller sees it too).
    QString DecryptString(QString &text, const QString &key = QString(), bool IsTextIn64 = false);

    // Base64 lines are cut at 76 characters with CR LF; decoding drops CR LF pairs and "=".
    QString Encode64(const QString &text) const;
    QString EncodeArray64(const QByteArray &bytes) const;
    QString Decode64(const QString &text) const;
    QByteArray DecodeArray64(const QString &text) const;

private:
    QString m_key;
    std::array<std::uint8_t, 256> m_state{};
    std::array<char, 64> m_alphabet{};
    std::array<std::uint8_t, 256> m_reverse{};
};

} // namespace parlevo
