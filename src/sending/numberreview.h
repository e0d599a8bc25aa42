#pragma once

#include "addressbook/phonecheck.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace parlevo {

class AppState;
class TextTable;

// The numbers of a mailing's rows (as stored) checked with the user's region and opt-out list.
NumberCheck reviewMailingNumbers(AppState &state, const QStringList &numbers);

// SendRunOptions::skipText for a run that leaves out these rows; none when no row is left out.
std::function<QString(qsizetype row)> skipTextFor(const TextTable &textes, std::vector<RowSkip> skips);

// The lines that tell the user what the check found, before the send question: one per kind of
// finding, naming the first few numbers as stored and how many more; empty when nothing was found.
QString numberReviewText(const TextTable &textes, const NumberCheck &check, const QStringList &numbers);

} // namespace parlevo
