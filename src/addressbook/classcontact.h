#pragma once

#include <QString>
#include <QStringList>

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
    // A mailing row read from a spreadsheet: the values of its other columns, in the order of the
    // mailing's merge fields. Never part of the address book.
    QStringList Extra = {};

    // Title, last name, first name, each present part followed by one blank.
    QString FullName() const;
};

} // namespace parlevo
