#include "app/appstate.h"
#include "app/mdiformmain.h"
#include "app/startup.h"
#include "gateway/classsendora.h"
#include "prefs/formprefs.h"
#include "testdatadir.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <memory>

using namespace parlevo;

namespace {

QLineEdit *edit(QWidget &form, const QString &name)
{
    return form.findChild<QLineEdit *>(name);
}

QCheckBox *column(QWidget &form, int index)
{
    return form.findChild<QCheckBox *>(u"CheckColonnes(%1)"_qs.arg(index));
}

} // namespace

class TestPrefs : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<test::TestDataDir> m_dir;
    std::unique_ptr<AppState> m_state;
    std::unique_ptr<Form_Prefs> m_form;

private slots:
    void init()
    {
        m_dir = std::make_unique<test::TestDataDir>();
        m_state = std::make_unique<AppState>(m_dir->path());
        m_state->Gateway().Mail = u"jean@example.fr"_qs;
        m_state->Gateway().Password = u"secret"_qs;
        m_state->config().Expediteur = u"Jean"_qs;
        m_form = std::make_unique<Form_Prefs>(*m_state);
        m_form->resize(600, 600);
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
        m_form->Init();
    }

    void cleanup()
    {
        m_form.reset();
        m_state.reset();
        m_dir.reset();
    }

    void initShowsTheValuesInForce()
    {
        // The two field captions get their colon here.
        QCOMPARE(m_form->findChild<QLabel *>(u"LabelSendoraMail"_qs)->text(), u"Adresse e-mail :"_qs);
        QCOMPARE(m_form->findChild<QLabel *>(u"LabelSendoraPassword"_qs)->text(), u"Mot de passe :"_qs);
        QCOMPARE(edit(*m_form, u"TextExpediteur"_qs)->text(), u"Jean"_qs);
        QCOMPARE(edit(*m_form, u"Text_SendoraMail"_qs)->text(), u"jean@example.fr"_qs);
        QLineEdit *password = edit(*m_form, u"Text_SendoraPassword"_qs);
        QCOMPARE(password->text(), u"secret"_qs);
        QCOMPARE(password->displayText(), u"******"_qs);
    }

    void typingAppliesAtOnce()
    {
        QLineEdit *mail = edit(*m_form, u"Text_SendoraMail"_qs);
        mail->clear();
        QCOMPARE(m_state->Gateway().Mail, QString());
        QTest::keyClicks(mail, u"ab"_qs);
        QCOMPARE(m_state->Gateway().Mail, u"ab"_qs);
        QTest::keyClick(mail, Qt::Key_Backspace);
        QCOMPARE(m_state->Gateway().Mail, u"a"_qs);

        QLineEdit *password = edit(*m_form, u"Text_SendoraPassword"_qs);
        QTest::keyClicks(password, u"42"_qs);
        QCOMPARE(m_state->Gateway().Password, u"secret42"_qs);

        QLineEdit *sender = edit(*m_form, u"TextExpediteur"_qs);
        sender->clear();
        QTest::keyClicks(sender, u"0612"_qs);
        QCOMPARE(m_state->config().Expediteur, u"0612"_qs);
    }

    void columnBoxesSetTheirFlag_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("flag");
        QTest::addColumn<QString>("caption");
        // Flags by their index in Config's declaration order below. The box shows the flag in
        // force, so a box showing the wrong one would set the wrong value when clicked.
        QTest::newRow("Group") << 0 << 0 << u"Groupe"_qs;
        QTest::newRow("Company") << 1 << 1 << u"Société"_qs;
        QTest::newRow("FullName") << 2 << 3 << u"Nom complet"_qs;
        QTest::newRow("Title") << 3 << 2 << u"Titre"_qs;
        QTest::newRow("FirstName") << 4 << 4 << u"Prénom"_qs;
        QTest::newRow("LastName") << 5 << 5 << u"Nom"_qs;
        QTest::newRow("GSM") << 6 << 6 << u"N° de GSM"_qs;
    }
    void columnBoxesSetTheirFlag()
    {
        QFETCH(int, index);
        QFETCH(int, flag);
        QFETCH(QString, caption);
        const auto flags = [this] {
            const Config &c = m_state->config();
            return QList<bool>{c.ColumnGroup,     c.ColumnCompany,  c.ColumnTitle, c.ColumnFullName,
                               c.ColumnFirstName, c.ColumnLastName, c.ColumnGSM};
        };
        const QList<bool> before = flags();
        QCheckBox *box = column(*m_form, index);
        QCOMPARE(box->text(), caption);
        QCOMPARE(box->isChecked(), before[flag]);
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
        QList<bool> expected = before;
        expected[flag] = !before[flag];
        QCOMPARE(flags(), expected);
        QCOMPARE(box->isChecked(), expected[flag]);
    }

    void showingAgainShowsCurrentValues()
    {
        QTest::keyClicks(edit(*m_form, u"TextExpediteur"_qs), u" typed"_qs);
        m_state->config().Expediteur = u"Paul"_qs;
        m_state->Gateway().Mail = u"paul@example.fr"_qs;
        m_state->Gateway().Password.clear();
        m_state->config().ColumnGSM = false;
        m_state->config().ColumnTitle = true;
        m_form->Init();
        QCOMPARE(edit(*m_form, u"TextExpediteur"_qs)->text(), u"Paul"_qs);
        QCOMPARE(edit(*m_form, u"Text_SendoraMail"_qs)->text(), u"paul@example.fr"_qs);
        QCOMPARE(edit(*m_form, u"Text_SendoraPassword"_qs)->text(), QString());
        QVERIFY(!column(*m_form, 6)->isChecked());
        QVERIFY(column(*m_form, 3)->isChecked());
        // Loading the boxes wrote the same values back, nothing else.
        QCOMPARE(m_state->config().Expediteur, u"Paul"_qs);
        QCOMPARE(m_state->Gateway().Mail, u"paul@example.fr"_qs);
        QVERIFY(!m_state->config().ColumnGSM);
        QVERIFY(m_state->config().ColumnTitle);
    }

    void changesReachTheFileAtShutdown()
    {
        m_form.reset();
        test::TestDataDir dir;
        {
            Application application(dir.path());
            QVERIFY(application.start());
            MDIForm_Main *main = application.mainWindow();
            QVERIFY(QTest::qWaitForWindowExposed(main));
            main->KXB_Prefs_Click();
            auto *prefs = main->findChild<Form_Prefs *>(u"Form_Prefs"_qs);
            QVERIFY(prefs->isVisible());
            QCheckBox *gsm = column(*prefs, 6);
            QVERIFY(gsm->isChecked());
            QTest::mouseClick(gsm, Qt::LeftButton, {}, QPoint(6, gsm->height() / 2));
            QTest::keyClicks(edit(*prefs, u"Text_SendoraMail"_qs), u"marie@example.fr"_qs);
            QTest::keyClicks(edit(*prefs, u"TextExpediteur"_qs), u"Marie"_qs);
            application.AppShutdown();
            QTRY_VERIFY(!application.mainWindow());
        }
        const QByteArray file = dir.read(u"Parlevo.cfg"_qs);
        QVERIFY2(file.contains("Column_GSM=False"), file.constData());
        QVERIFY(file.contains("Column_Group=True"));
        QVERIFY(file.contains("E-mail=marie@example.fr"));
        QVERIFY(file.contains("From=Marie"));
    }
};

QTEST_MAIN(TestPrefs)
#include "test_prefs.moc"
