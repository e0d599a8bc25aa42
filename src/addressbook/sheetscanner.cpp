#include "sheetscanner.h"

#include <QString>

#include <algorithm>
#include <cstring>

namespace parlevo {

bool SheetScanner::skipPast(std::string_view marker)
{
    const std::string_view rest(m_p, std::size_t(m_end - m_p));
    const std::size_t at = rest.find(marker);
    if (at == std::string_view::npos)
        return fail();
    m_p += at + marker.size();
    return true;
}

bool SheetScanner::appendText(const char *from, const char *to, QByteArray &text)
{
    while (from < to) {
        const char *amp = static_cast<const char *>(std::memchr(from, '&', std::size_t(to - from)));
        const char *stop = amp ? amp : to;
        text.append(from, stop - from);
        if (!amp)
            break;
        const char *semi =
            static_cast<const char *>(std::memchr(amp, ';', std::size_t(std::min<qsizetype>(to - amp, 12))));
        if (!semi)
            return fail();
        const std::string_view name(amp + 1, std::size_t(semi - amp - 1));
        if (name == "lt")
            text += '<';
        else if (name == "gt")
            text += '>';
        else if (name == "amp")
            text += '&';
        else if (name == "quot")
            text += '"';
        else if (name == "apos")
            text += '\'';
        else if (name.size() > 1 && name[0] == '#') {
            bool ok = false;
            const bool hex = name[1] == 'x';
            const uint code =
                QByteArray(name.data() + 1 + hex, qsizetype(name.size()) - 1 - hex).toUInt(&ok, hex ? 16 : 10);
            if (!ok || code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
                return fail();
            const char32_t character = code;
            text += QString::fromUcs4(&character, 1).toUtf8();
        } else {
            return fail();
        }
        from = semi + 1;
    }
    return true;
}

bool SheetScanner::next(Tag &tag, QByteArray *text)
{
    for (;;) {
        const char *open = static_cast<const char *>(std::memchr(m_p, '<', std::size_t(m_end - m_p)));
        if (text && !appendText(m_p, open ? open : m_end, *text))
            return false;
        if (!open) {
            m_p = m_end;
            return false;
        }
        m_p = open + 1;
        const std::string_view rest(m_p, std::size_t(m_end - m_p));
        if (rest.starts_with("?")) {
            if (!skipPast("?>"))
                return false;
        } else if (rest.starts_with("!--")) {
            if (!skipPast("-->"))
                return false;
        } else if (rest.starts_with("![CDATA[")) {
            const char *start = m_p + 8;
            m_p = start;
            if (!skipPast("]]>"))
                return false;
            if (text)
                text->append(start, m_p - 3 - start);
        } else if (rest.starts_with("!")) {
            return fail();
        } else {
            break;
        }
    }
    tag = Tag();
    tag.end = m_p < m_end && *m_p == '/';
    m_p += tag.end;
    const auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    const auto nameEnd = [&](const char *p) {
        while (p < m_end && !isSpace(*p) && *p != '>' && *p != '/' && *p != '=')
            ++p;
        return p;
    };
    const char *name = m_p;
    m_p = nameEnd(m_p);
    if (m_p == name)
        return fail();
    tag.name = std::string_view(name, std::size_t(m_p - name));
    if (const std::size_t colon = tag.name.rfind(':'); colon != std::string_view::npos)
        tag.name.remove_prefix(colon + 1);
    for (;;) {
        while (m_p < m_end && isSpace(*m_p))
            ++m_p;
        if (m_p == m_end)
            return fail();
        if (*m_p == '>') {
            ++m_p;
            return true;
        }
        if (*m_p == '/') {
            if (tag.end || m_p + 1 == m_end || m_p[1] != '>')
                return fail();
            m_p += 2;
            tag.empty = true;
            return true;
        }
        const char *attribute = m_p;
        m_p = nameEnd(m_p);
        std::string_view attributeName(attribute, std::size_t(m_p - attribute));
        while (m_p < m_end && isSpace(*m_p))
            ++m_p;
        if (tag.end || attributeName.empty() || m_p == m_end || *m_p != '=')
            return fail();
        ++m_p;
        while (m_p < m_end && isSpace(*m_p))
            ++m_p;
        if (m_p == m_end || (*m_p != '"' && *m_p != '\''))
            return fail();
        const char *value = m_p + 1;
        const char *close = static_cast<const char *>(std::memchr(value, *m_p, std::size_t(m_end - value)));
        if (!close)
            return fail();
        m_p = close + 1;
        const std::string_view attributeValue(value, std::size_t(close - value));
        if (attributeName == "r")
            tag.r = attributeValue;
        else if (attributeName == "t")
            tag.t = attributeValue;
        else if (attributeName == "s")
            tag.s = attributeValue;
    }
}

} // namespace parlevo
