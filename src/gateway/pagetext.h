#pragma once

#include <QByteArray>
#include <QString>

namespace parlevo {

// The text a browser shows for a returned page, surrounding blanks trimmed: a plain-text body
// as it is, an HTML page reduced to the visible text of its body. The body is decoded as a
// browser does: a byte order mark first, then the charset of the Content-Type header or of the
// page's <meta> (ISO-8859-1 and Windows-1252 read as Windows-1252, UTF-16 as labelled), and a
// page declaring nothing as UTF-8 when it is valid UTF-8, else as Windows-1252.
QString pageText(const QByteArray &body, const QByteArray &contentType);

// The visible text of an HTML document: tags, comments, scripts, styles and the head dropped,
// basic entities decoded, runs of blanks collapsed, a line break for block elements.
QString visibleText(const QString &html);

} // namespace parlevo
