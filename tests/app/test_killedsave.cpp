#include "testdatadir.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QTest>

using namespace parlevo;

// A process killed while it saves must leave every file either as it was or as it was going to
// be: never torn, never missing.
class TestKilledSave : public QObject {
    Q_OBJECT
private slots:
    void filesAreWholeAfterEveryKill()
    {
        const QStringList files{u"Contacts.lst"_qs, u"Predefinis.sms"_qs, u"Parlevo.cfg"_qs};
        QRandomGenerator random(20261206);
        for (int round = 0; round < 8; ++round) {
            test::TestDataDir dir;
            QProcess child;
            child.start(QStringLiteral(PARLEVO_SAVECHILD_PATH), {dir.path()});
            QVERIFY(child.waitForStarted());
            QVERIFY2(child.waitForReadyRead(120000), "the child did not get ready");
            QCOMPARE(child.readLine().trimmed(), QByteArray("ready"));

            QTest::qWait(static_cast<int>(random.bounded(400)));
            child.kill();
            QVERIFY(child.waitForFinished());

            for (const QString &name : files) {
                const QByteArray now = dir.read(name);
                const QByteArray a = dir.read(u"refA/"_qs + name);
                const QByteArray b = dir.read(u"refB/"_qs + name);
                QVERIFY(!a.isEmpty() && !b.isEmpty() && a != b);
                QVERIFY2(now == a || now == b,
                         qPrintable(u"%1 torn in round %2 (%3 bytes)"_qs.arg(name).arg(round).arg(now.size())));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestKilledSave)
#include "test_killedsave.moc"
