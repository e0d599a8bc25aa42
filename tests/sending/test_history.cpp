// The history of what was sent, read from the journals of single sends, mailings and the command
// line, its filters and export, and the window's resend against the gateway simulator.
#include "addressbook/classcontact.h"
#include "app/appstate.h"
#include "app/mdiformmain.h"
#include "cliprocess.h"
#include "gateway/classsendora.h"
#include "journalfixtures.h"
#include "messageboxresponder.h"
#include "runtoend.h"
#include "sending/form_historique.h"
#include "sending/history.h"
#include "sending/historymodel.h"
#include "sending/mailingresults.h"
#include "sending/sendrun.h"
#include "sending/singlesend.h"
#include "simulatorprocess.h"
#include "testdatadir.h"
#include "widgetdriver.h"

#include <QAbstractItemModelTester>
#include <QAbstractItemView>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <numeric>

using namespace Qt::StringLiterals;
using namespace parlevo;
using parlevo::test::MessageBoxResponder;
using parlevo::test::SimulatorProcess;
using parlevo::test::TestDataDir;

namespace {

ClassContact contact(const QString &nom, const QString &phone)
{
    ClassContact c;
    c.Nom = nom;
    c.Phone = phone;
    return c;
}

// Each row as "number name result-class", in the history's order.
QStringList described(const History &history, const std::vector<quint32> &rows)
{
    QStringList lines;
    for (quint32 i : rows) {
        const HistoryRow &row = history.rows()[i];
        lines.append(history.contact(row).Phone + u' ' + history.contact(row).Nom + u' ' +
                     QString::number(int(row.result)));
    }
    return lines;
}

} // namespace

class TestHistory : public QObject {
    Q_OBJECT
private slots:
    // A single send, a mailing and the command line's send, newest first, each run counted.
    void readsEverySend()
    {
        TestDataDir dir;
        SimulatorProcess sim(test::demoAccount(10));
        TextTable textes;
        ClassSendora gateway(textes);
        QVERIFY(sim.connect(gateway));
        const ClassContact alone = contact(u"Seul"_s, u"0611223344"_s);
        bool sent = false;
        sendJournaled(gateway, dir.path(), {alone, u"Paul"_s, u"Bonjour"_s, QString()}, alone.Phone,
                      u"De : Paul, Bonjour"_s, [&sent](const SendReply &) { sent = true; });
        QTRY_VERIFY(sent);
        const std::vector<ClassContact> rows{contact(u"Bon"_s, u"0622334455"_s), contact(u"Court"_s, u"0612"_s)};
        JournalHead head{QString(), QDateTime(), u"Paul"_s, u"Promo"_s, QString(), rows};
        QString error;
        auto journal = SendJournal::create(dir.path(), head, &error);
        QVERIFY2(journal, qPrintable(error));
        SendRunOptions options;
        options.journal = journal.get();
        MailingRun run(gateway, textes, fixedMailingSource(rows, head.sender, head.message), QString(), options);
        test::runToEnd(run);
        journal->recordEnd(true);
        journal.reset();
        QCOMPARE(test::runCli(
                     {u"account"_s, u"--data-dir"_s, dir.path(), u"--email"_s, test::kDemoMail, u"--password-stdin"_s},
                     {}, test::kDemoPassword.toUtf8() + '\n')
                     .status,
                 0);
        QCOMPARE(test::runCli(
                     {u"--data-dir"_s, dir.path(), u"send"_s, u"--to"_s, u"0633445566"_s, u"--message"_s, u"Salut"_s},
                     sim.baseUrl())
                     .status,
                 0);

        QStringList problems;
        const History history = History::load(TextTable(), dir.path(), &problems);
        QCOMPARE(problems, QStringList());
        std::vector<quint32> all(history.rows().size());
        std::iota(all.begin(), all.end(), 0);
        QCOMPARE(described(history, all),
                 (QStringList{u"0633445566  0"_s, u"0612 Court 1"_s, u"0622334455 Bon 0"_s, u"0611223344 Seul 0"_s}));
        QCOMPARE(history.text(history.rows()[0]), u"Salut"_s);
        QCOMPARE(history.text(history.rows()[3]), u"Bonjour"_s);
        // The single sends are kept apart: only the mailing counts among the runs a resume may take.
        QCOMPARE(journalFiles(dir.path()).size(), 1);
        QCOMPARE(singleSendFiles(dir.path()).size(), 2);
        const HistoryRun &mailing = history.runs()[history.rows()[1].run];
        QVERIFY(!mailing.single && history.runs()[history.rows()[0].run].single);
        QCOMPARE(std::vector<qsizetype>(mailing.counts, mailing.counts + kHistoryResults),
                 (std::vector<qsizetype>{1, 1, 0, 0, 0}));
    }

    // Rows left out on purpose are shown with their reason (one this version does not know reads
    // as left out) and counted apart from the rows a stop kept back; a resume leaves them out.
    void rowsLeftOutAreCountedApart()
    {
        TestDataDir dir;
        QVERIFY(dir.write(u"Journal/20260302-090000-000-cccc.journal"_s,
                          test::journalBytes({
                              u"parlevo-journal 1"_s,
                              u"run 20260302-090000-000-cccc"_s,
                              u"started 2026-03-02T09:00:00.000"_s,
                              u"sender "_s,
                              u"message Promo {nom}"_s,
                              u"differer "_s,
                              u"rows 5"_s,
                              u"row 0 \t\t\t\tSent\t0612345678"_s,
                              u"row 1 \t\t\t\tOptout\t0687654321\tleft=optout"_s,
                              u"row 2 \t\t\t\tBad\t0612\tleft=invalid"_s,
                              u"row 3 \t\t\t\tLater\t0611111111\tleft=tomorrow"_s,
                              u"row 4 \t\t\t\tStopped\t0622222222"_s,
                              u"sent 0 2026-03-02T09:00:01.000"_s,
                              u"done 0 80 accepted 2026-03-02T09:00:01.500"_s,
                              u"end stopped 2026-03-02T09:00:02.000"_s,
                          })));
        TextTable textes;
        const History history = History::load(TextTable(), dir.path());
        QStringList results;
        for (const HistoryRow &row : history.rows())
            results.append(history.contact(row).Nom + u": "_s + historyResultText(textes, history, row));
        results.sort();
        QCOMPARE(results, (QStringList{u"Bad: numéro de mobile non valide, non envoyé"_s,
                                       u"Later: Non envoyé : laissé de côté"_s, u"Optout: désinscrit, non envoyé"_s,
                                       u"Sent: Le message a été envoyé"_s,
                                       u"Stopped: Non envoyé : l'envoi a été arrêté avant ce SMS"_s}));
        QCOMPARE(historySummaryText(textes, history.runs()[0]),
                 u"Bilan : 1 accepté(s), 0 refusé(s), 0 sans réponse, 1 non envoyé(s). 3 laissé(s) de côté."_s);
        HistoryFilter leftOut;
        leftOut.result = HistoryResult::Skipped;
        QCOMPARE(history.filtered(leftOut).size(), 3);
        // A merged message is searched as each row's SMS carried it.
        HistoryFilter merged;
        merged.text = u"PROMO SENT"_s;
        QCOMPARE(described(history, history.filtered(merged)), QStringList{u"0612345678 Sent 0"_s});
        QString error;
        const auto content = readJournal(dir.read(u"Journal/20260302-090000-000-cccc.journal"_s), &error);
        QVERIFY2(content, qPrintable(error));
        const ResumePlan plan = planResume(*content, true, [](const QString &n) { return n; });
        QCOMPARE(plan.rowMap, (std::vector<qsizetype>{4}));
    }

    // A single send cut short is never offered to a resume, and refused by name.
    void singleSendIsNeverResumed()
    {
        TestDataDir dir;
        JournalHead head{QString(), QDateTime(), QString(), u"x"_s, QString(), {contact(u"A"_s, u"0611223344"_s)}};
        QString error;
        auto journal = SendJournal::createSingle(dir.path(), head, &error);
        QVERIFY(journal);
        const qsizetype row = 0;
        QVERIFY(journal->recordStarted({&row, 1}));
        journal.reset();
        QVERIFY(!interruptedJournal(dir.path(), false));
        const auto run = test::runCli({u"--data-dir"_s, dir.path(), u"mailing"_s, u"resume"_s,
                                       singleSendDir(dir.path()) + u'/' + head.runId + u".journal"_s});
        QCOMPARE(run.status, 64);
        QVERIFY2(run.err.contains(u"records a single send"_s), qPrintable(run.err));
    }

    void filters_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("number");
        QTest::addColumn<int>("result"); // -1: any
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        QTest::addColumn<QStringList>("rows");
        const QString single = u"0612345678  3"_s;
        const QString dupont = u"0612345678 Dupont 0"_s;
        const QString martin = u"0698765432 Martin 1"_s;
        const QString petit = u"0611111111 Petit 2"_s;
        QTest::newRow("none") << QString() << QString() << -1 << QDate() << QDate()
                              << QStringList{single, petit, martin, dupont};
        QTest::newRow("text, any case") << u"PROMO"_s << QString() << -1 << QDate() << QDate()
                                        << QStringList{petit, martin, dupont};
        QTest::newRow("text, any accent")
            << u"PRÔMÖ"_s << QString() << -1 << QDate() << QDate() << QStringList{petit, martin, dupont};
        QTest::newRow("text in the name")
            << u"martin"_s << QString() << -1 << QDate() << QDate() << QStringList{martin};
        QTest::newRow("name with accents, typed without")
            << u"PETIT NOELLE"_s << QString() << -1 << QDate() << QDate() << QStringList{petit};
        QTest::newRow("number's digits") << QString() << u"06 12"_s << -1 << QDate() << QDate()
                                         << QStringList{single, dupont};
        QTest::newRow("refused") << QString() << QString() << int(HistoryResult::Refused) << QDate() << QDate()
                                 << QStringList{martin};
        QTest::newRow("no answer") << QString() << QString() << int(HistoryResult::NoAnswer) << QDate() << QDate()
                                   << QStringList{petit};
        QTest::newRow("never reached") << QString() << QString() << int(HistoryResult::NotSent) << QDate() << QDate()
                                       << QStringList{single};
        QTest::newRow("from a day") << QString() << QString() << -1 << QDate(2026, 4, 10) << QDate()
                                    << QStringList{single};
        QTest::newRow("to a day, whole") << QString() << QString() << -1 << QDate() << QDate(2026, 3, 1)
                                         << QStringList{petit, martin, dupont};
        QTest::newRow("between, nothing")
            << QString() << QString() << -1 << QDate(2026, 3, 2) << QDate(2026, 4, 9) << QStringList{};
        QTest::newRow("all together") << u"promo"_s << u"0612"_s << int(HistoryResult::Accepted) << QDate(2026, 3, 1)
                                      << QDate(2026, 3, 1) << QStringList{dupont};
    }
    void filters()
    {
        QFETCH(QString, text);
        QFETCH(QString, number);
        QFETCH(int, result);
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        QFETCH(QStringList, rows);
        TestDataDir dir;
        QVERIFY(test::writeSampleJournals(dir.path()));
        const History history = History::load(TextTable(), dir.path());
        HistoryFilter filter{text, number, std::nullopt, from, to};
        if (result >= 0)
            filter.result = HistoryResult(result);
        QCOMPARE(described(history, history.filtered(filter)), rows);
    }

    void exportsCsv()
    {
        TestDataDir dir;
        QVERIFY(test::writeSampleJournals(dir.path()));
        const History history = History::load(TextTable(), dir.path());
        TextTable textes;
        QCOMPARE(historyCsv(textes, history, history.filtered({})),
                 u"date,number,name,text,code,result,outcome,run\r\n"
                 u"2026-04-10 12:00:00,0612345678,,Rendez-vous demain,0,"
                 u"Impossible de joindre le serveur d'envoi de SMS !,unreachable,20260410-120000-000-bbbb\r\n"
                 u"2026-03-01 09:00:03,0611111111,Petit Noëlle,Promo printemps,0,Pas de réponse complète à temps du "
                 u"serveur d'envoi de SMS : le SMS a peut-être été envoyé.,unknown,20260301-090000-000-aaaa\r\n"
                 u"2026-03-01 09:00:02,0698765432,Martin Marie,Promo printemps,84,"
                 u"Le numéro de gsm n'est pas valide,refused,20260301-090000-000-aaaa\r\n"
                 u"2026-03-01 09:00:01,0612345678,Dupont Jean,Promo printemps,80,Le message a été envoyé,accepted,"
                 u"20260301-090000-000-aaaa\r\n"_s);
        // The window's export is for a spreadsheet in a French office: BOM, ";", French titles and dates.
        HistoryFilter refused;
        refused.result = HistoryResult::Refused;
        QCOMPARE(historySpreadsheet(textes, history, history.filtered(refused)),
                 "\xEF\xBB\xBF" + u"Date;Numéro;Nom;Texte;Code;Résultat;Envoi\r\n"
                                  u"01/03/2026 09:00;0698765432;Martin Marie;Promo printemps;84;"
                                  u"Le numéro de gsm n'est pas valide;20260301-090000-000-aaaa\r\n"_s.toUtf8());
    }

    // The window sends the selection again through the mailing run, then lists it.
    void windowResendsTheSelection()
    {
        TestDataDir dir;
        QVERIFY(test::writeSampleJournals(dir.path()));
        SimulatorProcess sim(test::demoAccount(10));
        AppState state(dir.path());
        QVERIFY(sim.connect(state.Gateway()));
        MainWindowHooks hooks;
        hooks.querySolde = [](const auto &answer) { answer(u"10"_s); };
        MDIForm_Main main(state, std::move(hooks));
        {
            // Closed while it reads: the reading stops with it.
            Form_Historique closed(state.basics(), state.addressBook(), state.Gateway(), main);
            closed.Init();
        }
        Form_Historique form(state.basics(), state.addressBook(), state.Gateway(), main);
        QAbstractItemModelTester tester(form.model());
        form.Init();
        QTRY_VERIFY(!form.isLoading());
        // Every SMS that arrived is counted, and only the SMS.
        const QString all = QString::number(form.model()->history().rows().size());
        QCOMPARE(test::child<QLabel>(&form, u"LabelCompte")->text(), u"%1 SMS affiché(s) sur %1"_s.arg(all));
        test::child<QLineEdit>(&form, u"TextRecherche")->setText(u"promo"_s);
        QCOMPARE(test::child<QLabel>(&form, u"LabelCompte")->text(), u"3 SMS affiché(s) sur "_s + all);
        // The mailing's summary row comes first, in bold, with the figures its run came to.
        QCOMPARE(test::columnTexts(*form.model(), HistoryModel::NumberColumn),
                 (QStringList{QString(), u"0611111111"_s, u"0698765432"_s, u"0612345678"_s}));
        const QModelIndex summary = form.model()->index(0, HistoryModel::ResultColumn);
        QCOMPARE(summary.data().toString(), u"3 ligne(s) : 1 accepté(s), 1 refusé(s), 1 sans réponse, 0 laissé(s) "
                                            u"de côté, 1 SMS utilisé(s)"_s);
        QVERIFY(summary.data(Qt::FontRole).value<QFont>().bold());
        // The row without an answer and the refused one; the first is left out when the user says no.
        auto *list = test::child<QAbstractItemView>(&form, u"LV_Historique");
        for (int row : {1, 2})
            list->selectionModel()->select(form.model()->index(row, 0),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
        MessageBoxResponder boxes(vbYes);
        boxes.setNextAnswers({vbNo, vbYes});
        QTest::mouseClick(test::child<QPushButton>(&form, u"CMD_Renvoyer"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!form.isRunning(), 20000);

        QCOMPARE(boxes.shown().size(), 2);
        QVERIFY(boxes.shown()[0].text.startsWith(u"1 SMS n'ont pas reçu de réponse à temps"_s));
        QCOMPARE(boxes.shown()[1].text,
                 u"Attention, vous allez envoyer 1 SMS !\n\nEtes-vous sûr de vouloir continuer ?"_s);
        QCOMPARE(sim.outboxField(u"number"_s), QStringList{u"0698765432"_s});
        QCOMPARE(sim.outboxField(u"text"_s), QStringList{u"De : Paul, Promo printemps"_s});
        test::child<QLineEdit>(&form, u"TextRecherche")->clear();
        // The new run's summary and SMS, the single send, the first run's summary and SMS.
        QTRY_COMPARE(form.model()->rowCount(), 7);
        QCOMPARE(test::columnTexts(*form.model(), HistoryModel::NumberColumn)[1], u"0698765432"_s);
        QCOMPARE(form.model()->rowAt(1).result, HistoryResult::Accepted);
        QVERIFY(boxes.shown()[0].style & vbDefaultButton2);

        // A run sent once per number: its refused row goes no more once the number had its SMS.
        JournalHead head{QString(), QDateTime(),
                         QString(), u"Rappel"_s,
                         QString(), {contact(u"A"_s, u"0655555555"_s), contact(u"B"_s, u"06 55 55 55 55"_s)}};
        head.region = u"FR"_s;
        QString error;
        {
            const auto journal = SendJournal::create(dir.path(), head, &error);
            QVERIFY(journal);
            const std::vector<qsizetype> rows{0, 1};
            QVERIFY(journal->recordStarted(rows));
            QVERIFY(journal->recordDone(0, {80, SendOutcome::Accepted}));
            QVERIFY(journal->recordDone(1, {84, SendOutcome::Refused}));
            QVERIFY(journal->recordEnd(true));
        }
        form.Init();
        QTRY_VERIFY(!form.isLoading());
        test::child<QLineEdit>(&form, u"TextRecherche")->setText(u"rappel"_s);
        QCOMPARE(form.model()->rowCount(), 3);
        // Its summary row among them, which is no SMS to send.
        list->selectAll();
        boxes.clear();
        QTest::mouseClick(test::child<QPushButton>(&form, u"CMD_Renvoyer"), Qt::LeftButton);
        QVERIFY(boxes.shown().isEmpty());
        QCOMPARE(sim.outbox().size(), 1);
    }
};

QTEST_MAIN(TestHistory)
#include "test_history.moc"
