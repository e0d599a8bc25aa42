// A 10,000-row mailing against the gateway simulator on loopback, beside the gateway client's raw
// rate measured in the same run:
//   Envoi_SMS      N sequential calls of the gateway client alone (the raw client rate),
//   send run       the mailing send run with no window (what parlevo-cli mailing send does),
//   window         Form_EnvoiMailing::Send, result rows and progress included (offscreen).
// Target: the send run at least 0.7 of the raw rate; memory growth under 50 MB over the run.
// It prints figures; it never passes or fails.
#include "addressbook/classcontact.h"
#include "base/appstate.h"
#include "base/textes.h"
#include "gateway/classsendora.h"
#include "sending/form_envoimailing.h"
#include "sending/sendrun.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace Qt::StringLiterals;

using namespace parlevo;

namespace {

const QString kMail = u"bench@parlevo.test"_s;
const QString kPassword = u"bench"_s;

// Resident memory of this process, in kB (Linux), 0 when unknown.
qint64 residentKb()
{
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return 0;
}

// Distinct numbers, so the gateway's 24-hour duplicate rule refuses none.
std::vector<ClassContact> makeRows(int n, int series)
{
    std::vector<ClassContact> rows(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        ClassContact &c = rows[static_cast<std::size_t>(i)];
        c.Titre = u"M."_s;
        c.Nom = u"Contact"_s + QString::number(i);
        c.Prenom = u"Jean"_s;
        c.Phone = u"0"_s + QString::number(series) + u' ' + QString::number(i).rightJustified(8, u'0');
    }
    return rows;
}

MailingSource sourceOf(const std::vector<ClassContact> &rows, const QString &message)
{
    return MailingSource{[&rows] { return static_cast<qsizetype>(rows.size()); },
                         [&rows](qsizetype row) { return &rows[static_cast<std::size_t>(row)]; },
                         [] { return u"Bench"_s; }, [message] { return message; }};
}

class NullObserver final : public SendRunObserver {
public:
    void runStarted(qsizetype) override {}
    void rowStarted(qsizetype, const ClassContact &, const QString &) override {}
    void rowDone(qsizetype, const QString &, const SendReply &, const QString &) override {}
    void progress(qsizetype, qsizetype) override {}
};

struct Figure {
    double rate = 0;
    qint64 growthKb = 0;
    qsizetype accepted = 0;
};

template <typename F> Figure measure(int n, F &&run)
{
    const qint64 before = residentKb();
    QElapsedTimer clock;
    clock.start();
    const qsizetype accepted = run();
    const qint64 ms = std::max<qint64>(1, clock.elapsed());
    return {n * 1000.0 / double(ms), residentKb() - before, accepted};
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    int n = 10000;
    for (qsizetype i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == u"--count")
            n = args[i + 1].toInt();
    }
    if (n <= 0) {
        std::fprintf(stderr, "usage: bench_mailing [--count N]\n");
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

    QTemporaryDir dataDir;
    AppState state(dataDir.path());
    ClassSendora &gateway = state.Gateway();
    gateway.setBaseUrl(QUrl(u"http://127.0.0.1:"_s + QString::number(port)));
    gateway.Mail = kMail;
    gateway.Password = kPassword;
    const QString message = u"Bonjour, votre rendez-vous est confirmé pour demain à 10 h."_s;

    // Warm-up: connection and first allocations out of the figures.
    const std::vector<ClassContact> warm = makeRows(200, 5);
    NullObserver quiet;
    runMailing(gateway, state.textTable(), sourceOf(warm, u"warm-up"_s), QString(), quiet);

    // The raw rate is taken before and after the runs, and the two averaged, so that a drift of
    // the machine or of the simulator over the benchmark favours neither side.
    const auto rawRun = [&](int series) {
        QStringList numbers;
        for (const ClassContact &c : makeRows(n, series))
            numbers.append(QString(c.Phone).remove(u' '));
        return measure(n, [&] {
            qsizetype accepted = 0;
            const QString text = u"De : Bench, "_s + message;
            for (const QString &number : std::as_const(numbers))
                accepted += gateway.Envoi_SMS(number, text, QString()) == 80;
            return accepted;
        });
    };
    const Figure rawBefore = rawRun(6);

    const std::vector<ClassContact> runRows = makeRows(n, 7);
    const Figure run = measure(n, [&] {
        return runMailing(gateway, state.textTable(), sourceOf(runRows, message), QString(), quiet).accepted;
    });

    const std::vector<ClassContact> windowRows = makeRows(n, 9);
    QWidget owner;
    Form_EnvoiMailing window(state, &owner);
    const Figure shown = measure(n, [&] { return window.Send(sourceOf(windowRows, message), QString()).accepted; });

    const Figure rawAfter = rawRun(8);
    sim.kill();
    sim.waitForFinished();
    const Figure raw{(rawBefore.rate + rawAfter.rate) / 2, std::max(rawBefore.growthKb, rawAfter.growthKb),
                     rawBefore.accepted + rawAfter.accepted};

    std::printf("Mailing of %d rows on loopback (parlevo-gateway-sim), one request after the other\n", n);
    std::printf("  Envoi_SMS alone (raw client)        %8.0f SMS/s   (before %.0f, after %.0f)\n", raw.rate,
                rawBefore.rate, rawAfter.rate);
    std::printf("  send run, no window                 %8.0f SMS/s   memory %+6lld kB   accepted %lld\n", run.rate,
                static_cast<long long>(run.growthKb), static_cast<long long>(run.accepted));
    std::printf("  send run in Form_EnvoiMailing       %8.0f SMS/s   memory %+6lld kB   accepted %lld\n", shown.rate,
                static_cast<long long>(shown.growthKb), static_cast<long long>(shown.accepted));
    std::printf("send run / raw = %.2f, window / raw = %.2f (target >= 0.7); growth target < 50 MB\n",
                raw.rate > 0 ? run.rate / raw.rate : 0.0, raw.rate > 0 ? shown.rate / raw.rate : 0.0);
    return 0;
}
