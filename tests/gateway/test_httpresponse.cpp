// The gateway's answer read as its bytes arrive: framing, interim answers, limits, damage.
#include "gateway/httpresponse.h"

#include <QTest>

using namespace parlevo;

namespace {

constexpr qsizetype kMaxHead = 128;
constexpr qsizetype kMaxBody = 48;

enum class Ending { Complete, Failed, Waiting };

struct Result {
    Ending ending;
    int status;
    QByteArray body;
    bool keepAlive;
    bool operator==(const Result &) const = default;
};

Result readPieces(const QList<QByteArray> &pieces, bool close)
{
    HttpResponseReader reader(kMaxHead, kMaxBody);
    for (const QByteArray &piece : pieces)
        reader.feed(piece);
    if (close)
        reader.closed();
    if (reader.hasFailed())
        return {Ending::Failed, 0, {}, false};
    if (!reader.isComplete())
        return {Ending::Waiting, 0, {}, false};
    return {Ending::Complete, reader.status(), reader.body(), reader.keepAlive()};
}

// A head of exactly size bytes before its blank line, padded with a header of no meaning.
QByteArray headOfSize(qsizetype size)
{
    QByteArray head = "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nX-Pad: ";
    head += QByteArray(size - head.size(), 'p');
    return head + "\r\n\r\nok";
}

QByteArray chunked(const QByteArray &chunks)
{
    return "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n" + chunks;
}

} // namespace

Q_DECLARE_METATYPE(Ending)

class TestHttpResponse : public QObject {
    Q_OBJECT
private slots:
    void read_data()
    {
        QTest::addColumn<QByteArray>("wire");
        QTest::addColumn<bool>("close"); // the peer closes after the last byte
        QTest::addColumn<Ending>("ending");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("keepAlive");
        const auto done = Ending::Complete;
        const auto failed = Ending::Failed;
        const auto waiting = Ending::Waiting;
        const QByteArray ok = "HTTP/1.1 200 OK\r\n";

        QTest::newRow("sized") << ok + "Content-Length: 2\r\n\r\n80" << false << done << 200 << QByteArray("80")
                               << true;
        QTest::newRow("sized, what follows is ignored") << ok + "Content-Length: 2\r\n\r\n80HTTP/1.1 500 X\r\n\r\n"
                                                        << false << done << 200 << QByteArray("80") << true;
        QTest::newRow("sized, bare line ends") << QByteArray("HTTP/1.1 200 OK\nContent-Length: 2\n\n80") << false
                                               << done << 200 << QByteArray("80") << true;
        QTest::newRow("sized, cut short")
            << ok + "Content-Length: 3\r\n\r\n80" << true << failed << 0 << QByteArray() << false;
        QTest::newRow("sized, not yet whole")
            << ok + "Content-Length: 3\r\n\r\n80" << false << waiting << 0 << QByteArray() << false;
        QTest::newRow("empty body") << ok + "Content-Length: 0\r\n\r\n" << false << done << 200 << QByteArray() << true;
        QTest::newRow("connection close") << ok + "Connection: close\r\nContent-Length: 2\r\n\r\n80" << false << done
                                          << 200 << QByteArray("80") << false;
        QTest::newRow("HTTP/1.0 keep-alive")
            << QByteArray("HTTP/1.0 200 OK\r\nConnection: keep-alive\r\nContent-Length: 2\r\n\r\n80") << false << done
            << 200 << QByteArray("80") << true;
        QTest::newRow("204 has no body") << QByteArray("HTTP/1.1 204 No Content\r\n\r\n") << false << done << 204
                                         << QByteArray() << true;

        QTest::newRow("repeated identical lengths") << ok + "Content-Length: 2\r\nContent-Length: 2\r\n\r\n80" << false
                                                    << done << 200 << QByteArray("80") << true;
        QTest::newRow("identical lengths in one field")
            << ok + "Content-Length: 2, 2\r\n\r\n80" << false << done << 200 << QByteArray("80") << true;
        QTest::newRow("conflicting lengths") << ok + "Content-Length: 2\r\nContent-Length: 3\r\n\r\n801" << false
                                             << failed << 0 << QByteArray() << false;
        QTest::newRow("conflicting lengths in one field")
            << ok + "Content-Length: 2, 3\r\n\r\n801" << false << failed << 0 << QByteArray() << false;
        QTest::newRow("signed length") << ok + "Content-Length: +2\r\n\r\n80" << false << failed << 0 << QByteArray()
                                       << false;
        QTest::newRow("negative length") << ok + "Content-Length: -1\r\n\r\n"
                                         << false << failed << 0 << QByteArray() << false;
        QTest::newRow("hex length") << ok + "Content-Length: 0x2\r\n\r\n80" << false << failed << 0 << QByteArray()
                                    << false;
        QTest::newRow("huge length") << ok + "Content-Length: 99999999999999999999\r\n\r\n"
                                     << false << failed << 0 << QByteArray() << false;
        QTest::newRow("length with chunks")
            << ok + "Content-Length: 2\r\nTransfer-Encoding: chunked\r\n\r\n2\r\n80\r\n0\r\n\r\n"
            << false << failed << 0 << QByteArray() << false;

        // 0x1a is 26 bytes, 0xA is 10: read as decimal they would frame a different body.
        const QByteArray a26(26, 'a');
        QTest::newRow("chunked, hex sizes") << chunked("1a\r\n" + a26 + "\r\nA\r\n0123456789\r\n0\r\n\r\n") << false
                                            << done << 200 << a26 + "0123456789" << true;
        QTest::newRow("chunked, upper and lower case hex")
            << chunked("1A\r\n" + a26 + "\r\n0\r\n\r\n") << false << done << 200 << a26 << true;
        QTest::newRow("chunked, extensions")
            << chunked("2;name=value\r\n80\r\n1 ; last ; q=\"a;b\"\r\n!\r\n0;end\r\n\r\n") << false << done << 200
            << QByteArray("80!") << true;
        QTest::newRow("chunked, trailers") << chunked("2\r\n80\r\n0\r\nX-Checksum: 12\r\nX-Other: a\r\n\r\n") << false
                                           << done << 200 << QByteArray("80") << true;
        QTest::newRow("chunked, coding name in capitals")
            << ok + "Transfer-Encoding: Chunked\r\n\r\n2\r\n80\r\n0\r\n\r\n"
            << false << done << 200 << QByteArray("80") << true;
        QTest::newRow("chunked, no final chunk")
            << chunked("2\r\n80\r\n") << true << failed << 0 << QByteArray() << false;
        QTest::newRow("chunked, no end of trailer")
            << chunked("2\r\n80\r\n0\r\n") << true << failed << 0 << QByteArray() << false;
        QTest::newRow("chunked, data longer than its size")
            << chunked("2\r\n801\r\n0\r\n\r\n") << false << failed << 0 << QByteArray() << false;
        QTest::newRow("chunked, size not hex")
            << chunked("g\r\n80\r\n0\r\n\r\n") << false << failed << 0 << QByteArray() << false;
        QTest::newRow("chunked, signed size")
            << chunked("+2\r\n80\r\n0\r\n\r\n") << false << failed << 0 << QByteArray() << false;
        QTest::newRow("chunked, 0x size")
            << chunked("0x2\r\n80\r\n0\r\n\r\n") << false << failed << 0 << QByteArray() << false;
        QTest::newRow("chunked, empty size") << chunked("\r\n") << false << failed << 0 << QByteArray() << false;
        QTest::newRow("chunked, size past 64 bits")
            << chunked("10000000000000002\r\n80\r\n0\r\n\r\n") << false << failed << 0 << QByteArray() << false;
        QTest::newRow("gzip coding") << ok + "Transfer-Encoding: gzip, chunked\r\n\r\n2\r\n80\r\n0\r\n\r\n"
                                     << false << failed << 0 << QByteArray() << false;
        QTest::newRow("chunked twice") << ok + "Transfer-Encoding: chunked\r\nTransfer-Encoding: chunked\r\n\r\n"
                                       << false << failed << 0 << QByteArray() << false;

        QTest::newRow("close-delimited") << QByteArray("HTTP/1.0 200 OK\r\n\r\n80 and more") << true << done << 200
                                         << QByteArray("80 and more") << false;
        QTest::newRow("close-delimited, HTTP/1.1") << ok + "\r\n80" << true << done << 200 << QByteArray("80") << false;
        QTest::newRow("close-delimited, still open")
            << QByteArray("HTTP/1.0 200 OK\r\n\r\n80") << false << waiting << 0 << QByteArray() << false;

        QTest::newRow("100 Continue first") << "HTTP/1.1 100 Continue\r\n\r\n" + ok + "Content-Length: 2\r\n\r\n80"
                                            << false << done << 200 << QByteArray("80") << true;
        QTest::newRow("two interim answers with headers")
            << "HTTP/1.1 100 Continue\r\nX-A: 1\r\n\r\nHTTP/1.1 103 Early Hints\r\nLink: </a>\r\n\r\n" + ok +
                   "Content-Length: 2\r\n\r\n80"
            << false << done << 200 << QByteArray("80") << true;
        QTest::newRow("interim length is not the answer's")
            << "HTTP/1.1 100 Continue\r\nContent-Length: 5\r\n\r\n" + ok + "Content-Length: 2\r\n\r\n80" << false
            << done << 200 << QByteArray("80") << true;
        QTest::newRow("only an interim answer")
            << QByteArray("HTTP/1.1 100 Continue\r\n\r\n") << true << failed << 0 << QByteArray() << false;
        QTest::newRow("switching protocols") << QByteArray("HTTP/1.1 101 Switching Protocols\r\n\r\n80") << false
                                             << failed << 0 << QByteArray() << false;

        QTest::newRow("not HTTP") << QByteArray("SMTP/1.1 200 OK\r\n\r\n") << false << failed << 0 << QByteArray()
                                  << false;
        QTest::newRow("four-digit status") << QByteArray("HTTP/1.1 2000 OK\r\nContent-Length: 0\r\n\r\n") << false
                                           << failed << 0 << QByteArray() << false;
        QTest::newRow("status not a number") << QByteArray("HTTP/1.1 2x0 OK\r\nContent-Length: 0\r\n\r\n") << false
                                             << failed << 0 << QByteArray() << false;
        QTest::newRow("minor version not a digit") << QByteArray("HTTP/1.x 200 OK\r\nContent-Length: 0\r\n\r\n")
                                                   << false << failed << 0 << QByteArray() << false;
        QTest::newRow("header without colon")
            << ok + "Content-Length 2\r\n\r\n80" << false << failed << 0 << QByteArray() << false;
        QTest::newRow("closed before any byte") << QByteArray() << true << failed << 0 << QByteArray() << false;

        // The limits: head, body by each framing, chunk line, trailer, interim answers.
        QTest::newRow("head at its limit") << headOfSize(kMaxHead) << false << done << 200 << QByteArray("ok") << true;
        QTest::newRow("head over its limit")
            << headOfSize(kMaxHead + 1) << false << failed << 0 << QByteArray() << false;
        QTest::newRow("endless head") << ok + "X-Pad: " + QByteArray(4 * kMaxHead, 'p') << false << failed << 0
                                      << QByteArray() << false;
        const QByteArray full(kMaxBody, 'b');
        QTest::newRow("sized body at its limit")
            << ok + "Content-Length: " + QByteArray::number(kMaxBody) + "\r\n\r\n" + full << false << done << 200
            << full << true;
        QTest::newRow("sized body over its limit")
            << ok + "Content-Length: " + QByteArray::number(kMaxBody + 1) + "\r\n\r\n" + full + "b" << false << failed
            << 0 << QByteArray() << false;
        QTest::newRow("chunks at the body limit")
            << chunked("18\r\n" + full.left(24) + "\r\n18\r\n" + full.left(24) + "\r\n0\r\n\r\n") << false << done
            << 200 << full << true;
        QTest::newRow("chunks over the body limit")
            << chunked("18\r\n" + full.left(24) + "\r\n19\r\n" + full.left(25) + "\r\n0\r\n\r\n") << false << failed
            << 0 << QByteArray() << false;
        QTest::newRow("one chunk over the body limit")
            << chunked("31\r\n") << false << failed << 0 << QByteArray() << false;
        QTest::newRow("close-delimited body at its limit")
            << ok + "\r\n" + full << true << done << 200 << full << false;
        QTest::newRow("close-delimited body over its limit")
            << ok + "\r\n" + full + "b" << true << failed << 0 << QByteArray() << false;
        QTest::newRow("chunk extension at the line limit")
            << chunked("2;" + QByteArray(1022, 'e') + "\r\n80\r\n0\r\n\r\n") << false << done << 200 << QByteArray("80")
            << true;
        QTest::newRow("chunk extension over the line limit")
            << chunked("2;" + QByteArray(1023, 'e') + "\r\n80\r\n0\r\n\r\n") << false << failed << 0 << QByteArray()
            << false;
        QTest::newRow("endless chunk line")
            << chunked("2;" + QByteArray(4096, 'e')) << false << failed << 0 << QByteArray() << false;
        QTest::newRow("trailer over the head limit")
            << chunked("0\r\n" + QByteArray(kMaxHead / 2, 't') + "\r\n" + QByteArray(kMaxHead / 2, 't') + "\r\n\r\n")
            << false << failed << 0 << QByteArray() << false;
        QByteArray interims;
        while (interims.size() <= kMaxHead)
            interims += "HTTP/1.1 100 Continue\r\n\r\n";
        QTest::newRow("interim answers over the head limit")
            << interims + ok + "Content-Length: 2\r\n\r\n80" << false << failed << 0 << QByteArray() << false;
    }
    // Every answer reads the same whether it comes at once, a byte at a time or cut anywhere in two.
    void read()
    {
        QFETCH(QByteArray, wire);
        QFETCH(bool, close);
        QFETCH(Ending, ending);
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(bool, keepAlive);
        const Result expected{ending, status, body, keepAlive};

        const Result whole = readPieces({wire}, close);
        QCOMPARE(whole.body, expected.body);
        QVERIFY(whole == expected);

        QList<QByteArray> bytes;
        for (char c : wire)
            bytes.append(QByteArray(1, c));
        QVERIFY2(readPieces(bytes, close) == expected, "byte by byte");

        // Cuts within long runs of padding tell nothing new; every cut of a short answer is tried.
        const qsizetype step = wire.size() > 300 ? 7 : 1;
        for (qsizetype cut = 1; cut < wire.size(); cut += step)
            QVERIFY2(readPieces({wire.left(cut), wire.mid(cut)}, close) == expected,
                     QByteArray::number(cut).constData());
    }

    // A failed answer takes nothing more and stays failed.
    void failureIsFinal()
    {
        HttpResponseReader reader(kMaxHead, kMaxBody);
        reader.feed("HTTP/1.1 200 OK\r\nContent-Length: 2\r\nContent-Length: 3\r\n\r\n");
        QVERIFY(reader.hasFailed());
        reader.feed("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\n80");
        reader.closed();
        QVERIFY(reader.hasFailed());
        QVERIFY(!reader.isComplete());
        QVERIFY(reader.body().isEmpty());
    }

    void headersKept()
    {
        HttpResponseReader reader(kMaxHead, kMaxBody);
        QVERIFY(reader.isUntouched());
        reader.feed("HTTP/1.1 302 Found\r\nlocation:  /next?a=1 \r\nCONTENT-TYPE: text/html\r\nRetry-After: 7\r\n"
                    "Content-Length: 0\r\n\r\n");
        QVERIFY(!reader.isUntouched());
        QVERIFY(reader.isComplete());
        QCOMPARE(reader.status(), 302);
        QCOMPARE(reader.location(), "/next?a=1");
        QCOMPARE(reader.contentType(), "text/html");
        QCOMPARE(reader.retryAfter(), "7");
    }
};

QTEST_GUILESS_MAIN(TestHttpResponse)
#include "test_httpresponse.moc"
