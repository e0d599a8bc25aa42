#include "base/codec1252.h"
#include "base/datapaths.h"
#include "base/textes.h"
#include "base/txt.h"
#include "testdatadir.h"

#include <QFile>
#include <QRegularExpression>
#include <QTest>

#include <algorithm>

using namespace Qt::StringLiterals;

using namespace parlevo;

namespace {

const QString kEnglishFile = QStringLiteral(PARLEVO_SOURCE_LANGUAGES "/English.lng");

// Texts that read the same in both languages: names, titles and words English borrowed.
constexpr Txt kSameInBothLanguages[] = {Txt::ContactHeader,  Txt::SingleButton, Txt::MailingButton,
                                        Txt::PocketPcButton, Txt::TitleDoctor,  Txt::PauseButton,
                                        Txt::ReportMessage,  Txt::ReportPage,   Txt::PageWord};

QStringList placeholders(const QString &text)
{
    static const QRegularExpression re(QStringLiteral("%\\d"));
    QStringList found;
    for (auto it = re.globalMatch(text); it.hasNext();)
        found.append(it.next().captured());
    found.sort();
    return found;
}

// The accelerator letter of a caption, lower-cased, or a null character when it has none.
QChar accelerator(const QString &text)
{
    const qsizetype amp = text.indexOf(u'&');
    return (amp >= 0 && amp + 1 < text.size()) ? text.at(amp + 1).toLower() : QChar();
}

} // namespace

class TestLanguageEnglish : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY2(QFile::exists(kEnglishFile), qPrintable(kEnglishFile));
        m_english.LoadTextes(kEnglishFile);
    }

    // Windows-1252 with CR LF line ends, and no value longer than the reader keeps: it cuts values
    // silently, so a long translation would lose its end unnoticed.
    void fileIsWindows1252WithCrLfAndNoValueIsCut()
    {
        QFile file(kEnglishFile);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY(bytes.endsWith("\r\n"));
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            const auto b = static_cast<unsigned char>(bytes[i]);
            const auto next = i + 1 < bytes.size() ? static_cast<unsigned char>(bytes[i + 1]) : 0;
            QVERIFY2(b != '\n' || (i > 0 && bytes[i - 1] == '\r'), qPrintable(u"bare LF at %1"_s.arg(i)));
            QVERIFY2(b != '\r' || next == '\n', qPrintable(u"bare CR at %1"_s.arg(i)));
            // The five bytes the code page leaves undefined.
            QVERIFY2(b != 0x81 && b != 0x8D && b != 0x8F && b != 0x90 && b != 0x9D,
                     qPrintable(u"undefined byte at %1"_s.arg(i)));
            // A lead byte followed by a continuation byte: the file was saved as UTF-8.
            QVERIFY2(!(b >= 0xC2 && b <= 0xF4 && next >= 0x80 && next <= 0xBF),
                     qPrintable(u"UTF-8 sequence at %1"_s.arg(i)));
        }
        const QStringList lines = decode1252(bytes).split(u"\r\n"_s);
        int entries = 0;
        for (const QString &line : lines) {
            if (!line.startsWith(u"Textes("_s))
                continue;
            ++entries;
            QString value = line.mid(line.indexOf(u'=') + 1).trimmed();
            if (value.size() >= 2 && value.front() == u'"' && value.back() == u'"')
                value = value.mid(1, value.size() - 2);
            QVERIFY2(value.size() <= 254, qPrintable(line.left(12)));
        }
        QVERIFY(entries > 0);
    }

    void entry_data()
    {
        QTest::addColumn<int>("index");
        for (int i = 1; i <= TextTable::kCount; ++i)
            QTest::addRow("%d", i) << i;
    }

    void entry()
    {
        QFETCH(int, index);
        const Txt text = static_cast<Txt>(index);
        const TextTable french;
        const QString fr = french(text);
        const QString en = m_english(text);
        // An entry without a French text stays empty in English too.
        QCOMPARE(en.isEmpty(), fr.isEmpty());
        if (fr.isEmpty())
            return;
        const bool same = std::ranges::find(kSameInBothLanguages, text) != std::end(kSameInBothLanguages);
        QCOMPARE(en == fr, same);
        QCOMPARE(placeholders(en), placeholders(fr));
        QCOMPARE(en.count(u'\n'), fr.count(u'\n'));
        QCOMPARE(en.count(u'&'), fr.count(u'&'));
        if (fr.contains(u'&'))
            QVERIFY(accelerator(en).isLetterOrNumber());
        // Blanks kept at the end of an entry need quotes in the file.
        QCOMPARE(en.endsWith(u' '), fr.endsWith(u' '));
        // File-dialog filters: the patterns stay, only the descriptions change.
        if (fr.contains(u'|')) {
            const QStringList frParts = fr.split(u'|');
            const QStringList enParts = en.split(u'|');
            QCOMPARE(enParts.size(), frParts.size());
            for (qsizetype i = 1; i < frParts.size(); i += 2)
                QCOMPARE(enParts[i], frParts[i]);
        }
    }

    // Buttons shown together must not share an accelerator; the French captions prove the
    // grouping, the English ones must keep the letters apart as well.
    void acceleratorsDistinctWithinAWindow_data()
    {
        QTest::addColumn<QList<Txt>>("texts");
        QTest::newRow("send") << QList<Txt>{Txt::SendButton, Txt::ConfigureButton, Txt::NextButton, Txt::CancelButton};
        QTest::newRow("list editing") << QList<Txt>{Txt::AddButton, Txt::ModifyButton, Txt::DeleteButton,
                                                    Txt::AcceptButton, Txt::CancelButton};
        QTest::newRow("selection") << QList<Txt>{Txt::SelectAll, Txt::NoneOption, Txt::InvertSelection};
        QTest::newRow("printing") << QList<Txt>{Txt::PrintCurrentPage, Txt::PrintAllPages, Txt::PrinterSetup,
                                                Txt::CloseButton};
    }

    void acceleratorsDistinctWithinAWindow()
    {
        QFETCH(QList<Txt>, texts);
        const TextTable french;
        for (const TextTable *table : {&french, static_cast<const TextTable *>(&m_english)}) {
            QList<QChar> letters;
            for (Txt text : texts) {
                const QChar letter = accelerator((*table)(text));
                QVERIFY2(!letters.contains(letter), qPrintable((*table)(text)));
                letters.append(letter);
            }
        }
    }

    void languageIsChosenByOptionThenEnvironmentThenSystem()
    {
        qunsetenv("PARLEVO_LANGUAGE");
        QCOMPARE(chosenLanguageName(QString()), systemLanguageName());
        qputenv("PARLEVO_LANGUAGE", "English");
        QCOMPARE(chosenLanguageName(QString()), u"English"_s);
        QCOMPARE(chosenLanguageName(u"French"_s), u"French"_s);
        qunsetenv("PARLEVO_LANGUAGE");
    }

    void fileIsFoundInDataDirectoryThenBesideThePrograms()
    {
        test::TestDataDir dir;
        QVERIFY(dir.write(u"Languages/English.lng"_s, "[Strings]\r\nTextes(4)=mine\r\n"));
        QCOMPARE(findLanguageFile(dir.path(), u"English"_s), dir.filePath(u"Languages/English.lng"_s));
        // The build copies the language files beside the programs, so a fresh build runs translated.
        QFile source(QStringLiteral(PARLEVO_SOURCE_LANGUAGES "/English.lng"));
        QFile copy(QStringLiteral(PARLEVO_BUILT_LANGUAGES "/English.lng"));
        QVERIFY(source.open(QIODevice::ReadOnly) && copy.open(QIODevice::ReadOnly));
        QCOMPARE(copy.readAll(), source.readAll());
    }

private:
    TextTable m_english;
};

QTEST_GUILESS_MAIN(TestLanguageEnglish)
#include "test_language_english.moc"
