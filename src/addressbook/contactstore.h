#pragma once

#include "base/storefile.h"
#include "classcontact.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

namespace parlevo {

class AddressBook;
class ContactCollection;

inline constexpr const char16_t *kContactsFileName = u"Contacts.lst";
inline constexpr const char16_t *kContactsBackupName = u"Contacts.bak";

// Loads "Contacts.lst" of the book's data directory into colContacts and its groups into colGroupes,
// after copying the file as found to "Contacts.bak". No file: nothing happens. False when the
// file exists but cannot be read; the book then stays as it was and the file is marked unreadable,
// so that no save of the run replaces or removes it.
bool Charge_Contacts(AddressBook &book);

// Writes colContacts to path, replacing the previous file only once the new one is complete.
// An empty book removes the file. False when the file on disk could not be brought up to date;
// the previous file is then left whole.
bool Sauve_Contacts(AddressBook &book, const QString &path);
// The same save in two steps: the bytes taken now, written when the returned step runs (on any
// thread). Empty when the file must not be saved.
FileWrite prepareContactsSave(AddressBook &book, const QString &path);

// The line format shared by the contacts file and the mailing files: six fields
// Groupe;Societe;Titre;Prenom;Nom;Phone in Windows-1252, each line ended by CR LF.

// One contact per line, each keyed by nextKey(). Lines with fewer fields take the missing ones
// as empty, fields past the sixth are ignored. When groups is given, it receives each distinct
// spelling of Groupe in the order first met.
std::vector<std::unique_ptr<ClassContact>>
readContactLines(QByteArrayView bytes, const std::function<QString()> &nextKey, QStringList *groups = nullptr);

// The same lines from a file another program may have written (an import, a mailing file): read
// as UTF-8 when the bytes are valid UTF-8 (with or without a byte order mark), else as
// Windows-1252.
std::vector<std::unique_ptr<ClassContact>> readForeignContactLines(QByteArrayView bytes,
                                                                   const std::function<QString()> &nextKey);

// Appends the line of one contact. A ";", CR or LF inside a value would break the line, so each
// becomes a blank.
void appendContactLine(QByteArray &out, const ClassContact &contact);

// The lines of every contact, in collection order.
QByteArray contactLines(const ContactCollection &contacts);

} // namespace parlevo
