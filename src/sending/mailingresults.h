#pragma once

#include "addressbook/classcontact.h"
#include "sendrun.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

namespace parlevo {

// One recipient of a finished run: the contact sent to, the gateway's code, the text shown.
struct MailingResult {
    ClassContact contact;
    int code = 0;
    QString text;
};

// A run as it can be sent again: its rows, the texts read for it and its deferred value.
struct MailingRunRecord {
    std::vector<MailingResult> rows;
    QString sender;
    QString message;
    QString differer;
};

// 80 (sent) and 81 (kept for a deferred send) are the only codes that need no second try.
constexpr bool isAcceptedCode(int code)
{
    return code == 80 || code == 81;
}

// The contacts of the rows whose code was neither 80 nor 81, in order.
std::vector<ClassContact> failedContacts(const std::vector<MailingResult> &rows);

// The results file the program writes: one line per row, number as stored;full name;code;text,
// Windows-1252, CR LF, no header. A ";", CR or LF inside a value becomes a blank, so every line
// splits back into exactly four fields.
QByteArray resultsFileBytes(const std::vector<MailingResult> &rows);

// Writes the rows to path, replacing a previous file only once the new one is complete.
bool Sauve_Resultats(const QString &path, const std::vector<MailingResult> &rows);

// The rows of a results file: the program's own form above, or the CSV that parlevo-cli writes
// with --results (UTF-8, header "number,full_name,code,text", quoted fields). The full name
// becomes the contact's Nom. Nothing, with the reason in *error, when the bytes are neither form
// or hold no row.
std::optional<std::vector<MailingResult>> readResultsFile(const QByteArray &bytes, QString *error);

// A source over fixed contacts and fixed texts; contacts must outlive the run.
MailingSource fixedMailingSource(const std::vector<ClassContact> &contacts, const QString &sender,
                                 const QString &message);

} // namespace parlevo
