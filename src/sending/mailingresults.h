#pragma once

#include "addressbook/classcontact.h"
#include "sendjournal.h"
#include "sendrun.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

namespace parlevo {

class TextTable;

// One recipient of a finished run: the contact sent to, the gateway's code, the text shown and
// what the code means (code 0 is either a gateway never reached or an answer that did not come).
struct MailingResult {
    ClassContact contact;
    int code = 0;
    QString text;
    SendOutcome outcome = SendOutcome::Unreachable;
};

// A run as it can be sent again: its rows, the texts read for it and its deferred value.
struct MailingRunRecord {
    std::vector<MailingResult> rows;
    QString sender;
    QString message;
    QString differer;
    // Whether the run sent once per number: a second try keeps to it.
    NumberPolicy policy = NumberPolicy::OncePerNumber;
    // The merge fields of the rows' spreadsheet columns.
    QStringList columns = {};
};

// Every row of a journaled run as its journal records it: its outcome (a row never started is
// not sent) and the text the result window shows for it.
std::vector<MailingResult> recordedResults(const TextTable &textes, const JournalContent &content);

// How many rows got no answer in time.
qsizetype unknownCount(const std::vector<MailingResult> &rows);

// The results file the program writes: one line per row, number as stored;full name;code;text;
// outcome (accepted, refused, unreachable or unknown), Windows-1252, CR LF, no header. A ";", CR
// or LF inside a value becomes a blank, so every line splits back into exactly five fields.
QByteArray resultsFileBytes(const std::vector<MailingResult> &rows);

// The CSV that parlevo-cli writes with --results, UTF-8, quoted as RFC 4180: the header line,
// then one line per row, each ended by CR LF.
QString cliResultsHeader();
QString cliResultsLine(const QString &number, const MailingResult &row);

// Writes the rows to path, replacing a previous file only once the new one is complete.
bool Sauve_Resultats(const QString &path, const std::vector<MailingResult> &rows);

// The rows of a results file: the program's own form above, or the CSV that parlevo-cli writes
// with --results. Files written before the outcome column (four fields) still read: their code 0
// counts as a gateway never reached. The full name becomes the contact's Nom. Nothing, with the
// reason in *error, when the bytes are neither form or hold no row.
std::optional<std::vector<MailingResult>> readResultsFile(const QByteArray &bytes, QString *error);

// A source over a copy of the contacts and fixed texts. columns: the
// merge fields of the rows' spreadsheet columns, if any.
MailingSource fixedMailingSource(const std::vector<ClassContact> &contacts, const QString &sender,
                                 const QString &message, const QStringList &columns = {});

} // namespace parlevo
