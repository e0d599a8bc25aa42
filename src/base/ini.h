#pragma once

#include "base/storefile.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>

namespace parlevo {

// An INI file read and written the way the Windows profile functions do it: section and key
// names matched without regard to case, the first occurrence wins, blanks around names and
// values ignored, matching quotes around a value removed, values cut to 254 characters.
// Writing replaces the key's line in place and keeps every other line of the file as it was.
class IniDocument final {
public:
    static constexpr int kMaxValueLength = 254;

    IniDocument() = default;
    static IniDocument fromBytes(const QByteArray &bytes);
    // A missing or unreadable file gives an empty document.
    static IniDocument load(const QString &path);

    std::optional<QString> value(const QString &section, const QString &key) const;
    QString value(const QString &section, const QString &key, const QString &defaultValue) const;
    void setValue(const QString &section, const QString &key, const QString &value);

    QByteArray toBytes() const;
    // Written to a temporary file renamed over the old one: a failure leaves the old file whole.
    bool save(const QString &path, FileAccess access = FileAccess::Default) const;

private:
    void reindex();

    QStringList m_lines;
    // "section\nkey" folded to lower case -> index of the line holding its first occurrence
    QHash<QString, qsizetype> m_keys;
    // folded section name -> index of its first header line
    QHash<QString, qsizetype> m_sections;
};

QString ReadIni(const QString &section, const QString &key, const QString &defaultValue, const QString &file);
bool WriteIni(const QString &section, const QString &key, const QString &value, const QString &file);

} // namespace parlevo
