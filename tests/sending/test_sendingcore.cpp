// The sending rules that need no window: the deferred value, the mailing file, the result texts.
#include "addressbook/spreadsheettable.h"
#include "base/textes.h"
#include "contactfixtures.h"
#include "sending/differer.h"
#include "sending/mailingfile.h"
#include "sending/mailingresults.h"
#include "sending/mailingsheet.h"
#include "sending/sendinghours.h"
#include "sending/sendrun.h"
#include "testdatadir.h"

#include <QTest>

using namespace Qt::StringLiterals;

using namespace parlevo;
using parlevo::test::TestDataDir;

namespace {

std::function<QString()> counter()
{
    auto n = std::make_shared<int>(0);
    return [n] { return QString::number(++*n); };
}

using parlevo::test::makeContact;

QStringList fields(const ClassContact &c)
{
    return {c.Groupe, c.Societe, c.Titre, c.Prenom, c.Nom, c.Phone, c.GUID};
}

} // namespace

class TestSendingCore : public QObject {
    Q_OBJECT
private slots:
    void buildDifferer_data()
    {
        QTest::addColumn<bool>("ticked");
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QTime>("time");
        QTest::addColumn<QString>("value");
        QTest::newRow("not ticked") << false << QDate(2027, 2, 1) << QTime(9, 5) << QString();
        QTest::newRow("single digits padded") << true << QDate(2027, 2, 1) << QTime(9, 5) << u"090501022027"_s;
        QTest::newRow("two digits each") << true << QDate(2026, 3, 7) << QTime(14, 5) << u"140507032026"_s;
        QTest::newRow("midnight, last day") << true << QDate(2026, 12, 31) << QTime(0, 0) << u"000031122026"_s;
        QTest::newRow("seconds ignored") << true << QDate(2030, 10, 10) << QTime(23, 59, 59) << u"235910102030"_s;
    }
    void buildDifferer()
    {
        QFETCH(bool, ticked);
        QFETCH(QDate, date);
        QFETCH(QTime, time);
        QFETCH(QString, value);
        QCOMPARE(Build_Differer(ticked, date, time), value);
    }

    // The gateway refuses a deferred time that has passed or is less than a minute away; an empty
    // value is an immediate send.
    void differerTooSoon_data()
    {
        QTest::addColumn<QString>("differer");
        QTest::addColumn<bool>("tooSoon");
        QTest::newRow("immediate") << QString() << false;
        QTest::newRow("yesterday") << u"090131012027"_s << true;
        QTest::newRow("this minute") << u"090501022027"_s << true;
        QTest::newRow("18 s ahead") << u"090601022027"_s << true;
        QTest::newRow("78 s ahead") << u"090701022027"_s << false;
        QTest::newRow("next year") << u"090501022028"_s << false;
        QTest::newRow("no such hour") << u"250001022027"_s << true;
        QTest::newRow("cut short") << u"0905010220"_s << true;
    }
    void differerTooSoon()
    {
        QFETCH(QString, differer);
        QFETCH(bool, tooSoon);
        QCOMPARE(parlevo::differerTooSoon(differer, QDateTime(QDate(2027, 2, 1), QTime(9, 5, 42))), tooSoon);
    }

    void rowAndProgressTexts()
    {
        TextTable textes;
        QCOMPARE(recipientText(makeContact({u"G"_s, u"M."_s, u"Jean"_s, u"Dupont"_s, u"06 12-34.56 78"_s, u"S"_s})),
                 u"(06 12-34.56 78) M. Dupont Jean "_s);
        QCOMPARE(recipientText(ClassContact{}), u"() "_s);
        QCOMPARE(progressText(textes, 0, 10), u"0 SMS sur 10 d'envoyé."_s);
    }

    // Fields are written as they are: a ";" inside one shifts the following ones on reading.
    void mailingFileRoundTrip()
    {
        TestDataDir dir;
        const QString path = dir.filePath(u"liste.kxg"_s);
        const ClassContact a = makeContact({u"Amis"_s, u"M."_s, u"Jean"_s, u"Dupont"_s, u"0612"_s, u"Sté; Dupont"_s});
        const ClassContact b =
            makeContact({.Groupe = u"Clients"_s, .Prenom = u"Zoé"_s, .Nom = u"Éric"_s, .Phone = u"0698765432"_s});
        QVERIFY(Sauve_Mailing(path, {&a, &b}));
        QCOMPARE(dir.read(u"liste.kxg"_s), QByteArray("Amis;St\xe9; Dupont;M.;Jean;Dupont;0612\r\n"
                                                      "Clients;;;Zo\xe9;\xc9ric;0698765432\r\n"));
        const auto rows = Charge_Mailing(path, counter());
        QVERIFY(rows);
        QCOMPARE(rows->size(), 2u);
        QCOMPARE(fields(*(*rows)[0]),
                 (QStringList{u"Amis"_s, u"Sté"_s, u" Dupont"_s, u"M."_s, u"Jean"_s, u"Dupont"_s, u"1"_s}));
        QCOMPARE(fields(*(*rows)[1]),
                 (QStringList{u"Clients"_s, QString(), QString(), u"Zoé"_s, u"Éric"_s, u"0698765432"_s, u"2"_s}));

        // Rows that Windows-1252 cannot hold, or whose Windows-1252 bytes would read as UTF-8, are
        // saved in UTF-8 and come back whole.
        for (const QString &name : {u"Иван"_s, u"Ã©"_s}) {
            const ClassContact c = makeContact({.Nom = name, .Phone = u"07"_s});
            QVERIFY(Sauve_Mailing(path, {&c}));
            QCOMPARE(dir.read(u"liste.kxg"_s), "\xEF\xBB\xBF;;;;" + name.toUtf8() + ";07\r\n");
            QCOMPARE(Charge_Mailing(path, counter())->at(0)->Nom, name);
        }
    }

    // A spreadsheet's columns the contact fields do not take are merge fields, named by their
    // headers and made unique; saved as CSV, the list reads back the same, values with ";" and
    // formula-like text included.
    void spreadsheetRoundTrip()
    {
        const CsvTable table{
            u';',
            {u"Nom"_s, u"Mobile"_s, u"Date RDV"_s, QString(), u"NOM"_s, u"date-rdv"_s},
            {{u"Dupré"_s, u"0611111111"_s, u"12/12"_s, u"a;b"_s, u"=1+1"_s, u"z"_s}, {u"Lu"_s, u"0622222222"_s}}};
        const MailingSheet sheet = mailingSheet(table, defaultMapping(table), counter());
        const QStringList columns{u"date_rdv"_s, u"colonne4"_s, u"nom_2"_s, u"date_rdv_2"_s};
        QCOMPARE(sheet.columns, columns);
        QCOMPARE(sheet.rows.size(), 2u);
        QCOMPARE(sheet.rows[0]->Nom, u"Dupré"_s);
        QCOMPARE(sheet.rows[0]->Extra, (QStringList{u"12/12"_s, u"a;b"_s, u"=1+1"_s, u"z"_s}));
        QCOMPARE(sheet.rows[1]->Extra, QStringList(4));

        TestDataDir dir;
        const TextTable textes;
        QVERIFY(dir.write(u"liste.csv"_s,
                          mailingSheetCsv(textes, {sheet.rows[0].get(), sheet.rows[1].get()}, sheet.headers)));
        QString error;
        const auto again = readSpreadsheetTable(dir.filePath(u"liste.csv"_s), textes, &error);
        QVERIFY2(again, qPrintable(error));
        const MailingSheet reread = mailingSheet(*again, defaultMapping(*again), counter());
        QCOMPARE(reread.columns, columns);
        QCOMPARE(reread.rows.size(), 2u);
        for (std::size_t i = 0; i < 2; ++i) {
            QCOMPARE(fields(*reread.rows[i]).mid(0, 6), fields(*sheet.rows[i]).mid(0, 6));
            QCOMPARE(reread.rows[i]->Extra, sheet.rows[i]->Extra);
        }
    }

    void mailingFileEdges()
    {
        TestDataDir dir;
        QVERIFY(Sauve_Mailing(dir.filePath(u"vide.kxg"_s), {}));
        QVERIFY(QFileInfo::exists(dir.filePath(u"vide.kxg"_s)));
        QCOMPARE(QFileInfo(dir.filePath(u"vide.kxg"_s)).size(), 0);
        QVERIFY(!Charge_Mailing(dir.filePath(u"absent.kxg"_s), counter()));
        // An empty line is a row of empty fields; short lines leave the rest empty.
        QVERIFY(dir.write(u"court.kxg"_s, "\r\nA;B\r\nA;B;C;D;E;F;G;H"));
        const auto rows = Charge_Mailing(dir.filePath(u"court.kxg"_s), counter());
        QVERIFY(rows);
        QCOMPARE(rows->size(), 3u);
        QCOMPARE(fields(*(*rows)[0]), (QStringList{{}, {}, {}, {}, {}, {}, u"1"_s}));
        QCOMPARE(fields(*(*rows)[1]), (QStringList{u"A"_s, u"B"_s, {}, {}, {}, {}, u"2"_s}));
        QCOMPARE(fields(*(*rows)[2]), (QStringList{u"A"_s, u"B"_s, u"C"_s, u"D"_s, u"E"_s, u"F"_s, u"3"_s}));
        // A file that cannot be written is reported. (A full disk leaving the old file whole is
        // the shared file writer's rule, checked with the address book.)
        QVERIFY(!Sauve_Mailing(dir.filePath(u"absent/dir/x.kxg"_s), {}));
    }

    void commercialSendingHours()
    {
        // Easter from published tables; the holidays that follow it move with it.
        const QList<std::pair<int, QDate>> easters{{2024, QDate(2024, 3, 31)},
                                                   {2025, QDate(2025, 4, 20)},
                                                   {2027, QDate(2027, 3, 28)},
                                                   {2038, QDate(2038, 4, 25)}};
        for (const auto &[year, easter] : easters) {
            for (int after : {1, 39, 50})
                QVERIFY2(isFrenchPublicHoliday(easter.addDays(after)), qPrintable(easter.addDays(after).toString()));
            QVERIFY(!isFrenchPublicHoliday(easter.addDays(2)));
        }
        // 2027: 365 days, 52 Sundays, and every holiday but 15 August (a Sunday) falls on a working day.
        int sendingDays = 0;
        for (QDate day(2027, 1, 1); day.year() == 2027; day = day.addDays(1))
            sendingDays += isCommercialSendingTime(QDateTime(day, QTime(12, 0))) ? 1 : 0;
        QCOMPARE(sendingDays, 365 - 52 - 10);

        const QList<std::pair<QDateTime, QDateTime>> next{
            // Saturday: the last minute, then the evening goes to Monday.
            {QDateTime(QDate(2026, 12, 5), QTime(19, 59)), QDateTime(QDate(2026, 12, 5), QTime(19, 59))},
            {QDateTime(QDate(2026, 12, 5), QTime(20, 0)), QDateTime(QDate(2026, 12, 7), QTime(8, 0))},
            // Early on a working day waits for 8:00 the same day.
            {QDateTime(QDate(2026, 12, 7), QTime(7, 30)), QDateTime(QDate(2026, 12, 7), QTime(8, 0))},
            // Christmas Eve's evening skips Christmas.
            {QDateTime(QDate(2026, 12, 24), QTime(21, 0)), QDateTime(QDate(2026, 12, 26), QTime(8, 0))},
            // Friday evening, a holiday Saturday (8 May), then Sunday.
            {QDateTime(QDate(2027, 5, 7), QTime(20, 30)), QDateTime(QDate(2027, 5, 10), QTime(8, 0))},
            // Easter Sunday, then its Monday.
            {QDateTime(QDate(2026, 4, 5), QTime(10, 0)), QDateTime(QDate(2026, 4, 7), QTime(8, 0))},
        };
        for (const auto &[when, expected] : next)
            QCOMPARE(nextCommercialSendingTime(when), expected);

        QVERIFY(mentionsStop(u"Promo ! Stop au 36180"_s));
        QVERIFY(mentionsStop(u"STOP36180"_s));
        QVERIFY(!mentionsStop(u"Arrêtez-vous au stopover"_s));
    }

    // A second try takes every row that did not get through, but never one left out on purpose,
    // and under once per number never a number that had (or may have had) its SMS in the run.
    void retryTakesTheFailedRows()
    {
        std::vector<ClassContact> rows;
        std::vector<SendOutcome> outcomes;
        const auto add = [&](const QString &phone, SendOutcome o) {
            rows.push_back(test::makeContact({.Nom = outcomeKeyword(o), .Phone = phone}));
            outcomes.push_back(o);
        };
        int n = 0;
        for (SendOutcome o : {SendOutcome::Accepted, SendOutcome::Refused, SendOutcome::Unreachable,
                              SendOutcome::Unknown, SendOutcome::NotSent, SendOutcome::Skipped, SendOutcome::Busy})
            add(u"06000000%1"_s.arg(++n, 2, 10, QChar(u'0')), o);
        add(u"0600000001"_s, SendOutcome::Refused); // accepted above
        add(u"0600000004"_s, SendOutcome::Refused); // unknown above
        add(u"0600000002"_s, SendOutcome::Busy);    // refused above: one SMS for both
        const auto key = [](const QString &phone) { return phone; };
        const auto names = [&](NumberPolicy policy, bool unknownToo) {
            QStringList chosen;
            for (qsizetype row : retryRows(rows, outcomes, policy, unknownToo, key))
                chosen.append(rows[std::size_t(row)].Nom + u'@' + rows[std::size_t(row)].Phone.right(2));
            return chosen;
        };
        QCOMPARE(names(NumberPolicy::EveryRow, true),
                 (QStringList{u"refused@02"_s, u"unreachable@03"_s, u"unknown@04"_s, u"not_sent@05"_s, u"busy@07"_s,
                              u"refused@01"_s, u"refused@04"_s, u"busy@02"_s}));
        QCOMPARE(names(NumberPolicy::OncePerNumber, false),
                 (QStringList{u"refused@02"_s, u"unreachable@03"_s, u"not_sent@05"_s, u"busy@07"_s}));
        QCOMPARE(names(NumberPolicy::OncePerNumber, true),
                 (QStringList{u"refused@02"_s, u"unreachable@03"_s, u"unknown@04"_s, u"not_sent@05"_s, u"busy@07"_s}));
    }
};

QTEST_GUILESS_MAIN(TestSendingCore)
#include "test_sendingcore.moc"
