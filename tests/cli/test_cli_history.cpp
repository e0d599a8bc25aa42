// parlevo-cli history: its options, output forms and exit statuses, on journals of past days.
#include "cliprocess.h"
#include "journalfixtures.h"
#include "testdatadir.h"

#include <QTest>

using namespace Qt::StringLiterals;
using parlevo::test::TestDataDir;

class TestCliHistory : public QObject {
    Q_OBJECT
private slots:
    void history_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("damaged"); // a journal whose head cannot be read lies beside the others
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out");
        QTest::newRow("table, by number")
            << QStringList{u"--number"_s, u"0698"_s} << false << 0
            << u"2026-03-01 09:00:02  0698765432     Martin Marie             Le numéro de gsm n'est pas valide  "
               u"Promo printemps\n"
               u"20260301-090000-000-aaaa (mailing) Bilan : 1 accepté(s), 1 refusé(s), 1 sans réponse, 0 non "
               u"envoyé(s).\n"_s;
        QTest::newRow("csv since a day")
            << QStringList{u"--since"_s, u"2026-04-10"_s, u"--csv"_s} << false << 0
            << u"date,number,name,text,code,result,outcome,run\r\n"
               u"2026-04-10 12:00:00,0612345678,,Rendez-vous demain,0,Impossible de joindre le serveur d'envoi de "
               u"SMS !,unreachable,20260410-120000-000-bbbb\r\n"_s;
        QTest::newRow("damaged journal: the others, then 1")
            << QStringList{u"--since"_s, u"2026-04-01"_s} << true << 1
            << u"2026-04-10 12:00:00  0612345678                              Impossible de joindre le serveur "
               u"d'envoi de SMS !  Rendez-vous demain\n"
               u"20260410-120000-000-bbbb (single) Bilan : 0 accepté(s), 0 refusé(s), 0 sans réponse, 1 non "
               u"envoyé(s).\n"_s;
        QTest::newRow("since not a date") << QStringList{u"--since"_s, u"10/04/2026"_s} << false << 64 << QString();
        QTest::newRow("number without digits") << QStringList{u"--number"_s, u"abc"_s} << false << 64 << QString();
    }
    void history()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, damaged);
        QFETCH(int, status);
        QFETCH(QString, out);
        TestDataDir dir;
        QVERIFY(parlevo::test::writeSampleJournals(dir.path()));
        if (damaged)
            QVERIFY(dir.write(u"Journal/20260405-000000-000-cccc.journal"_s, "parlevo-journal 1 #0000\n"));
        const auto run = parlevo::test::runCli(QStringList{u"--data-dir"_s, dir.path(), u"history"_s} + arguments);
        QCOMPARE(run.status, status);
        QCOMPARE(run.out, out);
        QCOMPARE(run.err.contains(u"20260405-000000-000-cccc.journal"_s), damaged);
    }

    // One line per mailing run, newest first, single sends left out; a run taken up is one run, and
    // its units are the parts of each accepted text as it left.
    void runs()
    {
        TestDataDir dir;
        QVERIFY(parlevo::test::writeSampleJournals(dir.path()));
        QVERIFY(dir.write(u"Journal/20260302-090000-000-dddd.journal"_s,
                          parlevo::test::journalBytes({
                              u"parlevo-journal 1"_s,
                              u"run 20260302-090000-000-dddd"_s,
                              u"started 2026-03-02T09:00:00.000"_s,
                              u"sender "_s,
                              u"message Bonjour {prenom}, votre commande est prête : passez avant samedi midi."_s,
                              u"differer "_s,
                              u"rows 3"_s,
                              u"row 0 \t\t\tFrançoise\tA\t0611111111"_s,
                              u"row 1 \t\t\tAnn\tB\t0622222222"_s,
                              u"row 2 \t\t\tAnn\tB\t06 22 22 22 22\tleft=repeat"_s,
                              u"sent 0 2026-03-02T09:00:01.000"_s,
                              u"done 0 80 accepted 2026-03-02T09:00:01.500"_s,
                              u"end stopped 2026-03-02T09:00:02.000"_s,
                              u"resumed 2026-03-02T10:00:00.000"_s,
                              u"sent 1 2026-03-02T10:00:01.000"_s,
                              u"done 1 80 accepted 2026-03-02T10:00:01.500"_s,
                              u"end complete 2026-03-02T10:00:02.000"_s,
                          })));
        const QStringList base{u"--data-dir"_s, dir.path(), u"history"_s, u"--runs"_s};
        auto run = parlevo::test::runCli(base + QStringList{u"--csv"_s});
        QCOMPARE(run.status, 0);
        // Both texts need Unicode ("ê"): Françoise's, 71 characters, takes two parts; Ann's, 65, one.
        QCOMPARE(run.out, u"date,run,message,rows,accepted,refused,no_answer,left_out,sms_units\r\n"
                          u"2026-03-02 09:00:00,20260302-090000-000-dddd,\"Bonjour {prenom}, votre commande est "
                          u"prête : passez avant samedi midi.\",3,2,0,0,1,3\r\n"
                          u"2026-03-01 09:00:00,20260301-090000-000-aaaa,Promo printemps,3,1,1,1,0,1\r\n"_s);
        run = parlevo::test::runCli(base + QStringList{u"--since"_s, u"2026-03-02"_s});
        QCOMPARE(run.status, 0);
        const QStringList lines = run.out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines[1].simplified(), u"2026-03-02 09:00:00 3 2 0 0 1 3 Bonjour {prenom}, votre commande est prête "
                                        u": passez avant samedi midi."_s);
        QCOMPARE(parlevo::test::runCli(base + QStringList{u"--number"_s, u"06"_s}).status, 64);
    }
};

QTEST_GUILESS_MAIN(TestCliHistory)
#include "test_cli_history.moc"
