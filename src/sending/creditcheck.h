#pragma once

#include <QString>

#include <optional>

namespace parlevo {

class TextTable;

// The credit digits given by the gateway as a number; nothing when the credit is not available.
std::optional<qint64> creditFromSolde(const QString &solde);

// The SMS a mailing takes: every recipient gets the text sent, in as many parts as its coding needs.
qint64 mailingSmsCount(qint64 recipients, const QString &sentText);

// The warning that the credit does not cover smsCount SMS; empty when the credit is unknown or enough.
QString creditWarning(const TextTable &textes, std::optional<qint64> credit, qint64 smsCount);

} // namespace parlevo
