#include "pagetext.h"

#include "base/codec1252.h"

#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>

#include <optional>

using namespace Qt::StringLiterals;

namespace parlevo {

namespace {

QByteArray charsetOf(const QByteArray &text)
{
    static const QRegularExpression charset(QStringLiteral(R"(charset\s*=\s*["']?([A-Za-z0-9._:-]+))"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = charset.match(QString::fromLatin1(text));
    return m.hasMatch() ? m.captured(1).toLatin1().toLower() : QByteArray();
}

bool looksLikeHtml(const QByteArray &body, const QByteArray &contentType)
{
    const QByteArray type = contentType.toLower();
    if (type.contains("html"))
        return true;
    if (!type.isEmpty())
        return false;
    const QByteArray start = body.trimmed().left(256).toLower();
    return start.startsWith("<!doctype html") || start.startsWith("<html") || start.startsWith("<body");
}

bool isValidUtf8(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = utf8.decode(bytes);
    Q_UNUSED(decoded);
    return !utf8.hasError();
}

// A byte order mark decides the encoding before anything declared, as in browsers.
std::optional<QStringConverter::Encoding> encodingFromBom(const QByteArray &body)
{
    if (body.startsWith("\xEF\xBB\xBF"))
        return QStringConverter::Utf8;
    if (body.startsWith("\xFF\xFE"))
        return QStringConverter::Utf16LE;
    if (body.startsWith("\xFE\xFF"))
        return QStringConverter::Utf16BE;
    return std::nullopt;
}

QString decodeBody(const QByteArray &body, const QByteArray &contentType, bool html)
{
    if (const auto bom = encodingFromBom(body)) {
        // The decoder drops the mark itself.
        QStringDecoder decoder(*bom);
        return decoder.decode(body);
    }
    QByteArray charset = charsetOf(contentType);
    if (charset.isEmpty() && html)
        charset = charsetOf(body.left(1024));
    if (charset == "iso-8859-1" || charset == "latin1" || charset == "latin-1" || charset == "windows-1252" ||
        charset == "cp1252" || charset == "us-ascii")
        return decode1252(body);
    if (charset.startsWith("utf-16")) {
        // Without a mark, UTF-16 is big-endian unless the label says otherwise.
        QStringDecoder decoder(charset == "utf-16le" ? QStringConverter::Utf16LE : QStringConverter::Utf16BE);
        return decoder.decode(body);
    }
    // A page that declares nothing and is not UTF-8 is read as browsers read it: Windows-1252.
    if (charset.isEmpty() && !isValidUtf8(body))
        return decode1252(body);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    return utf8.decode(body);
}

QString decodeEntity(QStringView name)
{
    if (name.startsWith(u'#')) {
        bool ok = false;
        const uint code = (name.size() > 1 && (name[1] == u'x' || name[1] == u'X')) ? name.mid(2).toUInt(&ok, 16)
                                                                                    : name.mid(1).toUInt(&ok, 10);
        if (!ok || code == 0 || code > 0x10FFFF)
            return QString();
        const char32_t c = code;
        return QString::fromUcs4(&c, 1);
    }
    struct Named {
        const char16_t *name;
        char16_t ch;
    };
    static constexpr Named kNamed[] = {
        {u"amp", u'&'},       {u"lt", u'<'},     {u"gt", u'>'},     {u"quot", u'"'},   {u"apos", u'\''},
        {u"nbsp", u'\u00a0'}, {u"eacute", u'é'}, {u"egrave", u'è'}, {u"ecirc", u'ê'},  {u"agrave", u'à'},
        {u"acirc", u'â'},     {u"ccedil", u'ç'}, {u"ocirc", u'ô'},  {u"ugrave", u'ù'}, {u"ucirc", u'û'},
        {u"icirc", u'î'},     {u"iuml", u'ï'},   {u"euml", u'ë'},   {u"Eacute", u'É'}, {u"euro", u'€'},
    };
    for (const Named &n : kNamed) {
        if (name == QStringView(n.name))
            return QString(QChar(n.ch));
    }
    return QString();
}

// Replaces "&name;" forms; an unknown or unterminated one stays as written, as browsers do.
QString decodeEntities(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'&') {
            // Only the next few characters are searched: a search to the end of the text from
            // every "&" of a long page would take time growing with the square of its length.
            const qsizetype semicolon = QStringView(text).mid(i + 1, 12).indexOf(u';');
            const qsizetype end = semicolon < 0 ? -1 : i + 1 + semicolon;
            if (end > i + 1) {
                const QString decoded = decodeEntity(QStringView(text).mid(i + 1, end - i - 1));
                if (!decoded.isEmpty()) {
                    out += decoded;
                    i = end;
                    continue;
                }
            }
        }
        out += text[i];
    }
    return out;
}

bool isBlockTag(QStringView name)
{
    static const QStringList kBlocks = {u"br"_s,  u"p"_s,  u"div"_s,   u"tr"_s,   u"li"_s,    u"h1"_s, u"h2"_s,
                                        u"h3"_s,  u"h4"_s, u"h5"_s,    u"h6"_s,   u"table"_s, u"ul"_s, u"ol"_s,
                                        u"pre"_s, u"hr"_s, u"title"_s, u"body"_s, u"center"_s};
    return kBlocks.contains(name.toString().toLower());
}

// The end of the hidden part that starts with the match: after "-->" for a comment, after the
// closing tag of the same name for an element; -1 when it is never closed.
qsizetype hiddenPartEnd(const QString &html, const QRegularExpressionMatch &start)
{
    if (start.capturedLength(1) == 0) {
        const qsizetype close = html.indexOf(u"-->", start.capturedEnd());
        return close < 0 ? -1 : close + 3;
    }
    const QString closeTag = u"</" + start.captured(1);
    for (qsizetype at = html.indexOf(closeTag, start.capturedEnd(), Qt::CaseInsensitive); at >= 0;
         at = html.indexOf(closeTag, at + 1, Qt::CaseInsensitive)) {
        qsizetype i = at + closeTag.size();
        while (i < html.size() && html[i].isSpace())
            ++i;
        if (i < html.size() && html[i] == u'>')
            return i + 1;
    }
    return -1;
}

// The page without its comments and its script, style, head and noscript elements; a part never
// closed stays. Every search here runs once over the page: once the end of one kind is not found,
// no later start of that kind is closed either, so it is not searched again. (A search from every
// start of a long unclosed page would take time growing with the square of its length; so would
// a new regular expression match per start, which checks the whole text each time.)
QString withoutHiddenParts(const QString &html)
{
    static const QRegularExpression start(QStringLiteral(R"(<!--|<(script|style|head|noscript)\b[^>]*>)"),
                                          QRegularExpression::CaseInsensitiveOption);
    QString out;
    QSet<QString> unclosed;
    qsizetype kept = 0;
    // Every start holds a ">", so none lies past the last one.
    QRegularExpressionMatchIterator it = start.globalMatch(html.left(html.lastIndexOf(u'>') + 1));
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        if (m.capturedStart() < kept)
            continue; // inside a part already dropped
        const QString kind = m.captured(1).toLower();
        const qsizetype end = unclosed.contains(kind) ? -1 : hiddenPartEnd(html, m);
        if (end < 0) {
            unclosed.insert(kind);
            continue;
        }
        out += QStringView(html).mid(kept, m.capturedStart() - kept);
        kept = end;
    }
    out += QStringView(html).mid(kept);
    return out;
}

} // namespace

QString visibleText(const QString &html)
{
    static const QRegularExpression tag(QStringLiteral(R"(<\s*/?\s*([A-Za-z][A-Za-z0-9]*)[^>]*>|<![^>]*>|<\?[^>]*>)"));

    const QString text = withoutHiddenParts(html);

    // Source blanks collapse to one space; block elements end a line.
    QString flat;
    flat.reserve(text.size());
    qsizetype pos = 0;
    // Tags are looked for only up to the last ">": past it, a search from every "<" would rescan
    // the rest of the page each time.
    QRegularExpressionMatchIterator it = tag.globalMatch(text.left(text.lastIndexOf(u'>') + 1));
    auto appendText = [&flat](QStringView chunk) {
        for (QChar c : chunk) {
            if (c.isSpace() && c != QChar::Nbsp) {
                if (!flat.isEmpty() && !flat.endsWith(u' ') && !flat.endsWith(u'\n'))
                    flat += u' ';
            } else {
                flat += c;
            }
        }
    };
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        appendText(QStringView(text).mid(pos, m.capturedStart() - pos));
        pos = m.capturedEnd();
        if (isBlockTag(m.capturedView(1))) {
            while (flat.endsWith(u' '))
                flat.chop(1);
            if (!flat.isEmpty() && !flat.endsWith(u'\n'))
                flat += u'\n';
        }
    }
    appendText(QStringView(text).mid(pos));
    return decodeEntities(flat).trimmed();
}

QString pageText(const QByteArray &body, const QByteArray &contentType)
{
    const bool html = looksLikeHtml(body, contentType);
    const QString text = decodeBody(body, contentType, html);
    return html ? visibleText(text) : text.trimmed();
}

} // namespace parlevo
