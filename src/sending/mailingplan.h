#pragma once

#include "addressbook/phonecheck.h"
#include "creditcheck.h"
#include "messages/smsencoding.h"
#include "sendjournal.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

namespace parlevo {

struct ClassContact;
class TextTable;

// A mailing as the user prepared it, in the window or on the command line.
struct MailingDraft {
    qsizetype rowCount = 0;
    // The contact of a 0-based row in list order; nullptr for a row without one.
    std::function<const ClassContact *(qsizetype row)> contactAt;
    QString sender;
    QString message;
    // The merge fields of a list read from a spreadsheet, each row's values in its Extra.
    QStringList columns = {};
    // The deferred-send value, empty to send now.
    QString differer = {};

    // The numbers of the rows as stored; a row without contact has none.
    QStringList numbers() const;
};

// What decides the plan besides the rows.
struct PlanRules {
    NumberPolicy policy = NumberPolicy::OncePerNumber;
    // Leaves out the rows whose number is not a valid mobile number.
    bool skipInvalid = false;
    // Commercial SMS: held to the sending hours, and expected to tell how to opt out.
    bool commercial = false;
    // The credit the gateway last told; nothing when it is not known.
    std::optional<qint64> credit = {};
    // When the plan is made: the moment an immediate mailing goes.
    QDateTime now = {};
};

// What is worth telling before a mailing goes, in the order the plan lists them.
enum class PlanWarningKind {
    // The gateway would refuse the deferred time (past, or less than a minute ahead).
    DeferredTooSoon,
    // Commercial SMS at a time they may not go; next is the first time they may.
    OutsideSendingHours,
    // The numbers' check found invalid, repeated or opted-out numbers.
    NumberFindings,
    // The credit does not cover the SMS of the rows to be sent.
    CreditShort,
    // Commercial SMS that do not tell how to opt out.
    NoStopMention,
    // Merge fields that are no field: they go as written.
    UnknownFields,
    // Rows to be sent where a field the message uses is empty.
    MissingValues,
    // Rows to be sent whose text is cut at the longest an SMS may be.
    CutTexts,
};

struct PlanWarning {
    PlanWarningKind kind;
    // The rows concerned, 0-based in list order (missing values, cut texts).
    std::vector<qsizetype> rows = {};
    // The unknown merge fields as written.
    QStringList fields = {};
    // Credit short: the credit, and the SMS the rows to be sent take.
    qint64 credit = 0;
    qint64 needed = 0;
    // The moment the mailing would go (deferred too soon, outside the hours), and the next allowed one.
    QDateTime when = {};
    QDateTime next = {};
};

// One row of the list as it will go, or why it will not.
struct PlannedRow {
    RowSkip skip = RowSkip::None;
    // The text the gateway gets: sender prefix and merged message, cut to one SMS's length. Empty,
    // with no part, for a row without contact, which costs nothing.
    QString text;
    SmsAlphabet alphabet = SmsAlphabet::Gsm7;
    int parts = 0;
    bool cut = false;
    bool lacksField = false;
};

// Everything known of a mailing before its first SMS; the window asks its questions from it and
// the command line prints it.
struct MailingPlan {
    // Every row of the list, in list order.
    std::vector<PlannedRow> rows;
    NumberCheck numbers;
    // The rows to be sent, each counted with its own text's coding and parts.
    MailingCost cost;
    // The longest merged message of the list, as the message counter counts it.
    QString longestText;
    std::vector<PlanWarning> warnings;

    // The warning of that kind; nullptr when there is none.
    const PlanWarning *warning(PlanWarningKind kind) const;
    // Why each row is left out, RowSkip::None for the rows sent: what the run and its journal take.
    std::vector<RowSkip> skips() const;
};

// numbers: the check of draft.numbers() against the user's region and opt-out list.
MailingPlan planMailing(const TextTable &textes, const MailingDraft &draft, const NumberCheck &numbers,
                        const PlanRules &rules);

// Puts the warning of a short credit in place of the one the plan had, for a credit learnt later.
void holdToCredit(MailingPlan &plan, std::optional<qint64> credit);

// The sentence of the message table that tells a warning: the credit, the missing STOP, the unknown
// fields and the rows lacking a value (named from draft). Empty for the warnings asked as questions
// or told in the cost line.
QString planWarningText(const TextTable &textes, const MailingDraft &draft, const PlanWarning &warning);

} // namespace parlevo
