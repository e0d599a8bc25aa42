// Merge fields of a mailing message and the GSM look-alikes of typographic characters.
#include "addressbook/classcontact.h"
#include "messages/gsmfriendly.h"
#include "messages/mergefields.h"
#include "messages/smsencoding.h"

#include <QTest>

using namespace Qt::StringLiterals;

using namespace parlevo;

namespace {

ClassContact person(const QString &prenom, const QString &nom, const QString &societe = {})
{
    return ClassContact{u"Club"_s, u"Mme"_s, prenom, nom, QString(), societe, QString(), QString()};
}

} // namespace

class TestMergeFields : public QObject {
    Q_OBJECT
private slots:
    void merge_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("merged");
        QTest::addColumn<QStringList>("unknown");
        QTest::newRow("no brace") << u"Bonjour à tous }"_s << u"Bonjour à tous }"_s << QStringList();
        QTest::newRow("every field") << u"{titre} {prenom} {nom}, {societe} ({groupe})"_s
                                     << u"Mme Élodie Dupré, Acme (Club)"_s << QStringList();
        QTest::newRow("case, accents, blanks")
            << u"{Prénom}{NOM}{ Société }"_s << u"ÉlodieDupréAcme"_s << QStringList();
        QTest::newRow("escaped brace") << u"{{prenom} {{{nom}"_s << u"{prenom} {Dupré"_s << QStringList();
        QTest::newRow("unknown field stays")
            << u"{date} {prenom} {date} {}"_s << u"{date} Élodie {date} {}"_s << QStringList{u"{date}"_s, u"{}"_s};
        QTest::newRow("unclosed and lone braces") << u"a } {b {nom} {c"_s << u"a } {b Dupré {c"_s << QStringList();
        // A spreadsheet's columns by their cleaned headers; a row shorter than the columns is empty there.
        QTest::newRow("spreadsheet columns") << u"RDV le {Date RDV} à {HEURE}{vide} {date}"_s
                                             << u"RDV le 12/12 à 14h30 {date}"_s << QStringList{u"{date}"_s};
    }
    void merge()
    {
        QFETCH(QString, text);
        QFETCH(QString, merged);
        QFETCH(QStringList, unknown);
        ClassContact elodie = person(u"Élodie"_s, u"Dupré"_s, u"Acme"_s);
        elodie.Extra = QStringList{u"12/12"_s, u"14h30"_s};
        const QStringList columns{u"date_rdv"_s, u"heure"_s, u"vide"_s};
        const MergeTemplate message(text, columns);
        QCOMPARE(message.merge(elodie), merged);
        QCOMPARE(message.mergedLength(elodie), merged.size());
        QCOMPARE(mergedMessage(text, elodie, columns), merged);
        QCOMPARE(message.unknownFields(), unknown);
        QCOMPARE(message.lacksUsedField(elodie), text.contains(u"{vide}"_s));
    }

    void fieldNamesOfHeaders()
    {
        QCOMPARE(mergeFieldName(u" Montant TTC (€) "_s), u"montant_ttc"_s);
        QCOMPARE(mergeFieldName(u"N° de dossier"_s), u"n_de_dossier"_s);
        QCOMPARE(mergeFieldName(u"--"_s), QString());
    }

    // The longest merged message is found, with the rows missing a used field; rows without a
    // contact are skipped.
    void report()
    {
        const std::vector<ClassContact> rows{person(u"Al"_s, u"Bo"_s), person(QString(), u"Maximilien"_s),
                                             person(u"Anne-Sophie"_s, u"Lu"_s), person(u"Zoé"_s, QString())};
        const auto contactAt = [&rows](qsizetype row) { return row == 4 ? nullptr : &rows[std::size_t(row)]; };
        const MergeReport report = mergeReport(MergeTemplate(u"Bonjour {prenom} {nom} !"_s), 5, contactAt);
        QCOMPARE(report.longestRow, 2);
        QCOMPARE(report.longestText, u"Bonjour Anne-Sophie Lu !"_s);
        QCOMPARE(report.rowsLackingField, (std::vector<qsizetype>{1, 3}));
        const MergeReport none = mergeReport(MergeTemplate(u"{nom}."_s), 0, contactAt);
        QCOMPARE(none.longestRow, -1);
        QCOMPARE(none.longestText, u"."_s);
    }

    // Every look-alike forces Unicode and every replacement is GSM 7-bit basic text, so a replaced
    // text never changes its coding for the worse nor counts a character twice.
    void lookAlikeTable()
    {
        for (const GsmLookAlike &entry : gsmLookAlikes()) {
            QCOMPARE(gsmSeptets(entry.character), 0);
            for (const QChar c : QStringView(entry.replacement))
                QCOMPARE(gsmSeptets(c.unicode()), 1);
        }
    }

    void offer_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("replaced");
        QTest::addColumn<bool>("applies");
        QTest::addColumn<int>("saved");
        QTest::newRow("short") << u"C’est « oui »\u00A0!"_s << u"C'est \" oui \" !"_s << true << 0;
        QTest::newRow("two SMS to one") << QString(u"L’"_s + QString(100, u'a'))
                                        << QString(u"L'"_s + QString(100, u'a')) << true << 1;
        QTest::newRow("other Unicode remains") << u"Merci – 😀"_s << u"Merci - 😀"_s << false << 0;
    }
    void offer()
    {
        QFETCH(QString, text);
        QFETCH(QString, replaced);
        QFETCH(bool, applies);
        QFETCH(int, saved);
        QCOMPARE(gsmFriendly(text), replaced);
        const GsmFriendlyOffer offer = gsmFriendlyOffer(text, replaced);
        QCOMPARE(std::pair(offer.applies, offer.smsSaved), std::pair(applies, saved));
    }
};

QTEST_GUILESS_MAIN(TestMergeFields)
#include "test_mergefields.moc"
