#include "predefinis.h"

#include "addressbook/storefile.h"
#include "app/appstate.h"
#include "app/codec1252.h"
#include "app/shared.h"

#include <cmath>
#include <limits>

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

// Splits text into lines ended by CR LF, a lone CR or a lone LF; a last line without an end
// counts too.
QList<QStringView> splitLines(QStringView text)
{
    QList<QStringView> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != u'\r' && c != u'\n')
            continue;
        lines.append(text.sliced(start, i - start));
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.append(text.sliced(start));
    return lines;
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
    const QString text = decode1252(bytes);
    const QList<QStringView> lines = splitLines(text);
    PredefiniList list;
    if (lines.isEmpty())
        return list;
    // A count larger than the file loads the records that are there, nothing more.
    const qsizetype count = std::min(leadingCount(lines.first()), lines.size() - 1);
    list.reserve(count);
    for (qsizetype i = 1; i <= count; ++i) {
        const QStringView line = lines[i];
        // The name ends at the first ";": a ";" typed inside a text stays in the text.
        const qsizetype semicolon = line.indexOf(u';');
        if (semicolon < 0) {
            list.append({line.toString(), QString()});
            continue;
        }
        QString message = line.sliced(semicolon + 1).toString();
        message.replace(u"\\n"_s, u"\r\n"_s);
        list.append({line.first(semicolon).toString(), message});
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

bool Charge_Predefinis(AppState &state)
{
    const QString path = state.filePath(QString::fromUtf16(kPredefinisFileName));
    if (!FileExists(path))
        return true;
    const std::optional<QByteArray> bytes = readWholeFile(path);
    if (!bytes) {
        state.markUnreadable(QString::fromUtf16(kPredefinisFileName));
        return false;
    }
    replaceFile(state.filePath(QString::fromUtf16(kPredefinisBackupName)), *bytes);
    state.colPredefinis().append(readPredefinis(*bytes));
    return true;
}

bool Sauve_Predefinis(AppState &state)
{
    const QString path = state.filePath(QString::fromUtf16(kPredefinisFileName));
    // A file that could not be read is still on disk, whole: an empty save would lose it.
    if (state.isUnreadable(QString::fromUtf16(kPredefinisFileName)))
        return false;
    const PredefiniList &list = state.colPredefinis();
    if (list.isEmpty())
        return removeFile(path);
    return replaceFile(path, predefinisBytes(list));
}

} // namespace parlevo
