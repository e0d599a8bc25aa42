#include "gateway/pagetext.h"
#include "gatewaymodel.h"
#include "outbox.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>
#include <QTimeZone>

using namespace Qt::StringLiterals;

using namespace parlevo::sim;

namespace {

const QDateTime kNow(QDate(2026, 3, 14), QTime(10, 30));

SendRequest valid(const QString &message = u"Bonjour"_s)
{
    return {u"a@x.test"_s, u"pw"_s, u"0612345678"_s, message, QString()};
}

GatewayModel modelWithCredit(qint64 credit)
{
    GatewayModel model;
    model.addAccount({u"a@x.test"_s, u"pw"_s, credit});
    return model;
}

} // namespace

class TestGatewayModel : public QObject {
    Q_OBJECT
private slots:
    // Each row breaks two rules at once: the one checked first must give the code.
    void checksInDocumentedOrder_data()
    {
        QTest::addColumn<QString>("email");
        QTest::addColumn<QString>("pass");
        QTest::addColumn<QString>("numero");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("diff");
        QTest::addColumn<qint64>("credit");
        QTest::addColumn<int>("code");
        // clang-format off
        QTest::newRow("87 before 88") << "" << "" << "1" << "" << "x" << 0LL << 87;
        QTest::newRow("88 before 82") << "a@x.test" << "" << "" << "" << "" << 5LL << 88;
        QTest::newRow("82 unknown account before 89") << "b@x.test" << "pw" << "" << "" << "" << 5LL << 82;
        QTest::newRow("82 wrong password before 89") << "a@x.test" << "PW" << "" << "" << "" << 5LL << 82;
        QTest::newRow("89 before 84 and 90") << "a@x.test" << "pw" << "" << "" << "" << 5LL << 89;
        QTest::newRow("84 short before 90") << "a@x.test" << "pw" << "061234567" << "" << "" << 5LL << 84;
        QTest::newRow("84 sixteen digits") << "a@x.test" << "pw" << "0612345678901234" << "m" << "" << 5LL << 84;
        QTest::newRow("84 plus sign") << "a@x.test" << "pw" << "+33612345678" << "m" << "" << 5LL << 84;
        QTest::newRow("90 before 85") << "a@x.test" << "pw" << "0612345678" << "" << "99" << 5LL << 90;
        QTest::newRow("85 before 83") << "a@x.test" << "pw" << "0612345678" << "m" << "99" << 0LL << 85;
        QTest::newRow("85 past time") << "a@x.test" << "pw" << "0612345678" << "m" << "102914032026" << 5LL << 85;
        QTest::newRow("85 this very minute") << "a@x.test" << "pw" << "0612345678" << "m" << "103014032026" << 5LL << 85;
        QTest::newRow("83 no credit") << "a@x.test" << "pw" << "0612345678" << "m" << "" << 0LL << 83;
        QTest::newRow("80 fifteen digits") << "a@x.test" << "pw" << "061234567890123" << "m" << "" << 1LL << 80;
        QTest::newRow("81 next minute") << "a@x.test" << "pw" << "0612345678" << "m" << "103114032026" << 1LL << 81;
        // clang-format on
    }
    void checksInDocumentedOrder()
    {
        QFETCH(QString, email);
        QFETCH(QString, pass);
        QFETCH(QString, numero);
        QFETCH(QString, message);
        QFETCH(QString, diff);
        QFETCH(qint64, credit);
        QFETCH(int, code);
        GatewayModel model = modelWithCredit(credit);
        QCOMPARE(model.send({email, pass, numero, message, diff}, kNow), code);
        QCOMPARE(model.balance(u"a@x.test"_s, u"pw"_s), code >= 80 && code <= 81 ? credit - 1 : credit);
    }

    void duplicateWithin24HoursIsRefusedAfterCreditCheck()
    {
        GatewayModel model = modelWithCredit(2);
        AcceptedMessage accepted;
        QCOMPARE(model.send(valid(), kNow, &accepted), 80);
        QCOMPARE(accepted.text, u"Bonjour"_s);
        QCOMPARE(model.send(valid(), kNow.addSecs(3600), &accepted), 91);
        QCOMPARE(model.send(valid(u"Bonjour!"_s), kNow.addSecs(3600)), 80);
        QCOMPARE(model.balance(u"a@x.test"_s, u"pw"_s), 0);
        // No credit left: 83 is checked before the duplicate.
        QCOMPARE(model.send(valid(), kNow.addSecs(3600)), 83);
        model.addAccount({u"a@x.test"_s, u"pw"_s, 5});
        QCOMPARE(model.send(valid(), kNow.addSecs(24 * 3600 - 1)), 91);
        QCOMPARE(model.send(valid(), kNow.addSecs(24 * 3600)), 80);
    }

    void deferredAcceptanceCarriesItsDueTime()
    {
        GatewayModel model = modelWithCredit(3);
        AcceptedMessage accepted;
        QCOMPARE(model.send({u"a@x.test"_s, u"pw"_s, u"0612345678"_s, u"m"_s, u"090501022027"_s}, kNow, &accepted), 81);
        QCOMPARE(accepted.dueAt, QDateTime(QDate(2027, 2, 1), QTime(9, 5)));
        QCOMPARE(accepted.deferred, u"090501022027"_s);

        model.schedule(accepted);
        QVERIFY(model.takeDue(accepted.dueAt.addSecs(-1)).isEmpty());
        const QList<AcceptedMessage> due = model.takeDue(accepted.dueAt);
        QCOMPARE(due.size(), 1);
        QCOMPARE(due.first().text, u"m"_s);
        QVERIFY(model.takeDue(accepted.dueAt.addDays(1)).isEmpty());
    }

    // Impossible dates and times (also refused with 85 by send).
    void parseDeferred()
    {
        QCOMPARE(*parlevo::sim::parseDeferred(u"140503032004"_s), QDateTime(QDate(2004, 3, 3), QTime(14, 5)));
        QVERIFY(!parlevo::sim::parseDeferred(u"14050303200"_s));
        QVERIFY(!parlevo::sim::parseDeferred(u"1405030320044"_s));
        QVERIFY(!parlevo::sim::parseDeferred(u"14h503032004"_s));
        QVERIFY(!parlevo::sim::parseDeferred(u"146003032004"_s));
        QVERIFY(!parlevo::sim::parseDeferred(u"240001012027"_s));
        QVERIFY(!parlevo::sim::parseDeferred(u"140529022027"_s));
        QVERIFY(parlevo::sim::parseDeferred(u"140529022028"_s));
    }

    void groupThousands_data()
    {
        QTest::addColumn<qint64>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("999") << 999LL << "999";
        QTest::newRow("1000") << 1000LL << "1 000";
        QTest::newRow("1234567") << 1234567LL << "1 234 567";
    }
    void groupThousands()
    {
        QFETCH(qint64, value);
        QFETCH(QString, text);
        QCOMPARE(parlevo::sim::groupThousands(value), text);
    }

    void balancePageVisibleText()
    {
        QCOMPARE(parlevo::pageText(balancePage(1250), "text/html; charset=utf-8"),
                 u"Sendora\nVotre crédit est de 1 250 SMS."_s);
        const QString unknown = parlevo::pageText(balancePage(std::nullopt), "text/html; charset=utf-8");
        QVERIFY(!unknown.contains(u"Votre crédit est de"));
        QVERIFY(!unknown.contains(u"SMS."));
    }

    void accountSpecs()
    {
        const auto a = parseAccountText(u"a@x.test:pa:ss:12"_s);
        QVERIFY(a);
        QCOMPARE(a->email, u"a@x.test"_s);
        QCOMPARE(a->password, u"pa:ss"_s);
        QCOMPARE(a->credit, 12);
        QVERIFY(!parseAccountText(u"a@x.test:12"_s));
        QVERIFY(!parseAccountText(u":pw:12"_s));
        QVERIFY(!parseAccountText(u"a@x.test:pw:-1"_s));
        QVERIFY(!parseAccountText(u"a@x.test:pw:lots"_s));
    }

    void accountsJson()
    {
        QString error;
        const auto accounts = parseAccountsJson(
            R"({"accounts": [{"email": "a@x.test", "password": "pw", "credit": 3}, {"email": "b@x.test", "credit": 0}]})",
            &error);
        QVERIFY(accounts);
        QCOMPARE(accounts->size(), 2);
        QCOMPARE(accounts->at(0).password, u"pw"_s);
        QCOMPARE(accounts->at(1).credit, 0);
        QVERIFY(!parseAccountsJson(R"([{"email": "a@x.test"}])", &error));
        QVERIFY(!parseAccountsJson("[{", &error));
        QVERIFY(!error.isEmpty());
    }

    void outboxLine()
    {
        const AcceptedMessage m{QDateTime(QDate(2026, 3, 14), QTime(10, 30), QTimeZone::utc()),
                                u"a@x.test"_s,
                                u"0612345678"_s,
                                u"a&b\né"_s,
                                QString(),
                                80,
                                QDateTime()};
        const QJsonObject o = QJsonDocument::fromJson(Outbox::line(m, u"sent"_s, m.received)).object();
        QCOMPARE(o.value(u"received").toString(), u"2026-03-14T10:30:00.000Z"_s);
        QCOMPARE(o.value(u"text").toString(), u"a&b\né"_s);
        QCOMPARE(o.value(u"code").toInt(), 80);
        QCOMPARE(o.value(u"status").toString(), u"sent"_s);
        QVERIFY(Outbox::line(m, u"sent"_s, m.received).endsWith("}\n"));
    }
};

QTEST_GUILESS_MAIN(TestGatewayModel)
#include "test_gatewaymodel.moc"
