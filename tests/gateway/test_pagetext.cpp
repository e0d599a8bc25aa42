#include "base/textes.h"
#include "gateway/classsendora.h"
#include "gateway/gatewayaddress.h"
#include "gateway/pagetext.h"

#include <QTest>

using namespace Qt::StringLiterals;

using namespace parlevo;

class TestPageText : public QObject {
    Q_OBJECT
private slots:
    void replyCode_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("code");
        QTest::newRow("80") << "80" << 80;
        QTest::newRow("blanks around") << " \r\n91\n " << 91;
        QTest::newRow("leading zero") << "081" << 81;
        QTest::newRow("255") << "255" << 255;
        QTest::newRow("256 out of range") << "256" << 0;
        QTest::newRow("huge") << "99999999999999999999" << 0;
        QTest::newRow("negative") << "-80" << 0;
        QTest::newRow("plus sign") << "+80" << 0;
        QTest::newRow("word") << "OK" << 0;
        QTest::newRow("number and word") << "80 OK" << 0;
        QTest::newRow("decimal") << "80.0" << 0;
        QTest::newRow("empty") << "" << 0;
    }
    void replyCode()
    {
        QFETCH(QString, text);
        QFETCH(int, code);
        QCOMPARE(int(parlevo::replyCode(text)), code);
    }

    void creditFromPage_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("credit");
        QTest::newRow("thousands") << "Votre crédit est de 1 250 SMS."
                                   << "1250";
        QTest::newRow("around other text") << "Sendora\nVotre crédit est de 7 SMS. Merci"
                                           << "7";
        QTest::newRow("zero") << "Votre crédit est de 0 SMS."
                              << "0";
        QTest::newRow("sentence missing") << "Identifiant incorrect. 12 SMS."
                                          << "";
        QTest::newRow("SMS. missing") << "Votre crédit est de 12"
                                      << "";
        QTest::newRow("SMS. before the sentence") << "SMS. Votre crédit est de 12 SMS."
                                                  << "";
        QTest::newRow("case-sensitive") << "votre crédit est de 12 SMS."
                                        << "";
    }
    void creditFromPage()
    {
        QFETCH(QString, text);
        QFETCH(QString, credit);
        QCOMPARE(parlevo::creditFromPage(text), credit);
    }

    void pageText_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QByteArray>("contentType");
        QTest::addColumn<QString>("text");
        QTest::newRow("plain as it is") << QByteArray(" 80\r\n") << QByteArray("text/plain") << "80";
        QTest::newRow("plain keeps markup") << QByteArray("<b>80</b>") << QByteArray("text/plain") << "<b>80</b>";
        QTest::newRow("html code") << QByteArray("80") << QByteArray("text/html") << "80";
        QTest::newRow("html page")
            << QByteArray("<html><head><title>T</title><style>b{}</style><script>var x='81';</script></head>"
                          "<body>\n  <!-- 82 -->\n  <b>83</b>\n</body></html>")
            << QByteArray("text/html; charset=UTF-8") << "83";
        QTest::newRow("script in body")
            << QByteArray("<body><script type='text/javascript'>document.write('84')</script><p>85</p></body>")
            << QByteArray("text/html") << "85";
        QTest::newRow("entities and blocks")
            << QByteArray(
                   "<body><p>Votre cr&eacute;dit est de&nbsp;1&#160;250 SMS.</p><p>A&amp;B &lt;C&gt; &#x41;&unknown;"
                   "</p></body>")
            << QByteArray("text/html") << "Votre crédit est de\u00a01\u00a0250 SMS.\nA&B <C> A&unknown;";
        QTest::newRow("unclosed parts stay")
            << QByteArray("<body>a<script>c</SCRIPT >d<style>e<!-- f") << QByteArray("text/html") << "ade<!-- f";
        QTest::newRow("lone and overlong entities") << QByteArray("<body>A & B &amp; &#0000000000065; &#65;")
                                                    << QByteArray("text/html") << "A & B & &#0000000000065; A";
        QTest::newRow("blanks collapse") << QByteArray("<body>a \n\t b<br>c</body>") << QByteArray("text/html")
                                         << "a b\nc";
        QTest::newRow("sniffed html without type")
            << QByteArray("<html><body><p>86</p></body></html>") << QByteArray() << "86";
        QTest::newRow("utf-8 by default") << QByteArray("cr\xc3\xa9"
                                                        "dit")
                                          << QByteArray("text/plain") << "crédit";
        QTest::newRow("latin-1 header") << QByteArray("cr\xe9"
                                                      "dit")
                                        << QByteArray("text/plain; charset=ISO-8859-1") << "crédit";
        QTest::newRow("windows-1252 meta")
            << QByteArray("<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\">"
                          "</head><body>cr\xe9"
                          "dit \x80</body></html>")
            << QByteArray("text/html") << "crédit €";
        QTest::newRow("latin-1 page declaring nothing") << QByteArray("<body>Votre cr\xe9"
                                                                      "dit est de 5 SMS.</body>")
                                                        << QByteArray("text/html") << "Votre crédit est de 5 SMS.";
        QTest::newRow("utf-16 declared, with its mark") << QByteArray("\xff\xfe"
                                                                      "8\0"
                                                                      "0\0",
                                                                      6)
                                                        << QByteArray("text/plain; charset=UTF-16") << "80";
        QTest::newRow("utf-16be declared, no mark")
            << QByteArray("\0<\0b\0>\0\xe9", 8) << QByteArray("text/html; charset=utf-16") << "é";
        QTest::newRow("a mark wins over the label") << QByteArray("\xef\xbb\xbf"
                                                                  "cr\xc3\xa9"
                                                                  "dit")
                                                    << QByteArray("text/plain; charset=iso-8859-1") << "crédit";
    }
    void pageText()
    {
        QFETCH(QByteArray, body);
        QFETCH(QByteArray, contentType);
        QFETCH(QString, text);
        QCOMPARE(parlevo::pageText(body, contentType), text);
    }

    // What a send's reply shows: the two kinds of code 0 apart, "(code)" only beyond the table,
    // and an empty entry of the table shown empty.
    void replyTexts_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        const QString head = u"Votre envoi de SMS a échoué à cause de :\r\n"_s;
        const auto unreachable = static_cast<int>(parlevo::SendOutcome::Unreachable);
        const auto unknown = static_cast<int>(parlevo::SendOutcome::Unknown);
        const auto refused = static_cast<int>(parlevo::SendOutcome::Refused);
        const auto notSent = static_cast<int>(parlevo::SendOutcome::NotSent);
        QTest::newRow("unreachable") << 0 << unreachable << QString()
                                     << u"Impossible de joindre le serveur d'envoi de SMS !"_s
                                     << head + u"Impossible de joindre le serveur d'envoi de SMS !"_s;
        QTest::newRow("unreachable, with its reason")
            << 0 << unreachable << u"The certificate has expired"_s
            << u"Impossible de joindre le serveur d'envoi de SMS ! (The certificate has expired)"_s
            << head + u"Impossible de joindre le serveur d'envoi de SMS ! (The certificate has expired)"_s;
        QTest::newRow("no answer in time")
            << 0 << unknown << QString()
            << u"Pas de réponse complète à temps du serveur d'envoi de SMS : le SMS a peut-être été envoyé."_s
            << head + u"Pas de réponse complète à temps du serveur d'envoi de SMS : le SMS a peut-être été envoyé."_s;
        QTest::newRow("stopped before it")
            << 0 << notSent << QString() << u"Non envoyé : l'envoi a été arrêté avant ce SMS"_s
            << head + u"Non envoyé : l'envoi a été arrêté avant ce SMS"_s;
        QTest::newRow("duplicate")
            << 91 << refused << QString() << u"Le message a déjà été envoyé à ce numéro dans les 24 dernières heures"_s
            << head + u"(91) 'Le message a déjà été envoyé à ce numéro dans les 24 dernières heures'"_s;
        QTest::newRow("empty entry") << 42 << refused << QString() << QString() << head + u"(42) ''"_s;
        QTest::newRow("beyond the table") << 200 << refused << QString() << u"(200)"_s << head + u"(200)"_s;
    }
    void replyTexts()
    {
        QFETCH(int, code);
        QFETCH(int, outcome);
        QFETCH(QString, reason);
        QFETCH(QString, text);
        QFETCH(QString, message);
        const parlevo::TextTable textes;
        const parlevo::SendReply reply{static_cast<quint8>(code), static_cast<parlevo::SendOutcome>(outcome), 0,
                                       reason};
        QCOMPARE(parlevo::replyText(textes, reply), text);
        QCOMPARE(parlevo::failureMessage(textes, reply), message);
    }

    void baseUrl()
    {
        QCOMPARE(gatewayBaseUrlFrom(QString(), u"127.0.0.1:8808"_s), QUrl(u"http://127.0.0.1:8808"_s));
        QCOMPARE(gatewayBaseUrlFrom(u"https://sms.example:8443"_s, u"127.0.0.1:8808"_s),
                 QUrl(u"https://sms.example:8443"_s));
        // Not an http(s) URL: the build's host stays.
        QCOMPARE(gatewayBaseUrlFrom(u"sms.example"_s, u"gw.example"_s), QUrl(u"http://gw.example"_s));
        QCOMPARE(gatewayBaseUrlFrom(u"ftp://sms.example"_s, u"gw.example"_s), QUrl(u"http://gw.example"_s));
        QCOMPARE(builtInGatewayHost(), QStringLiteral(PARLEVO_GATEWAY_HOST_FOR_TESTS));

        qputenv("PARLEVO_GATEWAY_URL", "http://10.1.2.3:9000");
        TextTable textes;
        QCOMPARE(ClassSendora(textes).baseUrl(), QUrl(u"http://10.1.2.3:9000"_s));
        qunsetenv("PARLEVO_GATEWAY_URL");
        QCOMPARE(ClassSendora(textes).baseUrl(), QUrl(u"http://"_s + builtInGatewayHost()));
    }

    void sendUrlEncodesValuesAsUtf8()
    {
        const QUrl url = sendUrl(QUrl(u"http://h:1/"_s), u"a+b@x.test"_s, u"p&s=w#d"_s, u"0612345678"_s,
                                 u"Salut é\n~-._ 100%"_s, QString());
        QCOMPARE(url.toEncoded(),
                 QByteArray("http://h:1/http.php?email=a%2Bb%40x.test&pass=p%26s%3Dw%23d&numero=0612345678"
                            "&message=Salut%20%C3%A9%0A~-._%20100%25&diff="));
        QCOMPARE(balanceUrl(QUrl(u"http://h:1"_s), u"a@x.test"_s, u"p w"_s).toEncoded(),
                 QByteArray("http://h:1/soldes_logiciel.php?email=a%40x.test&pass=p%20w"));
        QCOMPARE(sendUrl(QUrl(u"https://h/base"_s), QString(), QString(), QString(), QString(), u"090501022027"_s)
                     .toEncoded(),
                 QByteArray("https://h/base/http.php?email=&pass=&numero=&message=&diff=090501022027"));
    }
};

QTEST_GUILESS_MAIN(TestPageText)
#include "test_pagetext.moc"
