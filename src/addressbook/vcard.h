#pragma once

#include "classcontact.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

namespace parlevo {

// The contacts of a vCard file (versions 2.1, 3.0 and 4.0), one per BEGIN:VCARD ... END:VCARD,
// each keyed by nextKey(). Only what the address book holds is read: N (else FN) gives the last
// and first names and N's honorific prefix the title, ORG's first unit the company, the mobile
// number (else the first TEL) the number, CATEGORIES' first entry the group. Values are cleaned
// as the contact editor would take them: no ";" or line break; the number is kept as written, for
// the import to read. A card that leaves all six fields empty is skipped. UTF-16 with a byte order
// mark is read too, here and by looksLikeVCard.
std::vector<std::unique_ptr<ClassContact>> readVCards(QByteArrayView bytes, const std::function<QString()> &nextKey);

// Whether bytes look like a vCard file: BEGIN:VCARD on the first line that is not blank.
bool looksLikeVCard(QByteArrayView bytes);

// One vCard 3.0 per contact in UTF-8, lines ended by CR LF and folded at 75 octets.
QByteArray vCardsOf(const QList<const ClassContact *> &contacts);

// Writes vCardsOf(contacts) to path, replacing any file there only once the new one is complete.
bool writeVCardFile(const QString &path, const QList<const ClassContact *> &contacts);

} // namespace parlevo
