#include "addressbook/classcontact.h"
#include "base/textes.h"
#include "messages/outgoing.h"

#include <QTest>

using namespace Qt::StringLiterals;

using namespace parlevo;

namespace {

// 200 characters that show where any cut falls.
QString twoHundred()
{
    QString text;
    for (int i = 0; text.size() < 200; ++i)
        text += QString::number(i % 10);
    return text;
}

const QString kEmoji = u"😀"_s; // one character, two UTF-16 code units

} // namespace

class TestOutgoing : public QObject {
    Q_OBJECT
private slots:
    void buildMessage_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("sent");
        QTest::newRow("200 characters") << twoHundred() << twoHundred().left(160);
        QTest::newRow("exactly 160") << twoHundred().left(160) << twoHundred().left(160);
        QTest::newRow("pair across the limit is left out")
            << QString(QString(159, u'a') + kEmoji + u"b"_s) << QString(159, u'a');
        QTest::newRow("pair ending on the limit is kept")
            << QString(QString(158, u'a') + kEmoji + u"b"_s) << QString(QString(158, u'a') + kEmoji);
    }
    void buildMessage()
    {
        QFETCH(QString, text);
        QFETCH(QString, sent);
        ClassContact someone;
        someone.Nom = u"Dupuis"_s;
        QCOMPARE(Build_Message(text, someone), sent);
        QCOMPARE(Build_Message(text, ClassContact()), sent);
    }

    void textsSentAndPreviewed_data()
    {
        QTest::addColumn<QString>("sender");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("sent");
        QTest::addColumn<QString>("preview");
        // The prefix counts in the 160 characters sent but not in the preview's cut.
        QTest::newRow("sender Paul") << u"Paul"_s << twoHundred() << QString(u"De : Paul, "_s + twoHundred().left(149))
                                     << QString(u"De : Paul, "_s + twoHundred().left(160));
        QTest::newRow("no sender") << QString() << u"Salut"_s << u"Salut"_s << u"Salut"_s;
        QTest::newRow("blank sender is a sender")
            << u"  "_s << u"Salut"_s << u"De :   , Salut"_s << u"De :   , Salut"_s;
    }
    void textsSentAndPreviewed()
    {
        QFETCH(QString, sender);
        QFETCH(QString, message);
        QFETCH(QString, sent);
        QFETCH(QString, preview);
        const TextTable textes;
        ClassContact anne;
        anne.Prenom = u"Anne"_s;
        QCOMPARE(textToSend(textes, sender, message, anne), sent);
        QCOMPARE(textToSend(textes, sender, message, ClassContact()), sent);
        QCOMPARE(previewText(textes, sender, message, &anne), preview);
    }

    void previewWithoutContactIsUncut()
    {
        const TextTable textes;
        QCOMPARE(previewText(textes, u"Paul"_s, twoHundred(), nullptr), QString(u"De : Paul, "_s + twoHundred()));
    }

    // The number handed to the gateway: a mailing sends every digit, a single send cuts a
    // national number to ten; "+" is always sent as "00".
    void numbersSent_data()
    {
        QTest::addColumn<QString>("phone");
        QTest::addColumn<QString>("mailing");
        QTest::addColumn<QString>("single");
        QTest::newRow("national") << u"06 12 34 56 78"_s << u"0612345678"_s << u"0612345678"_s;
        QTest::newRow("national too long") << u"06 12 34 56 78 99"_s << u"061234567899"_s << u"0612345678"_s;
        QTest::newRow("plus") << u" +33 6 12 34 56 78"_s << u"0033612345678"_s << u"0033612345678"_s;
        QTest::newRow("plus lost") << u"33 6 12 34 56 78"_s << u"33612345678"_s << u"3361234567"_s;
        QTest::newRow("00") << u"0044 7911 123456"_s << u"00447911123456"_s << u"00447911123456"_s;
        QTest::newRow("plus inside") << u"06 12+34"_s << u"061234"_s << u"061234"_s;
        QTest::newRow("plus alone") << u"+"_s << QString() << QString();
    }

    void numbersSent()
    {
        QFETCH(QString, phone);
        QFETCH(QString, mailing);
        QFETCH(QString, single);
        QCOMPARE(numberToSend(phone), mailing);
        QCOMPARE(singleSendNumber(phone), single);
    }

    void previewPosition_data()
    {
        QTest::addColumn<QRect>("mainWindow");
        QTest::addColumn<QRect>("screen");
        QTest::addColumn<QPoint>("expected");
        const QRect screen(0, 0, 1920, 1080);
        QTest::newRow("room to the right") << QRect(100, 100, 800, 600) << screen << QPoint(902, 550);
        QTest::newRow("near the bottom right corner") << QRect(1500, 700, 400, 500) << screen << QPoint(1640, 930);
        QTest::newRow("second screen, right edge")
            << QRect(2700, 800, 400, 300) << QRect(1920, 0, 1280, 1024) << QPoint(2920, 874);
        QTest::newRow("maximised") << screen << screen << QPoint(1640, 930);
        QTest::newRow("lower than the preview, at the top") << QRect(0, -50, 300, 100) << screen << QPoint(302, 0);
        QTest::newRow("left of the screen") << QRect(-2000, 10, 100, 500) << screen << QPoint(0, 360);
    }
    void previewPosition()
    {
        QFETCH(QRect, mainWindow);
        QFETCH(QRect, screen);
        QFETCH(QPoint, expected);
        QCOMPARE(parlevo::previewPosition(mainWindow, QSize(280, 150), screen), expected);
    }
};

QTEST_GUILESS_MAIN(TestOutgoing)
#include "test_outgoing.moc"
