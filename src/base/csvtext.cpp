#include "csvtext.h"

using namespace Qt::StringLiterals;

namespace parlevo {

QString csvField(const QString &value)
{
    if (!value.contains(u',') && !value.contains(u'"') && !value.contains(u'\n') && !value.contains(u'\r'))
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
