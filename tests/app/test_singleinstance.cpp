#include "app/startup.h"
#include "messageboxresponder.h"
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
        // Shutdown wrote the configuration, keeping what it did not own.
        const QByteArray saved = dir.read(u"Parlevo.cfg"_s);
        QVERIFY2(saved.startsWith("[Parlevo]\r\nFrom=before\r\nMaximized=0\r\nTop="), saved.constData());
        QVERIFY2(saved.contains("\r\n[Account]\r\nE-mail=\r\n"), saved.constData());
    }
};

QTEST_MAIN(TestSingleInstance)
#include "test_singleinstance.moc"
