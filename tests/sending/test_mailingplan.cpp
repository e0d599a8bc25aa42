// The plan of a mailing: the rows left out and why, each row's text, the totals and the warnings.
#include "addressbook/classcontact.h"
#include "addressbook/optoutlist.h"
#include "base/textes.h"
#include "base/txt.h"
#include "sending/differer.h"
#include "sending/mailingfile.h"
#include "sending/mailingplan.h"
#include "testdatadir.h"

#include <QTest>

using namespace Qt::StringLiterals;

using namespace parlevo;

namespace {

// A Monday morning: commercial SMS may go.
const QDateTime kNow(QDate(2027, 2, 1), QTime(9, 5, 42));
// "Bonjour <first name>, " and 60 "a": 79 characters in Unicode for Françoise (2 SMS), 74 and 70
// in GSM for Jean and for a row without a first name (1 SMS each).
const QString kMessage = u"Bonjour {prenom}, "_s + QString(60, u'a');

} // namespace

class TestMailingPlan : public QObject {
    Q_OBJECT
private:
    TextTable m_textes;
    PhoneCheck m_phones{u"FR"_s};
    OptOutList m_optOuts{m_phones};
    // mailing_plan.kxg, in the order its names sort: Adam, Martin Françoise (Unicode), Petit (Adam's
    // number again), Sansnom (no first name), Stop (no first name, opted out).
    std::vector<std::unique_ptr<ClassContact>> m_rows;

    MailingDraft draft(const QString &message, const QString &differer = {}) const
    {
        return MailingDraft{qsizetype(m_rows.size()),
                            [this](qsizetype row) { return m_rows[std::size_t(row)].get(); },
                            QString(),
                            message,
                            {},
                            differer};
    }
    MailingPlan plan(const MailingDraft &draft, PlanRules rules = {})
    {
        rules.now = kNow;
        return planMailing(m_textes, draft, checkNumbers(m_phones, draft.numbers(), &m_optOuts), rules);
    }
    static QList<PlanWarningKind> kinds(const MailingPlan &plan)
    {
        QList<PlanWarningKind> kinds;
        for (const PlanWarning &warning : plan.warnings)
            kinds.append(warning.kind);
        return kinds;
    }

private slots:
    void initTestCase()
    {
        int key = 0;
        auto rows = Charge_Mailing(test::fixturePath(u"mailing_plan.kxg"_s), [&key] { return QString::number(++key); });
        QVERIFY(rows && rows->size() == 5);
        m_rows = std::move(*rows);
        QVERIFY(m_optOuts.add(u"0687654321"_s));
    }

    // Once per number, the repeat and the opted-out row are left out: they cost nothing and are not
    // warned of. Each row has its own text, coding and parts; every row, a repeat included, without
    // the once-per-number rule.
    void rowsLeftOutAndTheirCost()
    {
        const MailingDraft list = draft(kMessage);
        const MailingPlan once = plan(list);
        QCOMPARE(once.skips(), (std::vector<RowSkip>{RowSkip::None, RowSkip::None, RowSkip::Repeat, RowSkip::None,
                                                     RowSkip::OptedOut}));
        QCOMPARE(once.rows[1].text, u"Bonjour Françoise, "_s + QString(60, u'a'));
        QCOMPARE(once.rows[1].alphabet, SmsAlphabet::Unicode);
        QCOMPARE(once.rows[1].parts, 2);
        QCOMPARE(once.rows[3].text, u"Bonjour , "_s + QString(60, u'a'));
        QCOMPARE(once.rows[3].parts, 1);
        QCOMPARE(once.longestText, once.rows[1].text);
        QCOMPARE(mailingCostText(m_textes, once.cost),
                 u"4 SMS pour 3 destinataire(s) ; 1 en Unicode (Martin Françoise)"_s);
        QCOMPARE(kinds(once), (QList{PlanWarningKind::NumberFindings, PlanWarningKind::MissingValues}));
        // The opted-out row lacks a first name too, and is not named.
        QCOMPARE(once.warning(PlanWarningKind::MissingValues)->rows, std::vector<qsizetype>{3});
        QCOMPARE(planWarningText(m_textes, list, *once.warning(PlanWarningKind::MissingValues)),
                 u"1 destinataire(s) sans valeur pour un champ du message : Sansnom"_s);

        const MailingPlan every = plan(list, {.policy = NumberPolicy::EveryRow});
        QCOMPARE(every.rows[2].skip, RowSkip::None);
        QCOMPARE(every.cost.sms, qint64(5));
    }

    // The credit is held to the SMS of the rows sent, also once learnt after the plan was made.
    void creditOfTheRowsSent()
    {
        const MailingDraft list = draft(kMessage);
        QVERIFY(!plan(list, {.credit = 4}).warning(PlanWarningKind::CreditShort));
        MailingPlan short3 = plan(list, {.credit = 3});
        QCOMPARE(kinds(short3), (QList{PlanWarningKind::NumberFindings, PlanWarningKind::CreditShort,
                                       PlanWarningKind::MissingValues}));
        QCOMPARE(planWarningText(m_textes, list, *short3.warning(PlanWarningKind::CreditShort)),
                 u"Votre crédit de 3 SMS ne suffit pas pour ce SMS Mailing, qui en demande 4."_s);
        holdToCredit(short3, std::nullopt);
        QVERIFY(!short3.warning(PlanWarningKind::CreditShort));
        holdToCredit(short3, 2);
        QCOMPARE(short3.warning(PlanWarningKind::CreditShort)->credit, qint64(2));
        QCOMPARE(short3.warnings.size(), std::size_t(3));
    }

    // A deferred time the gateway would refuse; commercial SMS outside the hours, with the next
    // allowed time, and without STOP; unknown fields; texts cut at one SMS, shared by every row
    // when the message has no field.
    void timingAndTextWarnings()
    {
        const MailingDraft late = draft(u"Promo {date}"_s, u"090501022027"_s);
        const MailingPlan plain = plan(late);
        QCOMPARE(kinds(plain), (QList{PlanWarningKind::DeferredTooSoon, PlanWarningKind::NumberFindings,
                                      PlanWarningKind::UnknownFields}));
        QCOMPARE(plain.warning(PlanWarningKind::DeferredTooSoon)->when, differerTime(late.differer));
        QCOMPARE(planWarningText(m_textes, late, *plain.warning(PlanWarningKind::UnknownFields)),
                 u"Champs de fusion inconnus, envoyés tels quels : {date}"_s);

        const MailingDraft sunday = draft(QString(170, u'x'), u"100007022027"_s);
        const MailingPlan commercial = plan(sunday, {.commercial = true});
        const PlanWarning *hours = commercial.warning(PlanWarningKind::OutsideSendingHours);
        QVERIFY(hours);
        QCOMPARE(hours->next, QDateTime(QDate(2027, 2, 8), QTime(8, 0)));
        QCOMPARE(planWarningText(m_textes, sunday, *commercial.warning(PlanWarningKind::NoStopMention)),
                 m_textes(Txt::NoStopWord));
        QCOMPARE(commercial.warning(PlanWarningKind::CutTexts)->rows, (std::vector<qsizetype>{0, 1, 3}));
        QCOMPARE(commercial.rows[4].text, QString(160, u'x'));
        QVERIFY(commercial.rows[0].text.constData() == commercial.rows[4].text.constData());
        QVERIFY(!plan(draft(u"STOP au 36180"_s), {.commercial = true}).warning(PlanWarningKind::NoStopMention));
    }
};

QTEST_GUILESS_MAIN(TestMailingPlan)
#include "test_mailingplan.moc"
