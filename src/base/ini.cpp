#include "ini.h"

#include "base/storefile.h"

#include "base/codec1252.h"

#include <QFile>

namespace parlevo {

namespace {

QString fold(const QString &name)
{
    return name.trimmed().toLower();
}

QString keyId(const QString &section, const QString &key)
{
    return fold(section) + u'\n' + fold(key);
}

bool isComment(QStringView line)
{
    return line.startsWith(u';');
}

// The section name of a header line, or nothing when the line is not a header.
std::optional<QString> headerName(QStringView trimmed)
{
    if (!trimmed.startsWith(u'['))
        return std::nullopt;
    const qsizetype close = trimmed.indexOf(u']');
    return trimmed.mid(1, close < 0 ? -1 : close - 1).trimmed().toString();
}

QString unquote(QString value)
{
    if (value.size() >= 2) {
        const QChar first = value.front();
        if ((first == u'"' || first == u'\'') && value.back() == first)
            value = value.mid(1, value.size() - 2);
    }
    return value;
}

} // namespace

IniDocument IniDocument::fromBytes(const QByteArray &bytes)
{
    IniDocument doc;
    const QString text = decode1252(bytes);
    doc.m_lines = text.split(u'\n');
    for (QString &line : doc.m_lines) {
        if (line.endsWith(u'\r'))
            line.chop(1);
    }
    // A final line end does not start another line.
    if (!doc.m_lines.isEmpty() && doc.m_lines.back().isEmpty())
        doc.m_lines.removeLast();
    doc.reindex();
    return doc;
}

IniDocument IniDocument::load(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return fromBytes(file.readAll());
}

void IniDocument::reindex()
{
    m_keys.clear();
    m_sections.clear();
    QString section;
    bool inSection = false;
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        const QStringView trimmed = QStringView(m_lines[i]).trimmed();
        if (trimmed.isEmpty() || isComment(trimmed))
            continue;
        if (const auto name = headerName(trimmed)) {
            section = fold(*name);
            // A section that appears twice is read from its first occurrence only.
            inSection = !m_sections.contains(section);
            if (inSection)
                m_sections.insert(section, i);
            continue;
        }
        const qsizetype eq = trimmed.indexOf(u'=');
        if (!inSection || eq < 0)
            continue;
        const QString id = section + u'\n' + fold(trimmed.left(eq).toString());
        if (!m_keys.contains(id))
            m_keys.insert(id, i);
    }
}

std::optional<QString> IniDocument::value(const QString &section, const QString &key) const
{
    const auto it = m_keys.constFind(keyId(section, key));
    if (it == m_keys.cend())
        return std::nullopt;
    const QString &line = m_lines[*it];
    QString v = unquote(line.mid(line.indexOf(u'=') + 1).trimmed());
    v.truncate(kMaxValueLength);
    return v;
}

QString IniDocument::value(const QString &section, const QString &key, const QString &defaultValue) const
{
    return value(section, key).value_or(defaultValue);
}

void IniDocument::setValue(const QString &section, const QString &key, const QString &value)
{
    // A line break inside a value would start a new line of the file.
    QString clean = value;
    clean.replace(u'\r', u' ').replace(u'\n', u' ');
    const QString line = key.trimmed() + u'=' + clean;

    if (const auto it = m_keys.constFind(keyId(section, key)); it != m_keys.cend()) {
        m_lines[*it] = line;
        return;
    }
    if (const auto sec = m_sections.constFind(fold(section)); sec != m_sections.cend()) {
        // After the last non-blank line of the section.
        qsizetype insertAt = *sec + 1;
        for (qsizetype i = *sec + 1; i < m_lines.size(); ++i) {
            const QStringView trimmed = QStringView(m_lines[i]).trimmed();
            if (headerName(trimmed))
                break;
            if (!trimmed.isEmpty())
                insertAt = i + 1;
        }
        m_lines.insert(insertAt, line);
    } else {
        if (!m_lines.isEmpty() && !m_lines.back().trimmed().isEmpty())
            m_lines.append(QString());
        m_lines.append(u'[' + section.trimmed() + u']');
        m_lines.append(line);
    }
    reindex();
}

QByteArray IniDocument::toBytes() const
{
    QByteArray out;
    for (const QString &line : m_lines) {
        appendEncoded1252(out, line);
        out.append("\r\n");
    }
    return out;
}

bool IniDocument::save(const QString &path, FileAccess access) const
{
    return replaceFile(path, toBytes(), access);
}

QString ReadIni(const QString &section, const QString &key, const QString &defaultValue, const QString &file)
{
    return IniDocument::load(file).value(section, key, defaultValue);
}

bool WriteIni(const QString &section, const QString &key, const QString &value, const QString &file)
{
    IniDocument doc = IniDocument::load(file);
    doc.setValue(section, key, value);
    return doc.save(file);
}

} // namespace parlevo
