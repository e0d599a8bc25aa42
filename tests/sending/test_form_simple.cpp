// The single SMS window end to end against the gateway simulator.
#include "addressbook/classcontact.h"
#include "addressbook/contactcollection.h"
#include "addressbook/contactlistview.h"
#include "addressbook/form_selcontact.h"
#include "app/appstate.h"
#include "app/mdiformmain.h"
#include "contactfixtures.h"
#include "gateway/classsendora.h"
#include "messageboxresponder.h"
#include "messages/form_sms.h"
#include "messages/predefinis.h"
#include "messages/predefinismenu.h"
#include "sending/differer.h"
#include "sending/form_simple.h"
#include "sending/history.h"
#include "simulatorprocess.h"
#include "testdatadir.h"
#include "widgetdriver.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimeEdit>
#include <QTimer>

using namespace Qt::StringLiterals;

using namespace parlevo;
using parlevo::test::MessageBoxResponder;
using parlevo::test::SimulatorProcess;
using parlevo::test::TestDataDir;

namespace {

QStringList account(int credit, const QStringList &more = {})
{
    return test::demoAccount(credit) + more;
}

} // namespace

class TestFormSimple : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<TestDataDir> m_dir;
    std::unique_ptr<AppState> m_state;
    std::unique_ptr<MDIForm_Main> m_main;
    std::unique_ptr<Form_Simple> m_form;
    int m_soldeQueries = 0;

    // Points the gateway at the simulator and opens the window; false when the simulator is not running.
    bool open(const SimulatorProcess &sim)
    {
        const bool running = sim.connect(m_state->Gateway());
        m_form->Init();
        return running;
    }
    template <typename T> T *child(const char16_t *name) const { return test::child<T>(m_form.get(), name); }
    QString message() const { return child<QPlainTextEdit>(u"TextSMS")->toPlainText(); }
    // Clicks Envoyer and waits until the window is done with the gateway: its busy cursor is gone.
    void send()
    {
        QTest::mouseClick(child<QPushButton>(u"CommandEnvoyer"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!QApplication::overrideCursor(), 10000);
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<TestDataDir>();
        m_state = std::make_unique<AppState>(m_dir->path());
        m_state->config().Expediteur = u"Paul"_s;
        m_soldeQueries = 0;
        MainWindowHooks hooks;
        hooks.querySolde = [this](const auto &answer) {
            ++m_soldeQueries;
            answer(u"12"_s);
        };
        hooks.clock = [] { return QTime(8, 0); };
        m_main = std::make_unique<MDIForm_Main>(*m_state, std::move(hooks));
        // Its first tick asks for the credit: on a slow machine that would count among the queries
        // a test expects of the window.
        m_main->findChild<QTimer *>(u"TimerHeure"_s)->stop();
        m_soldeQueries = 0;
        setSendingClock([] { return QDateTime(QDate(2027, 2, 1), QTime(9, 5, 42)); });
        m_form = std::make_unique<Form_Simple>(m_state->basics(), m_state->addressBook(), m_state->predefinis(),
                                               m_state->Gateway(), *m_main);
        m_main->watchActivity(m_form.get());
    }
    void cleanup()
    {
        m_form.reset();
        m_main.reset();
        m_state.reset();
        setSendingClock({});
        Detruit_MenuPredefinis();
    }

    // What reached the gateway for a typed recipient, with and without sender.
    void sendsWhatWasTyped_data()
    {
        QTest::addColumn<QString>("recipient");
        QTest::addColumn<QString>("sender");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("text");
        QTest::newRow("blanks, dashes, dots")
            << u"06 12-34.56 78"_s << u"Paul"_s << u"Bonjour"_s << u"0612345678"_s << u"De : Paul, Bonjour"_s;
        QTest::newRow("international, every digit")
            << u"+33 6 12 34 56 78"_s << QString() << u"Bonjour"_s << u"0033612345678"_s << u"Bonjour"_s;
        QTest::newRow("typed like the picker")
            << u"0612345678 - M. Dupont Jean "_s << QString() << u"Salut"_s << u"0612345678"_s << u"Salut"_s;
        // A message box still holding the prompt sends it.
        QTest::newRow("prompt") << u"0612345678"_s << QString() << QString() << u"0612345678"_s
                                << u"Entrer votre message ici."_s;
    }
    void sendsWhatWasTyped()
    {
        QFETCH(QString, recipient);
        QFETCH(QString, sender);
        QFETCH(QString, typed);
        QFETCH(QString, number);
        QFETCH(QString, text);
        SimulatorProcess sim(account(5));
        QVERIFY(open(sim));
        MessageBoxResponder boxes;
        child<QLineEdit>(u"TextContact")->setText(recipient);
        child<QLineEdit>(u"TextExpediteur")->setText(sender);
        if (!typed.isNull())
            child<QPlainTextEdit>(u"TextSMS")->setPlainText(typed);
        send();

        QCOMPARE(sim.outboxField(u"number"_s), QStringList{number});
        QCOMPARE(sim.outboxField(u"text"_s), QStringList{text});
        QCOMPARE(sim.outboxField(u"deferred"_s), QStringList{QString()});
        QCOMPARE(boxes.shown().size(), 1);
        QCOMPARE(boxes.shown()[0].text, u"Envoi du SMS réussi."_s);
        // Journaled as a single send, with the number sent, for the history.
        const History history = History::load(TextTable(), m_dir->path());
        QCOMPARE(history.rows().size(), std::size_t(1));
        QCOMPARE(history.contact(history.rows()[0]).Phone, number);
        QVERIFY(history.runs()[0].single);
        QCOMPARE(child<QLineEdit>(u"TextContact")->text(), QString());
        QCOMPARE(message(), QString());
        QCOMPARE(child<QLineEdit>(u"TextExpediteur")->text(), sender);
        QCOMPARE(m_soldeQueries, 1);
    }

    // A picked contact sends to its own phone digits; once the field is edited, to the field's.
    void pickedRecipient_data()
    {
        QTest::addColumn<QString>("phone");
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("number");
        QTest::newRow("as picked") << u"06 12 34 56 78"_s << QString() << u"0612345678 - M. Dupont2 Jean "_s
                                   << u"0612345678"_s;
        QTest::newRow("short phone, digits in the name")
            << u"061234"_s << QString() << u"061234 - M. Dupont2 Jean "_s << u"061234"_s;
        QTest::newRow("international") << u"+33 6 12 34 56 78"_s << QString() << u"0033612345678 - M. Dupont2 Jean "_s
                                       << u"0033612345678"_s;
        QTest::newRow("edited after the pick")
            << u"061234"_s << u"5"_s << u"061234 - M. Dupont2 Jean 5"_s << u"06123425"_s;
    }
    void pickedRecipient()
    {
        QFETCH(QString, phone);
        QFETCH(QString, edit);
        QFETCH(QString, field);
        QFETCH(QString, number);
        SimulatorProcess sim(account(5, {u"--verbose"_s}));
        QVERIFY(open(sim));
        MessageBoxResponder boxes;
        ClassContact contact;
        contact.Titre = u"M."_s;
        contact.Nom = u"Dupont2"_s;
        contact.Prenom = u"Jean"_s;
        contact.Phone = phone;
        m_form->applyPickedContact(contact);
        auto *recipient = child<QLineEdit>(u"TextContact");
        recipient->end(false);
        QTest::keyClicks(recipient, edit);
        QCOMPARE(recipient->text(), field);
        send();
        QTRY_VERIFY(sim.log().contains(u"&numero="_s + number + u"&message="_s));
    }

    void emptyRecipientAsksForANumber()
    {
        SimulatorProcess sim(account(5, {u"--verbose"_s}));
        QVERIFY(open(sim));
        MessageBoxResponder boxes;
        child<QLineEdit>(u"TextContact")->setText(u"M. Dupont"_s);
        send();
        QCOMPARE(boxes.shown().size(), 1);
        QCOMPARE(boxes.shown()[0].text, u"Veuillez entrer ou choisir un numéro de GSM !"_s);
        QCOMPARE(child<QLineEdit>(u"TextContact")->text(), u"M. Dupont"_s);
        QCOMPARE(m_soldeQueries, 0);
        QVERIFY(!sim.log().contains(u"/http.php"_s));
    }

    void deferredSend()
    {
        SimulatorProcess sim(account(5));
        QVERIFY(open(sim));
        MessageBoxResponder boxes;
        auto *time = child<QTimeEdit>(u"DTPickerTime");
        QVERIFY(!time->isEnabled());
        time->setTime(QTime(23, 59));
        child<QCheckBox>(u"Checkdifferer")->setChecked(true);
        // Ticking the box brings the time back to the clock's hour and minute.
        QCOMPARE(time->time(), QTime(9, 5));
        QVERIFY(time->isEnabled());
        child<QDateEdit>(u"DTPickerDate")->setDate(QDate(2099, 3, 7));
        time->setTime(QTime(14, 5));
        child<QLineEdit>(u"TextContact")->setText(u"0612345678"_s);
        send();
        QCOMPARE(sim.outboxField(u"deferred"_s), QStringList{u"140507032099"_s});

        // Less than a minute ahead of the clock (9:05:42): asked before any SMS; No keeps it unsent
        // for another time, Yes sends it now.
        child<QDateEdit>(u"DTPickerDate")->setDate(QDate(2027, 2, 1));
        time->setTime(QTime(9, 6));
        child<QLineEdit>(u"TextContact")->setText(u"0612345678"_s);
        child<QPlainTextEdit>(u"TextSMS")->setPlainText(u"Encore"_s);
        boxes.clear();
        boxes.setNextAnswers({vbNo});
        send();
        QCOMPARE(boxes.shown().size(), 1);
        QCOMPARE(boxes.shown()[0].text,
                 u"L'heure d'envoi différé, 2027-02-01 09:06, est passée ou à moins d'une minute : la passerelle "
                 u"refuserait chaque SMS.\n\nOui : envoyer maintenant\nNon : choisir une autre heure"_s);
        QCOMPARE(sim.outbox().size(), 1);
        boxes.setNextAnswers({vbYes});
        send();
        QVERIFY(!child<QCheckBox>(u"Checkdifferer")->isChecked());
        QCOMPARE(sim.outboxField(u"deferred"_s), (QStringList{u"140507032099"_s, QString()}));
    }

    // A refusal: the gateway client's box only, the balance refresh, and what was typed stays
    // for a corrected second try.
    void refusedSendKeepsWhatWasTyped()
    {
        SimulatorProcess sim(account(0));
        QVERIFY(open(sim));
        MessageBoxResponder boxes;
        child<QLineEdit>(u"TextContact")->setText(u"0612345678"_s);
        child<QPlainTextEdit>(u"TextSMS")->setPlainText(u"Rendez-vous demain"_s);
        send();
        QCOMPARE(boxes.shown().size(), 1);
        QCOMPARE(boxes.shown()[0].text,
                 u"Votre envoi de SMS a échoué à cause de :\r\n(83) 'Vous devez créditer votre compte'"_s);
        QCOMPARE(child<QLineEdit>(u"TextContact")->text(), u"0612345678"_s);
        QCOMPARE(message(), u"Rendez-vous demain"_s);
        QCOMPARE(m_soldeQueries, 1);
        QVERIFY(sim.outbox().isEmpty());
    }

    // A second click while the gateway is awaited must not send the SMS again.
    void sendButtonOffDuringTheWait()
    {
        SimulatorProcess sim(account(5, {u"--delay-ms"_s, u"400"_s}));
        QVERIFY(open(sim));
        MessageBoxResponder boxes;
        child<QLineEdit>(u"TextContact")->setText(u"0612345678"_s);
        auto *button = child<QPushButton>(u"CommandEnvoyer");
        bool disabledDuringWait = false;
        QTimer::singleShot(100, this, [&] {
            disabledDuringWait = !button->isEnabled();
            QTest::mouseClick(button, Qt::LeftButton);
        });
        send();
        QVERIFY(disabledDuringWait);
        QVERIFY(button->isEnabled());
        QCOMPARE(sim.outbox().size(), 1);
        QCOMPARE(boxes.shown().size(), 1);
    }

    // Closing the main window while the gateway is awaited: the wait returns at once, no box
    // shows, and the program quits once the send handler is done.
    void closingDuringTheWait()
    {
        SimulatorProcess sim(account(5, {u"--delay-ms"_s, u"10000"_s}));
        QVERIFY(open(sim));
        MessageBoxResponder boxes;
        m_main->show();
        child<QLineEdit>(u"TextContact")->setText(u"0612345678"_s);
        QTimer::singleShot(200, this, [this] { m_main->close(); });
        QElapsedTimer clock;
        clock.start();
        send();
        QVERIFY2(clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(boxes.shown().isEmpty());
        QTRY_VERIFY(!m_main->isVisible());
        QVERIFY(!m_state->Gateway().isBusy());
        QCOMPARE(m_soldeQueries, 0);
    }

    void remainingCharacters()
    {
        auto *sender = child<QLineEdit>(u"TextExpediteur");
        auto *sms = child<QPlainTextEdit>(u"TextSMS");
        auto *label = child<QLabel>(u"LabelNBCar");
        // "De : 0123456789, " takes 17 of the 160 characters sent.
        sender->setText(u"0123456789"_s);
        sms->clear();
        QTest::keyClicks(sms, QString(144, u'a'));
        QCOMPARE(sms->toPlainText().size(), 143);
        QCOMPARE(label->text(), u"Caractère(s) restant(s) : 0"_s);
        // Text put in by the program may pass the maximum: the count goes below zero.
        sms->setPlainText(QString(155, u'b'));
        QCOMPARE(label->text(), u"Caractère(s) restant(s) :-12"_s);
        // A line break is sent as CR LF: it counts two, everywhere the text goes.
        sms->clear();
        QTest::keyClicks(sms, u"ab"_s);
        QTest::keyClick(sms, Qt::Key_Return);
        QTest::keyClicks(sms, u"cd"_s);
        QCOMPARE(label->text(), u"Caractère(s) restant(s) : 137"_s);
        // The preview follows every change, even hidden.
        QCOMPARE(Form_SMS::instance(m_state->textTable()).previewText(), u"De : 0123456789, ab\r\ncd"_s);
        sms->setPlainText(QString(142, u'c'));
        QTest::keyClick(sms, Qt::Key_Return);
        QCOMPARE(sms->toPlainText(), QString(142, u'c'));
        // A sender that fills the SMS leaves no room at all.
        sender->setText(QString(170, u's'));
        sms->clear();
        QTest::keyClicks(sms, u"abc"_s);
        QCOMPARE(sms->toPlainText(), QString());
        QCOMPARE(label->text(), u"Caractère(s) restant(s) :-17"_s);
    }

    // The indicator and the counter beside it read the text sent, sender prefix included, and
    // follow the sender too.
    void codingIndicator_data()
    {
        QTest::addColumn<QString>("sender");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("indicator");
        QTest::addColumn<QString>("tooltip");
        QTest::addColumn<QString>("counter");
        const QString gsmSizes =
            u"Le texte envoyé tient dans l'alphabet GSM 7 bits : 160 caractères par SMS, 153 par partie d'un SMS long."_s;
        QTest::newRow("gsm, full") << u"Ana"_s << QString(150, u'a') << u"GSM 7 bits : 160 caractère(s), 1 SMS"_s
                                   << gsmSizes << u"Caractère(s) restant(s) : 0"_s;
        // 159 characters sent, but the euro and the brace take two septets each: two SMS.
        QTest::newRow("extension") << u"Ana"_s << QString(QString(147, u'a') + u"€{"_s)
                                   << u"GSM 7 bits : 161 caractère(s), 2 SMS"_s
                                   << QString(gsmSizes + u"\nCaractères qui comptent pour deux : € {"_s)
                                   << u"Caractère(s) restant(s) : 1"_s;
        // The sender's ô comes first; a tab is named by its code.
        QTest::newRow("unicode")
            << u"Jérôme"_s << QString(u"Ça coûte « trop »\tl’été"_s + QString(40, u'x'))
            << u"Unicode : 76 caractère(s), 2 SMS"_s
            << u"Caractères qui imposent l'Unicode : ô û « » U+0009 ’\n"
               u"Le texte envoyé demande l'Unicode : 70 caractères par SMS, 67 par partie d'un SMS long."_s
            << u"Caractère(s) restant(s) : 84"_s;
    }
    void codingIndicator()
    {
        QFETCH(QString, sender);
        QFETCH(QString, message);
        auto *label = child<QLabel>(u"LabelCodage");
        child<QPlainTextEdit>(u"TextSMS")->setPlainText(message);
        child<QLineEdit>(u"TextExpediteur")->setText(sender);
        QTEST(label->text(), "indicator");
        QTEST(label->toolTip(), "tooltip");
        QTEST(child<QLabel>(u"LabelNBCar")->text(), "counter");
    }

    void clickClearsOnlyThePrompt()
    {
        auto *sms = child<QPlainTextEdit>(u"TextSMS");
        QCOMPARE(sms->toPlainText(), u"Entrer votre message ici."_s);
        QTest::mouseClick(sms->viewport(), Qt::LeftButton);
        QCOMPARE(sms->toPlainText(), QString());
        // Reached with Tab, the prompt goes as well.
        m_form->Init();
        m_form->show();
        QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
        child<QLineEdit>(u"TextExpediteur")->setFocus();
        sms->setFocus(Qt::TabFocusReason);
        QTRY_COMPARE(sms->toPlainText(), QString());
        sms->setPlainText(u"Bonjour"_s);
        QTest::mouseClick(sms->viewport(), Qt::LeftButton);
        QCOMPARE(sms->toPlainText(), u"Bonjour"_s);
    }

    void predefinedPopup_data()
    {
        QTest::addColumn<QList<Qt::Key>>("keys");
        QTest::addColumn<QString>("expected");
        QTest::newRow("third item") << QList<Qt::Key>{Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Return}
                                    << u"Troisième"_s;
        QTest::newRow("dismissed") << QList<Qt::Key>{Qt::Key_Down, Qt::Key_Escape} << u"Mon texte"_s;
    }
    void predefinedPopup()
    {
        QFETCH(QList<Qt::Key>, keys);
        QFETCH(QString, expected);
        m_state->predefinis().colPredefinis() = {
            {u"Un"_s, u"Premier"_s}, {u"Deux"_s, u"Second"_s}, {u"Trois"_s, u"Troisième"_s}};
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
        child<QPlainTextEdit>(u"TextSMS")->setPlainText(u"Mon texte"_s);
        QTimer::singleShot(0, this, [&] {
            QMenu *menu = MenuPredefinis();
            QTRY_VERIFY_WITH_TIMEOUT(menu && menu->isVisible(), 5000);
            for (Qt::Key key : keys)
                QTest::keyClick(menu, key);
        });
        QTest::mousePress(child<QLabel>(u"LabelNbMax"), Qt::RightButton);
        QCOMPARE(message(), expected);
    }

    // The real picker, driven like a user: closed, it leaves the recipient alone; a click on the
    // second row, then Accept, chooses it.
    void pickerChoosesTheRecipient()
    {
        test::addContact(m_state->addressBook(), {.Nom = u"Martin"_s, .Phone = u"0611111111"_s});
        test::addContact(m_state->addressBook(), {.Nom = u"Leroy"_s, .Phone = u"07 22 33 44 55"_s});
        auto *recipient = child<QLineEdit>(u"TextContact");
        recipient->setText(u"0611111111"_s);
        test::whenModalShown<Form_SelContact>([](Form_SelContact *dialog) { dialog->close(); });
        QTest::mouseClick(child<QPushButton>(u"CMD_Contact"), Qt::LeftButton);
        QCOMPARE(recipient->text(), u"0611111111"_s);

        int typeSource = -1;
        test::whenModalShown<Form_SelContact>([&typeSource](Form_SelContact *dialog) {
            typeSource = dialog->TypeSource;
            ContactListView *list = dialog->list();
            const QRect row = list->visualRect(list->model()->index(1, 0));
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row.center());
            QTest::mouseClick(dialog->findChild<QPushButton *>(u"CMD_Accepter"_s), Qt::LeftButton);
        });
        QTest::mouseClick(child<QPushButton>(u"CMD_Contact"), Qt::LeftButton);
        QCOMPARE(typeSource, 0);
        // The number part is the first ten digits of the phone, as the send will find them.
        QCOMPARE(recipient->text(), u"0722334455 - Leroy "_s);
    }
};

QTEST_MAIN(TestFormSimple)
#include "test_form_simple.moc"
