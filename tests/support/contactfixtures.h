#pragma once

#include "addressbook/classcontact.h"

namespace parlevo {
class AddressBook;
}

namespace parlevo::test {

// The fields a test gives a contact, in the contact's order; the others stay empty.
struct ContactFields {
    QString Groupe{};
    QString Titre{};
    QString Prenom{};
    QString Nom{};
    QString Phone{};
    QString Societe{};
};

// A contact with those fields, without a key.
ClassContact makeContact(const ContactFields &f);

// Adds the contact to the address book under the next key of the run (its group is
// not added to the groups: tests that need it say so).
void addContact(AddressBook &book, const ContactFields &f);

} // namespace parlevo::test
