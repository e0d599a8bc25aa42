#include "csvtext.h"

using namespace Qt::StringLiterals;

namespace parlevo {

namespace {

bool startsLikeFormula(QStringView value)
{
    if (value.isEmpty())
        return false;
    const QChar c = value.front();
    return c == u'=' || c == u'+' || c == u'-' || c == u'@' || c == u'\t' || c == u'\r';
}

// A formula after any number of apostrophes: a field that already starts with one gets one more,
// so that reading it back gives the field as it was.
bool formulaBehindApostrophes(QStringView value, qsizetype *apostrophes)
{
    qsizetype count = 0;
    while (count < value.size() && value[count] == u'\'')
        ++count;
    *apostrophes = count;
    return startsLikeFormula(value.mid(count));
}

} // namespace

QString spreadsheetSafe(const QString &value)
{
    qsizetype apostrophes = 0;
    return formulaBehindApostrophes(value, &apostrophes) ? u'\'' + value : value;
}

QString fromSpreadsheetSafe(const QString &value)
{
    qsizetype apostrophes = 0;
    return formulaBehindApostrophes(value, &apostrophes) && apostrophes > 0 ? value.mid(1) : value;
}

QString csvField(const QString &rawValue, QChar separator)
{
    const QString value = spreadsheetSafe(rawValue);
    if (!value.contains(separator) && !value.contains(u'"') && !value.contains(u'\n') && !value.contains(u'\r'))
        return value;
    QString quoted = value;
    quoted.replace(u"\""_s, u"\"\""_s);
    return u'"' + quoted + u'"';
}

CsvRecords readCsvRecords(QStringView text, QChar separator)
{
    CsvRecords result;
    QStringList fields;
    QString field;
    bool lineHasText = false;
    const auto endLine = [&] {
        fields.append(field);
        result.records.append(fields);
        fields.clear();
        field.clear();
        lineHasText = false;
    };
    bool &quoted = result.openQuote;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c != u'"')
                field += c;
            else if (i + 1 < text.size() && text[i + 1] == u'"')
                field += text[++i];
            else
                quoted = false;
        } else if (c == u'"' && field.isEmpty()) {
            quoted = lineHasText = true;
        } else if (c == separator) {
            fields.append(field);
            field.clear();
            lineHasText = true;
        } else if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            endLine();
        } else {
            field += c;
            lineHasText = true;
        }
    }
    if (lineHasText || !field.isEmpty() || !fields.isEmpty())
        endLine();
    return result;
}

} // namespace parlevo
