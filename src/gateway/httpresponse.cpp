#include "httpresponse.h"

#include <QList>

#include <algorithm>

namespace parlevo {

namespace {

constexpr qsizetype kMaxChunkLine = 1024;
// Fifteen hex digits stay below qint64's limit whatever they are.
constexpr qsizetype kMaxChunkDigits = 15;

QByteArray headerValue(const QByteArray &line, qsizetype colon)
{
    return line.mid(colon + 1).trimmed();
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

int hexDigit(char c)
{
    if (isDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Digits only: no sign, blank or "0x" that a lenient number reader would take.
qint64 decimalLength(const QByteArray &text)
{
    if (text.isEmpty() || text.size() > 18 || !std::all_of(text.begin(), text.end(), isDigit))
        return -1;
    return text.toLongLong();
}

// The size at the front of a chunk line, before any ";name=value" extension; -1 when unreadable.
qint64 chunkSize(const QByteArray &line)
{
    const qsizetype extension = line.indexOf(';');
    const QByteArray digits = (extension < 0 ? line : line.left(extension)).trimmed();
    if (digits.isEmpty() || digits.size() > kMaxChunkDigits)
        return -1;
    qint64 size = 0;
    for (char c : digits) {
        const int digit = hexDigit(c);
        if (digit < 0)
            return -1;
        size = size * 16 + digit;
    }
    return size;
}

} // namespace

HttpResponseReader::HttpResponseReader(qsizetype maxHead, qsizetype maxBody)
    : m_maxHead(maxHead)
    , m_maxBody(maxBody)
{
}

void HttpResponseReader::feed(const QByteArray &bytes)
{
    if (bytes.isEmpty() || m_state == State::Done || m_state == State::Failed)
        return;
    m_untouched = false;
    m_pending.append(bytes);
    run();
}

void HttpResponseReader::closed()
{
    if (m_state == State::UntilClose)
        m_state = State::Done;
    else if (m_state != State::Done)
        m_state = State::Failed;
}

bool HttpResponseReader::takeLine(QByteArray *line)
{
    const qsizetype end = m_pending.indexOf('\n');
    if (end < 0)
        return false;
    *line = m_pending.left(end);
    if (line->endsWith('\r'))
        line->chop(1);
    m_pending.remove(0, end + 1);
    return true;
}

void HttpResponseReader::run()
{
    while (m_state != State::Done && m_state != State::Failed) {
        switch (m_state) {
        case State::Head: {
            qsizetype end = m_pending.indexOf("\r\n\r\n");
            qsizetype skip = 4;
            const qsizetype bare = m_pending.indexOf("\n\n");
            if (bare >= 0 && (end < 0 || bare < end)) {
                end = bare;
                skip = 2;
            }
            if (end < 0) {
                // Room for the blank line that may still end a head of the largest size.
                if (m_pending.size() > m_maxHead + 4)
                    m_state = State::Failed;
                return;
            }
            if (end > m_maxHead || !parseHead(m_pending.left(end))) {
                m_state = State::Failed;
                return;
            }
            m_pending.remove(0, end + skip);
            // An interim answer (100 Continue and the like) is followed by the real one; all of
            // them together stay within the head's limit, so a stream of them cannot go on forever.
            // A switch of protocol was never asked for.
            if (m_status >= 100 && m_status < 200) {
                m_interimBytes += end + skip;
                if (m_status == 101 || m_interimBytes > m_maxHead)
                    m_state = State::Failed;
                continue;
            }
            startBody();
            break;
        }
        case State::Sized: {
            const qsizetype take = std::min<qint64>(m_pending.size(), m_length - m_body.size());
            appendBody(m_pending.constData(), take);
            m_pending.remove(0, take);
            if (m_state == State::Sized && m_body.size() == m_length)
                m_state = State::Done;
            return;
        }
        case State::ChunkSize: {
            QByteArray line;
            if (!takeLine(&line)) {
                if (m_pending.size() > kMaxChunkLine + 1)
                    m_state = State::Failed;
                return;
            }
            if (line.size() > kMaxChunkLine) {
                m_state = State::Failed;
                return;
            }
            const qint64 size = chunkSize(line);
            if (size < 0 || size > m_maxBody) {
                m_state = State::Failed;
                return;
            }
            m_chunkLeft = size;
            m_state = size == 0 ? State::Trailer : State::ChunkData;
            break;
        }
        case State::ChunkData: {
            const qsizetype take = std::min<qint64>(m_pending.size(), m_chunkLeft);
            appendBody(m_pending.constData(), take);
            m_pending.remove(0, take);
            m_chunkLeft -= take;
            if (m_state != State::ChunkData)
                return;
            if (m_chunkLeft > 0)
                return;
            m_state = State::ChunkEnd;
            break;
        }
        case State::ChunkEnd: {
            // Nothing but a line end may follow a chunk's data.
            if (m_pending.isEmpty() || (m_pending.startsWith('\r') && m_pending.size() < 2))
                return;
            const qsizetype end = m_pending.startsWith("\r\n") ? 2 : m_pending.startsWith('\n') ? 1 : 0;
            if (end == 0) {
                m_state = State::Failed;
                return;
            }
            m_pending.remove(0, end);
            m_state = State::ChunkSize;
            break;
        }
        case State::Trailer: {
            QByteArray line;
            if (!takeLine(&line)) {
                if (m_trailerBytes + m_pending.size() > m_maxHead)
                    m_state = State::Failed;
                return;
            }
            // The trailer is head matter: all its lines together stay within the head's limit.
            m_trailerBytes += line.size() + 1;
            if (m_trailerBytes > m_maxHead)
                m_state = State::Failed;
            else if (line.isEmpty())
                m_state = State::Done;
            break;
        }
        case State::UntilClose:
            appendBody(m_pending.constData(), m_pending.size());
            m_pending.clear();
            return;
        case State::Done:
        case State::Failed:
            return;
        }
    }
}

bool HttpResponseReader::parseHead(const QByteArray &head)
{
    QList<QByteArray> lines = head.split('\n');
    for (QByteArray &line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    // "HTTP/1.1 200 OK"
    const QByteArray &statusLine = lines.first();
    if (!statusLine.startsWith("HTTP/1.") || statusLine.size() < 12 || !isDigit(statusLine[7]) ||
        statusLine[8] != ' ' || (statusLine.size() > 12 && statusLine[12] != ' '))
        return false;
    m_http11 = statusLine[7] != '0';
    const QByteArray code = statusLine.mid(9, 3);
    if (!std::all_of(code.begin(), code.end(), isDigit) || code[0] == '0')
        return false;
    m_status = code.toInt();

    m_keepAlive = m_http11;
    m_chunked = false;
    m_length = -1;
    QList<QByteArray> codings;
    m_contentType.clear();
    m_location.clear();
    m_retryAfter.clear();
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray &line = lines[i];
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0)
            return false;
        const QByteArray name = line.left(colon).trimmed().toLower();
        const QByteArray value = headerValue(line, colon);
        if (name == "content-length") {
            // The same length may come more than once, in one field or several; two different
            // lengths leave no way to know where the body ends.
            for (const QByteArray &item : value.split(',')) {
                const qint64 length = decimalLength(item.trimmed());
                if (length < 0 || (m_length >= 0 && length != m_length))
                    return false;
                m_length = length;
            }
        } else if (name == "transfer-encoding") {
            for (const QByteArray &item : value.split(','))
                codings.append(item.trimmed().toLower());
        } else if (name == "connection") {
            const QByteArray v = value.toLower();
            if (v.contains("close"))
                m_keepAlive = false;
            else if (v.contains("keep-alive"))
                m_keepAlive = true;
        } else if (name == "content-type") {
            m_contentType = value;
        } else if (name == "location") {
            m_location = value;
        } else if (name == "retry-after") {
            m_retryAfter = value;
        }
    }
    if (!codings.isEmpty()) {
        // We ask for no coding: only plain chunks can be read, and a length beside them is
        // the mark of a damaged or smuggled answer.
        if (codings != QList<QByteArray>{"chunked"} || m_length >= 0)
            return false;
        m_chunked = true;
    }
    return true;
}

void HttpResponseReader::startBody()
{
    m_body.clear();
    if (m_status == 204 || m_status == 304) {
        m_state = State::Done;
    } else if (m_chunked) {
        m_state = State::ChunkSize;
    } else if (m_length >= 0) {
        if (m_length > m_maxBody)
            m_state = State::Failed;
        else
            m_state = m_length == 0 ? State::Done : State::Sized;
    } else {
        m_keepAlive = false;
        m_state = State::UntilClose;
    }
}

void HttpResponseReader::appendBody(const char *data, qsizetype size)
{
    if (m_body.size() + size > m_maxBody) {
        m_state = State::Failed;
        m_body.clear();
        return;
    }
    m_body.append(data, size);
}

} // namespace parlevo
