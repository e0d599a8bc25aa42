#pragma once

#include <QByteArray>

namespace parlevo {

// Reads one HTTP/1.x response as its bytes arrive: the status line and headers, then a body
// delimited by Content-Length, by chunks, or by the connection's close. Interim 1xx answers are
// skipped. A head (or the interim answers, or the trailer) over maxHead bytes, a body over maxBody
// bytes or framing that leaves the body's end in doubt fails: the reader never holds more than
// that, whatever the peer sends.
class HttpResponseReader final {
public:
    HttpResponseReader(qsizetype maxHead, qsizetype maxBody);

    // Takes the next bytes; what follows a complete response is ignored.
    void feed(const QByteArray &bytes);
    // The peer closed the connection: completes a body delimited by the close, fails any other
    // unfinished response.
    void closed();

    bool isComplete() const { return m_state == State::Done; }
    bool hasFailed() const { return m_state == State::Failed; }
    // Nothing of a response has come yet.
    bool isUntouched() const { return m_untouched; }

    int status() const { return m_status; }
    const QByteArray &contentType() const { return m_contentType; }
    const QByteArray &location() const { return m_location; }
    // The Retry-After header as it came (seconds, or an HTTP date); empty without one.
    const QByteArray &retryAfter() const { return m_retryAfter; }
    const QByteArray &body() const { return m_body; }
    // Whether the connection may carry another request once this response is complete.
    bool keepAlive() const { return m_keepAlive; }

private:
    enum class State { Head, Sized, ChunkSize, ChunkData, ChunkEnd, Trailer, UntilClose, Done, Failed };
    bool parseHead(const QByteArray &head);
    void startBody();
    void appendBody(const char *data, qsizetype size);
    // One line (without its LF or CR LF) from the front of the pending bytes, if whole.
    bool takeLine(QByteArray *line);
    void run();

    qsizetype m_maxHead;
    qsizetype m_maxBody;
    State m_state = State::Head;
    bool m_untouched = true;
    QByteArray m_pending;
    int m_status = 0;
    bool m_http11 = true;
    bool m_keepAlive = false;
    bool m_chunked = false;
    qint64 m_length = -1;
    qint64 m_chunkLeft = 0;
    qsizetype m_interimBytes = 0;
    qsizetype m_trailerBytes = 0;
    QByteArray m_contentType;
    QByteArray m_location;
    QByteArray m_retryAfter;
    QByteArray m_body;
};

} // namespace parlevo
