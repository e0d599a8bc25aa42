// ClassSendora against the real gateway simulator on loopback.
#include "base/messagebox.h"
#include "base/textes.h"
#include "base/txt.h"
#include "gateway/classsendora.h"
#include "gateway/httpclient.h"
#include "gatewaywait.h"
#include "messageboxresponder.h"
#include "simulatorprocess.h"
#include "testdatadir.h"
#include "wine.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QScopeGuard>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslError>
#include <QSslKey>
#include <QSslServer>
#include <QTcpServer>
#include <QTest>
#include <QTimer>

#include <functional>
#include <optional>

using namespace Qt::StringLiterals;

using namespace parlevo;
using parlevo::test::MessageBoxResponder;
using parlevo::test::SimulatorProcess;

namespace {

// Wine's Schannel completes a TLS handshake but cannot give the server's certificate
// (SECPKG_ATTR_REMOTE_CERT_CONTEXT), so Qt ends every TLS connection there. Windows can.
constexpr char kWineTls[] = "Wine's Schannel cannot give the server's certificate";

using parlevo::test::demoAccount;
using parlevo::test::kDemoMail;
using parlevo::test::kDemoPassword;

// A deferred value one day ahead: hhmmDDMMYYYY.
QString tomorrow()
{
    return QDateTime::currentDateTime().addDays(1).toString(u"HHmmddMMyyyy"_s);
}

QString failure(const QString &detail)
{
    return u"Votre envoi de SMS a échoué à cause de :\r\n"_s + detail;
}

// The loopback certificate, valid for 127.0.0.1, issued by itself.
QSslCertificate loopbackCertificate()
{
    return QSslCertificate(parlevo::test::fixtureBytes(u"tls_loopback.crt"_s));
}

// A redirect's status and Location; for status 200, the body of a final answer.
using Move = std::pair<int, QByteArray>;

// A server on loopback that answers every request with a redirect to where `to` says, and
// keeps the targets it was asked for; over TLS with the loopback certificate when asked.
class Redirector final {
public:
    // The Location header for a request target, with the status to answer it with.
    using Route = std::function<Move(const QByteArray &target)>;

    Redirector(bool tls, Route to)
        : m_route(std::move(to))
    {
        if (tls) {
            auto server = std::make_unique<QSslServer>();
            QSslConfiguration config = QSslConfiguration::defaultConfiguration();
            config.setLocalCertificate(loopbackCertificate());
            config.setPrivateKey(QSslKey(parlevo::test::fixtureBytes(u"tls_loopback.key"_s), QSsl::Rsa));
            server->setSslConfiguration(config);
            m_server = std::move(server);
        } else {
            m_server = std::make_unique<QTcpServer>();
        }
        m_server->listen(QHostAddress::LocalHost);
        QObject::connect(m_server.get(), &QTcpServer::pendingConnectionAvailable, m_server.get(), [this] {
            while (QTcpSocket *socket = m_server->nextPendingConnection())
                serve(socket);
        });
    }

    QUrl url() const
    {
        return QUrl((m_server->inherits("QSslServer") ? u"https://127.0.0.1:"_s : u"http://127.0.0.1:"_s) +
                    QString::number(m_server->serverPort()));
    }
    const QList<QByteArray> &targets() const { return m_targets; }

private:
    void serve(QTcpSocket *socket)
    {
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
            QByteArray &request = m_pending[socket];
            request += socket->readAll();
            // Every request is counted, a second one on the same connection too.
            for (qsizetype end; (end = request.indexOf("\r\n\r\n")) >= 0; request.remove(0, end + 4)) {
                const QByteArray target = request.split(' ').value(1);
                m_targets.append(target);
                const auto [status, location] = m_route(target);
                if (status == 200) {
                    socket->write("HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(location.size()) +
                                  "\r\nConnection: close\r\n\r\n" + location);
                } else {
                    socket->write("HTTP/1.1 " + QByteArray::number(status) + " Moved\r\nLocation: " + location +
                                  "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
                }
            }
            socket->disconnectFromHost();
        });
        QObject::connect(socket, &QTcpSocket::disconnected, socket, [this, socket] {
            // Its address may come back for the next connection.
            m_pending.remove(socket);
            socket->deleteLater();
        });
    }

    Route m_route;
    std::unique_ptr<QTcpServer> m_server;
    QHash<QTcpSocket *, QByteArray> m_pending;
    QList<QByteArray> m_targets;
};

// Sets the proxy variables for one test and clears them again.
class ProxyEnvironment final {
public:
    ProxyEnvironment(const char *name, const QByteArray &value)
        : m_name(name)
    {
        qputenv(name, value);
    }
    ~ProxyEnvironment() { qunsetenv(m_name); }
    Q_DISABLE_COPY_MOVE(ProxyEnvironment)

private:
    const char *m_name;
};

} // namespace

class TestClassSendora : public QObject {
    Q_OBJECT
private:
    TextTable m_textes;
    std::unique_ptr<ClassSendora> gatewayFor(const SimulatorProcess &sim, const QString &mail = kDemoMail,
                                             const QString &password = kDemoPassword)
    {
        auto gateway = std::make_unique<ClassSendora>(m_textes);
        sim.connect(*gateway);
        gateway->Mail = mail;
        gateway->Password = password;
        return gateway;
    }

private slots:
    // Every reply code end to end through Send_SMS, with the message box it shows (none when accepted).
    void sendReplyCodes_data()
    {
        QTest::addColumn<QStringList>("simArguments");
        QTest::addColumn<QString>("mail");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("numero");
        QTest::addColumn<QString>("differer");
        QTest::addColumn<bool>("sendTwice");
        QTest::addColumn<QString>("shown");
        const QString m = kDemoMail, p = kDemoPassword, n = u"0612345678"_s;
        QTest::newRow("80 sent") << demoAccount(5) << m << p << n << QString() << false << QString();
        QTest::newRow("81 deferred") << demoAccount(5) << m << p << n << tomorrow() << false << QString();
        QTest::newRow("82 wrong password") << demoAccount(5) << m << u"nope"_s << n << QString() << false
                                           << failure(u"(82) 'Le login et/ou mot de passe n'est pas valide'"_s);
        QTest::newRow("83 no credit") << demoAccount(0) << m << p << n << QString() << false
                                      << failure(u"(83) 'Vous devez créditer votre compte'"_s);
        QTest::newRow("84 number") << demoAccount(5) << m << p << u"061234"_s << QString() << false
                                   << failure(u"(84) 'Le numéro de gsm n'est pas valide'"_s);
        QTest::newRow("85 deferred format") << demoAccount(5) << m << p << n << u"250001012030"_s << false
                                            << failure(u"(85) 'Le format d'envoi en différé n'est pas valide'"_s);
        QTest::newRow("87 empty e-mail") << demoAccount(5) << QString() << p << n << QString() << false
                                         << failure(u"(87) 'La valeur email est vide'"_s);
        QTest::newRow("91 twice") << demoAccount(5) << m << p << n << QString() << true
                                  << failure(u"(91) 'Le message a déjà été envoyé à ce numéro dans les 24 dernières "
                                             u"heures'"_s);
        QTest::newRow("code above 100 is a refusal") << QStringList{u"--reply"_s, u"<html><body>150</body></html>"_s}
                                                     << m << p << n << QString() << false << failure(u"(150)"_s);
    }
    void sendReplyCodes()
    {
        QFETCH(QStringList, simArguments);
        QFETCH(QString, mail);
        QFETCH(QString, password);
        QFETCH(QString, numero);
        QFETCH(QString, differer);
        QFETCH(bool, sendTwice);
        QFETCH(QString, shown);
        SimulatorProcess sim(simArguments);
        QVERIFY(sim.isRunning());
        auto gateway = gatewayFor(sim, mail, password);
        MessageBoxResponder responder;
        if (sendTwice)
            QVERIFY(test::sendSmsAndWait(*gateway, numero, u"Bonjour"_s, differer, false));
        QCOMPARE(test::sendSmsAndWait(*gateway, numero, u"Bonjour"_s, differer, false), shown.isEmpty());
        if (shown.isEmpty()) {
            QVERIFY(responder.shown().isEmpty());
        } else {
            QCOMPARE(responder.shown().size(), 1);
            QCOMPARE(responder.shown().first().text, shown);
            QCOMPARE(responder.shown().first().style, int(vbOKOnly | vbCritical));
        }
    }

    // The codes themselves are shown by Send_SMS above; an empty message is refused before any credit check.
    void envoiRefusesAnEmptyMessage()
    {
        SimulatorProcess sim(demoAccount(0));
        QVERIFY(sim.isRunning());
        QCOMPARE(test::sendAndWait(*gatewayFor(sim), u"0612345678"_s, QString(), QString()).code, quint8(90));
    }

    void silentShowsNothing()
    {
        SimulatorProcess sim(demoAccount(0));
        QVERIFY(sim.isRunning());
        auto gateway = gatewayFor(sim);
        MessageBoxResponder responder;
        QVERIFY(!test::sendSmsAndWait(*gateway, u"0612345678"_s, u"Bonjour"_s, QString(), true));
        gateway->setBaseUrl(QUrl(u"http://127.0.0.1:1"_s));
        QVERIFY(!test::sendSmsAndWait(*gateway, u"0612345678"_s, u"Bonjour"_s, QString(), true));
        QVERIFY(responder.shown().isEmpty());
    }

    // The one slow test: the gateway answers after 7 s; the wait gives up after about 5 s,
    // with timers firing meanwhile. The request left, so the SMS may have been sent.
    void lateGatewayTimesOutWhileEventsRun()
    {
        SimulatorProcess sim(demoAccount(5) + QStringList{u"--delay-ms"_s, u"7000"_s});
        QVERIFY(sim.isRunning());
        auto gateway = gatewayFor(sim);
        MessageBoxResponder responder;
        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, this, [&ticks] { ++ticks; });
        ticker.start(100);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!test::sendSmsAndWait(*gateway, u"0612345678"_s, u"Bonjour"_s, QString(), false));
        const qint64 elapsed = clock.elapsed();
        // About 5 s: the upper bound leaves room for a loaded CI machine.
        QVERIFY2(elapsed >= 4500 && elapsed <= 6500, qPrintable(QString::number(elapsed)));
        QVERIFY2(ticks >= 30, qPrintable(QString::number(ticks)));
        QCOMPARE(responder.shown().size(), 1);
        QCOMPARE(
            responder.shown().first().text,
            failure(u"Pas de réponse complète à temps du serveur d'envoi de SMS : le SMS a peut-être été envoyé."_s));
    }

    // The answer's handler may keep a dialog open past the time a kept connection is reused, then
    // ask again, as the single SMS window does (its message, then the credit): the connection the
    // answer came on is then dropped, and nothing may still be running on it.
    void handlerMayWaitThenAskAgain()
    {
        SimulatorProcess sim(demoAccount(5));
        QVERIFY(sim.isRunning());
        auto gateway = gatewayFor(sim);
        std::optional<SendReply> told;
        QString credit;
        gateway->sendAsync(u"0612345678"_s, u"Bonjour"_s, QString(), [&](const SendReply &reply) {
            told = reply;
            QEventLoop dialog;
            QTimer::singleShot(HttpClient::kReuseIdleMs + 100, &dialog, &QEventLoop::quit);
            dialog.exec();
            gateway->Solde([&credit](const QString &answer) { credit = answer; });
        });
        QTRY_COMPARE_WITH_TIMEOUT(credit, u"4"_s, 10000);
        QCOMPARE(told->outcome, SendOutcome::Accepted);
        QCOMPARE(sim.outbox().size(), 1);
    }

    // A connection closed after the request may have carried the SMS; a closed port never did.
    void droppedConnectionOrClosedPortGivesZeroAtOnce()
    {
        SimulatorProcess sim(demoAccount(5) + QStringList{u"--drop-every"_s, u"1"_s});
        QVERIFY(sim.isRunning());
        auto gateway = gatewayFor(sim);
        QElapsedTimer clock;
        clock.start();
        const SendReply dropped = test::sendAndWait(*gateway, u"0612345678"_s, u"un"_s, QString());
        QCOMPARE(dropped.code, quint8(0));
        QCOMPARE(dropped.outcome, SendOutcome::Unknown);
        QCOMPARE(test::soldeAndWait(*gateway), QString());

        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        const quint16 port = closed.serverPort();
        closed.close();
        gateway->setBaseUrl(QUrl(u"http://127.0.0.1:"_s + QString::number(port)));
        const SendReply refused = test::sendAndWait(*gateway, u"0612345678"_s, u"quatre"_s, QString());
        QCOMPARE(refused.code, quint8(0));
        QCOMPARE(refused.outcome, SendOutcome::Unreachable);
        QCOMPARE(test::soldeAndWait(*gateway), QString());
        QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
    }

    // One send, one request: a gateway that accepts then drops the connection, answers until
    // its close, cuts its reply short of its length or sends an endless body gets every SMS once,
    // and only a complete answer counts as one.
    void oneRequestPerSend_data()
    {
        QTest::addColumn<QStringList>("mode");
        QTest::addColumn<SendOutcome>("outcome");
        QTest::addColumn<int>("code");
        QTest::newRow("accept then drop") << QStringList{u"--drop-after-accept"_s} << SendOutcome::Unknown << 0;
        QTest::newRow("close-delimited") << QStringList{u"--close-delimited"_s} << SendOutcome::Accepted << 80;
        QTest::newRow("cut reply") << QStringList{u"--cut-reply"_s} << SendOutcome::Unknown << 0;
        QTest::newRow("300 MB body") << QStringList{u"--body-bytes"_s, u"300000000"_s} << SendOutcome::Unknown << 0;
    }
    void oneRequestPerSend()
    {
        QFETCH(QStringList, mode);
        QFETCH(SendOutcome, outcome);
        SimulatorProcess sim(demoAccount(50) + mode + QStringList{u"--verbose"_s});
        QVERIFY(sim.isRunning());
        auto gateway = gatewayFor(sim);
        QElapsedTimer clock;
        clock.start();
        constexpr int kSends = 5;
        for (int i = 0; i < kSends; ++i) {
            const SendReply reply =
                test::sendAndWait(*gateway, u"061234567"_s + QString::number(i), u"Bonjour"_s, QString());
            QCOMPARE(reply.outcome, outcome);
            QTEST(int(reply.code), "code");
        }
        QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(sim.outbox().size(), kSends);
        QTRY_COMPARE(sim.log().count(u" GET "_s), kSends);
    }

    // A balance page in UTF-16 with its mark, or in Latin-1 declaring nothing, reads as a browser reads it.
    void balancePageEncodings_data()
    {
        QTest::addColumn<QString>("charset");
        QTest::newRow("utf-16") << u"utf-16"_s;
        QTest::newRow("latin-1, undeclared") << u"latin1"_s;
    }
    void balancePageEncodings()
    {
        QFETCH(QString, charset);
        SimulatorProcess sim(demoAccount(1250) + QStringList{u"--charset"_s, charset});
        QVERIFY(sim.isRunning());
        QCOMPARE(test::soldeAndWait(*gatewayFor(sim)), u"1250"_s);
    }

    // Quitting: a pending request ends at once, and nothing more goes to the gateway.
    void cancelledWaitReturnsAtOnce()
    {
        SimulatorProcess sim(demoAccount(5) + QStringList{u"--delay-ms"_s, u"3000"_s, u"--verbose"_s});
        QVERIFY(sim.isRunning());
        auto gateway = gatewayFor(sim);
        QTimer::singleShot(300, this, [&gateway] {
            QVERIFY(gateway->isBusy());
            gateway->cancelAll();
        });
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(test::sendAndWait(*gateway, u"0612345678"_s, u"un"_s, QString()).outcome, SendOutcome::Unknown);
        QVERIFY2(clock.elapsed() < 1500, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(!gateway->isBusy());
        QCOMPARE(test::sendAndWait(*gateway, u"0612345678"_s, u"deux"_s, QString()).outcome, SendOutcome::Unreachable);
        QTRY_COMPARE(sim.log().count(u" GET "_s), 1);
    }

    void specialCharactersArriveUnchanged()
    {
        const QString password = u"p&ss#w+rd=é :"_s;
        SimulatorProcess sim({u"--account"_s, kDemoMail + u':' + password + u":5"_s});
        QVERIFY(sim.isRunning());
        auto gateway = gatewayFor(sim, kDemoMail, password);
        const QString message = u"Tom & Jerry #1 + 2 = 3\nCafé 100% ~ ok?"_s;
        QCOMPARE(test::sendAndWait(*gateway, u"0612345678"_s, message, QString()).code, quint8(80));
        QCOMPARE(sim.outboxField(u"text"_s), QStringList{message});
        QCOMPARE(sim.outboxField(u"number"_s), QStringList{u"0612345678"_s});
        QCOMPARE(test::soldeAndWait(*gateway), u"4"_s);
    }

    void soldeWithoutAccountMakesNoRequest()
    {
        SimulatorProcess sim(demoAccount(3) + QStringList{u"--verbose"_s});
        QVERIFY(sim.isRunning());
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(test::soldeAndWait(*gatewayFor(sim, kDemoMail, QString())), QString());
        QCOMPARE(test::soldeAndWait(*gatewayFor(sim, QString(), kDemoPassword)), QString());
        QVERIFY(clock.elapsed() < 100);
        // One request afterwards: the log holds it alone, so the two above made none.
        QCOMPARE(test::soldeAndWait(*gatewayFor(sim)), u"3"_s);
        QTRY_VERIFY(sim.log().contains(u" -> credit 3"_s));
        QCOMPARE(sim.log().count(u" GET "_s), 1);
    }

    // The minute's balance refresh fires during a pending send: each gets its own reply.
    void balanceQueryDuringPendingSend()
    {
        SimulatorProcess sim(demoAccount(500) + QStringList{u"--delay-ms"_s, u"1000"_s});
        QVERIFY(sim.isRunning());
        auto gateway = gatewayFor(sim);
        std::optional<QString> balance;
        std::optional<SendReply> sent;
        const auto askBalance = [&] { gateway->Solde([&](const QString &credit) { balance = credit; }); };
        const auto send = [&](const QString &text) {
            gateway->sendAsync(u"0612345678"_s, text, QString(), [&](const SendReply &reply) { sent = reply; });
        };
        send(u"Bonjour"_s);
        QTimer::singleShot(200, this, askBalance);
        QTRY_VERIFY_WITH_TIMEOUT(sent && balance, 4000);
        QCOMPARE(sent->code, quint8(80));
        // The send was debited when the gateway received it, before the balance query.
        QCOMPARE(*balance, u"499"_s);
        QCOMPARE(sim.outbox().size(), 1);

        // And the other way round: a send started during a pending balance query.
        sent.reset();
        balance.reset();
        askBalance();
        QTimer::singleShot(200, this, [&] { send(u"Encore"_s); });
        QTRY_VERIFY_WITH_TIMEOUT(sent && balance, 4000);
        QCOMPARE(*balance, u"499"_s);
        QCOMPARE(sent->code, quint8(80));
        QCOMPARE(test::soldeAndWait(*gateway), u"498"_s);
    }

    // A moved gateway is followed, to another port and by a relative address, up to three
    // redirects; the fourth is not, and the SMS then counts as possibly sent. The simulator
    // behind the last hop receives the request once at most.
    void redirects_data()
    {
        QTest::addColumn<int>("hops");
        QTest::addColumn<SendOutcome>("outcome");
        QTest::newRow("one hop") << 1 << SendOutcome::Accepted;
        QTest::newRow("three hops") << 3 << SendOutcome::Accepted;
        QTest::newRow("four hops refused") << 4 << SendOutcome::Unknown;
    }
    void redirects()
    {
        QFETCH(int, hops);
        QFETCH(SendOutcome, outcome);
        SimulatorProcess sim(demoAccount(5) + QStringList{u"--verbose"_s});
        QVERIFY(sim.isRunning());
        const QByteArray simBase = sim.baseUrl().toEncoded();
        const int statuses[] = {301, 302, 303, 307, 308};
        // "/h<i>/http.php?..." goes on to "../h<i+1>/http.php?..." and the last one to the simulator.
        Redirector second(false, [&](const QByteArray &target) {
            const int hop = target.mid(2, target.indexOf('/', 1) - 2).toInt();
            const QByteArray rest = target.mid(target.indexOf('/', 1));
            if (hop < hops - 1)
                return Move{statuses[hop % 5], "../h" + QByteArray::number(hop + 1) + rest};
            return Move{statuses[hop % 5], simBase + rest};
        });
        const QByteArray secondBase = second.url().toEncoded();
        Redirector first(false, [&](const QByteArray &target) {
            return Move{302, hops == 1 ? QByteArray(simBase + target) : QByteArray(secondBase + "/h1" + target)};
        });
        auto gateway = gatewayFor(sim);
        gateway->setBaseUrl(first.url());

        QCOMPARE(test::sendAndWait(*gateway, u"0612345678"_s, u"Bonjour"_s, QString()).outcome, outcome);
        QCOMPARE(first.targets().size(), 1);
        QVERIFY(first.targets().first().startsWith("/http.php?"));
        QCOMPARE(second.targets().size(), hops - 1);
        for (qsizetype i = 0; i < second.targets().size(); ++i) {
            QCOMPARE(second.targets().at(i), "/h" + QByteArray::number(i + 1) + first.targets().first());
        }
        const int delivered = outcome == SendOutcome::Accepted ? 1 : 0;
        QCOMPARE(sim.outboxField(u"number"_s), QStringList(delivered, u"0612345678"_s));
        QTRY_COMPARE(sim.log().count(u" GET "_s), delivered);
    }

    // A gateway reached over TLS that sends the request on in clear text is not followed.
    void redirectFromHttpsToHttpRefused()
    {
        if (parlevo::test::underWine())
            QSKIP(kWineTls);
        SimulatorProcess sim(demoAccount(5) + QStringList{u"--verbose"_s});
        QVERIFY(sim.isRunning());
        const QSslConfiguration previous = QSslConfiguration::defaultConfiguration();
        QSslConfiguration trusting = previous;
        trusting.addCaCertificate(loopbackCertificate());
        QSslConfiguration::setDefaultConfiguration(trusting);
        const auto restore = qScopeGuard([&] { QSslConfiguration::setDefaultConfiguration(previous); });

        const QByteArray simBase = sim.baseUrl().toEncoded();
        Redirector tls(true, [&](const QByteArray &target) { return Move{301, simBase + target}; });
        auto gateway = gatewayFor(sim);
        gateway->setBaseUrl(tls.url());
        const SendReply reply = test::sendAndWait(*gateway, u"0612345678"_s, u"Bonjour"_s, QString());
        // The TLS gateway was reached and asked once; its redirect went nowhere.
        QCOMPARE(tls.targets().size(), 1);
        QCOMPARE(reply.outcome, SendOutcome::Unknown);
        QCOMPARE(sim.outbox().size(), 0);
        QCOMPARE(sim.log().count(u" GET "_s), 0);
    }

    // A certificate the system does not trust stops the send before any request, and the user
    // reads why in Qt's words, in the message box and in the reply.
    void untrustedCertificateSaysWhy()
    {
        if (parlevo::test::underWine())
            QSKIP(kWineTls);
        Redirector tls(true, [](const QByteArray &) { return Move{302, "/"}; });
        ClassSendora gateway(m_textes);
        gateway.Mail = kDemoMail;
        gateway.Password = kDemoPassword;
        gateway.setBaseUrl(tls.url());
        const QString why = QSslError(QSslError::SelfSignedCertificate, loopbackCertificate()).errorString();
        const QString unreachable = u"Impossible de joindre le serveur d'envoi de SMS ! ("_s + why + u')';

        MessageBoxResponder responder;
        QVERIFY(!test::sendSmsAndWait(gateway, u"0612345678"_s, u"Bonjour"_s, QString(), false));
        QCOMPARE(responder.shown().size(), 1);
        QCOMPARE(responder.shown().first().text, failure(unreachable));

        std::optional<SendReply> reply;
        gateway.sendAsync(u"0612345678"_s, u"Bonjour"_s, QString(), [&](const SendReply &r) { reply = r; });
        QTRY_VERIFY(reply);
        QCOMPARE(reply->outcome, SendOutcome::Unreachable);
        QCOMPARE(reply->reason, why);
        QVERIFY(tls.targets().isEmpty());
    }

    // Through the simulator acting as a proxy, named by the preference or by http_proxy: one
    // request in absolute form with the proxy's credentials, one SMS. Wrong or missing credentials
    // get one 407, never asked again, and the user reads that the proxy refused.
    void plainSendThroughProxy_data()
    {
        QTest::addColumn<bool>("fromEnvironment");
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("preference") << false << u"me"_s << u"p@ss"_s << true;
        QTest::newRow("http_proxy") << true << u"me"_s << u"p%40ss"_s << true;
        QTest::newRow("wrong password") << false << u"me"_s << u"nope"_s << false;
        QTest::newRow("no credentials") << false << QString() << QString() << false;
    }
    void plainSendThroughProxy()
    {
        QFETCH(bool, fromEnvironment);
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(bool, accepted);
        SimulatorProcess sim(demoAccount(5) +
                             QStringList{u"--proxy"_s, u"--proxy-auth"_s, u"me:p@ss"_s, u"--verbose"_s});
        QVERIFY(sim.isRunning());
        const int port = sim.baseUrl().port();
        std::optional<ProxyEnvironment> variable;
        if (fromEnvironment)
            variable.emplace("http_proxy", (u"http://%1:%2@127.0.0.1:%3"_s.arg(user, password).arg(port)).toUtf8());
        auto gateway = gatewayFor(sim);
        if (!fromEnvironment)
            gateway->Proxy = {u"127.0.0.1"_s, port, user, password};
        MessageBoxResponder responder;
        QCOMPARE(test::sendSmsAndWait(*gateway, u"0612345678"_s, u"Bonjour"_s, QString(), false), accepted);
        QTRY_COMPARE(sim.log().count(u" GET "_s), 1);
        QCOMPARE(sim.log().count(u" GET "_s + sim.baseUrl().toString() + u"/http.php?"_s), 1);
        QCOMPARE(sim.log().count(u"-> 407 "_s), accepted ? 0 : 1);
        QCOMPARE(sim.outbox().size(), accepted ? 1 : 0);
        if (!accepted) {
            QCOMPARE(responder.shown().size(), 1);
            QCOMPARE(responder.shown().first().text,
                     failure(u"Impossible de joindre le serveur d'envoi de SMS ! (le proxy refuse l'accès, code 407 : "
                             u"vérifiez l'utilisateur et le mot de passe du proxy dans les Paramètres)"_s));
        }
    }

    // Over TLS the proxy carries a CONNECT tunnel, and the gateway's own request inside it; a
    // refused CONNECT says so and nothing reaches the gateway.
    void tlsSendThroughProxy_data()
    {
        QTest::addColumn<bool>("fromEnvironment");
        QTest::addColumn<QString>("password");
        QTest::addColumn<SendOutcome>("outcome");
        QTest::newRow("https_proxy") << true << u"p%40ss"_s << SendOutcome::Accepted;
        QTest::newRow("preference") << false << u"p@ss"_s << SendOutcome::Accepted;
        QTest::newRow("wrong password") << false << u"nope"_s << SendOutcome::Unreachable;
    }
    void tlsSendThroughProxy()
    {
        QFETCH(bool, fromEnvironment);
        QFETCH(QString, password);
        QFETCH(SendOutcome, outcome);
        if (outcome == SendOutcome::Accepted && parlevo::test::underWine())
            QSKIP(kWineTls);
        const QSslConfiguration previous = QSslConfiguration::defaultConfiguration();
        QSslConfiguration trusting = previous;
        trusting.addCaCertificate(loopbackCertificate());
        QSslConfiguration::setDefaultConfiguration(trusting);
        const auto restore = qScopeGuard([&] { QSslConfiguration::setDefaultConfiguration(previous); });

        Redirector gatewayServer(true, [](const QByteArray &) { return Move{200, "80"}; });
        SimulatorProcess sim({u"--proxy"_s, u"--proxy-auth"_s, u"me:p@ss"_s, u"--verbose"_s});
        QVERIFY(sim.isRunning());
        const int port = sim.baseUrl().port();
        std::optional<ProxyEnvironment> variable;
        if (fromEnvironment)
            variable.emplace("https_proxy", (u"me:%1@127.0.0.1:%2"_s.arg(password).arg(port)).toUtf8());
        ClassSendora gateway(m_textes);
        gateway.Mail = kDemoMail;
        gateway.Password = kDemoPassword;
        gateway.setBaseUrl(gatewayServer.url());
        if (!fromEnvironment)
            gateway.Proxy = {u"127.0.0.1"_s, port, u"me"_s, password};
        const SendReply reply = test::sendAndWait(gateway, u"0612345678"_s, u"Bonjour"_s, QString());
        QCOMPARE(reply.outcome, outcome);
        const bool accepted = outcome == SendOutcome::Accepted;
        QCOMPARE(reply.reason, accepted ? QString() : m_textes(Txt::ProxyAuthRefused));
        QCOMPARE(gatewayServer.targets().size(), accepted ? 1 : 0);
        QTRY_VERIFY(sim.log().contains(u" CONNECT 127.0.0.1:"_s + QString::number(gatewayServer.url().port())));
        QCOMPARE(sim.log().count(u" GET "_s), 0);
        QCOMPARE(sim.log().count(u"-> tunnel"_s), accepted ? 1 : 0);
    }

    // A proxy that is not an HTTP one is never gone round: nothing is sent, and the user reads why.
    void socksProxyRefused()
    {
        SimulatorProcess sim(demoAccount(5) + QStringList{u"--verbose"_s});
        QVERIFY(sim.isRunning());
        const ProxyEnvironment variable("http_proxy", "socks5://127.0.0.1:1080");
        const SendReply reply = test::sendAndWait(*gatewayFor(sim), u"0612345678"_s, u"Bonjour"_s, QString());
        QCOMPARE(reply.outcome, SendOutcome::Unreachable);
        QCOMPARE(reply.reason, u"le proxy n'est pas un proxy HTTP : rien n'a été envoyé"_s);
        QCOMPARE(sim.outbox().size(), 0);
    }

    // The simulator moved its pages: the send and the balance each follow their redirect once,
    // and the SMS goes once.
    void simulatorRedirectFollowedOnce()
    {
        SimulatorProcess sim(demoAccount(5) + QStringList{u"--redirect"_s, u"307"_s, u"--verbose"_s});
        QVERIFY(sim.isRunning());
        auto gateway = gatewayFor(sim);
        QCOMPARE(test::sendAndWait(*gateway, u"0612345678"_s, u"Bonjour"_s, QString()).outcome, SendOutcome::Accepted);
        QCOMPARE(test::soldeAndWait(*gateway), u"4"_s);
        QTRY_COMPARE(sim.log().count(u" GET /moved/"_s), 2);
        QCOMPARE(sim.log().count(u" GET /http.php?"_s), 1);
        QCOMPARE(sim.log().count(u"-> redirect to /moved/http.php?"_s), 1);
        QCOMPARE(sim.outbox().size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestClassSendora)
#include "test_classsendora.moc"
