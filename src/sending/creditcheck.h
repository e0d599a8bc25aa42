#pragma once

#include "addressbook/phonecheck.h"
#include "messages/smsencoding.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

namespace parlevo {

struct ClassContact;
class MergeTemplate;
class TextTable;

// The credit digits given by the gateway as a number; nothing when the credit is not available.
std::optional<qint64> creditFromSolde(const QString &solde);

// What a mailing costs: each row to be sent counted with its own merged text's coding and parts.
struct MailingCost {
    qsizetype recipients = 0;
    qint64 sms = 0;
    // Rows whose text needs Unicode, and rows whose text is cut at the longest a message may be;
    // the first few of each named.
    qsizetype unicodeRows = 0;
    QStringList unicodeNames;
    qsizetype cutRows = 0;
    QStringList cutNames;
};

// Counts one row to be sent: its text's coding and parts, and whether its whole text was cut.
void countRow(MailingCost &cost, const ClassContact &contact, SmsAlphabet alphabet, int parts, bool cut);

// Rows without a contact, and rows skips leaves out (when given), cost nothing.
MailingCost mailingCost(const TextTable &textes, const QString &sender, const MergeTemplate &message,
                        qsizetype rowCount, const std::function<const ClassContact *(qsizetype)> &contactAt,
                        const std::vector<RowSkip> &skips = {});

// "N SMS pour M destinataire(s)", then how many rows go in Unicode and how many are cut, with the
// first names of each: the one line the window, the questions and the command line all give.
QString mailingCostText(const TextTable &textes, const MailingCost &cost);

// The warning that the credit does not cover smsCount SMS; empty when the credit is unknown or enough.
QString creditWarning(const TextTable &textes, std::optional<qint64> credit, qint64 smsCount);

} // namespace parlevo
