#include "messages/smsencoding.h"

#include <QTest>

using namespace Qt::StringLiterals;

using namespace parlevo;

namespace {

// The GSM 7-bit default alphabet written out code by code; code 0x1B is the escape.
const char16_t *const kBasic[16] = {
    u"@", u"£", u"$", u"¥", u"è", u"é", u"ù", u"ì", u"ò", u"Ç", u"\n", u"Ø", u"ø", u"\r", u"Å", u"å",
};
const char16_t *const kBasic10[16] = {
    u"Δ", u"_", u"Φ", u"Γ", u"Λ", u"Ω", u"Π", u"Ψ", u"Σ", u"Θ", u"Ξ", nullptr, u"Æ", u"æ", u"ß", u"É",
};
// Codes 0x20 to 0x7F, where the alphabet differs from ASCII at 0x24, 0x40, 0x5B-0x60 and 0x7B-0x7F.
const char16_t kBasic20To7F[] = u" !\"#¤%&'()*+,-./0123456789:;<=>?"
                                u"¡ABCDEFGHIJKLMNOPQRSTUVWXYZÄÖÑÜ§"
                                u"¿abcdefghijklmnopqrstuvwxyzäöñüà";

QString basicCharacter(int code)
{
    if (code < 0x10)
        return QString::fromUtf16(kBasic[code]);
    if (code < 0x20)
        return kBasic10[code - 0x10] ? QString::fromUtf16(kBasic10[code - 0x10]) : QString();
    return QString(QChar(kBasic20To7F[code - 0x20]));
}

// The extension table: escape code, character.
const QList<std::pair<int, QChar>> kExtension = {
    {0x0A, u'\f'}, {0x14, u'^'}, {0x28, u'{'}, {0x29, u'}'}, {0x2F, u'\\'},
    {0x3C, u'['},  {0x3D, u'~'}, {0x3E, u']'}, {0x40, u'|'}, {0x65, u'€'},
};

QString allBasicCharacters()
{
    QString all;
    for (int code = 0; code < 0x80; ++code)
        all += basicCharacter(code);
    return all;
}

QString extensionCharacters()
{
    QString all;
    for (const auto &entry : kExtension)
        all += entry.second;
    return all;
}

const QString kEmoji = u"😀"_s;

} // namespace

class TestSmsEncoding : public QObject {
    Q_OBJECT
private slots:
    // Nothing but the two tables is GSM, across the scripts a French or European text draws on
    // (the escape code itself included).
    void onlyTheTablesAreGsm()
    {
        const QString basic = allBasicCharacters();
        QCOMPARE(basic.size(), 127);
        for (char32_t c = 0; c < 0x2200; ++c) {
            const QChar qc{char16_t(c)};
            const bool inExtension =
                std::any_of(kExtension.cbegin(), kExtension.cend(), [&](const auto &e) { return e.second == qc; });
            const int expected = basic.contains(qc) ? 1 : inExtension ? 2 : 0;
            QVERIFY2(gsmSeptets(c) == expected, qPrintable(u"U+%1"_s.arg(uint(c), 4, 16, QChar(u'0'))));
        }
        QCOMPARE(gsmSeptets(0x1F600), 0);
    }

    void forcesUnicode_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("length");
        QTest::addColumn<QStringList>("unicodeCharacters");
        QTest::newRow("emoji counts two") << QString(u"ok "_s + kEmoji) << 5 << QStringList{kEmoji};
        QTest::newRow("lone surrogate") << QString(QChar(0xD83D)) << 1 << QStringList{QString(QChar(0xD83D))};
        // Each character once, in order of first appearance; GSM characters are not listed.
        QTest::newRow("distinct, in order")
            << u"Ça coûte 5 € ; ça coûte « trop » ! ê"_s << 36 << QStringList{u"û"_s, u"ç"_s, u"«"_s, u"»"_s, u"ê"_s};
    }

    void forcesUnicode()
    {
        QFETCH(QString, text);
        QFETCH(int, length);
        QFETCH(QStringList, unicodeCharacters);
        const SmsEncodingInfo info = analyseSmsText(text);
        QCOMPARE(info.alphabet, SmsAlphabet::Unicode);
        QCOMPARE(info.length, length);
        QCOMPARE(info.unicodeCharacters, unicodeCharacters);
        QCOMPARE(info.parts, 1);
    }

    void lengthAndParts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<SmsAlphabet>("alphabet");
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("parts");
        const auto gsm = SmsAlphabet::Gsm7;
        const auto ucs = SmsAlphabet::Unicode;
        const auto a = [](int n) { return QString(n, u'a'); };
        const auto e = [](int n) { return QString(n, u'ê'); };
        QTest::newRow("empty") << QString() << gsm << 0 << 1;
        QTest::newRow("whole basic table") << allBasicCharacters() << gsm << 127 << 1;
        QTest::newRow("whole extension table") << extensionCharacters() << gsm << 20 << 1;
        QTest::newRow("gsm 160") << a(160) << gsm << 160 << 1;
        QTest::newRow("gsm 161") << a(161) << gsm << 161 << 2;
        QTest::newRow("gsm 306") << a(306) << gsm << 306 << 2;
        QTest::newRow("gsm 307") << a(307) << gsm << 307 << 3;
        QTest::newRow("euro makes 160") << QString(a(158) + u'€') << gsm << 160 << 1;
        QTest::newRow("euro makes 161") << QString(a(159) + u'€') << gsm << 161 << 2;
        // The euro's two septets would straddle parts one and two: it starts part two.
        QTest::newRow("euro at the part boundary") << QString(a(152) + u'€' + a(152)) << gsm << 306 << 3;
        QTest::newRow("euro just inside part one") << QString(a(151) + u'€' + a(153)) << gsm << 306 << 2;
        QTest::newRow("unicode 70") << e(70) << ucs << 70 << 1;
        QTest::newRow("unicode 71") << e(71) << ucs << 71 << 2;
        QTest::newRow("unicode 134") << e(134) << ucs << 134 << 2;
        QTest::newRow("unicode 135") << e(135) << ucs << 135 << 3;
        QTest::newRow("one character switches all") << QString(a(159) + u'ê') << ucs << 160 << 3;
        QTest::newRow("extension counts one in unicode") << QString(a(68) + u"€ê"_s) << ucs << 70 << 1;
        QTest::newRow("emoji makes 70") << QString(a(68) + kEmoji) << ucs << 70 << 1;
        QTest::newRow("emoji makes 71") << QString(a(69) + kEmoji) << ucs << 71 << 2;
        // A surrogate pair is not split between parts either.
        QTest::newRow("emoji at the part boundary") << QString(a(66) + kEmoji + a(66)) << ucs << 134 << 3;
        QTest::newRow("emoji just inside part one") << QString(a(65) + kEmoji + a(67)) << ucs << 134 << 2;
    }

    void lengthAndParts()
    {
        QFETCH(QString, text);
        QFETCH(SmsAlphabet, alphabet);
        QFETCH(int, length);
        QFETCH(int, parts);
        const SmsEncodingInfo info = analyseSmsText(text);
        QCOMPARE(info.alphabet, alphabet);
        QCOMPARE(info.length, length);
        QCOMPARE(info.parts, parts);
    }
};

QTEST_GUILESS_MAIN(TestSmsEncoding)
#include "test_smsencoding.moc"
