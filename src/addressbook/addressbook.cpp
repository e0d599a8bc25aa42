#include "addressbook.h"

#include "contactcollection.h"
#include "groupcollection.h"
#include "optoutlist.h"
#include "phonecheck.h"

namespace parlevo {

AddressBook::AddressBook(DataDir &dataDir)
    : m_dataDir(dataDir)
    , m_contacts(std::make_unique<ContactCollection>())
    , m_groupes(std::make_unique<GroupCollection>())
{
}

AddressBook::~AddressBook() = default;

PhoneCheck &AddressBook::phoneCheck()
{
    if (!m_phoneCheck)
        m_phoneCheck = std::make_unique<PhoneCheck>();
    return *m_phoneCheck;
}

OptOutList &AddressBook::optOuts()
{
    if (!m_optOuts)
        m_optOuts = std::make_unique<OptOutList>(phoneCheck());
    return *m_optOuts;
}

QString AddressBook::NextKey()
{
    return QString::number(++m_keyCounter);
}

} // namespace parlevo
