// The mailing send run and its window against the gateway simulator.
#include "addressbook/classcontact.h"
#include "base/filedialog.h"
#include "contactfixtures.h"
#include "gateway/classsendora.h"
#include "messageboxresponder.h"
#include "sending/form_envoimailing.h"
#include "sending/resultmodel.h"
#include "sending/sendjournal.h"
#include "simulatorprocess.h"
#include "testdatadir.h"
#include "testparts.h"
#include "widgetdriver.h"

#include <QAbstractItemModelTester>
#include <QDateTimeEdit>
#include <QDialog>
#include <QIcon>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <functional>
#include <optional>

using namespace Qt::StringLiterals;

using namespace parlevo;
using parlevo::test::MessageBoxResponder;
using parlevo::test::SimulatorProcess;
using parlevo::test::TestDataDir;

namespace {

const QStringList kAccount = test::demoAccount(1000);
const QString kSent = u"Le message a été envoyé"_s;

ClassContact person(const QString &nom, const QString &phone)
{
    return test::makeContact({.Titre = u"M."_s, .Prenom = u"Jean"_s, .Nom = nom, .Phone = phone});
}

// Rows named N, numbered 0600000000, 0600000001...
QList<ClassContact> numbered(int count)
{
    QList<ClassContact> rows;
    for (int i = 0; i < count; ++i)
        rows.append(person(u"N"_s, u"060000000"_s + QString::number(i)));
    return rows;
}

// The rows of a mailing, with the texts the window would hold; hooks run before each SMS.
struct Mailing {
    QList<ClassContact> rows;
    QString sender;
    QString message = u"Bonjour"_s;
    std::function<void(qsizetype row)> beforeRow;

    MailingSource source()
    {
        return MailingSource{[this] { return rows.size(); },
                             [this](qsizetype row) -> const ClassContact * {
                                 if (beforeRow)
                                     beforeRow(row);
                                 return &rows[row];
                             },
                             [this] { return sender; }, [this] { return message; }};
    }
};

using parlevo::test::columnTexts;

// Each result row's mark, by the colour of its disc; invalid for a row without one.
QList<QColor> marks(const ResultModel &model)
{
    QList<QColor> colors;
    for (int row = 0; row < model.rowCount(); ++row) {
        const auto icon = model.index(row, 1).data(Qt::DecorationRole).value<QIcon>();
        colors.append(icon.isNull() ? QColor() : icon.pixmap(16, 16).toImage().pixelColor(8, 2));
    }
    return colors;
}

const QColor kAccepted = ResultModel::outcomeColor(SendOutcome::Accepted);
const QColor kRefused = ResultModel::outcomeColor(SendOutcome::Refused);
const QColor kUnknown = ResultModel::outcomeColor(SendOutcome::Unknown);
const QColor kUnreachable = ResultModel::outcomeColor(SendOutcome::Unreachable);

} // namespace

class TestEnvoiMailing : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<TestDataDir> m_dir;
    std::unique_ptr<test::Parts> m_parts;
    std::unique_ptr<QWidget> m_owner;
    std::unique_ptr<Form_EnvoiMailing> m_form;
    std::optional<QAbstractItemModelTester> m_tester;

    QString progress() const { return m_form->findChild<QLabel *>(u"LabelTravail"_s)->text(); }
    // A send or a retry started from the window, waited for to its end; the run's totals.
    SendRunSummary untilFinished(const std::function<void()> &start)
    {
        QSignalSpy finished(m_form.get(), &Form_EnvoiMailing::runFinished);
        start();
        if (finished.isEmpty() && !finished.wait(30000))
            qWarning("the run did not end");
        return m_form->lastSummary();
    }
    SendRunSummary send(const MailingSource &source, const QString &differer, bool oncePerNumber = false)
    {
        return untilFinished([&] { m_form->Send(source, differer, oncePerNumber); });
    }
    QString bilan() const { return m_form->findChild<QLabel *>(u"LabelBilan"_s)->text(); }

private slots:
    void init()
    {
        m_dir = std::make_unique<TestDataDir>();
        m_parts = std::make_unique<test::Parts>(m_dir->path());
        m_owner = std::make_unique<QWidget>();
        m_form = std::make_unique<Form_EnvoiMailing>(m_parts->textes, m_parts->config, m_parts->dataDir, m_parts->book,
                                                     m_parts->gateway, m_owner.get());
        m_tester.emplace(m_form->results(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    }
    void cleanup()
    {
        m_tester.reset();
        m_form.reset();
        m_owner.reset();
        m_parts.reset();
    }

    // Each row is tried once, the same contact twice gives two requests; a deferred run; a
    // second run appends below the first; the progress counts up to the total.
    void runsAppendAndCount()
    {
        SimulatorProcess sim(kAccount);
        QVERIFY(sim.connect(m_parts->gateway));
        const ClassContact twice = person(u"Dupont"_s, u"0612345678"_s);
        Mailing first{{twice, twice}, QString(), u"Salut"_s, {}};
        QStringList progressSeen;
        first.beforeRow = [&](qsizetype row) {
            if (row == 0)
                progressSeen.append(progress());
        };
        send(first.source(), QString());
        QCOMPARE(progressSeen, (QStringList{u"0 SMS sur 2 d'envoyé."_s}));
        QCOMPARE(progress(), u"2 SMS sur 2 d'envoyé."_s);
        auto *ok = m_form->findChild<QPushButton *>(u"CMD_OK"_s);
        QVERIFY(ok->isEnabled());
        QVERIFY(m_form->isVisible());
        QTest::mouseClick(ok, Qt::LeftButton);
        QVERIFY(!m_form->isVisible());

        Mailing second{numbered(10), QString(), u"Plus tard"_s, {}};
        bool okDisabled = true;
        second.beforeRow = [&](qsizetype) { okDisabled = okDisabled && !ok->isEnabled(); };
        const QString tomorrow = QDateTime::currentDateTime().addDays(1).toString(u"HHmmddMMyyyy"_s);
        send(second.source(), tomorrow);
        QVERIFY(okDisabled);
        QCOMPARE(progress(), u"10 SMS sur 10 d'envoyé."_s);
        QCOMPARE(m_form->findChild<QProgressBar *>(u"ProgressBar1"_s)->value(), 10);

        const QStringList results = columnTexts(*m_form->results(), 1);
        QCOMPARE(results.first(2),
                 (QStringList{kSent, u"Le message a déjà été envoyé à ce numéro dans les 24 dernières heures"_s}));
        QCOMPARE(results.mid(2), QStringList(10, u"Le message est enregistré pour un envoi en différé"_s));
        QCOMPARE(columnTexts(*m_form->results(), 0)[2], u"(0600000000) M. N Jean "_s);
        QCOMPARE(sim.outbox().size(), 11);
    }

    // Every run is journaled and ends complete; a run cut short after its first row is taken up
    // from its journal with its own texts, and only its rows without an outcome are sent; an
    // unreadable opt-out list stops every run.
    void journaledAndTakenUp()
    {
        SimulatorProcess sim(kAccount);
        QVERIFY(sim.connect(m_parts->gateway));
        const std::vector<ClassContact> done{person(u"Dupont"_s, u"0612345678"_s),
                                             person(u"Dupond"_s, u"06 12 34 56 78"_s)};
        send(fixedMailingSource(done, QString(), u"Bonjour"_s), QString(), true);
        // The repeated row is left out: the bar ends full all the same.
        const QProgressBar *bar = m_form->findChild<QProgressBar *>(u"ProgressBar1"_s);
        QCOMPARE(bar->value(), bar->maximum());
        QCOMPARE(journalFiles(m_parts->dataDir.path()).size(), 1);
        QVERIFY(!interruptedJournal(m_parts->dataDir.path(), false));

        JournalHead head{
            QString(),
            QDateTime(),
            u"Paul"_s,
            u"Suite"_s,
            QString(),
            {person(u"A"_s, u"0611111111"_s), person(u"B"_s, u"0622222222"_s), person(u"C"_s, u"0633333333"_s)}};
        QString error;
        {
            const auto cut = SendJournal::create(m_parts->dataDir.path(), head, &error);
            QVERIFY(cut);
            const std::vector<qsizetype> first{0};
            QVERIFY(cut->recordStarted(first));
            QVERIFY(cut->recordDone(0, {80, SendOutcome::Accepted}));
        }
        const auto path = interruptedJournal(m_parts->dataDir.path(), true);
        QVERIFY(path);
        HoldFailure failure{};
        auto held = holdRun(m_parts->dataDir.path(), *path, &failure, &error);
        QVERIFY(held);

        untilFinished([&] { QVERIFY(m_form->resume(std::move(*held), false)); });
        QCOMPARE(sim.outboxField(u"number"_s), (QStringList{u"0612345678"_s, u"0622222222"_s, u"0633333333"_s}));
        QCOMPARE(sim.outboxField(u"text"_s), (QStringList{u"Bonjour"_s, u"De : Paul, Suite"_s, u"De : Paul, Suite"_s}));
        // One campaign: the window, its counts and its export take the row sent before with its
        // recorded outcome, in the run's order.
        QCOMPARE(
            columnTexts(*m_form->results(), 0).mid(2),
            (QStringList{u"(0611111111) M. A Jean "_s, u"(0622222222) M. B Jean "_s, u"(0633333333) M. C Jean "_s}));
        QCOMPARE(columnTexts(*m_form->results(), 1).mid(2), QStringList(3, kSent));
        QCOMPARE(bilan(), u"Bilan : 3 accepté(s), 0 refusé(s), 0 sans réponse, 0 non envoyé(s)."_s);
        QCOMPARE(m_form->lastRun().rows.size(), std::size_t(3));
        QCOMPARE(m_form->lastRun().rows[0].outcome, SendOutcome::Accepted);
        QCOMPARE(m_form->lastRun().rows[0].contact.Nom, u"A"_s);
        QVERIFY(!interruptedJournal(m_parts->dataDir.path(), false));

        // Without the opt-out list no mailing SMS goes.
        m_parts->dataDir.markUnreadable(u"Desinscrits.lst"_s);
        {
            MessageBoxResponder responder;
            QVERIFY(!m_form->Send(fixedMailingSource(done, QString(), u"Encore"_s), QString()));
            QCOMPARE(responder.shown().size(), 1);
            QVERIFY(responder.shown()[0].text.contains(u"Desinscrits.lst"_s));
        }
        QCOMPARE(sim.outbox().size(), 3);
        QCOMPARE(journalFiles(m_parts->dataDir.path()).size(), 2);
    }

    // A run taken up after its deferred time has passed asks before any SMS: giving up leaves it to
    // take up later; another time picked sends each remaining row once with it, as the journal
    // records.
    void resumeAfterTheDeferredTime()
    {
        SimulatorProcess sim(kAccount + QStringList{u"--verbose"_s});
        QVERIFY(sim.connect(m_parts->gateway));
        JournalHead head{
            QString(),
            QDateTime(),
            QString(),
            u"Suite"_s,
            u"090001012020"_s,
            {person(u"A"_s, u"0611111111"_s), person(u"B"_s, u"0622222222"_s), person(u"C"_s, u"0633333333"_s)}};
        QString error;
        {
            const auto cut = SendJournal::create(m_parts->dataDir.path(), head, &error);
            QVERIFY(cut);
            const std::vector<qsizetype> first{0};
            QVERIFY(cut->recordStarted(first));
            QVERIFY(cut->recordDone(0, {85, SendOutcome::Refused}));
        }
        const auto takeUp = [&](bool pick) {
            HoldFailure failure{};
            auto held =
                holdRun(m_parts->dataDir.path(), *interruptedJournal(m_parts->dataDir.path(), true), &failure, &error);
            QVERIFY(held);
            MessageBoxResponder boxes(vbNo);
            test::whenModalShown<QDialog>([pick](QDialog *other) {
                test::child<QDateTimeEdit>(other, u"DTPickerAutreHeure")
                    ->setDateTime(QDateTime(QDate(2099, 3, 7), QTime(14, 5)));
                test::child<QPushButton>(other, pick ? u"CMD_OK" : u"CMD_Annuler")->click();
            });
            if (m_form->resume(std::move(*held), false))
                QTRY_VERIFY(!m_form->isRunning());
            QCOMPARE(boxes.shown().size(), 1);
            QVERIFY(boxes.shown()[0].text.startsWith(u"L'heure d'envoi différé, 2020-01-01 09:00, est passée"_s));
        };
        takeUp(false);
        QVERIFY(!sim.log().contains(u"/http.php"_s));
        takeUp(true);
        QCOMPARE(sim.outboxField(u"deferred"_s), QStringList(2, u"140507032099"_s));
        const QString log = sim.log();
        QCOMPARE((QList<qsizetype>{log.count(u"numero=0611111111&"_s), log.count(u"numero=0622222222&"_s),
                                   log.count(u"numero=0633333333&"_s)}),
                 (QList<qsizetype>{0, 1, 1}));
        const auto content = readJournal(m_dir->read(u"Journal/"_s + head.runId + u".journal"_s), &error);
        QVERIFY2(content, qPrintable(error));
        QCOMPARE(content->head.differer, u"140507032099"_s);
        QVERIFY(content->complete);
    }

    // While a reply is awaited the row being sent is already on show.
    void rowShownWhileAwaited()
    {
        SimulatorProcess sim(kAccount + QStringList{u"--delay-ms"_s, u"400"_s});
        QVERIFY(sim.connect(m_parts->gateway));
        Mailing mailing{{person(u"Dupont"_s, u"0612345678"_s)}, QString(), u"Bonjour"_s, {}};
        QStringList seen;
        QTimer::singleShot(250, this,
                           [&] { seen = columnTexts(*m_form->results(), 0) + columnTexts(*m_form->results(), 1); });
        send(mailing.source(), QString());
        QCOMPARE(seen, (QStringList{u"(0612345678) M. Dupont Jean "_s, QString()}));
        QCOMPARE(columnTexts(*m_form->results(), 1), (QStringList{kSent}));
    }

    // Pause holds the next rows back until pressed again; Stop ends the run after the SMS in
    // flight, the rows never started shown as not sent and counted so in the summary.
    void pauseThenStop()
    {
        SimulatorProcess sim(kAccount + QStringList{u"--delay-ms"_s, u"200"_s});
        QVERIFY(sim.connect(m_parts->gateway));
        Mailing mailing{numbered(4), QString(), u"Bonjour"_s, {}};
        auto *pause = m_form->findChild<QPushButton *>(u"CMD_Pause"_s);
        auto *stop = m_form->findChild<QPushButton *>(u"CMD_Arreter"_s);
        QVERIFY(!pause->isEnabled() && !stop->isEnabled());
        QString pausedText;
        qsizetype rowsWhilePaused = -1;
        QTimer::singleShot(100, this, [&] { QTest::mouseClick(pause, Qt::LeftButton); });
        QTimer::singleShot(700, this, [&] {
            pausedText = pause->text();
            rowsWhilePaused = sim.outbox().size();
            QTest::mouseClick(pause, Qt::LeftButton);
            QTest::mouseClick(stop, Qt::LeftButton);
        });
        const SendRunSummary summary = send(mailing.source(), QString());
        QCOMPARE(pausedText, u"Re&prendre"_s);
        QCOMPARE(rowsWhilePaused, 1);
        QCOMPARE(pause->text(), u"&Pause"_s);
        QVERIFY(!pause->isEnabled() && !stop->isEnabled());
        QCOMPARE(summary.accepted, 1);
        QCOMPARE(summary.notSent, 3);
        const QString notSent = u"Non envoyé : l'envoi a été arrêté avant ce SMS"_s;
        QCOMPARE(columnTexts(*m_form->results(), 1), (QStringList{kSent, notSent, notSent, notSent}));
        QCOMPARE(columnTexts(*m_form->results(), 0)[3], u"(0600000003) M. N Jean "_s);
        const QColor kNotSent = ResultModel::outcomeColor(SendOutcome::NotSent);
        QCOMPARE(marks(*m_form->results()), (QList<QColor>{kAccepted, kNotSent, kNotSent, kNotSent}));
        QCOMPARE(bilan(), u"Bilan : 1 accepté(s), 0 refusé(s), 0 sans réponse, 3 non envoyé(s)."_s);
        QCOMPARE(sim.outbox().size(), 1);
    }

    // The last run's rows exported byte for byte; a second try reaches only the rows neither sent
    // nor kept, with the texts and deferred value of the run, and comes below as a new run.
    void exportAndRetryTheLastRun()
    {
        auto *exporter = m_form->findChild<QPushButton *>(u"CMD_Exporter"_s);
        auto *renvoyer = m_form->findChild<QPushButton *>(u"CMD_Renvoyer"_s);
        QVERIFY(!exporter->isEnabled() && !renvoyer->isEnabled());
        std::optional<SimulatorProcess> sim(std::in_place, test::demoAccount(2));
        QVERIFY(sim->connect(m_parts->gateway));
        // Accepted, invalid number (84), accepted, no credit left (83).
        Mailing mailing{{person(u"Lefèvre"_s, u"06 11 11 11 11"_s), person(u"Dupont;Durand"_s, u"0612"_s),
                         person(u"Martin"_s, u"0622222222"_s), person(u"Petit"_s, u"0633333333"_s)},
                        u"Paul"_s,
                        u"Bonjour"_s,
                        {}};
        bool disabledDuringRun = true;
        mailing.beforeRow = [&](qsizetype) {
            disabledDuringRun = disabledDuringRun && !exporter->isEnabled() && !renvoyer->isEnabled();
        };
        const QString tomorrow = QDateTime::currentDateTime().addDays(1).toString(u"HHmmddMMyyyy"_s);
        send(mailing.source(), tomorrow);
        QVERIFY(disabledDuringRun);
        QVERIFY(exporter->isEnabled() && renvoyer->isEnabled());
        QCOMPARE(marks(*m_form->results()), (QList<QColor>{kAccepted, kRefused, kAccepted, kRefused}));
        QCOMPARE(bilan(), u"Bilan : 2 accepté(s), 2 refusé(s), 0 sans réponse, 0 non envoyé(s)."_s);

        MessageBoxResponder boxes(vbYes);
        FileDialog::setNextFileName(m_dir->filePath(u"resultats.csv"_s));
        QTest::mouseClick(exporter, Qt::LeftButton);
        QCOMPARE(m_dir->read(u"resultats.csv"_s),
                 QByteArray("06 11 11 11 11;M. Lef\xE8vre Jean;81;Le message est enregistr\xE9 pour un envoi en "
                            "diff\xE9r\xE9;accepted\r\n"
                            "0612;M. Dupont Durand Jean;84;Le num\xE9ro de gsm n'est pas valide;refused\r\n"
                            "0622222222;M. Martin Jean;81;Le message est enregistr\xE9 pour un envoi en diff\xE9r\xE9;"
                            "accepted\r\n"
                            "0633333333;M. Petit Jean;83;Vous devez cr\xE9"
                            "diter votre compte;refused\r\n"));
        QVERIFY(boxes.shown().isEmpty());
        FileDialog::setNextFileName(m_dir->filePath(u"absent/resultats.csv"_s));
        QTest::mouseClick(exporter, Qt::LeftButton);
        QCOMPARE(boxes.shown().size(), 1);
        QVERIFY(boxes.shown()[0].text.startsWith(u"Impossible d'écrire le fichier :\n"_s));
        QCOMPARE(boxes.shown()[0].style, vbOKOnly | vbCritical);

        // The retry goes to a gateway that has credit; the mailing's texts have changed meanwhile.
        sim.emplace(test::demoAccount(50));
        QVERIFY(sim->connect(m_parts->gateway));
        mailing.message = u"Autre texte"_s;
        boxes.clear();
        QSignalSpy retrying(m_form.get(), &Form_EnvoiMailing::retryStarting);
        untilFinished([&] { QTest::mouseClick(renvoyer, Qt::LeftButton); });
        QCOMPARE(boxes.shown().size(), 1);
        QCOMPARE(boxes.shown()[0].text,
                 u"Attention, vous allez envoyer 2 SMS !\n\nEtes-vous sûr de vouloir continuer ?"_s);
        QCOMPARE(retrying.size(), 1);
        QCOMPARE(sim->outboxField(u"number"_s), QStringList{u"0633333333"_s});
        QCOMPARE(sim->outboxField(u"text"_s), QStringList{u"De : Paul, Bonjour"_s});
        QCOMPARE(sim->outboxField(u"deferred"_s), QStringList{tomorrow});
        QCOMPARE(columnTexts(*m_form->results(), 0).mid(4),
                 (QStringList{u"(0612) M. Dupont;Durand Jean "_s, u"(0633333333) M. Petit Jean "_s}));
        QCOMPARE(m_form->lastRun().rows.size(), std::size_t(2));
        // The summary is the new run's alone.
        QCOMPARE(bilan(), u"Bilan : 1 accepté(s), 1 refusé(s), 0 sans réponse, 0 non envoyé(s)."_s);
        // 0612 is still refused: a further try stays possible.
        QVERIFY(renvoyer->isEnabled());

        // Answering No sends nothing.
        boxes.setAnswer(vbNo);
        QTest::mouseClick(renvoyer, Qt::LeftButton);
        QCOMPARE(m_form->results()->rowCount(), 6);
    }

    // The gateway drops the second request and goes away before the fourth row: a dropped
    // request may have carried the SMS, a gateway gone never got it. Sending again asks about
    // the first kind apart and sends what the user chose.
    void gatewayDropsThenStops()
    {
        std::optional<SimulatorProcess> sim(std::in_place, kAccount + QStringList{u"--drop-every"_s, u"2"_s});
        QVERIFY(sim->connect(m_parts->gateway));
        Mailing mailing{numbered(5), QString(), u"Bonjour"_s, {}};
        mailing.beforeRow = [&](qsizetype row) {
            if (row == 3)
                sim.reset();
        };
        const SendRunSummary summary = send(mailing.source(), QString());
        const QString none = u"Impossible de joindre le serveur d'envoi de SMS !"_s;
        const QString noAnswer =
            u"Pas de réponse complète à temps du serveur d'envoi de SMS : le SMS a peut-être été envoyé."_s;
        QCOMPARE(columnTexts(*m_form->results(), 1), (QStringList{kSent, noAnswer, kSent, none, none}));
        QCOMPARE(summary.accepted, 2);
        QCOMPARE(summary.unknown, 1);
        QCOMPARE(summary.unreachable, 2);
        QCOMPARE(progress(), u"5 SMS sur 5 d'envoyé."_s);
        const ResultModel &results = *m_form->results();
        QCOMPARE(marks(results), (QList<QColor>{kAccepted, kUnknown, kAccepted, kUnreachable, kUnreachable}));
        QCOMPARE(results.index(1, 1).data(Qt::AccessibleDescriptionRole).toString(),
                 u"Sans réponse : peut-être envoyé"_s);
        QCOMPARE(results.index(1, 1).data(Qt::ToolTipRole).toString(), noAnswer);
        QCOMPARE(bilan(), u"Bilan : 2 accepté(s), 0 refusé(s), 1 sans réponse, 2 non envoyé(s)."_s);
        // Striped as the mailing list: pale yellow first, then white.
        QCOMPARE(results.index(0, 0).data(Qt::BackgroundRole).value<QColor>(), QColor(0xff, 0xff, 0xdd));
        QCOMPARE(results.index(3, 1).data(Qt::BackgroundRole).value<QColor>(), QColor(Qt::white));

        sim.emplace(kAccount);
        QVERIFY(sim->connect(m_parts->gateway));
        MessageBoxResponder boxes;
        boxes.setNextAnswers({vbNo, vbYes});
        untilFinished([&] { QTest::mouseClick(m_form->findChild<QPushButton *>(u"CMD_Renvoyer"_s), Qt::LeftButton); });
        QCOMPARE(boxes.shown().size(), 2);
        QCOMPARE(boxes.shown()[0].text, u"1 SMS n'ont pas reçu de réponse à temps et ont peut-être déjà été envoyés."
                                        u"\n\nVoulez-vous les envoyer de nouveau eux aussi ?"_s);
        QCOMPARE(boxes.shown()[1].text,
                 u"Attention, vous allez envoyer 2 SMS !\n\nEtes-vous sûr de vouloir continuer ?"_s);
        QCOMPARE(sim->outboxField(u"number"_s), (QStringList{u"0600000003"_s, u"0600000004"_s}));
    }
};

QTEST_MAIN(TestEnvoiMailing)
#include "test_envoimailing.moc"
