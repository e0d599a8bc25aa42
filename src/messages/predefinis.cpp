#include "predefinis.h"

#include "base/codec1252.h"
#include "base/datadir.h"
#include "base/shared.h"
#include "base/storefile.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

using namespace Qt::StringLiterals;

namespace parlevo {

namespace {

// The record count: the number the line starts with, blanks skipped, a fraction rounded half to
// even, no number at all giving 0.
qsizetype leadingCount(QStringView line)
{
    qsizetype i = 0;
    while (i < line.size() && (line[i] == u' ' || line[i] == u'\t'))
        ++i;
    bool negative = false;
    if (i < line.size() && (line[i] == u'+' || line[i] == u'-'))
        negative = line[i++] == u'-';
    double value = 0;
    for (; i < line.size() && line[i] >= u'0' && line[i] <= u'9'; ++i)
        value = value * 10 + (line[i].unicode() - u'0');
    if (i < line.size() && line[i] == u'.') {
        double scale = 0.1;
        for (++i; i < line.size() && line[i] >= u'0' && line[i] <= u'9'; ++i, scale /= 10)
            value += (line[i].unicode() - u'0') * scale;
    }
    if (negative)
        return 0;
    if (!(value < 1e15))
        return std::numeric_limits<qsizetype>::max();
    return qsizetype(std::nearbyint(value)); // the default rounding mode is half to even
}

// The next line of [*p, end): ended by CR LF, a lone CR or a lone LF; a last line without an end
// counts too. Nothing at the end of the bytes.
std::optional<QByteArrayView> nextLine(const char *&p, const char *end)
{
    if (p >= end)
        return std::nullopt;
    const char *start = p;
    while (p < end && *p != '\r' && *p != '\n')
        ++p;
    const QByteArrayView line(start, p - start);
    if (p < end && *p++ == '\r' && p < end && *p == '\n')
        ++p;
    return line;
}

// Every line break of a record (CR LF, or a lone CR or LF from a pasted text) becomes "\n", so a
// record always stays on its line and reads back with CR LF.
QString escapeLineBreaks(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\r' || c == u'\n') {
            out += u"\\n";
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace

PredefiniList readPredefinis(QByteArrayView bytes)
{
    // Lines are cut in the bytes and only the fields are decoded: a large file is never held a
    // second time as one text.
    const char *p = bytes.data();
    const char *const end = p + bytes.size();
    PredefiniList list;
    const std::optional<QByteArrayView> first = nextLine(p, end);
    if (!first)
        return list;
    // A count larger than the file loads the records that are there, nothing more.
    const qsizetype count = leadingCount(decode1252(*first));
    list.reserve(std::min(count, qsizetype(std::count(p, end, '\n')) + 1));
    for (qsizetype i = 0; i < count; ++i) {
        const std::optional<QByteArrayView> line = nextLine(p, end);
        if (!line)
            break;
        // The name ends at the first ";": a ";" typed inside a text stays in the text.
        const qsizetype semicolon = line->indexOf(';');
        if (semicolon < 0) {
            list.append({decode1252(*line), QString()});
            continue;
        }
        const QByteArrayView messageBytes = line->sliced(semicolon + 1);
        QString message = decode1252(messageBytes);
        if (messageBytes.contains('\\'))
            message.replace(u"\\n"_s, u"\r\n"_s);
        list.append({decode1252(line->first(semicolon)), std::move(message)});
    }
    return list;
}

QByteArray predefinisBytes(const PredefiniList &list)
{
    QByteArray out = QByteArray::number(list.size()) + "\r\n";
    for (const ClassPredefini &record : list) {
        // A ";" or a line break inside the name would move the rest of it into the text or onto
        // a line of its own.
        QString name = record.Nom;
        for (QChar &c : name) {
            if (c == u';' || c == u'\r' || c == u'\n')
                c = u' ';
        }
        appendEncoded1252(out, name);
        out.append(';');
        appendEncoded1252(out, escapeLineBreaks(record.Message));
        out.append("\r\n", 2);
    }
    return out;
}

bool Charge_Predefinis(PredefinedMessages &messages)
{
    return messages.dataDir().load(
        QString::fromUtf16(kPredefinisFileName), QString::fromUtf16(kPredefinisBackupName),
        [&messages](const QByteArray &bytes) { messages.colPredefinis().append(readPredefinis(bytes)); });
}

bool Sauve_Predefinis(const PredefinedMessages &messages)
{
    const FileWrite write = preparePredefinisSave(messages);
    return write && write();
}

FileWrite preparePredefinisSave(const PredefinedMessages &messages)
{
    const PredefiniList &list = messages.colPredefinis();
    const DataDir &dataDir = messages.dataDir();
    return dataDir.prepareSave(dataDir.filePath(QString::fromUtf16(kPredefinisFileName)),
                               list.isEmpty() ? QByteArray() : predefinisBytes(list));
}

} // namespace parlevo
