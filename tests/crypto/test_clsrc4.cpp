#include "base/codec1252.h"
#include "crypto/clsrc4.h"

#include <QTest>

using namespace Qt::StringLiterals;

using parlevo::clsRC4;

class TestClsRC4 : public QObject {
    Q_OBJECT
private slots:
    void publishedVectors_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QByteArray>("plain");
        QTest::addColumn<QByteArray>("cipherHex");
        QTest::newRow("Key") << u"Key"_s << QByteArray("Plaintext") << QByteArray("bbf316e8d940af0ad3");
        QTest::newRow("Wiki") << u"Wiki"_s << QByteArray("pedia") << QByteArray("1021bf0420");
        QTest::newRow("Secret") << u"Secret"_s << QByteArray("Attack at dawn")
                                << QByteArray("45a01f645fc35b383552544b9bf5");
    }
    void publishedVectors()
    {
        QFETCH(QString, key);
        QFETCH(QByteArray, plain);
        QFETCH(QByteArray, cipherHex);
        clsRC4 rc4;
        QByteArray data = plain;
        rc4.EncryptByte(data, key);
        QCOMPARE(data.toHex(), cipherHex);
        // Every call starts from the scheduled table, so the same call deciphers.
        rc4.DecryptByte(data, key);
        QCOMPARE(data, plain);
    }

    void emptyKeyUsesTableInForce()
    {
        clsRC4 rc4;
        QByteArray data("unchanged");
        rc4.EncryptByte(data);
        QCOMPARE(data, QByteArray("unchanged")); // nothing scheduled yet: zero keystream

        rc4.setKey(u"Key"_s);
        data = "Plaintext";
        rc4.EncryptByte(data); // the last key scheduled stays in force
        QCOMPARE(data.toHex(), QByteArray("bbf316e8d940af0ad3"));
    }

    void stringRoundTripThroughBase64_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("key");
        // Every character the stored text can hold, under a key with an accent.
        QByteArray all;
        for (int c = 1; c < 0x100; ++c)
            all.append(char(c));
        QTest::newRow("every Windows-1252 character") << parlevo::decode1252(all) << u"clé"_s;
        QTest::newRow("empty") << QString() << u"k"_s;
    }
    void stringRoundTripThroughBase64()
    {
        QFETCH(QString, text);
        QFETCH(QString, key);
        clsRC4 rc4;
        QString stored = rc4.EncryptString(text, key, true);
        QString copy = stored;
        QCOMPARE(rc4.DecryptString(copy, key, true), text);
        QVERIFY(copy != stored || stored.isEmpty()); // the caller's text was decoded in place
    }

    void encode64_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("abc") << u"abc"_s << u"YWJj"_s;
        QTest::newRow("one byte") << u"a"_s << u"YQ=="_s;
        QTest::newRow("two bytes") << u"ab"_s << u"YWI="_s;
        QTest::newRow("empty") << QString() << QString();
        const QString line = QString(19, u' ').replace(u" "_s, u"YWFh"_s);
        QTest::newRow("57 chars, one line") << QString(57, u'a') << line;
        QTest::newRow("58 chars, two lines") << QString(58, u'a') << line + u"\r\nYQ=="_s;
        // An exact multiple of 76 above 76 also ends with a line break.
        QTest::newRow("114 chars") << QString(114, u'a') << line + u"\r\n"_s + line + u"\r\n"_s;
    }
    void encode64()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(clsRC4().Encode64(text), expected);
    }

    void decode64IgnoresLineBreaksAndPadding()
    {
        clsRC4 rc4;
        QCOMPARE(rc4.Decode64(QString()), QString());
        QCOMPARE(rc4.Decode64(u"YW\r\nJj"_s), u"abc"_s);
        QCOMPARE(rc4.Decode64(u"Y=W=Jj=="_s), u"abc"_s);
        QCOMPARE(rc4.Decode64(rc4.Encode64(QString(200, u'z'))), QString(200, u'z'));
        // A character outside the alphabet counts as "A".
        QCOMPARE(rc4.DecodeArray64(u"!!!!"_s), QByteArray(3, '\0'));
        // A lone line feed is not removed and decodes as zero bits.
        QCOMPARE(rc4.DecodeArray64(u"YW\nJ"_s), rc4.DecodeArray64(u"YWAJ"_s));
    }
};

QTEST_GUILESS_MAIN(TestClsRC4)
#include "test_clsrc4.moc"
