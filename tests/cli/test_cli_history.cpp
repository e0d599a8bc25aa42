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
};

QTEST_GUILESS_MAIN(TestCliHistory)
#include "test_cli_history.moc"
