#pragma once

#include "addressbook/phonecheck.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace parlevo {

class AddressBook;
class TextTable;

// The numbers of a mailing's rows (as stored) checked with the user's region and opt-out list.
NumberCheck reviewMailingNumbers(AddressBook &book, const QStringList &numbers);

// The result shown for a row left out for that reason.
QString skipReasonText(const TextTable &textes, RowSkip skip);
// SendRunOptions::skipText for a run that leaves out these rows; none when no row is left out.
std::function<QString(qsizetype row)> skipTextFor(const TextTable &textes, std::vector<RowSkip> skips);

// How many rows have a number that is not a valid mobile number (invalid, a landline ...).
qsizetype notValidMobileCount(const NumberCheck &check);

// The lines that tell the user what the check found, before the send question: one per kind of
// finding, naming the first few rows by their labels (name and number) and how many more; empty
// when nothing was found. With complete, every row found is named, one a line.
QString numberReviewText(const TextTable &textes, const NumberCheck &check, const QStringList &labels,
                         bool complete = false);
// A row's label in those lines: its number as stored, then its name when it has one.
QString reviewLabel(const QString &number, const QString &fullName);

} // namespace parlevo
