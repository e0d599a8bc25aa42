#include "contactfixtures.h"

#include "addressbook/addressbook.h"
#include "addressbook/contactcollection.h"

#include <memory>

namespace parlevo::test {

ClassContact makeContact(const ContactFields &f)
{
    return {f.Groupe, f.Titre, f.Prenom, f.Nom, f.Phone, f.Societe, QString(), QString()};
}

void addContact(AddressBook &book, const ContactFields &f)
{
    auto contact = std::make_unique<ClassContact>(makeContact(f));
    contact->GUID = book.NextKey();
    book.colContacts().add(std::move(contact));
}

} // namespace parlevo::test
