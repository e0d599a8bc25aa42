#include "contactfixtures.h"

#include "addressbook/contactcollection.h"
#include "base/appstate.h"

#include <memory>

namespace parlevo::test {

void addContact(AppState &state, const ContactFields &f)
{
    state.colContacts().add(std::make_unique<ClassContact>(
        ClassContact{f.Groupe, f.Titre, f.Prenom, f.Nom, f.Phone, f.Societe, QString(), state.NextKey()}));
}

} // namespace parlevo::test
