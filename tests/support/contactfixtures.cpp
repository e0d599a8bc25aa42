#include "contactfixtures.h"

#include "addressbook/contactcollection.h"
#include "base/appstate.h"

#include <memory>

namespace parlevo::test {

ClassContact makeContact(const ContactFields &f)
{
    return {f.Groupe, f.Titre, f.Prenom, f.Nom, f.Phone, f.Societe, QString(), QString()};
}

void addContact(AppState &state, const ContactFields &f)
{
    auto contact = std::make_unique<ClassContact>(makeContact(f));
    contact->GUID = state.NextKey();
    state.colContacts().add(std::move(contact));
}

} // namespace parlevo::test
