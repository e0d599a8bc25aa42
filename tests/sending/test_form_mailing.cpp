// The mailing window: its list, its groups, its files and its send, against the gateway simulator.
#include "addressbook/contactcollection.h"
#include "addressbook/contactlistview.h"
#include "addressbook/form_csvcolumns.h"
#include "addressbook/form_selcontact.h"
#include "addressbook/groupcollection.h"
#include "addressbook/optoutlist.h"
#include "app/appstate.h"
#include "app/mdiformmain.h"
#include "base/filedialog.h"
#include "base/txt.h"
#include "contactfixtures.h"
#include "controls/labellink.h"
#include "gateway/classsendora.h"
#include "messageboxresponder.h"
#include "messages/form_sms.h"
#include "sending/differer.h"
#include "sending/form_envoimailing.h"
#include "sending/form_mailing.h"
#include "sending/form_verifnumeros.h"
#include "sending/history.h"
#include "sending/historymodel.h"
#include "sending/resultmodel.h"
#include "simulatorprocess.h"
#include "testdatadir.h"
#include "widgetdriver.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTimeEdit>
#include <QTimer>

#include <optional>

using namespace Qt::StringLiterals;

using namespace parlevo;
using parlevo::test::MessageBoxResponder;
using parlevo::test::SimulatorProcess;
using parlevo::test::TestDataDir;

namespace {

const QString kAdded2 = u" 2 contact(s) ajouté(s) au SMS Mailing."_s;
constexpr int kNotice = vbOKOnly | vbInformation;
constexpr int kQuestion = vbYesNo | vbInformation;

} // namespace

class TestFormMailing : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<TestDataDir> m_dir;
    std::unique_ptr<AppState> m_state;
    std::unique_ptr<MDIForm_Main> m_main;
    std::unique_ptr<Form_Mailing> m_form;
    std::optional<QAbstractItemModelTester> m_tester;
    int m_soldeQueries = 0;

    std::function<std::optional<qint64>()> credit()
    {
        return [this] { return m_main->knownCredit(); };
    }
    QString m_solde;
    int m_shutdowns = 0;

    void addContact(const QString &groupe, const QString &nom, const QString &phone)
    {
        test::addContact(m_state->addressBook(), {groupe, u"M."_s, u"Jean"_s, nom, phone, u"ACME"_s});
        Ajoute_Groupe(m_state->addressBook().colGroupes(), groupe);
    }
    template <typename T> T *child(const char16_t *name) const { return test::child<T>(m_form.get(), name); }
    int rows() const { return m_form->list()->model()->rowCount(); }
    QString count() const { return child<QLabel>(u"LabelNBFiche")->text(); }
    QStringList column(int col) const { return test::columnTexts(*m_form->list()->model(), col); }
    QAction *groupItem(const QString &text) const
    {
        for (QAction *a : m_form->groupMenu()->actions()) {
            if (a->text() == text)
                return a;
        }
        return nullptr;
    }
    QString saveTo(const QString &name, bool throughLink = true)
    {
        const QString path = m_dir->filePath(name);
        FileDialog::setNextFileName(path);
        if (throughLink)
            m_form->saveMailing(true);
        else
            m_form->listPopup()->findChild<QAction *>(u"MNU_SauverMailing"_s)->trigger();
        return path;
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<TestDataDir>();
        m_state = std::make_unique<AppState>(m_dir->path());
        m_state->config().Expediteur = u"Paul"_s;
        // Full name first, then the number: the rows sort on the full name.
        m_state->config().ColumnGroup = false;
        m_state->config().ColumnCompany = false;
        MainWindowHooks hooks;
        hooks.querySolde = [this](const auto &answer) {
            ++m_soldeQueries;
            answer(m_solde);
        };
        hooks.clock = [] { return QTime(8, 0); };
        hooks.shutdown = [this] { ++m_shutdowns; };
        m_shutdowns = 0;
        m_main = std::make_unique<MDIForm_Main>(*m_state, std::move(hooks));
        // Its first tick asks for the credit: on a slow machine that would count among the queries
        // a test expects of the window.
        m_main->findChild<QTimer *>(u"TimerHeure"_s)->stop();
        m_soldeQueries = 0;
        m_solde = u"12"_s;
        setSendingClock([] { return QDateTime(QDate(2027, 2, 1), QTime(9, 5, 42)); });
        addContact(u"Amis"_s, u"Dupont"_s, u"06 12-34.56 78"_s);
        addContact(u"Travail"_s, u"Martin"_s, u"0699999999"_s);
        addContact(u"Amis"_s, u"Bernard"_s, u"0611111111"_s);
        addContact(u"amis"_s, u"Petit"_s, u"0622222222"_s);
        m_form = std::make_unique<Form_Mailing>(m_state->basics(), m_state->addressBook(), m_state->predefinis(),
                                                m_state->Gateway(), *m_main, credit());
        m_main->watchActivity(m_form.get());
        m_form->Init();
        m_tester.emplace(m_form->list()->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    }
    void cleanup()
    {
        m_tester.reset();
        m_form.reset();
        m_main.reset();
        m_state.reset();
        delete Form_SMS::existing();
        setSendingClock({});
    }

    // The same group twice gives its contacts twice, matched case-sensitively; without groups
    // the single "&Aucun" item adds nothing and says nothing.
    void groups()
    {
        QCOMPARE(count(), u"Nombre de contacts : 0"_s);
        const QList<QAction *> items = m_form->groupMenu()->actions();
        QCOMPARE(items.size(), 2); // "amis" is the same group as "Amis"
        MessageBoxResponder boxes(vbOK);
        groupItem(u"Amis"_s)->trigger();
        groupItem(u"Amis"_s)->trigger();
        QCOMPARE(rows(), 4);
        QCOMPARE(count(), u"Nombre de contacts : 4"_s);
        QCOMPARE(boxes.shown().size(), 2);
        QCOMPARE(boxes.shown()[1].text, kAdded2);
        QCOMPARE(boxes.shown()[1].style, kNotice);
        // Four copies, each under its own key, sorted on the first column (the full name here).
        QCOMPARE(m_form->ColContactMailing().count(), 4);
        QCOMPARE(column(0), (QStringList{u"M. Bernard Jean "_s, u"M. Bernard Jean "_s, u"M. Dupont Jean "_s,
                                         u"M. Dupont Jean "_s}));

        AppState bare(m_dir->path());
        Form_Mailing empty(bare.basics(), bare.addressBook(), bare.predefinis(), bare.Gateway(), *m_main, credit());
        empty.Init();
        const QList<QAction *> none = empty.groupMenu()->actions();
        QCOMPARE(none.size(), 1);
        QCOMPARE(none[0]->text(), u"&Aucun"_s);
        none[0]->trigger();
        QCOMPARE(empty.list()->model()->rowCount(), 0);
        QCOMPARE(boxes.shown().size(), 2);
    }

    // Saving writes the rows in display order and adds the extension to a bare name; an existing
    // file is replaced only on Yes; loading twice appends twice. (The file's format is checked
    // with the mailing file itself.)
    void saveAndLoad()
    {
        {
            MessageBoxResponder boxes(vbYes);
            // A name typed without an extension gets ".kxg", so that the load dialog lists it.
            const QString empty = saveTo(u"vide"_s) + u".kxg"_s;
            QVERIFY(QFile::exists(empty));
            QCOMPARE(QFileInfo(empty).size(), 0);
            QVERIFY(boxes.shown().isEmpty());
        }
        MessageBoxResponder boxes(vbNo);
        groupItem(u"Travail"_s)->trigger();
        groupItem(u"Amis"_s)->trigger();
        const QString path = saveTo(u"liste.kxg"_s, false);
        const QByteArray bytes = m_dir->read(u"liste.kxg"_s);
        // Display order: sorted on the full name.
        QCOMPARE(bytes, QByteArray("Amis;ACME;M.;Jean;Bernard;0611111111\r\n"
                                   "Amis;ACME;M.;Jean;Dupont;06 12-34.56 78\r\n"
                                   "Travail;ACME;M.;Jean;Martin;0699999999\r\n"));
        QCOMPARE(boxes.shown().size(), 2);
        // No to the replace question leaves the file as it was.
        m_form->MNU_SupprimerTout_Click();
        QCOMPARE(rows(), 3);
        QCOMPARE(saveTo(u"liste.kxg"_s), path);
        QCOMPARE(boxes.shown().last().text, u"Le fichier existe déjà !\nVoulez-vous le remplacer ?"_s);
        QCOMPARE(boxes.shown().last().style, kQuestion);
        QCOMPARE(m_dir->read(u"liste.kxg"_s), bytes);

        Form_Mailing other(m_state->basics(), m_state->addressBook(), m_state->predefinis(), m_state->Gateway(),
                           *m_main, credit());
        other.Init();
        FileDialog::setNextFileName(path);
        other.MNU_ChargerMailing_Click();
        FileDialog::setNextFileName(path);
        other.MNU_ChargerMailing_Click();
        QCOMPARE(other.list()->model()->rowCount(), 6);
        QCOMPARE(boxes.shown().last().text, u" 3 contact(s) ajouté(s) au SMS Mailing."_s);
        QCOMPARE(other.ColContactMailing().at(5)->Nom, u"Martin"_s);

        // A missing file adds nothing and says nothing.
        const qsizetype shown = boxes.shown().size();
        FileDialog::setNextFileName(m_dir->filePath(u"absent.kxg"_s));
        other.MNU_ChargerMailing_Click();
        QCOMPARE(other.list()->model()->rowCount(), 6);
        QCOMPARE(boxes.shown().size(), shown);
    }

    // "Nouveau" on an empty list asks nothing; Delete with no row selected asks and removes
    // nothing; with rows selected they go, and the first row left is selected.
    void deleting()
    {
        MessageBoxResponder boxes(vbYes);
        m_form->MNU_SupprimerTout_Click();
        m_form->MNU_Supprimer_Click();
        QVERIFY(boxes.shown().isEmpty());

        groupItem(u"Amis"_s)->trigger();
        groupItem(u"Travail"_s)->trigger();
        QCOMPARE(rows(), 3);
        m_form->list()->clearSelection();
        m_form->showListPopup(QPoint(10, 10));
        QVERIFY(m_form->listPopup()->findChild<QAction *>(u"MNU_Supprimer"_s)->isEnabled());
        m_form->listPopup()->hide();
        QTest::keyClick(m_form->list(), Qt::Key_Delete);
        QCOMPARE(boxes.shown().last().text, u"Etes-vous sûr de vouloir supprimer ce(s) contact(s) du SMS Mailing ?"_s);
        QCOMPARE(boxes.shown().last().style, kQuestion + vbDefaultButton2);
        QCOMPARE(rows(), 3);

        QTest::keyClick(m_form->list(), Qt::Key_A, Qt::ControlModifier);
        m_form->list()->selectionModel()->select(m_form->list()->model()->index(0, 0),
                                                 QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
        m_form->MNU_Supprimer_Click();
        QCOMPARE(column(0), QStringList{u"M. Bernard Jean "_s});
        QCOMPARE(count(), u"Nombre de contacts : 1"_s);
        QCOMPARE(m_form->list()->selectedContacts().size(), 1);
        QCOMPARE(m_form->ColContactMailing().count(), 1);

        m_form->MNU_SupprimerTout_Click();
        QCOMPARE(boxes.shown().last().text, u"Etes-vous sûr de vouloir supprimer tous les contacts du SMS Mailing ?"_s);
        QCOMPARE(boxes.shown().last().style, kQuestion + vbDefaultButton2);
        QCOMPARE(rows(), 0);
        QCOMPARE(m_form->ColContactMailing().count(), 0);
        m_form->showListPopup(QPoint(10, 10));
        QVERIFY(!m_form->listPopup()->findChild<QAction *>(u"MNU_SauverMailing"_s)->isEnabled());
        m_form->listPopup()->hide();
    }

    // Init empties the list, resets message and sender and unticks the deferred box, whose time
    // it sets to now: a time kept from the last mailing would be past. (The
    // counter's rule is checked with the single SMS window, which shares it.)
    void initAndPreview()
    {
        MessageBoxResponder boxes(vbOK);
        groupItem(u"Amis"_s)->trigger();
        child<QCheckBox>(u"Checkdifferer")->setChecked(true);
        child<QLineEdit>(u"TextExpediteur")->setText(u"Quelqu'un"_s);
        child<QPlainTextEdit>(u"TextSMS")->setPlainText(QString(162, u'x'));
        // Hidden, the preview is left as Init made it; on screen, it follows the message and the
        // selection: the whole message, or the text a selected row is sent.
        Form_SMS &preview = Form_SMS::instance(m_state->textTable());
        QCOMPARE(preview.previewText(), u"De : Paul, Entrer votre message ici."_s);
        preview.show();
        m_form->list()->selectAll();
        QCOMPARE(preview.previewText(), u"De : Quelqu'un, "_s + QString(160, u'x'));
        m_form->list()->clearSelection();
        QCOMPARE(preview.previewText(), u"De : Quelqu'un, "_s + QString(162, u'x'));
        preview.hide();
        m_form->Init();
        QCOMPARE(rows(), 0);
        QCOMPARE(count(), u"Nombre de contacts : 0"_s);
        QVERIFY(!child<QCheckBox>(u"Checkdifferer")->isChecked());
        QVERIFY(!child<QTimeEdit>(u"DTPickerTime")->isEnabled());
        child<QCheckBox>(u"Checkdifferer")->setChecked(true);
        QCOMPARE(child<QLineEdit>(u"TextExpediteur")->text(), u"Paul"_s);
        QCOMPARE(child<QPlainTextEdit>(u"TextSMS")->toPlainText(), u"Entrer votre message ici."_s);
        // The prompt goes once the box has the focus: nobody sends it to a whole list.
        m_form->show();
        QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
        child<QPlainTextEdit>(u"TextSMS")->setFocus(Qt::TabFocusReason);
        QTRY_COMPARE(child<QPlainTextEdit>(u"TextSMS")->toPlainText(), QString());
        QCOMPARE(m_form->Build_Differer(), u"090501022027"_s);
        child<QCheckBox>(u"Checkdifferer")->setChecked(false);
        QCOMPARE(m_form->Build_Differer(), QString());
        QVERIFY(!child<QTimeEdit>(u"DTPickerTime")->isEnabled());
    }

    // Merge fields: the counter and the coding go by the longest row, the preview by the selected
    // row, the question names the unknown field; the link replaces the typographic apostrophe.
    void mergeFieldsAndLookAlikes()
    {
        MessageBoxResponder boxes(vbNo);
        groupItem(u"Amis"_s)->trigger(); // Bernard, Dupont
        child<QLineEdit>(u"TextExpediteur")->setText(QString());
        child<QPlainTextEdit>(u"TextSMS")->setPlainText(u"{Nom} {date} ’"_s);
        QCOMPARE(child<QLabel>(u"LabelNBCar")->text(), u"Caractère(s) restant(s) : 144"_s);
        QCOMPARE(child<QLabel>(u"LabelCodage")->text(), u"Unicode : 16 caractère(s), 1 SMS"_s);
        auto *link = child<LabelLink>(u"LabelLinkGsmFriendly");
        QCOMPARE(link->Caption(), u"Convertir en GSM (-0 SMS)"_s);
        QTest::keyClick(link, Qt::Key_Space);
        QCOMPARE(child<QPlainTextEdit>(u"TextSMS")->toPlainText(), u"{Nom} {date} '"_s);
        QCOMPARE(child<QLabel>(u"LabelCodage")->text(), u"GSM 7 bits : 18 caractère(s), 1 SMS"_s);
        QVERIFY(link->isHidden());
        Form_SMS &preview = Form_SMS::instance(m_state->textTable());
        preview.show();
        m_form->list()->setCurrentIndex(m_form->list()->model()->index(1, 0));
        QCOMPARE(preview.previewText(), u"Dupont {date} '"_s);
        QTest::mouseClick(child<QPushButton>(u"CommandEnvoyer"), Qt::LeftButton);
        QCOMPARE(boxes.shown().last().text,
                 u"Champs de fusion inconnus, envoyés tels quels : {date}\n\n"
                 u"Attention, vous allez envoyer 2 SMS !\n\nEtes-vous sûr de vouloir continuer ?"_s);
    }

    // Contacts chosen in the picker are copied in the picker's order.
    void picker()
    {
        MessageBoxResponder boxes(vbOK);
        QStringList picked;
        int typeSource = -1;
        test::whenModalShown<Form_SelContact>([&](Form_SelContact *dialog) {
            typeSource = dialog->TypeSource;
            ContactListView *list = dialog->list();
            for (int row : {0, 2}) {
                list->selectionModel()->select(list->model()->index(row, 0),
                                               QItemSelectionModel::Select | QItemSelectionModel::Rows);
                picked.append(list->listModel()->contactAt(row)->FullName());
            }
            QTest::mouseClick(dialog->findChild<QPushButton *>(u"CMD_Accepter"_s), Qt::LeftButton);
        });
        m_form->addMenu()->findChild<QAction *>(u"MNU_Carnet"_s)->trigger();
        QTRY_COMPARE(rows(), 2);
        QCOMPARE(typeSource, 1);
        QCOMPARE(boxes.shown().size(), 1);
        QCOMPARE(boxes.shown()[0].text, kAdded2);
        QCOMPARE(picked.size(), 2);
        QCOMPARE(column(0), picked);

        // Closed without accepting: nothing added, nothing said.
        bool closed = false;
        test::whenModalShown<QDialog>([&](QDialog *modal) { closed = modal->close(); });
        m_form->MNU_Carnet_Click();
        QTRY_VERIFY(closed);
        QTRY_VERIFY(!m_form->findChild<QTimer *>(u"TimerShowForm"_s)->isActive() && !QApplication::activeModalWidget());
        QCOMPARE(rows(), 2);
        QCOMPARE(boxes.shown().size(), 1);
    }

    // The send button: an empty list is refused; the question gives the count; No sends
    // nothing; Yes sends every row through the send run, deferred, and refreshes the credit.
    void send()
    {
        SimulatorProcess sim(test::demoAccount(1000));
        QVERIFY(sim.connect(m_state->Gateway()));
        auto *envoyer = child<QPushButton>(u"CommandEnvoyer");
        {
            MessageBoxResponder boxes(vbNo);
            QTest::mouseClick(envoyer, Qt::LeftButton);
            QCOMPARE(boxes.shown().size(), 1);
            QCOMPARE(boxes.shown()[0].text, u"La liste est vide ! \nVeuillez ajouter des contacts avant."_s);
            QCOMPARE(boxes.shown()[0].style, kNotice);
            groupItem(u"Amis"_s)->trigger();
            groupItem(u"Travail"_s)->trigger();
            QTest::mouseClick(envoyer, Qt::LeftButton);
            QCOMPARE(boxes.shown().last().text,
                     u"Attention, vous allez envoyer 3 SMS !\n\nEtes-vous sûr de vouloir continuer ?"_s);
            QCOMPARE(boxes.shown().last().style, kQuestion);
            QVERIFY(m_form->envoiMailing() == nullptr);
        }
        child<QCheckBox>(u"Checkdifferer")->setChecked(true);
        child<QTimeEdit>(u"DTPickerTime")->setTime(QTime(10, 0));
        child<QPlainTextEdit>(u"TextSMS")->setPlainText(u"Bonjour"_s);
        MessageBoxResponder boxes(vbYes);
        QTest::mouseClick(envoyer, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!m_form->isRunning(), 20000);
        QCOMPARE(boxes.shown().size(), 1);
        QCOMPARE(sim.outboxField(u"number"_s), (QStringList{u"0611111111"_s, u"0612345678"_s, u"0699999999"_s}));
        QCOMPARE(sim.outboxField(u"text"_s), QStringList(3, u"De : Paul, Bonjour"_s));
        QCOMPARE(sim.outboxField(u"deferred"_s), QStringList(3, u"100001022027"_s));
        QVERIFY(m_form->envoiMailing());
        const ResultModel *results = m_form->envoiMailing()->results();
        QCOMPARE(results->rowCount(), 3);
        QCOMPARE(results->index(1, 0).data().toString(), u"(06 12-34.56 78) M. Dupont Jean "_s);
        QCOMPARE(results->index(1, 1).data().toString(), u"Le message est enregistré pour un envoi en différé"_s);
        QVERIFY(envoyer->isEnabled());
        QVERIFY(m_main->centralWidget()->isEnabled());
        QCOMPARE(m_soldeQueries, 1);

        // Every row accepted: nothing to send again. A second try from the result window holds
        // the main window like a send and refreshes the credit afterwards.
        QVERIFY(!m_form->envoiMailing()->findChild<QPushButton *>(u"CMD_Renvoyer"_s)->isEnabled());
        emit m_form->envoiMailing()->retryStarting();
        QVERIFY(!m_main->centralWidget()->isEnabled() && !envoyer->isEnabled());
        emit m_form->envoiMailing()->runFinished();
        QVERIFY(m_main->centralWidget()->isEnabled() && envoyer->isEnabled());
        QCOMPARE(m_soldeQueries, 2);
    }

    // A spreadsheet: its columns chosen over the preview, the others shown in the list and named as
    // merge fields; each row is sent its own values; saving offers CSV, as a .kxg would lose them;
    // an emptied list forgets them.
    void spreadsheetList()
    {
        SimulatorProcess sim(test::demoAccount(1000));
        QVERIFY(sim.connect(m_state->Gateway()));
        QVERIFY(
            m_dir->write(u"rdv.csv"_s, "Nom;Mobile;Date RDV\r\nDupr\xc3\xa9;0611111111;12/12\r\nLu;0622222222;\r\n"));
        test::whenModalShown<Form_CsvColumns>(
            [](Form_CsvColumns *d) { test::child<QPushButton>(d, u"CMD_Suivant")->click(); });
        FileDialog::setNextFileName(m_dir->filePath(u"rdv.csv"_s));
        MessageBoxResponder boxes(vbOK);
        test::child<QAction>(m_form.get(), u"MNU_ChargerTableur")->trigger();
        QCOMPARE(rows(), 2);
        const QAbstractItemModel *model = m_form->list()->model();
        QCOMPARE(model->headerData(model->columnCount() - 1, Qt::Horizontal).toString(), u"Date RDV"_s);
        QVERIFY(child<QLabel>(u"LabelChamps")->text().endsWith(u"{date_rdv} (Date RDV)"_s));

        child<QPlainTextEdit>(u"TextSMS")->setPlainText(u"RDV {nom} {Date RDV}"_s);
        boxes.setNextAnswers({vbYes});
        QTest::mouseClick(child<QPushButton>(u"CommandEnvoyer"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!m_form->isRunning(), 20000);
        QVERIFY2(boxes.shown().last().text.contains(u"Lu"_s), "the row lacking a value is named");
        QCOMPARE(sim.outboxField(u"text"_s), (QStringList{u"De : Paul, RDV Dupré 12/12"_s, u"De : Paul, RDV Lu "_s}));

        boxes.setNextAnswers({vbYes});
        FileDialog::setNextFileName(m_dir->filePath(u"liste.csv"_s));
        child<LabelLink>(u"LabelLinkSauver")->Click();
        QVERIFY(m_dir->read(u"liste.csv"_s).contains("Date RDV\r\n"));
        QVERIFY(m_dir->read(u"liste.csv"_s).contains(";12/12\r\n"));

        boxes.setNextAnswers({vbYes});
        m_form->MNU_SupprimerTout_Click();
        QVERIFY(child<QLabel>(u"LabelChamps")->isHidden());
        QCOMPARE(model->columnCount(), int(m_form->list()->listModel()->columns().size()));
    }

    // "Envoyer un test": without the user's number it says where to give it; with it, the selected
    // row's text goes once, now, to that number, and the credit is read again.
    void testSms()
    {
        SimulatorProcess sim(test::demoAccount(1000));
        QVERIFY(sim.connect(m_state->Gateway()));
        groupItem(u"Amis"_s)->trigger();
        child<QCheckBox>(u"Checkdifferer")->setChecked(true);
        child<QPlainTextEdit>(u"TextSMS")->setPlainText(u"Bonjour {nom}"_s);
        auto *test = child<QPushButton>(u"CommandTest");
        {
            MessageBoxResponder boxes(vbOK);
            QTest::mouseClick(test, Qt::LeftButton);
            QCOMPARE(boxes.shown().size(), 1);
            QCOMPARE(boxes.shown()[0].text, m_state->Textes(Txt::NoMyNumber));
        }
        m_state->config().MyNumber = u"06 99 88 77 66"_s;
        m_form->list()->selectionModel()->select(m_form->list()->model()->index(1, 0),
                                                 QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        MessageBoxResponder boxes(vbOK);
        QTest::mouseClick(test, Qt::LeftButton);
        QVERIFY(!test->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(test->isEnabled(), 10000);
        QCOMPARE(sim.outboxField(u"number"_s), QStringList{u"0699887766"_s});
        QCOMPARE(sim.outboxField(u"text"_s), QStringList{u"De : Paul, Bonjour Dupont"_s});
        QCOMPARE(sim.outboxField(u"deferred"_s), QStringList{QString()});
        QCOMPARE(boxes.shown().last().text, u"SMS de test envoyé au 0699887766."_s);
        QCOMPARE(m_soldeQueries, 1);
        QVERIFY(test->isEnabled() && child<QPushButton>(u"CommandEnvoyer")->isEnabled());
        // The history tells the test apart from an SMS sent to the row's contact.
        HistoryModel history(m_state->textTable(), {});
        history.setHistory(History::load(m_state->textTable(), m_dir->path()));
        QCOMPARE(history.index(0, HistoryModel::NameColumn).data().toString(), u"SMS de test : M. Dupont Jean"_s);
    }

    // Before the send question, what the numbers' check found, by number and name, every row of it
    // behind "Voir la liste"; once per number with the invalid numbers left out: the repeat, the
    // opted-out and the invalid rows get no request, neither from the run nor from its resend.
    void sendChecksNumbers()
    {
        SimulatorProcess sim(test::demoAccount(1) + QStringList{u"--verbose"_s});
        QVERIFY(sim.connect(m_state->Gateway()));
        addContact(u"Club"_s, u"Aa"_s, u"06 12 34 56 78"_s);
        addContact(u"Club"_s, u"Bb"_s, u"0033612345678"_s);
        addContact(u"Club"_s, u"Cc"_s, u"0687654321"_s);
        addContact(u"Club"_s, u"Dd"_s, u"0612"_s);
        addContact(u"Club"_s, u"Ee"_s, u"0633333333"_s);
        m_state->addressBook().optOuts().add(u"+33 6 87 65 43 21"_s);
        m_form->Init();
        groupItem(u"Club"_s)->trigger();
        MessageBoxResponder boxes(vbYes);
        QString review;
        QString whole;
        bool leftOutByDefault = false;
        test::whenModalShown<Form_VerifNumeros>([&](Form_VerifNumeros *question) {
            review = test::child<QLabel>(question, u"LabelVerification")->text();
            leftOutByDefault = test::child<QCheckBox>(question, u"CheckLaisserInvalides")->isChecked();
            test::whenModalShown<QDialog>([&](QDialog *list) {
                whole = test::child<QPlainTextEdit>(list, u"TextListe")->toPlainText();
                list->accept();
            });
            test::child<QPushButton>(question, u"CMD_VoirListe")->click();
            test::child<QPushButton>(question, u"CMD_UneFois")->click();
        });
        QTest::mouseClick(child<QPushButton>(u"CommandEnvoyer"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!m_form->isRunning(), 20000);
        QCOMPARE(review, u"Vérification des numéros avant l'envoi :\n\n"
                         u"1 numéro(s) non valide(s) : 0612 (M. Dd Jean)\n"
                         u"1 numéro(s) en double, 1 ligne(s) de trop : 06 12 34 56 78 (M. Aa Jean)\n"
                         u"1 contact(s) désinscrit(s), non envoyé(s) : 0687654321 (M. Cc Jean)"_s);
        QVERIFY(whole.contains(u"1 numéro(s) non valide(s) : \n0612 (M. Dd Jean)\n"_s));
        QVERIFY(leftOutByDefault);
        QCOMPARE(boxes.shown().size(), 1);
        QCOMPARE(boxes.shown()[0].text,
                 u"Attention, vous allez envoyer 2 SMS !\n\nEtes-vous sûr de vouloir continuer ?"_s);
        const ResultModel *results = m_form->envoiMailing()->results();
        QCOMPARE(test::columnTexts(*results, 1),
                 (QStringList{u"Le message a été envoyé"_s, u"doublon, non envoyé"_s, u"désinscrit, non envoyé"_s,
                              u"numéro de mobile non valide, non envoyé"_s, u"Vous devez créditer votre compte"_s}));
        // The refused row goes again, alone.
        test::child<QPushButton>(m_form->envoiMailing(), u"CMD_Renvoyer")->click();
        QTRY_VERIFY_WITH_TIMEOUT(!m_form->isRunning(), 20000);
        const QString log = sim.log();
        QCOMPARE((QList<qsizetype>{log.count(u"numero=0612345678&"_s), log.count(u"numero=0033612345678&"_s),
                                   log.count(u"numero=0687654321&"_s), log.count(u"numero=0612&"_s),
                                   log.count(u"numero=0633333333&"_s)}),
                 (QList<qsizetype>{1, 0, 0, 0, 2}));
    }

    // Closing the main window mid-run asks first; yes ends the run once the SMS in flight has its
    // answer, then quits, with nothing sent after it. The whole main window is held meanwhile,
    // but not the result window it owns.
    void closingDuringTheRun()
    {
        SimulatorProcess sim(test::demoAccount(1000) + QStringList{u"--delay-ms"_s, u"300"_s});
        QVERIFY(sim.connect(m_state->Gateway()));
        MessageBoxResponder boxes(vbYes);
        groupItem(u"Amis"_s)->trigger();
        groupItem(u"Travail"_s)->trigger();
        child<QPlainTextEdit>(u"TextSMS")->setPlainText(u"Bonjour"_s);
        m_main->show();
        bool held = false;
        QTimer::singleShot(450, this, [&] {
            held = !m_main->centralWidget()->isEnabled() && !m_main->statusBar()->isEnabled() &&
                   m_form->envoiMailing()->isEnabled();
            m_main->close();
        });
        QTest::mouseClick(child<QPushButton>(u"CommandEnvoyer"), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(m_shutdowns, 1, 10000);
        QVERIFY(held);
        QCOMPARE(boxes.shown().last().text,
                 u"Un SMS Mailing est en cours d'envoi.\n\nVoulez-vous l'arrêter après le SMS "
                 u"en cours et quitter Parlevo ?"_s);
        const qsizetype sent = sim.outbox().size();
        QVERIFY2(sent >= 1 && sent < 3, qPrintable(QString::number(sent)));
        // The rows never started are there too, as not sent.
        QCOMPARE(m_form->envoiMailing()->results()->rowCount(), 3);
        QCOMPARE(m_form->envoiMailing()->lastRun().rows.back().outcome, SendOutcome::NotSent);
        QCOMPARE(m_soldeQueries, 0);
    }

    // The cost is each row's own merged text, coding and parts: one Unicode name makes its row
    // two SMS, not the whole list. The credit warning, the cost line, the question and the window's
    // line all give that sum.
    void exactCostAndCredit()
    {
        addContact(u"Amis"_s, u"Françoise"_s, u"0633333333"_s);
        MessageBoxResponder boxes(vbNo);
        groupItem(u"Amis"_s)->trigger();
        groupItem(u"Travail"_s)->trigger();
        // "De : Paul, Bonjour <nom>, " and 50 "a": 80 characters for Françoise in Unicode (2 SMS);
        // 76 or 77 in GSM for Dupont, Bernard and Martin (1 SMS each).
        child<QPlainTextEdit>(u"TextSMS")->setPlainText(u"Bonjour {nom}, "_s + QString(50, u'a'));
        const QString cost = u"5 SMS pour 4 destinataire(s) ; 1 en Unicode (M. Françoise Jean)"_s;
        QTRY_COMPARE(child<QLabel>(u"LabelCout")->text(), cost);
        const QString question =
            cost + u"\n\nAttention, vous allez envoyer 5 SMS !\n\nEtes-vous sûr de vouloir continuer ?"_s;
        const auto asked = [&] {
            QTest::mouseClick(child<QPushButton>(u"CommandEnvoyer"), Qt::LeftButton);
            return boxes.shown().last().text;
        };
        m_solde = u"5"_s;
        m_main->MAJ_SoldeSMS();
        QCOMPARE(asked(), question);
        m_solde = u"4"_s;
        m_main->MAJ_SoldeSMS();
        QCOMPARE(asked(),
                 u"Votre crédit de 4 SMS ne suffit pas pour ce SMS Mailing, qui en demande 5.\n\n"_s + question);
        m_solde.clear();
        m_main->MAJ_SoldeSMS();
        QCOMPARE(asked(), question);
        QVERIFY(m_form->envoiMailing() == nullptr);
    }

    // The list test_cli_mailing sends too: the same rows left out, and the question's figures and
    // credit warning those of the rows sent.
    void planOfTheSharedList()
    {
        SimulatorProcess sim(test::demoAccount(1000));
        QVERIFY(sim.connect(m_state->Gateway()));
        m_state->addressBook().optOuts().add(u"0687654321"_s);
        MessageBoxResponder boxes(vbOK);
        FileDialog::setNextFileName(test::fixturePath(u"mailing_plan.kxg"_s));
        m_form->addMenu()->findChild<QAction *>(u"MNU_ChargerMailing"_s)->trigger();
        QCOMPARE(rows(), 5);
        child<QLineEdit>(u"TextExpediteur")->setText(QString());
        child<QPlainTextEdit>(u"TextSMS")->setPlainText(u"Bonjour {prenom}, "_s + QString(60, u'a'));
        m_solde = u"3"_s;
        m_main->MAJ_SoldeSMS();
        test::whenModalShown<Form_VerifNumeros>(
            [](Form_VerifNumeros *question) { test::child<QPushButton>(question, u"CMD_UneFois")->click(); });
        boxes.setNextAnswers({vbYes});
        QTest::mouseClick(child<QPushButton>(u"CommandEnvoyer"), Qt::LeftButton);
        QCOMPARE(boxes.shown().last().text,
                 u"Votre crédit de 3 SMS ne suffit pas pour ce SMS Mailing, qui en demande 4.\n\n"
                 u"1 destinataire(s) sans valeur pour un champ du message : Sansnom\n\n"
                 u"4 SMS pour 3 destinataire(s) ; 1 en Unicode (Martin Françoise)\n\n"
                 u"Attention, vous allez envoyer 4 SMS !\n\nEtes-vous sûr de vouloir continuer ?"_s);
        QTRY_VERIFY_WITH_TIMEOUT(!m_form->isRunning(), 20000);
        const QString sent = u"Le message a été envoyé"_s;
        QCOMPARE(test::columnTexts(*m_form->envoiMailing()->results(), 1),
                 (QStringList{sent, sent, u"doublon, non envoyé"_s, sent, u"désinscrit, non envoyé"_s}));
    }

    // Commercial SMS outside the allowed hours: "Oui" defers the mailing to the next allowed time,
    // after which only the send question comes, warning of a message without STOP.
    void commercialHours()
    {
        m_state->config().CommercialSms = true;
        setSendingClock([] { return QDateTime(QDate(2027, 2, 6), QTime(20, 30)); });
        MessageBoxResponder boxes(vbNo);
        groupItem(u"Travail"_s)->trigger();
        for (int round = 0; round < 2; ++round) {
            boxes.clear();
            boxes.setNextAnswers(round == 0 ? QList<int>{vbYes} : QList<int>{});
            QTest::mouseClick(child<QPushButton>(u"CommandEnvoyer"), Qt::LeftButton);
            QCOMPARE(boxes.shown().size(), round == 0 ? 2 : 1);
            QVERIFY(boxes.shown().last().text.startsWith(m_state->Textes(Txt::NoStopWord)));
            QCOMPARE(m_form->Build_Differer(), u"080008022027"_s);
        }
    }
};

QTEST_MAIN(TestFormMailing)
#include "test_form_mailing.moc"
