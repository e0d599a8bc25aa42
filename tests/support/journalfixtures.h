#pragma once

#include <QByteArray>
#include <QStringList>

namespace parlevo::test {

// Journal lines as the program writes them, each with its check value.
QByteArray journalBytes(const QStringList &records);

// Writes two journals of past days to a data directory: a mailing of 2026-03-01 in the form
// written before single sends were marked (Dupont accepted, Martin refused with 84, Petit left
// without an answer), and a single send of 2026-04-10 to 0612345678 that never reached the gateway.
bool writeSampleJournals(const QString &dataDir);

} // namespace parlevo::test
