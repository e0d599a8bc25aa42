// Gateway throughput against the simulator on loopback, three ways in one run:
//   client       N sequential sends of the gateway client (the program), each after the last answer,
//   bare Qt      the same N GETs by a bare QNetworkAccessManager loop (the library's floor),
//   curl loop    a shell loop running curl once per SMS (what a user scripting the gateway does).
// Targets: the client at least 0.8 of the bare loop and at least 10 times the curl loop.
// It prints figures; it never passes or fails.
#include "base/textes.h"
#include "gateway/classsendora.h"
#include "gateway/gatewayaddress.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QStandardPaths>

#include <algorithm>
#include <cstdio>

using namespace Qt::StringLiterals;

using namespace parlevo;

namespace {

const QString kMail = u"bench@parlevo.test"_s;
const QString kPassword = u"bench"_s;
const QString kNumber = u"0612345678"_s;

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0.0 : values[values.size() / 2];
}

double envoiRate(ClassSendora &gateway, int n, const QString &tag)
{
    QElapsedTimer clock;
    clock.start();
    int accepted = 0;
    for (int i = 0; i < n; ++i) {
        // Waited for as the bare loop waits for its reply.
        QEventLoop loop;
        gateway.sendAsync(kNumber, tag + QString::number(i), QString(), [&](const SendReply &reply) {
            accepted += reply.code == 80;
            loop.quit();
        });
        loop.exec();
    }
    const double rate = n * 1000.0 / std::max<qint64>(1, clock.elapsed());
    if (accepted != n)
        std::fprintf(stderr, "warning: %d of %d sends were not accepted\n", n - accepted, n);
    return rate;
}

double bareRate(const QUrl &base, int n, const QString &tag)
{
    QNetworkAccessManager network;
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < n; ++i) {
        QNetworkReply *reply =
            network.get(QNetworkRequest(sendUrl(base, kMail, kPassword, kNumber, tag + QString::number(i), QString())));
        QEventLoop loop;
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        if (!reply->isFinished())
            loop.exec();
        reply->readAll();
        delete reply;
    }
    return n * 1000.0 / std::max<qint64>(1, clock.elapsed());
}

double curlRate(const QUrl &base, int n, const QString &tag)
{
    const QString url = sendUrl(base, kMail, kPassword, kNumber, tag, QString()).toString(QUrl::FullyEncoded);
    // The message differs per SMS: the loop index is appended to the text.
    const QString script =
        u"for i in $(seq 1 "_s + QString::number(n) + u"); do curl -s '"_s + url + u"'\"$i\" > /dev/null; done"_s;
    QProcess shell;
    QElapsedTimer clock;
    clock.start();
    shell.start(u"bash"_s, {u"-c"_s, script});
    shell.waitForFinished(-1);
    return n * 1000.0 / std::max<qint64>(1, clock.elapsed());
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    int n = 2000;
    int curlN = 200;
    int rounds = 3;
    for (qsizetype i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == u"--count")
            n = args[i + 1].toInt();
        else if (args[i] == u"--curl-count")
            curlN = args[i + 1].toInt();
        else if (args[i] == u"--rounds")
            rounds = args[i + 1].toInt();
    }
    if (n <= 0 || curlN <= 0 || rounds <= 0) {
        std::fprintf(stderr, "usage: bench_gateway [--count N] [--curl-count M] [--rounds R]\n");
        return 64;
    }

    QProcess sim;
    sim.start(QStringLiteral(PARLEVO_SIM_PATH),
              {u"--port"_s, u"0"_s, u"--account"_s, kMail + u':' + kPassword + u":100000000"_s});
    if (!sim.waitForReadyRead(10000) || !sim.canReadLine()) {
        std::fprintf(stderr, "the gateway simulator did not start\n");
        return 1;
    }
    const quint16 port = static_cast<quint16>(sim.readLine().trimmed().toUInt());
    const QUrl base(u"http://127.0.0.1:"_s + QString::number(port));
    const bool haveCurl = !QStandardPaths::findExecutable(u"curl"_s).isEmpty();

    TextTable textes;
    ClassSendora gateway(textes);
    gateway.setBaseUrl(base);
    gateway.Mail = kMail;
    gateway.Password = kPassword;
    envoiRate(gateway, 200, u"warm-up "_s);
    bareRate(base, 200, u"warm-up bare "_s);

    QList<double> envoi, bare, curl;
    for (int r = 0; r < rounds; ++r) {
        const QString round = u"r"_s + QString::number(r) + u' ';
        envoi.append(envoiRate(gateway, n, round + u"envoi "_s));
        bare.append(bareRate(base, n, round + u"bare "_s));
        if (haveCurl)
            curl.append(curlRate(base, curlN, round + u"curl "_s));
    }
    sim.kill();
    sim.waitForFinished();

    const double e = median(envoi), b = median(bare), c = median(curl);
    std::printf("Gateway throughput on loopback (parlevo-gateway-sim), median of %d rounds\n", rounds);
    std::printf("  client, %d sequential sends           %8.0f SMS/s\n", n, e);
    std::printf("  bare QNetworkAccessManager loop, %d   %8.0f SMS/s\n", n, b);
    if (haveCurl)
        std::printf("  shell loop running curl, %d           %8.0f SMS/s\n", curlN, c);
    else
        std::printf("  shell loop running curl              (curl not installed)\n");
    std::printf("client / bare loop = %.2f (target >= 0.8)\n", b > 0 ? e / b : 0.0);
    if (haveCurl)
        std::printf("client / curl loop = %.1f (target >= 10)\n", c > 0 ? e / c : 0.0);
    return 0;
}
