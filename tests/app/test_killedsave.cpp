#include "testdatadir.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>

using namespace Qt::StringLiterals;

using namespace parlevo;

// While a process saves, and after it is killed in the middle of saving, every file must be
// either as it was or as it was going to be: never torn, never missing.
class TestKilledSave : public QObject {
    Q_OBJECT
private slots:
    void filesAreWholeWhileSavingAndAfterAKill()
    {
        const QStringList files{u"Contacts.lst"_s, u"Predefinis.sms"_s, u"Parlevo.cfg"_s};
        QRandomGenerator random(20261206);
        int observations = 0;
        for (int round = 0; round < 3; ++round) {
            test::TestDataDir dir;
            QProcess child;
            child.start(QStringLiteral(PARLEVO_SAVECHILD_PATH), {dir.path()});
            QVERIFY(child.waitForStarted());
            QVERIFY2(child.waitForReadyRead(120000), "the child did not get ready");
            QCOMPARE(child.readLine().trimmed(), QByteArray("ready"));

            QList<QByteArray> versionA, versionB;
            QList<QList<qint64>> sizes;
            for (const QString &name : files) {
                versionA.append(dir.read(u"refA/"_s + name));
                versionB.append(dir.read(u"refB/"_s + name));
                QVERIFY(!versionA.back().isEmpty() && versionA.back() != versionB.back());
                sizes.append({versionA.back().size(), versionB.back().size()});
            }

            // Look at the files again and again while the child replaces them a few times, then
            // kill it somewhere in its next round of saves.
            const int rounds = 1 + static_cast<int>(random.bounded(3));
            int saved = 0;
            QElapsedTimer lastRound;
            lastRound.start();
            qint64 roundMs = 0;
            qint64 killAfterMs = -1;
            while (killAfterMs < 0 || lastRound.elapsed() < killAfterMs) {
                if (child.canReadLine() || child.waitForReadyRead(0)) {
                    while (child.canReadLine()) {
                        child.readLine();
                        roundMs = lastRound.restart();
                        if (++saved == rounds)
                            killAfterMs = random.bounded(roundMs + 1);
                    }
                }
                QVERIFY2(child.state() == QProcess::Running, "the child stopped saving");
                for (qsizetype i = 0; i < files.size(); ++i) {
                    const QFileInfo info(dir.filePath(files[i]));
                    QVERIFY2(info.exists(), qPrintable(files[i] + u" missing while saving"_s));
                    const qint64 size = info.size();
                    QVERIFY2(sizes[i].contains(size),
                             qPrintable(u"%1 torn while saving (%2 bytes)"_s.arg(files[i]).arg(size)));
                    ++observations;
                }
            }
            child.kill();
            QVERIFY(child.waitForFinished());

            for (qsizetype i = 0; i < files.size(); ++i) {
                const QByteArray now = dir.read(files[i]);
                QVERIFY2(now == versionA[i] || now == versionB[i],
                         qPrintable(
                             u"%1 torn by the kill in round %2 (%3 bytes)"_s.arg(files[i]).arg(round).arg(now.size())));
            }
        }
        QVERIFY(observations > 100);
    }

    // The program saves on its own soon after a change: killed two seconds after an import, an
    // edit and two deletions, it has lost none of them.
    void nothingLostWhenKilledAfterAnImport()
    {
        test::TestDataDir dir;
        QByteArray csv;
        for (int i = 1; i <= 304; ++i)
            csv +=
                "Clients;Acme;M.;Jean;Nom" + QByteArray::number(i) + ";06" + QByteArray::number(10000000 + i) + "\r\n";
        QVERIFY(dir.write(u"import.csv"_s, csv));
        QByteArray expected;
        for (const QByteArray &line : csv.split('\n')) {
            if (line.isEmpty() || line.contains(";Nom10;") || line.contains(";Nom20;"))
                continue;
            expected += (line.contains(";Nom1;") ? QByteArray("Chang\xe9") + line.mid(7) : line) + '\n';
        }

        QProcess child;
        child.start(QStringLiteral(PARLEVO_AUTOSAVECHILD_PATH), {dir.path(), dir.filePath(u"import.csv"_s)});
        QVERIFY(child.waitForStarted());
        QVERIFY2(child.waitForReadyRead(60000), "the child did not import");
        QCOMPARE(child.readLine().trimmed(), QByteArray("changed"));
        QTest::qWait(2000);
        QCOMPARE(child.state(), QProcess::Running);
        child.kill();
        QVERIFY(child.waitForFinished());
        QCOMPARE(dir.read(u"Contacts.lst"_s), expected);
    }
};

QTEST_GUILESS_MAIN(TestKilledSave)
#include "test_killedsave.moc"
