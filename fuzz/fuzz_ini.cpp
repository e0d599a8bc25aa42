// The INI reader and writer on any file. The input is the file, optionally followed by a NUL and
// "section NUL key NUL value" to write. Checked: no crash; saving the file unchanged keeps every
// key's value; writing one key gives that value back when the INI form can hold it, and leaves
// every other key of the file as it was.
#include "fuzzsupport.h"

#include "base/codec1252.h"
#include "base/ini.h"

#include <QHash>

using namespace parlevo;
using namespace parlevo::fuzz;

namespace {

constexpr qsizetype kMaxProbes = 64;

using Probe = std::pair<QString, QString>;

// The section and key names the file's lines name, found without the reader's help.
QList<Probe> namesInFile(const QString &text)
{
    QList<Probe> probes;
    QString section;
    for (const QString &line : text.split(u'\n')) {
        const QString trimmed = line.trimmed();
        if (trimmed.startsWith(u'[')) {
            section = trimmed.mid(1).section(u']', 0, 0);
        } else if (const qsizetype eq = trimmed.indexOf(u'='); eq >= 0 && !trimmed.startsWith(u';')) {
            probes.append({section, trimmed.left(eq)});
            if (probes.size() == kMaxProbes)
                break;
        }
    }
    return probes;
}

bool hasLineBreak(const QString &text)
{
    return text.contains(u'\r') || text.contains(u'\n');
}

// A name an INI line can carry and give back: no line break, nothing that ends the name early,
// and not read as a comment or a section header.
bool writableSection(const QString &section)
{
    return !hasLineBreak(section) && !section.contains(u']');
}

bool writableKey(const QString &key)
{
    const QString trimmed = key.trimmed();
    return !hasLineBreak(key) && !key.contains(u'=') && !trimmed.startsWith(u';') && !trimmed.startsWith(u'[');
}

// A value read back as written: no line break, no blanks around it (they are dropped), not
// wrapped in quotes (they are removed) and within the length a reader returns.
bool writableValue(const QString &value)
{
    if (hasLineBreak(value) || value != value.trimmed() || value.size() > IniDocument::kMaxValueLength)
        return false;
    const bool quoted =
        value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') && value.back() == value.front();
    return !quoted;
}

bool sameName(const QString &a, const QString &b)
{
    return a.trimmed().compare(b.trimmed(), Qt::CaseInsensitive) == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QList<QByteArray> parts = splitInput(toBytes(data, size), 4);
    const QString path = writeDataFile(QStringLiteral("fuzz.cfg"), parts[0]);

    const IniDocument doc = IniDocument::load(path);
    const QList<Probe> probes = namesInFile(decode1252(parts[0]));
    QList<std::optional<QString>> before;
    for (const Probe &p : probes)
        before.append(doc.value(p.first, p.second));

    const IniDocument resaved = IniDocument::fromBytes(doc.toBytes());
    for (qsizetype i = 0; i < probes.size(); ++i)
        FUZZ_CHECK(resaved.value(probes[i].first, probes[i].second) == before[i]);

    if (parts.size() < 4)
        return 0;
    const QString section = decode1252(parts[1]);
    const QString key = decode1252(parts[2]);
    const QString value = decode1252(parts[3]);
    WriteIni(section, key, value, path);
    if (!writableSection(section) || !writableKey(key))
        return 0;

    const IniDocument written = IniDocument::load(path);
    if (writableValue(value))
        FUZZ_CHECK(ReadIni(section, key, QString(), path) == value);
    for (qsizetype i = 0; i < probes.size(); ++i) {
        if (sameName(probes[i].first, section) && sameName(probes[i].second, key))
            continue;
        FUZZ_CHECK(written.value(probes[i].first, probes[i].second) == before[i]);
    }
    return 0;
}
