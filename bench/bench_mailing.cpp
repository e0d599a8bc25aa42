// The mailing send run against the gateway simulator, as parlevo-cli mailing send runs it:
//   --delay-ms 50, 2,000 rows: one request at a time (K=1, target >= 18 SMS/s), eight at once
//     (K=8, target >= 136 SMS/s), and K=8 with the journal (its cost, target <= 5 %);
//   loopback without delay: the run with its journal beside a bare QNetworkAccessManager loop
//     (target >= 0.7), and four requests at once beside one;
//   the memory growth of a 100,000-row run with its journal (target < 60 MB);
//   the check of a 100,000-row mailing's numbers before it is sent (target <= 1.5 s).
// The journal goes to a temporary directory of the machine's disk: every batch of requests waits
// for its lines to reach the disk. It prints figures; it never passes or fails.
#include "addressbook/classcontact.h"
#include "addressbook/optoutlist.h"
#include "addressbook/phonecheck.h"
#include "base/textes.h"
#include "childrun.h"
#include "gateway/classsendora.h"
#include "gateway/gatewayaddress.h"
#include "messages/mergefields.h"
#include "sending/creditcheck.h"
#include "sending/mailingresults.h"
#include "sending/sendjournal.h"
#include "sending/sendrun.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

using namespace Qt::StringLiterals;

using namespace parlevo;

namespace {

const QString kMail = u"bench@parlevo.test"_s;
const QString kPassword = u"bench"_s;
const QString kMessage = u"Bonjour, votre rendez-vous est confirmé pour demain à 10 h."_s;

// Distinct numbers, so the gateway's 24-hour duplicate rule refuses none.
std::vector<ClassContact> makeRows(int n, int series)
{
    std::vector<ClassContact> rows(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        ClassContact &c = rows[static_cast<std::size_t>(i)];
        c.Titre = u"M."_s;
        c.Nom = u"Contact"_s + QString::number(i);
        c.Prenom = u"Jean"_s;
        c.Phone = u"0"_s + QString::number(series % 10) + QString::number(series / 10) +
                  QString::number(i).rightJustified(7, u'0');
    }
    return rows;
}

// What a terminal run keeps of each row: the results line.
class ResultsObserver final {
public:
    void rowDone(const ClassContact &contact, const QString &number, const SendReply &reply, const QString &result)
    {
        m_bytes += cliResultsLine(number, MailingResult{contact, reply.code, result, reply.outcome}).size();
    }

private:
    qint64 m_bytes = 0;
};

struct Figure {
    double rate = 0;
    qint64 growthKb = 0;
    qsizetype accepted = 0;
};

class Bench {
public:
    Bench(ClassSendora &gateway, const TextTable &textes, const QString &journalDir)
        : m_gateway(gateway)
        , m_textes(textes)
        , m_journalDir(journalDir)
    {
    }

    Figure run(int n, int parallel, bool journaled)
    {
        const std::vector<ClassContact> rows = makeRows(n, m_series++);
        const double before = ownMegabytes(Memory::Resident);
        QElapsedTimer clock;
        clock.start();
        std::unique_ptr<SendJournal> journal;
        SendRunOptions options;
        options.parallel = parallel;
        if (journaled) {
            JournalHead head{QString(), QDateTime(), u"Bench"_s, kMessage, QString(), rows};
            QString error;
            journal = SendJournal::create(m_journalDir, head, &error);
            if (!journal)
                std::fprintf(stderr, "no journal: %s\n", qPrintable(error));
            options.journal = journal.get();
        }
        ResultsObserver observer;
        MailingRun run(m_gateway, m_textes, fixedMailingSource(rows, u"Bench"_s, kMessage), QString(), options);
        QObject::connect(&run, &MailingRun::rowDone, &run,
                         [&observer](qsizetype, const ClassContact &contact, const QString &number,
                                     const SendReply &reply,
                                     const QString &result) { observer.rowDone(contact, number, reply, result); });
        // The bench waits here as the command line does in its own event loop.
        QEventLoop loop;
        QObject::connect(&run, &MailingRun::finished, &loop, &QEventLoop::quit);
        run.start();
        loop.exec();
        const SendRunSummary summary = run.summary();
        if (journal)
            journal->recordEnd(!summary.stopped);
        const qint64 ms = std::max<qint64>(1, clock.elapsed());
        if (summary.accepted != n)
            std::fprintf(stderr, "warning: %lld of %d SMS not accepted\n", static_cast<long long>(n - summary.accepted),
                         n);
        return {n * 1000.0 / double(ms), qint64((ownMegabytes(Memory::Resident) - before) * 1024.0), summary.accepted};
    }

private:
    ClassSendora &m_gateway;
    const TextTable &m_textes;
    QString m_journalDir;
    int m_series = 11;
};

double bareQtRate(const QUrl &base, int n)
{
    QNetworkAccessManager network;
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < n; ++i) {
        QNetworkReply *reply = network.get(QNetworkRequest(sendUrl(
            base, kMail, kPassword, u"0699"_s + QString::number(i).rightJustified(6, u'0'), kMessage, QString())));
        QEventLoop loop;
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        if (!reply->isFinished())
            loop.exec();
        reply->readAll();
        delete reply;
    }
    return n * 1000.0 / double(std::max<qint64>(1, clock.elapsed()));
}

struct Simulator {
    QProcess process;
    QUrl url;
    bool start(const QStringList &extra)
    {
        process.start(QStringLiteral(PARLEVO_SIM_PATH),
                      QStringList{u"--port"_s, u"0"_s, u"--account"_s, kMail + u':' + kPassword + u":100000000"_s} +
                          extra);
        if (!process.waitForReadyRead(10000) || !process.canReadLine())
            return false;
        url = QUrl(u"http://127.0.0.1:"_s + QString::number(process.readLine().trimmed().toUInt()));
        return true;
    }
    ~Simulator()
    {
        process.kill();
        process.waitForFinished();
    }
};

} // namespace

// The longest merged text and the rows lacking a field, as the mailing window finds them on each
// change of its message: best of five passes.
void mergeFigure(int rowCount)
{
    const std::vector<ClassContact> rows = makeRows(rowCount, 0);
    const MergeTemplate message(u"Bonjour {Prénom} {nom}, votre rendez-vous chez {societe} est confirmé."_s);
    double best = 1e9;
    qsizetype longest = -1;
    for (int pass = 0; pass < 5; ++pass) {
        QElapsedTimer clock;
        clock.start();
        const MergeReport report =
            mergeReport(message, rowCount, [&rows](qsizetype row) { return &rows[std::size_t(row)]; });
        best = std::min(best, double(clock.nsecsElapsed()) / 1e6);
        longest = report.longestRow;
    }
    std::printf("Merge fields over %d rows: longest text (row %lld) and empty fields in %.1f ms   (target < 100)\n",
                rowCount, static_cast<long long>(longest), best);
    // The cost line: every row merged again, its coding and parts found.
    const TextTable textes;
    best = 1e9;
    MailingCost cost;
    for (int pass = 0; pass < 3; ++pass) {
        QElapsedTimer clock;
        clock.start();
        cost = mailingCost(textes, u"Salon"_s, message, rowCount,
                           [&rows](qsizetype row) { return &rows[std::size_t(row)]; });
        best = std::min(best, double(clock.nsecsElapsed()) / 1e6);
    }
    std::printf("Cost over %d rows: %s in %.1f ms\n", rowCount, qPrintable(mailingCostText(textes, cost)), best);
    std::fflush(stdout);
}

// The pre-send check of n rows: every number read (distinct numbers, written three ways, one row
// in ten a repeat of an earlier one), repeats found, 1,000 opt-outs looked up. A fresh reader, so
// nothing is cached beforehand. Milliseconds.
qint64 preSendCheckMs(int n)
{
    QStringList numbers;
    numbers.reserve(n);
    for (int i = 0; i < n; ++i) {
        const int k = i % 10 == 9 ? i / 2 : i;
        const QString national = QString::number(k).rightJustified(8, u'0');
        switch (k % 3) {
        case 0:
            numbers.append(u"06 "_s + national.left(2) + u' ' + national.mid(2, 2) + u' ' + national.mid(4, 2) + u' ' +
                           national.mid(6));
            break;
        case 1:
            numbers.append(u"+336"_s + national);
            break;
        default:
            numbers.append(u"0033 7"_s + national);
            break;
        }
    }
    QElapsedTimer clock;
    clock.start();
    PhoneCheck check(u"FR"_s);
    OptOutList optOuts(check);
    for (int i = 0; i < 1000; ++i)
        optOuts.add(u"06"_s + QString::number(i * 97).rightJustified(8, u'0'));
    const NumberCheck result = checkNumbers(check, numbers, &optOuts);
    const qint64 ms = clock.elapsed();
    std::printf("  (%zu invalid, %zu not mobile, %zu repeated numbers, %zu opted out)\n", result.invalid.size(),
                result.notMobile.size(), result.duplicates.size(), result.optedOut.size());
    return ms;
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    int n = 2000;
    int big = 100000;
    for (qsizetype i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == u"--count")
            n = args[i + 1].toInt();
        else if (args[i] == u"--memory-count")
            big = args[i + 1].toInt();
    }
    if (n <= 0 || big <= 0) {
        std::fprintf(stderr, "usage: bench_mailing [--count N] [--memory-count N]\n");
        return 64;
    }
    const qint64 checkMs = preSendCheckMs(big);
    std::printf("pre-send check of %d rows: %lld ms (target <= 1500 ms)\n", big, static_cast<long long>(checkMs));
    std::fflush(stdout);

    mergeFigure(big);
    Simulator loopback;
    Simulator delayed;
    if (!loopback.start({}) || !delayed.start({u"--delay-ms"_s, u"50"_s})) {
        std::fprintf(stderr, "the gateway simulator did not start\n");
        return 1;
    }
    QTemporaryDir dataDir;
    TextTable textes;
    ClassSendora gateway(textes);
    gateway.Mail = kMail;
    gateway.Password = kPassword;
    Bench bench(gateway, textes, dataDir.path());

    // Warm-up: connections and first allocations out of the figures.
    gateway.setBaseUrl(loopback.url);
    bench.run(200, 4, true);
    bareQtRate(loopback.url, 200);

    std::printf("Mailing runs against parlevo-gateway-sim, journal in %s\n", qPrintable(dataDir.path()));
    std::fflush(stdout);
    gateway.setBaseUrl(delayed.url);
    const Figure k1 = bench.run(n, 1, false);
    std::printf("--delay-ms 50, %d rows\n  K=1                       %8.1f SMS/s   (target >= 18)\n", n, k1.rate);
    std::fflush(stdout);
    const Figure k8 = bench.run(n, 8, false);
    const Figure k8j = bench.run(n, 8, true);
    std::printf("  K=8                       %8.1f SMS/s   (target >= 136)\n", k8.rate);
    std::printf("  K=8 with journal          %8.1f SMS/s   journal cost %.1f %% (target <= 5 %%)\n", k8j.rate,
                k8.rate > 0 ? (1.0 - k8j.rate / k8.rate) * 100.0 : 0.0);
    std::fflush(stdout);

    gateway.setBaseUrl(loopback.url);
    const double bare = (bareQtRate(loopback.url, n) + bareQtRate(loopback.url, n)) / 2;
    const Figure l1 = bench.run(n, 1, false);
    const Figure l1j = bench.run(n, 1, true);
    const Figure l4 = bench.run(n, 4, false);
    const Figure l4j = bench.run(n, 4, true);
    std::printf("loopback, no delay, %d rows\n", n);
    std::printf("  bare QNetworkAccessManager loop %8.0f SMS/s\n", bare);
    std::printf("  K=1 / K=1 with journal    %8.0f / %.0f SMS/s   journal run / bare = %.2f (target >= 0.7)\n", l1.rate,
                l1j.rate, bare > 0 ? l1j.rate / bare : 0.0);
    std::printf("  K=4 / K=4 with journal    %8.0f / %.0f SMS/s   K=4 / K=1 = %.2f, with journal %.2f; "
                "K=4 journal run / bare = %.2f\n",
                l4.rate, l4j.rate, l1.rate > 0 ? l4.rate / l1.rate : 0.0, l1j.rate > 0 ? l4j.rate / l1j.rate : 0.0,
                bare > 0 ? l4j.rate / bare : 0.0);
    std::fflush(stdout);

    const Figure memory = bench.run(big, 8, true);
    std::printf("%d rows, K=8 with journal: %8.0f SMS/s, memory growth %+lld kB (target < 60 MB)\n", big, memory.rate,
                static_cast<long long>(memory.growthKb));
    return 0;
}
