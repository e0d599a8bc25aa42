#pragma once

#include <QString>

namespace parlevo {

// One person of the address book (or a private copy in a mailing). Plain data: the windows edit
// the members in place and tell the collection afterwards.
struct ClassContact {
    QString Groupe;
    QString Titre;
    QString Prenom;
    QString Nom;
    QString Phone;
    QString Societe;
    // Never filled by the address book.
    QString AccountNo;
    // The key in its collection for this run only; never stored.
    QString GUID;

    // Title, last name, first name, each present part followed by one blank.
    QString FullName() const;
};

} // namespace parlevo
