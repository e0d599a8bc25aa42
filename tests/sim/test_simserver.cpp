// The simulator's HTTP layer and its fault modes, byte for byte on a raw TCP connection.
#include "gatewaymodel.h"
#include "simulatorprocess.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QStringEncoder>
#include <QTcpSocket>
#include <QTest>

using namespace Qt::StringLiterals;

using parlevo::sim::balancePage;
using parlevo::test::SimulatorProcess;

namespace {

const QString kAccount = u"demo@parlevo.test:demo:5"_s;

QByteArray send(const QByteArray &message)
{
    return "/http.php?email=demo%40parlevo.test&pass=demo&numero=0612345678&message=" + message + "&diff=";
}
const QByteArray kBalance = "/soldes_logiciel.php?email=demo%40parlevo.test&pass=demo";

QByteArray get(const QByteArray &target, const QByteArray &extraHeaders = {})
{
    return "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" + extraHeaders + "\r\n";
}

QByteArray head(const QByteArray &status, const QByteArray &type, qint64 length)
{
    return "HTTP/1.1 " + status + "\r\nContent-Type: " + type + "\r\nContent-Length: " + QByteArray::number(length) +
           "\r\nConnection: close\r\n\r\n";
}

// The balance page of a 5-SMS account as the charset modes send it: without its <meta charset>.
QString pageText()
{
    return QString::fromUtf8(balancePage(5)).remove(u"<meta charset=\"utf-8\">"_s);
}

bool connectTo(QTcpSocket &socket, const SimulatorProcess &sim)
{
    socket.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(sim.baseUrl().port()));
    return socket.waitForConnected(5000);
}

// Everything the simulator sends until it closes the connection; *closed false when it did not within 5 s.
QByteArray untilClosed(QTcpSocket &socket, bool *closed)
{
    QByteArray got;
    const QDeadlineTimer deadline(5000);
    while (socket.state() == QAbstractSocket::ConnectedState && !deadline.hasExpired()) {
        socket.waitForReadyRead(50);
        got += socket.readAll();
    }
    *closed = socket.state() != QAbstractSocket::ConnectedState;
    return got + socket.readAll();
}

// One answer on a connection kept open: its head, then as many bytes as its Content-Length.
QByteArray readAnswer(QTcpSocket &socket)
{
    QByteArray answer;
    qint64 length = 0;
    const QDeadlineTimer deadline(5000);
    while (!answer.endsWith("\r\n\r\n")) {
        if (!socket.canReadLine() && !socket.waitForReadyRead(static_cast<int>(deadline.remainingTime())))
            return answer;
        const QByteArray line = socket.readLine();
        if (line.toLower().startsWith("content-length:"))
            length = line.mid(15).trimmed().toLongLong();
        answer += line;
    }
    while (socket.bytesAvailable() < length && socket.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) {
    }
    return answer + socket.read(length);
}

} // namespace

class TestSimServer : public QObject {
    Q_OBJECT
private slots:
    // One request (after an optional earlier one on its own connection) and the exact bytes until the close.
    void wireBytes_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QByteArray>("earlier");
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("expected");
        QTest::addColumn<int>("outbox");
        const QByteArray close = "Connection: close\r\n";
        const QByteArray html = "text/html; charset=utf-8";
        QTest::newRow("plain") << QStringList() << QByteArray() << get(send("un"), close)
                               << head("200 OK", html, 2) + "80" << 1;
        QTest::newRow("drop-after-accept: accepted, no byte")
            << QStringList{u"--drop-after-accept"_s} << QByteArray() << get(send("un")) << QByteArray() << 1;
        QTest::newRow("close-delimited") << QStringList{u"--close-delimited"_s} << QByteArray() << get(send("un"))
                                         << "HTTP/1.0 200 OK\r\nContent-Type: " + html +
                                                "\r\nConnection: close\r\n\r\n80"
                                         << 1;
        QTest::newRow("cut-reply: 2 bytes of 12")
            << QStringList{u"--cut-reply"_s} << QByteArray() << get(send("un"))
            << "HTTP/1.1 200 OK\r\nContent-Type: " + html + "\r\nContent-Length: 12\r\n\r\n80" << 1;
        QTest::newRow("body-bytes") << QStringList{u"--body-bytes"_s, u"300000"_s} << QByteArray()
                                    << get(send("un"), close)
                                    << head("200 OK", html, 300002) + "80" + QByteArray(300000, ' ') << 1;
        QStringEncoder utf16(QStringConverter::Utf16LE, QStringConverter::Flag::WriteBom);
        const QByteArray page16 = utf16.encode(pageText());
        QTest::newRow("utf-16 page") << QStringList{u"--charset"_s, u"utf-16"_s} << QByteArray() << get(kBalance, close)
                                     << head("200 OK", "text/html; charset=utf-16", page16.size()) + page16 << 0;
        QTest::newRow("utf-16 reply") << QStringList{u"--charset"_s, u"utf-16"_s, u"--reply"_s, u"80"_s} << QByteArray()
                                      << get(send("un"), close)
                                      << head("200 OK", "text/plain; charset=utf-16", 6) +
                                             QByteArray::fromHex("fffe38003000")
                                      << 0;
        const QByteArray page1 = pageText().toLatin1();
        QVERIFY(page1.contains(QByteArray("Votre cr" + QByteArray::fromHex("e9") + "dit est de 5 SMS.")));
        QTest::newRow("latin1 page") << QStringList{u"--charset"_s, u"latin1"_s} << QByteArray() << get(kBalance, close)
                                     << head("200 OK", "text/html", page1.size()) + page1 << 0;
        QTest::newRow("max-per-minute: 429, nothing accepted")
            << QStringList{u"--max-per-minute"_s, u"1"_s} << get(send("avant"), close) << get(send("un"), close)
            << head("429 Too Many Requests", "text/plain", 17)
                       .replace("Content-Length: 17\r\n", "Content-Length: 17\r\nRetry-After: 60\r\n") +
                   "Too Many Requests"
            << 1;
        const QStringList proxy{u"--proxy"_s, u"--proxy-auth"_s, u"me:pw"_s};
        const QByteArray credentials = "Proxy-Authorization: Basic " + "me:pw"_ba.toBase64() + "\r\n";
        QTest::newRow("proxy: absolute form served")
            << proxy << QByteArray() << get("http://127.0.0.1:1" + send("un"), close + credentials)
            << head("200 OK", html, 2) + "80" << 1;
        QTest::newRow("proxy: origin form refused") << proxy << QByteArray() << get(send("un"), close + credentials)
                                                    << head("400 Bad Request", "text/plain", 11) + "Bad Request" << 0;
        QTest::newRow("proxy: 407 without credentials")
            << proxy << QByteArray() << get("http://127.0.0.1:1" + send("un"))
            << head("407 Proxy Authentication Required", "text/plain", 29)
                       .replace("\r\nConnection", "\r\nProxy-Authenticate: Basic realm=\"gateway-sim\"\r\nConnection") +
                   "Proxy Authentication Required"
            << 0;
        QTest::newRow("proxy: no tunnel elsewhere")
            << proxy << QByteArray() << "CONNECT example.org:443 HTTP/1.1\r\n" + credentials + "\r\n"
            << head("403 Forbidden", "text/plain", 9) + "Forbidden" << 0;
        QTest::newRow("redirect") << QStringList{u"--redirect"_s, u"308"_s} << QByteArray() << get(send("un"), close)
                                  << head("308 Permanent Redirect", "text/plain", 0)
                                         .replace("\r\nConnection",
                                                  QByteArray("\r\nLocation: /moved" + send("un") + "\r\nConnection"))
                                  << 0;
        QTest::newRow("redirect: moved page served")
            << QStringList{u"--redirect"_s, u"308"_s} << QByteArray() << get("/moved" + send("un"), close)
            << head("200 OK", html, 2) + "80" << 1;
        QTest::newRow("404") << QStringList() << QByteArray() << get("/autre", close)
                             << head("404 Not Found", "text/plain", 9) + "Not Found" << 0;
        QTest::newRow("405") << QStringList() << QByteArray() << "POST " + send("un") + " HTTP/1.0\r\n\r\n"
                             << QByteArray(
                                    "HTTP/1.1 405 Method Not Allowed\r\nContent-Type: text/plain\r\n"
                                    "Content-Length: 18\r\nAllow: GET\r\nConnection: close\r\n\r\nMethod Not Allowed")
                             << 0;
        QTest::newRow("head over 16 KB: 431")
            << QStringList() << QByteArray() << get(kBalance, "X-Long: " + QByteArray(17000, 'a') + "\r\n")
            << head("431 Request Header Fields Too Large", "text/plain", 31) + "Request Header Fields Too Large" << 0;
    }
    void wireBytes()
    {
        QFETCH(QStringList, options);
        QFETCH(QByteArray, earlier);
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, expected);
        QFETCH(int, outbox);
        SimulatorProcess sim(QStringList{u"--account"_s, kAccount} + options);
        QVERIFY(sim.isRunning());
        bool closed = false;
        if (!earlier.isEmpty()) {
            QTcpSocket first;
            QVERIFY(connectTo(first, sim));
            first.write(earlier);
            QVERIFY(untilClosed(first, &closed).startsWith("HTTP/1.1 200 OK"));
        }
        QTcpSocket socket;
        QVERIFY(connectTo(socket, sim));
        socket.write(request);
        const QByteArray got = untilClosed(socket, &closed);
        QVERIFY(closed);
        QCOMPARE(got.size(), expected.size());
        QCOMPARE(got, expected);
        QCOMPARE(sim.outbox().size(), outbox);
    }

    // Requests one after the other and pipelined on one connection, answered in order; HTTP/1.0 closes.
    void keepAliveAndPipelining()
    {
        SimulatorProcess sim({u"--account"_s, kAccount});
        QVERIFY(sim.isRunning());
        QTcpSocket socket;
        QVERIFY(connectTo(socket, sim));
        socket.write(get(send("un")));
        QVERIFY(readAnswer(socket).endsWith("\r\n\r\n80"));
        socket.write(get(send("deux")) + "\n" + "GET /autre HTTP/1.1\nHost: x\n\n" + get(kBalance));
        QVERIFY(readAnswer(socket).endsWith("\r\n\r\n80"));
        QVERIFY(readAnswer(socket).startsWith("HTTP/1.1 404 Not Found\r\n"));
        QVERIFY(readAnswer(socket).contains("Votre crédit est de 3 SMS."));
        QCOMPARE(socket.state(), QAbstractSocket::ConnectedState);
        socket.write("GET " + kBalance + " HTTP/1.0\r\n\r\n");
        bool closed = false;
        QVERIFY(untilClosed(socket, &closed).contains("Connection: close\r\n"));
        QVERIFY(closed);
    }

    // Two connections, each delayed by 1 s, are answered together: the delay blocks no one else.
    void delayDoesNotBlockOtherConnections()
    {
        SimulatorProcess sim({u"--account"_s, kAccount, u"--delay-ms"_s, u"1000"_s, u"--verbose"_s});
        QVERIFY(sim.isRunning());
        QTcpSocket a, b;
        QVERIFY(connectTo(a, sim));
        QVERIFY(connectTo(b, sim));
        QElapsedTimer clock;
        clock.start();
        a.write(get(send("un")));
        b.write(get(send("deux")));
        QVERIFY(a.waitForBytesWritten(1000) && b.waitForBytesWritten(1000)); // both sent before waiting
        QVERIFY(readAnswer(a).endsWith("80"));
        QVERIFY(readAnswer(b).endsWith("80"));
        const qint64 elapsed = clock.elapsed();
        QVERIFY2(elapsed >= 950 && elapsed < 1800, qPrintable(QString::number(elapsed)));
        // The log's receive times: both requests arrived before either was answered.
        QTRY_COMPARE(sim.log().count(u" GET /http.php"_s), 2);
        const QStringList lines = sim.log().split(u'\n').filter(u" GET /http.php"_s);
        const QDateTime first = QDateTime::fromString(lines[0].section(u' ', 0, 0), Qt::ISODateWithMs);
        const QDateTime second = QDateTime::fromString(lines[1].section(u' ', 0, 0), Qt::ISODateWithMs);
        QVERIFY(first.isValid() && second.isValid());
        QVERIFY2(qAbs(first.msecsTo(second)) < 500, qPrintable(lines.join(u'\n')));
    }
};

QTEST_GUILESS_MAIN(TestSimServer)
#include "test_simserver.moc"
