#include "gateway/classsendora.h"
#include "prefs/formprefs.h"
#include "testdatadir.h"
#include "testparts.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

using namespace parlevo;

namespace {

QLineEdit *edit(QWidget &form, const QString &name)
{
    return form.findChild<QLineEdit *>(name);
}

QCheckBox *column(QWidget &form, int index)
{
    return form.findChild<QCheckBox *>(u"CheckColonnes(%1)"_s.arg(index));
}

} // namespace

class TestPrefs : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<test::TestDataDir> m_dir;
    std::unique_ptr<test::Parts> m_parts;
    std::unique_ptr<Form_Prefs> m_form;

private slots:
    void init()
    {
        m_dir = std::make_unique<test::TestDataDir>();
        m_parts = std::make_unique<test::Parts>(m_dir->path());
        m_parts->gateway.Mail = u"jean@example.fr"_s;
        m_parts->gateway.Password = u"secret"_s;
        m_parts->config.Expediteur = u"Jean"_s;
        m_form = std::make_unique<Form_Prefs>(m_parts->basics(), m_parts->gateway);
        m_form->resize(600, 600);
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
        m_form->Init();
    }

    void cleanup()
    {
        m_form.reset();
        m_parts.reset();
        m_dir.reset();
    }

    void initShowsTheValuesInForce()
    {
        QCOMPARE(edit(*m_form, u"TextExpediteur"_s)->text(), u"Jean"_s);
        QCOMPARE(edit(*m_form, u"Text_SendoraMail"_s)->text(), u"jean@example.fr"_s);
        QLineEdit *password = edit(*m_form, u"Text_SendoraPassword"_s);
        QCOMPARE(password->text(), u"secret"_s);
        QCOMPARE(password->displayText(), u"******"_s);
    }

    void typingAppliesAtOnce()
    {
        QLineEdit *mail = edit(*m_form, u"Text_SendoraMail"_s);
        mail->clear();
        QCOMPARE(m_parts->gateway.Mail, QString());
        QTest::keyClicks(mail, u"ab"_s);
        QCOMPARE(m_parts->gateway.Mail, u"ab"_s);
        QTest::keyClick(mail, Qt::Key_Backspace);
        QCOMPARE(m_parts->gateway.Mail, u"a"_s);

        QLineEdit *password = edit(*m_form, u"Text_SendoraPassword"_s);
        QTest::keyClicks(password, u"42"_s);
        QCOMPARE(m_parts->gateway.Password, u"secret42"_s);

        QLineEdit *sender = edit(*m_form, u"TextExpediteur"_s);
        sender->clear();
        QTest::keyClicks(sender, u"0612"_s);
        QCOMPARE(m_parts->config.Expediteur, u"0612"_s);
    }

    // The proxy's four fields show the preference and change it as they are typed in.
    void proxyFields()
    {
        m_parts->gateway.Proxy = {u"proxy.lan"_s, 3128, u"me"_s, u"pw"_s};
        m_form->Init();
        QCOMPARE(edit(*m_form, u"TextProxyHost"_s)->text(), u"proxy.lan"_s);
        QCOMPARE(edit(*m_form, u"TextProxyPort"_s)->text(), u"3128"_s);
        QCOMPARE(edit(*m_form, u"TextProxyUser"_s)->text(), u"me"_s);
        QLineEdit *password = edit(*m_form, u"TextProxyPassword"_s);
        QCOMPARE(password->displayText(), u"**"_s);
        QTest::keyClicks(password, u"d"_s);
        QLineEdit *port = edit(*m_form, u"TextProxyPort"_s);
        port->clear();
        QTest::keyClicks(port, u"8x0"_s); // no letter gets in
        QVERIFY((m_parts->gateway.Proxy == ProxySetting{u"proxy.lan"_s, 80, u"me"_s, u"pwd"_s}));
        edit(*m_form, u"TextProxyHost"_s)->clear();
        QVERIFY(!m_parts->gateway.Proxy.isSet());
    }

    // The mailing's pace and requests at once: shown from the configuration, changed at once,
    // the requests kept within 1 to 8.
    void mailingPaceBoxes()
    {
        m_parts->config.MaxSmsPerMinute = 30;
        m_parts->config.ParallelRequests = 4;
        m_form->Init();
        auto *perMinute = m_form->findChild<QSpinBox *>(u"TextSmsParMinute"_s);
        auto *parallel = m_form->findChild<QSpinBox *>(u"TextRequetesSimultanees"_s);
        QCOMPARE(perMinute->value(), 30);
        QCOMPARE(parallel->value(), 4);
        perMinute->selectAll();
        QTest::keyClicks(perMinute, u"120"_s);
        QCOMPARE(m_parts->config.MaxSmsPerMinute, 120);
        parallel->selectAll();
        QTest::keyClicks(parallel, u"9"_s);
        QCOMPARE(m_parts->config.ParallelRequests, 4);
        QTest::keyClick(parallel, Qt::Key_Down);
        QCOMPARE(m_parts->config.ParallelRequests, 3);
    }

    void columnBoxesSetTheirFlag_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("flag");
        QTest::addColumn<QString>("caption");
        // Flags by their index in Config's declaration order below. The box shows the flag in
        // force, so a box showing the wrong one would set the wrong value when clicked.
        QTest::newRow("Group") << 0 << 0 << u"Groupe"_s;
        QTest::newRow("Company") << 1 << 1 << u"Société"_s;
        QTest::newRow("FullName") << 2 << 3 << u"Nom complet"_s;
        QTest::newRow("Title") << 3 << 2 << u"Titre"_s;
        QTest::newRow("FirstName") << 4 << 4 << u"Prénom"_s;
        QTest::newRow("LastName") << 5 << 5 << u"Nom"_s;
        QTest::newRow("GSM") << 6 << 6 << u"N° de GSM"_s;
    }
    void columnBoxesSetTheirFlag()
    {
        QFETCH(int, index);
        QFETCH(int, flag);
        QFETCH(QString, caption);
        const auto flags = [this] {
            const Config &c = m_parts->config;
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
        QTest::keyClicks(edit(*m_form, u"TextExpediteur"_s), u" typed"_s);
        m_parts->config.Expediteur = u"Paul"_s;
        m_parts->gateway.Mail = u"paul@example.fr"_s;
        m_parts->gateway.Password.clear();
        m_parts->config.ColumnGSM = false;
        m_parts->config.ColumnTitle = true;
        m_form->Init();
        QCOMPARE(edit(*m_form, u"TextExpediteur"_s)->text(), u"Paul"_s);
        QCOMPARE(edit(*m_form, u"Text_SendoraMail"_s)->text(), u"paul@example.fr"_s);
        QCOMPARE(edit(*m_form, u"Text_SendoraPassword"_s)->text(), QString());
        QVERIFY(!column(*m_form, 6)->isChecked());
        QVERIFY(column(*m_form, 3)->isChecked());
        // Loading the boxes wrote the same values back, nothing else.
        QCOMPARE(m_parts->config.Expediteur, u"Paul"_s);
        QCOMPARE(m_parts->gateway.Mail, u"paul@example.fr"_s);
        QVERIFY(!m_parts->config.ColumnGSM);
        QVERIFY(m_parts->config.ColumnTitle);
    }
};

QTEST_MAIN(TestPrefs)
#include "test_prefs.moc"
