// A mailing's list read from a spreadsheet: an Excel workbook shown as the spreadsheet shows it,
// damaged workbooks refused, CSV files with their header and separator.
#include "addressbook/spreadsheettable.h"
#include "addressbook/xlsxtable.h"
#include "base/textes.h"
#include "testdatadir.h"

#include <QBuffer>
#include <QDir>
#include <QTest>

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipnewinfo.h>

using namespace Qt::StringLiterals;

using namespace parlevo;

namespace {

QByteArray zipOf(const QList<std::pair<QString, QString>> &parts)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    QuaZip zip(&buffer);
    zip.open(QuaZip::mdCreate);
    for (const auto &[name, text] : parts) {
        QuaZipFile file(&zip);
        file.open(QIODevice::WriteOnly, QuaZipNewInfo(name));
        file.write(text.toUtf8());
        file.close();
    }
    zip.close();
    return bytes;
}

// A workbook of one sheet without a relationships part; style 1 has the number format given,
// built-in when it is a number, else custom.
QByteArray workbook(const QString &rows, const QString &format = u"0"_s, bool date1904 = false)
{
    bool builtIn = false;
    format.toInt(&builtIn);
    const QString styles =
        u"<styleSheet>"_s +
        (builtIn ? QString()
                 : u"<numFmts><numFmt numFmtId=\"164\" formatCode=\"%1\"/></numFmts>"_s.arg(format.toHtmlEscaped())) +
        u"<cellXfs><xf numFmtId=\"0\"/><xf numFmtId=\"%1\"/></cellXfs></styleSheet>"_s.arg(builtIn ? format : u"164"_s);
    return zipOf({{u"xl/workbook.xml"_s, u"<workbook><workbookPr date1904=\"%1\"/></workbook>"_s.arg(int(date1904))},
                  {u"xl/styles.xml"_s, styles},
                  {u"xl/worksheets/sheet1.xml"_s, u"<worksheet><sheetData>"_s + rows + u"</sheetData></worksheet>"_s}});
}

std::optional<CsvTable> readBytes(QByteArray bytes)
{
    QBuffer buffer(&bytes);
    return readXlsxTable(buffer, TextTable());
}

} // namespace

class TestXlsxTable : public QObject {
    Q_OBJECT
private slots:
    void workbookReadAsShown()
    {
        QString error;
        const std::optional<CsvTable> table =
            readSpreadsheetTable(test::fixturePath(u"mailing_list.xlsx"_s), TextTable(), &error);
        QVERIFY2(table, qPrintable(error));
        QCOMPARE(table->header, QStringList({u"Nom"_s, u"Prénom"_s, u"Mobile"_s, u"Rendez-vous"_s, u"Heure"_s,
                                             u"Montant"_s, u"Remarque"_s}));
        const QList<QStringList> rows{
            {u"Lefèvre"_s, u"Jérôme"_s, u"612345678"_s, u"12/12/2026"_s, u"14:30"_s, u"12.5"_s, u"Très urgent"_s},
            {u"Dupont"_s, {}, u"33698765432"_s, {}, u"09:00"_s, {}, u"DUPONT"_s},
            {u"Roy"_s, u"Zoé"_s, u"611223344"_s, {}, {}, {}, {}}};
        QCOMPARE(table->rows, rows);
    }

    void cellsShownByTheirFormat_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("cell");
        QTest::addColumn<bool>("date1904");
        QTest::addColumn<QString>("shown");
        const auto number = [](const QString &value) { return u"<c r=\"B1\" s=\"1\"><v>%1</v></c>"_s.arg(value); };
        QTest::newRow("day 1") << u"14"_s << number(u"1"_s) << false << u"01/01/1900"_s;
        QTest::newRow("Lotus's 29 February") << u"14"_s << number(u"60"_s) << false << u"29/02/1900"_s;
        QTest::newRow("the day after it") << u"14"_s << number(u"61"_s) << false << u"01/03/1900"_s;
        QTest::newRow("1904 system") << u"14"_s << number(u"1"_s) << true << u"02/01/1904"_s;
        QTest::newRow("date and time") << u"22"_s << number(u"46368.75"_s) << false << u"12/12/2026 18:00"_s;
        QTest::newRow("seconds shown") << u"hh:mm:ss"_s << number(u"0.50001157407407"_s) << false << u"12:00:01"_s;
        QTest::newRow("AM/PM read as 24 hours") << u"h:mm AM/PM"_s << number(u"0.75"_s) << false << u"18:00"_s;
        QTest::newRow("elapsed hours") << u"[h]:mm"_s << number(u"1.5"_s) << false << u"36:00"_s;
        QTest::newRow("m alone is the month") << u"mm/yyyy"_s << number(u"46368"_s) << false << u"12/12/2026"_s;
        QTest::newRow("letters in quotes and colours are text")
            << u"[Red]0.0\" days\""_s << number(u"2.5"_s) << false << u"2.5"_s;
        QTest::newRow("scientific") << u"0.00E+00"_s << number(u"46368"_s) << false << u"46368"_s;
        QTest::newRow("exponent integer") << u"0"_s << number(u"6.12345678E8"_s) << false << u"612345678"_s;
        QTest::newRow("binary noise") << u"0"_s << number(u"0.30000000000000004"_s) << false << u"0.3"_s;
        QTest::newRow("boolean") << u"0"_s << u"<c r=\"B1\" t=\"b\"><v>1</v></c>"_s << false << u"VRAI"_s;
        QTest::newRow("entities, character references, CDATA, a comment")
            << u"0"_s << u"<c r=\"B1\" t=\"str\"><f>A1</f><v>a&amp;b &#233;&#x20AC;<!-- x --><![CDATA[<c>]]></v></c>"_s
            << false << u"a&b é€<c>"_s;
        QTest::newRow("no reference: after the previous cell")
            << u"0"_s << u"<c t=\"inlineStr\"><is><r><t>a</t></r><r><t>b</t></r></is></c>"_s << false << u"ab"_s;
    }
    void cellsShownByTheirFormat()
    {
        QFETCH(QString, format);
        QFETCH(QString, cell);
        QFETCH(bool, date1904);
        QFETCH(QString, shown);
        const std::optional<CsvTable> table = readBytes(workbook(
            u"<row><c r=\"A1\" t=\"inlineStr\"><is><t>x</t></is></c>"_s + cell + u"</row>"_s, format, date1904));
        QVERIFY(table);
        QCOMPARE(table->header, QStringList({u"x"_s, shown}));
    }

    void damagedWorkbooksRefused_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray good = test::fixtureBytes(u"mailing_list.xlsx"_s);
        QTest::newRow("truncated") << good.first(good.size() * 2 / 3);
        QByteArray flipped = good;
        for (qsizetype i = 400; i < 600; ++i)
            flipped[i] = char(~flipped[i]);
        QTest::newRow("bytes changed") << flipped;
        QTest::newRow("not a zip") << QByteArray("Nom;Mobile\r\nRoy;0612\r\n");
        QTest::newRow("no workbook") << zipOf({{u"content.xml"_s, u"<office:document/>"_s}});
        QTest::newRow("unclosed XML") << workbook(u"<row><c><v>1</v></c>"_s);
        QTest::newRow("unknown entity") << workbook(u"<row><c t=\"inlineStr\"><is><t>&nbsp;</t></is></c></row>"_s);
        QTest::newRow("past column XFD") << workbook(u"<row><c r=\"XFE1\"><v>1</v></c></row>"_s);
        QString wide;
        for (int row = 1; row <= 520; ++row)
            wide += u"<row><c r=\"A%1\"><v>1</v></c><c r=\"XFD%1\"><v>1</v></c></row>"_s.arg(row);
        QTest::newRow("padding past the cell limit") << workbook(wide);
    }
    void damagedWorkbooksRefused()
    {
        QFETCH(QByteArray, bytes);
        QVERIFY(!readBytes(bytes));
    }

    void fileKindAndErrors()
    {
        test::TestDataDir dir;
        QVERIFY(dir.write(u"liste.csv"_s, "Nom;Mobile\r\nRoy;0612\r\n"));
        QVERIFY(dir.write(u"liste.xlsx"_s, "Nom;Mobile\r\nRoy;0612\r\n"));
        QString error;
        const std::optional<CsvTable> csv = readSpreadsheetTable(dir.filePath(u"liste.csv"_s), TextTable(), &error);
        QVERIFY(csv);
        QCOMPARE(csv->header, QStringList({u"Nom"_s, u"Mobile"_s}));
        QVERIFY(!readSpreadsheetTable(dir.filePath(u"liste.xlsx"_s), TextTable(), &error));
        QCOMPARE(error, u"Le fichier %1 n'est pas un classeur Excel (.xlsx) lisible : il est endommagé, d'un autre "
                        "format ou trop grand une fois décompressé."_s.arg(
                            QDir::toNativeSeparators(dir.filePath(u"liste.xlsx"_s))));
        QVERIFY(!readSpreadsheetTable(dir.filePath(u"absent.csv"_s), TextTable(), &error));
        QVERIFY2(error.startsWith(u"Le fichier %1 n'a pas pu être lu : "_s.arg(
                     QDir::toNativeSeparators(dir.filePath(u"absent.csv"_s)))) &&
                     !error.endsWith(u": "_s),
                 qPrintable(error));
    }

    void csvListKeepsItsHeader_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QChar>("separator");
        QTest::addColumn<QList<QStringList>>("lines");
        QTest::newRow("Windows-1252, \";\"")
            << QByteArray("Nom;Pr\xE9nom;Mobile\r\nL\xE9vy;Zo\xE9;0612\r\n") << QChar(u';')
            << QList<QStringList>{{u"Nom"_s, u"Prénom"_s, u"Mobile"_s}, {u"Lévy"_s, u"Zoé"_s, u"0612"_s}};
        QTest::newRow("UTF-8, \",\", quotes, a blank line")
            << QByteArray("ville,mobile,note\n\"Paris, 15e\",0612,\"dit \"\"oui\"\"\"\n,,\n\xC3\x89vry,07,\n")
            << QChar(u',')
            << QList<QStringList>{{u"ville"_s, u"mobile"_s, u"note"_s},
                                  {u"Paris, 15e"_s, u"0612"_s, u"dit \"oui\""_s},
                                  {u"Évry"_s, u"07"_s, {}}};
        QTest::newRow("tabs, a short row padded")
            << QByteArray("a\tb\tc;d\n1\t2\n") << QChar(u'\t')
            << QList<QStringList>{{u"a"_s, u"b"_s, u"c;d"_s}, {u"1"_s, u"2"_s, {}}};
        QTest::newRow("a tie goes to \";\"") << QByteArray("a;b,c\n1;2,3\n") << QChar(u';')
                                             << QList<QStringList>{{u"a"_s, u"b,c"_s}, {u"1"_s, u"2,3"_s}};
        QTest::newRow("contacts-file names are still a header")
            << QByteArray("Amis;;Mme;Zo\xE9;Roy;0600\r\nAmis;;M.;Luc;Roy;0700\r\n") << QChar(u';')
            << QList<QStringList>{{u"Amis"_s, {}, u"Mme"_s, u"Zoé"_s, u"Roy"_s, u"0600"_s},
                                  {u"Amis"_s, {}, u"M."_s, u"Luc"_s, u"Roy"_s, u"0700"_s}};
    }
    void csvListKeepsItsHeader()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QChar, separator);
        QFETCH(QList<QStringList>, lines);
        const CsvTable table = readHeaderedCsv(bytes);
        QCOMPARE(table.separator, separator);
        QCOMPARE(table.header, lines.first());
        QCOMPARE(table.rows, lines.sliced(1));
    }
};

QTEST_GUILESS_MAIN(TestXlsxTable)
#include "test_xlsxtable.moc"
