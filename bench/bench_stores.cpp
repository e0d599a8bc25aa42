// Load and save times of the contacts store on a generated "Contacts.lst", peak memory, and the
// floor (reading the file whole and finding its lines, nothing decoded); then the time from
// starting the real program on a 100,000-contact book, then on 1,000,000 predefined messages, to
// its main window being shown; an opt-out list of 1,000,000 numbers read by the program and the
// command line tool; the UI thread's stall during an autosave of 100,000 contacts.
//
//   bench_stores [contacts, default 1000000] [--runs N] [--no-startup]

#include "addressbook/contactcollection.h"
#include "addressbook/contactstore.h"
#include "addressbook/optoutlist.h"
#include "addressbook/phonecheck.h"
#include "app/appstate.h"
#include "base/autosave.h"
#include "base/storefile.h"
#include "childrun.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <functional>
#include <optional>
#include <random>
#include <vector>

using namespace Qt::StringLiterals;
using namespace parlevo;

namespace {

const char *const kGroups[] = {"Famille",      "Travail",
                               "Amis",         "Clients",
                               "Fournisseurs", "Club de football",
                               "Voisins",      "\xc9\x63ole des enfants",
                               "Associ\xe9s",  "Prospects \xcele-de-France"};
const char *const kTitles[] = {"", "", "Dr.", "M.", "Me", "Mgr", "Mlle", "Mme", "P.", "Pr", "Sr"};
const char *const kFirstNames[] = {"Anne",     "Jean-Pierre", "Marie",   "Pierre",  "Fran\xe7oise", "Luc",
                                   "Zo\xe9",   "Andr\xe9",    "Camille", "Nicolas", "Isabelle",     "Thomas",
                                   "Chlo\xe9", "L\xe9on",     "Sophie",  "Hugo",    "Marie-Claire", "Julien"};
const char *const kLastNames[] = {"Martin",     "Bernard",  "Dubois", "Thomas",         "Robert",   "Richard",
                                  "Petit",      "Durand",   "Leroy",  "Moreau",         "Simon",    "Laurent",
                                  "Lef\xe8vre", "Michel",   "Garcia", "de la Fontaine", "Bertrand", "Roux",
                                  "Vincent",    "Fournier", "Morel",  "Girard",         "Andr\xe9", "Mercier"};
const char *const kCompanies[] = {"",
                                  "Acme",
                                  "Soci\xe9t\xe9 G\xe9n\xe9rale",
                                  "Boulangerie Dupain",
                                  "Garage du Centre",
                                  "Cabinet Moreau & Associ\xe9s",
                                  "Mairie de Villeneuve",
                                  "H\xf4pital Nord",
                                  "Transports Lef\xe8vre et Fils",
                                  "Pharmacie de la Gare"};

template <std::size_t N> const char *pick(const char *const (&list)[N], std::mt19937 &random)
{
    return list[random() % N];
}

// A book of count contacts in the file's own bytes, the same for every run.
QByteArray generateBook(int count)
{
    std::mt19937 random(20261206);
    QByteArray out;
    out.reserve(qsizetype(count) * 64);
    char phone[16];
    for (int i = 0; i < count; ++i) {
        std::snprintf(phone, sizeof phone, "0%d%08u", 6 + int(random() % 2), unsigned(random() % 100000000));
        for (const char *field : {pick(kGroups, random), pick(kCompanies, random), pick(kTitles, random),
                                  pick(kFirstNames, random), pick(kLastNames, random)}) {
            out.append(field);
            out.append(';');
        }
        out.append(phone);
        out.append("\r\n");
    }
    return out;
}

// Starts measuring the peak afresh (Linux).
bool resetPeak()
{
    QFile clearRefs(QStringLiteral("/proc/self/clear_refs"));
    return clearRefs.open(QIODevice::WriteOnly) && clearRefs.write("5") == 1;
}

// CPU time of the whole process in ms: on a machine shared with other work it shows what the
// wall-clock figures would be without the wait for a core.
double cpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Median milliseconds of runs calls of step.
double timeMs(int runs, const std::function<void()> &step)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer clock;
        clock.start();
        step();
        times.push_back(double(clock.nsecsElapsed()) / 1e6);
    }
    return median(times);
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

void benchStore(const QString &dir, int count, int runs)
{
    const QString lst = dir + u"/Contacts.lst";
    const QString saved = dir + u"/Saved.lst";
    {
        const QByteArray book = generateBook(count);
        if (!writeFile(lst, book)) {
            std::printf("cannot write %s\n", qPrintable(lst));
            return;
        }
        std::printf("book: %d contacts, %.1f MB (%s)\n", count, double(book.size()) / 1e6, qPrintable(lst));
    }

    qsizetype lines = 0;
    const double floorMs = timeMs(runs, [&] {
        QFile file(lst);
        if (!file.open(QIODevice::ReadOnly))
            return;
        const QByteArray bytes = file.readAll();
        lines = 0;
        for (const char *p = bytes.constData(), *end = p + bytes.size(); p < end; ++lines) {
            const void *nl = std::memchr(p, '\n', std::size_t(end - p));
            p = nl ? static_cast<const char *>(nl) + 1 : end;
        }
    });

    const double baseMb = ownMegabytes(Memory::Resident);
    bool peakReset = resetPeak();
    qsizetype loaded = 0;
    std::vector<double> loadTimes, saveTimes, loadCpu, saveCpu;
    double peakMb = 0;
    bool sameBytes = true;
    for (int i = 0; i < runs; ++i) {
        AppState state(dir);
        QElapsedTimer clock;
        clock.start();
        double cpu = cpuMs();
        Charge_Contacts(state.addressBook());
        loadTimes.push_back(double(clock.nsecsElapsed()) / 1e6);
        loadCpu.push_back(cpuMs() - cpu);
        loaded = state.addressBook().colContacts().count();
        clock.restart();
        cpu = cpuMs();
        Sauve_Contacts(state.addressBook(), saved);
        saveTimes.push_back(double(clock.nsecsElapsed()) / 1e6);
        saveCpu.push_back(cpuMs() - cpu);
        if (i == 0)
            peakMb = ownMegabytes(Memory::Peak);
    }
    {
        QFile a(lst), b(saved);
        sameBytes = a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly) && a.readAll() == b.readAll();
    }

    // The parts of a load and a save, measured after the whole so that the peak above is that of
    // a first load: decoding the lines alone, and writing the bytes alone.
    double parseMs = 0;
    double writeMs = 0;
    {
        QFile file(lst);
        const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        parseMs = timeMs(runs, [&] {
            quint64 key = 0;
            readContactLines(bytes, [&key] { return QString::number(++key); });
        });
        writeMs = timeMs(runs, [&] { replaceFile(saved, bytes); });
        QFile::remove(saved);
    }

    const double loadMs = median(loadTimes);
    const double saveMs = median(saveTimes);
    std::printf("floor (readAll + memchr line split): %8.1f ms  (%lld lines)\n", floorMs,
                static_cast<long long>(lines));
    std::printf("      of which decoding the lines alone: %8.1f ms; writing the file's bytes alone: %.1f ms\n", parseMs,
                writeMs);
    std::printf("load  (Charge_Contacts, with the .bak copy): %8.1f ms  %10.0f contacts/s  (CPU %.1f ms, all threads)  "
                "target < 1000 ms\n",
                loadMs, double(loaded) / loadMs * 1e3, median(loadCpu));
    std::printf("save  (Sauve_Contacts, replaced atomically): %8.1f ms  %10.0f contacts/s  (CPU %.1f ms)  "
                "target <  500 ms\n",
                saveMs, double(loaded) / saveMs * 1e3, median(saveCpu));
    std::printf(
        "peak memory (VmHWM) over the first load and save: %.0f MB%s (%.0f MB resident before)  target < 600 MB\n",
        peakMb, peakReset ? "" : " (peak not reset: includes the generation)", baseMb);
    std::printf("contacts loaded: %lld; saved file identical to the generated one: %s\n",
                static_cast<long long>(loaded), sameBytes ? "yes" : "NO");
}

// The autosave of a book of count contacts: how long the UI thread is held (the bytes are taken
// there, the file written by the autosave's own thread), seen as the longest gap between the ticks
// of a 1 ms timer while the save runs.
void benchAutoSave(const QString &dir, int count, int runs)
{
    AppState state(dir);
    quint64 key = 0;
    state.addressBook().colContacts().append(
        readContactLines(generateBook(count), [&key] { return QString::number(++key); }));
    const QString name = QString::fromUtf16(kContactsFileName);
    AutoSave &autoSave = state.autoSave();
    autoSave.watch(name, [&state, name] { return prepareContactsSave(state.addressBook(), state.filePath(name)); });
    autoSave.setDelay(0);
    std::vector<double> stalls, totals;
    for (int i = 0; i < runs; ++i) {
        bool done = false;
        QObject::connect(
            &autoSave, &AutoSave::saved, &autoSave, [&done] { done = true; }, Qt::SingleShotConnection);
        QElapsedTimer clock, sinceTick;
        double longest = 0;
        QTimer ticks;
        ticks.setInterval(1);
        QObject::connect(&ticks, &QTimer::timeout, &ticks, [&] {
            longest = std::max(longest, double(sinceTick.nsecsElapsed()) / 1e6);
            sinceTick.restart();
        });
        clock.start();
        sinceTick.start();
        ticks.start();
        state.addressBook().colContacts().notifyChanged(u"1"_s);
        autoSave.changed(name);
        while (!done)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        stalls.push_back(longest);
        totals.push_back(double(clock.nsecsElapsed()) / 1e6);
    }
    std::printf("autosave of %d contacts: UI thread held at most %.1f ms (longest gap between 1 ms ticks, median of "
                "%d)  target < 100 ms; change to file written: %.1f ms\n",
                count, median(stalls), runs, median(totals));
}

struct StartupTimes {
    double shown = -1;    // process start to main window shown, as seen from outside
    double internal = -1; // from the start of the program's start-up sequence, as it reports it
    double total = -1;    // process start to the end of shutdown
};

// Medians over runs of starting the real program on dir until its window is shown.
std::optional<StartupTimes> measureStartup(const QString &dir, int runs)
{
    std::vector<double> shown, internal, total;
    for (int i = 0; i < runs; ++i) {
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("PARLEVO_EXIT_WHEN_SHOWN"), QStringLiteral("1"));
        program.setProcessEnvironment(env);
        double shownMs = -1;
        QElapsedTimer clock;
        QObject::connect(&program, &QProcess::readyReadStandardOutput, &program, [&] {
            const QByteArray out = program.readAllStandardOutput();
            const qsizetype at = out.indexOf("PARLEVO_SHOWN_MS=");
            if (at >= 0 && shownMs < 0) {
                shownMs = double(clock.nsecsElapsed()) / 1e6;
                internal.push_back(out.mid(at + 17).trimmed().toDouble());
            }
        });
        clock.start();
        program.start(QStringLiteral(PARLEVO_EXECUTABLE), {QStringLiteral("--data-dir"), dir});
        if (!program.waitForFinished(60000) || shownMs < 0) {
            std::printf("start-up: the program did not report its window shown within 60 s (%s)\n",
                        program.readAllStandardError().constData());
            program.kill();
            program.waitForFinished();
            return std::nullopt;
        }
        shown.push_back(shownMs);
        total.push_back(double(clock.nsecsElapsed()) / 1e6);
    }
    return StartupTimes{median(shown), median(internal), median(total)};
}

void benchStartup(const QString &dir, int count, int runs)
{
    const QString lst = dir + u"/Contacts.lst";
    if (!writeFile(lst, generateBook(count))) {
        std::printf("cannot write %s\n", qPrintable(lst));
        return;
    }
    if (const auto t = measureStartup(dir, runs))
        std::printf("start-up with %d contacts, process start to main window shown: %.1f ms (median of %d; %.1f ms "
                    "inside the program from the start of its start-up sequence; %.1f ms to the end of shutdown)  "
                    "target < 500 ms\n",
                    count, t->shown, runs, t->internal, t->total);
}

// The predefined messages are loaded and their popup built before the window shows.
void benchStartupPredefinis(const QString &dir, int count, int runs)
{
    QByteArray file = QByteArray::number(count) + "\r\n";
    file.reserve(count * 40);
    for (int i = 1; i <= count; ++i)
        file += "Message " + QByteArray::number(i) + ";Bonjour, rendez-vous le " + QByteArray::number(i % 28 + 1) +
                " \xe0 10 h.\r\n";
    const QString sms = dir + u"/Predefinis.sms";
    if (!writeFile(sms, file)) {
        std::printf("cannot write %s\n", qPrintable(sms));
        return;
    }
    if (const auto t = measureStartup(dir, runs))
        std::printf("start-up with %d predefined messages, process start to main window shown: %.1f ms (median of "
                    "%d; %.1f ms inside the program; %.1f ms to the end of shutdown)  target < 2000 ms\n",
                    count, t->shown, runs, t->internal, t->total);
}

// An opt-out list of count numbers, each written one of four usual ways.
QByteArray generateOptOuts(int count)
{
    QByteArray out;
    out.reserve(qsizetype(count) * 18);
    char line[40];
    for (int i = 0; i < count; ++i) {
        const int n = 10000000 + i;
        switch (i % 4) {
        case 0:
            std::snprintf(line, sizeof line, "06 %02d %02d %02d %02d\r\n", n / 1000000 % 100, n / 10000 % 100,
                          n / 100 % 100, n % 100);
            break;
        case 1:
            std::snprintf(line, sizeof line, "+336%08d\r\n", n);
            break;
        case 2:
            std::snprintf(line, sizeof line, "0033 7 %08d\r\n", n);
            break;
        default:
            std::snprintf(line, sizeof line, "07.%08d\r\n", n);
            break;
        }
        out.append(line);
    }
    return out;
}

// The opt-out list of count numbers: read in this process, by the command line tool (optout list,
// and a mailing send that reads it before sending one SMS to a gateway that is not there), and
// what it adds to the program's start-up.
void benchOptOuts(int count, int runs)
{
    QTemporaryDir dir;
    const QByteArray file = generateOptOuts(count);
    if (!writeFile(dir.filePath(QString::fromUtf16(kOptOutFileName)), file) ||
        !writeFile(dir.filePath(QString::fromUtf16(kContactsFileName)), "Club;;;;Martin;0612345678\r\n")) {
        std::printf("cannot write the opt-out list\n");
        return;
    }
    {
        PhoneCheck check(u"FR"_s);
        OptOutList list(check);
        const double before = ownMegabytes(Memory::Resident);
        const double readMs = timeMs(runs, [&] { list.setFileBytes(file); });
        const double heldMb = ownMegabytes(Memory::Resident) - before;
        QElapsedTimer clock;
        clock.start();
        int found = 0;
        for (int i = 0; i < 100000; ++i)
            found += list.contains(u"+337%1"_s.arg(10000000 + i * 7)) ? 1 : 0;
        std::printf("opt-out list of %lld numbers (%.1f MB): read in %.1f ms, about %.0f MB held; 100,000 look-ups "
                    "in %.1f ms (%d found)\n",
                    static_cast<long long>(list.count()), double(file.size()) / 1e6, readMs, heldMb,
                    double(clock.nsecsElapsed()) / 1e6, found);
    }
    qputenv("PARLEVO_GATEWAY_URL", "http://127.0.0.1:9");
    const QString cli = QStringLiteral(PARLEVO_CLI_EXECUTABLE);
    for (const QStringList &command :
         {QStringList{u"optout"_s, u"list"_s},
          QStringList{u"mailing"_s, u"send"_s, u"--group"_s, u"Club"_s, u"--message"_s, u"Bonjour"_s}}) {
        std::vector<double> times, peaks;
        int exitCode = 0;
        for (int i = 0; i < runs; ++i) {
            const ChildRun run = runChild(QStringList{cli} + command + QStringList{u"--data-dir"_s, dir.path()});
            times.push_back(run.ms);
            peaks.push_back(run.peakMb);
            exitCode = run.exitCode;
        }
        std::printf("parlevo-cli %s with it: %.1f ms, peak %.0f MB (median of %d, exit %d)  target <= 1000 ms, "
                    "<= 150 MB\n",
                    qPrintable(command.join(u' ')), median(times), median(peaks), runs, exitCode);
    }
    qunsetenv("PARLEVO_GATEWAY_URL");
    QTemporaryDir none;
    const auto without = measureStartup(none.path(), runs);
    const auto with = measureStartup(dir.path(), runs);
    if (without && with)
        std::printf("start-up with it: %.1f ms, without: %.1f ms: %.1f ms more  target <= 1000 ms more\n", with->shown,
                    without->shown, with->shown - without->shown);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    int runs = 3;
    bool startup = true;
    int count = 1000000;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == u"--runs" && i + 1 < args.size())
            runs = std::max(1, args[++i].toInt());
        else if (args[i] == u"--no-startup")
            startup = false;
        else
            count = std::max(1, args[i].toInt());
    }

    benchOptOuts(1000000, runs);
    QTemporaryDir storeDir;
    benchStore(storeDir.path(), count, runs);
    {
        QTemporaryDir autoSaveDir;
        benchAutoSave(autoSaveDir.path(), 100000, std::max(runs, 5));
    }
    if (startup) {
        QTemporaryDir startupDir;
        benchStartup(startupDir.path(), 100000, 5);
        QTemporaryDir predefinisDir;
        benchStartupPredefinis(predefinisDir.path(), 1000000, runs);
    }
    return 0;
}
