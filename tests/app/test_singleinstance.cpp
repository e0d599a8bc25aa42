#include "app/appstate.h"
#include "app/startup.h"
#include "messageboxresponder.h"
#include "messages/predefinis.h"
#include "testdatadir.h"

#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QTest>

using namespace Qt::StringLiterals;

using namespace parlevo;

namespace {

// Starts the real program on dir and waits until it owns the directory.
bool startFirstCopy(QProcess &process, const QString &dir)
{
    process.setProgram(QStringLiteral(PARLEVO_APP_PATH));
    process.setArguments({u"--data-dir"_s, dir, u"-platform"_s, u"offscreen"_s});
    process.start();
    if (!process.waitForStarted())
        return false;
    QDeadlineTimer deadline(30000);
    while (!deadline.hasExpired()) {
        if (QFileInfo::exists(QDir(dir).filePath(u"Parlevo.lock"_s)))
            return true;
        QTest::qWait(20);
    }
    return false;
}

QStringList entries(const QString &dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
}

} // namespace

class TestSingleInstance : public QObject {
    Q_OBJECT
private slots:
    void secondCopyRefusedUntilFirstDies()
    {
        test::TestDataDir dir;
        QVERIFY(dir.write(u"Parlevo.cfg"_s, "[Parlevo]\r\nFrom=before\r\n"));
        QProcess first;
        QVERIFY(startFirstCopy(first, dir.path()));
        const QStringList before = entries(dir.path());

        {
            test::MessageBoxResponder responder;
            Application second(dir.path());
            QVERIFY(!second.start());
            QCOMPARE(responder.shown().size(), 1);
            QCOMPARE(responder.shown().at(0).text, u"Parlevo est déjà lancé !"_s);
            QCOMPARE(responder.shown().at(0).style, 64);
            QVERIFY(!second.mainWindow());
        }
        QCOMPARE(entries(dir.path()), before);
        QCOMPARE(dir.read(u"Parlevo.cfg"_s), QByteArray("[Parlevo]\r\nFrom=before\r\n"));

        first.kill(); // no clean shutdown: the lock file stays behind
        QVERIFY(first.waitForFinished());
        QVERIFY(QFileInfo::exists(dir.filePath(u"Parlevo.lock"_s)));

        test::MessageBoxResponder responder;
        Application next(dir.path());
        QVERIFY(next.start());
        QVERIFY(responder.shown().isEmpty());
        QVERIFY(next.mainWindow());
        next.AppShutdown();
    }

    // A lock left empty or torn by a power loss is taken over; a data directory where no lock can
    // be made is not "already running": the program starts, says so once and saves nothing there.
    void staleLockAndUnusableDirectory()
    {
        for (const QByteArray &stale : {QByteArray(), QByteArray("garbage\n")}) {
            test::TestDataDir dir;
            QVERIFY(dir.write(u"Parlevo.lock"_s, stale));
            test::MessageBoxResponder responder;
            Application app(dir.path());
            QVERIFY(app.start());
            QVERIFY(responder.shown().isEmpty());
            app.AppShutdown();
        }
        test::TestDataDir dir;
        QVERIFY(dir.write(u"file"_s, "x"));
        test::MessageBoxResponder responder;
        Application app(dir.filePath(u"file"_s));
        QVERIFY(app.start());
        QCOMPARE(responder.shown().size(), 1);
        QCOMPARE(responder.shown().at(0).text,
                 u"Parlevo ne peut pas enregistrer ses fichiers dans le dossier %1 : les changements de cette session "
                 u"ne seront pas conservés."_s.arg(QDir::toNativeSeparators(dir.filePath(u"file"_s))));
        app.AppShutdown();
        QCOMPARE(entries(dir.path()), QStringList{u"file"_s});
        QCOMPARE(dir.read(u"file"_s), QByteArray("x"));
    }

    // Files that exist but cannot be read are named once each at start-up and left exactly as
    // they are by the shutdown that saves everything else.
    void unreadableFilesAreToldAndKept()
    {
        test::TestDataDir dir;
        QVERIFY(dir.write(u"Contacts.lst/keep"_s, "c"));
        QVERIFY(dir.write(u"Predefinis.sms/keep"_s, "p"));
        test::MessageBoxResponder responder;
        Application app(dir.path());
        QVERIFY(app.start());
        QStringList shown;
        for (const auto &box : responder.shown())
            shown.append(box.text);
        const QString text = u"Le fichier %1 n'a pas pu être lu. Parlevo le laisse tel quel et n'y enregistrera rien "
                             u"jusqu'à sa fermeture."_s;
        QCOMPARE(shown, (QStringList{text.arg(QDir::toNativeSeparators(dir.filePath(u"Contacts.lst"_s))),
                                     text.arg(QDir::toNativeSeparators(dir.filePath(u"Predefinis.sms"_s)))}));
        app.state().predefinis().colPredefinis().append({u"new"_s, u"text"_s});
        app.AppShutdown();
        QCOMPARE(entries(dir.path()),
                 (QStringList{u"Contacts.lst"_s, u"Parlevo.cfg"_s, u"Parlevo.lock"_s, u"Predefinis.sms"_s}));
        QCOMPARE(dir.read(u"Contacts.lst/keep"_s), QByteArray("c"));
        QCOMPARE(dir.read(u"Predefinis.sms/keep"_s), QByteArray("p"));
    }
};

QTEST_MAIN(TestSingleInstance)
#include "test_singleinstance.moc"
