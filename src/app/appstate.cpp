#include "base/appstate.h"

#include "addressbook/contactcollection.h"
#include "addressbook/groupcollection.h"
#include "addressbook/optoutlist.h"
#include "addressbook/phonecheck.h"
#include "base/autosave.h"
#include "crypto/clsrc4.h"
#include "gateway/classsendora.h"
#include "messages/predefinis.h"

namespace parlevo {

AppState::AppState(const QString &dataDir)
    : m_dataDir(dataDir)
    , m_contacts(std::make_unique<ContactCollection>())
    , m_groupes(std::make_unique<GroupCollection>())
    , m_predefinis(std::make_unique<PredefiniList>())
    , m_autoSave(std::make_unique<AutoSave>())
{
}

AppState::~AppState() = default;

ClassSendora &AppState::Gateway()
{
    if (!m_gateway)
        m_gateway = std::make_unique<ClassSendora>(m_textes);
    return *m_gateway;
}

PhoneCheck &AppState::phoneCheck()
{
    if (!m_phoneCheck)
        m_phoneCheck = std::make_unique<PhoneCheck>();
    return *m_phoneCheck;
}

OptOutList &AppState::optOuts()
{
    if (!m_optOuts)
        m_optOuts = std::make_unique<OptOutList>(phoneCheck());
    return *m_optOuts;
}

clsRC4 &AppState::Cipher()
{
    if (!m_cipher)
        m_cipher = std::make_unique<clsRC4>();
    return *m_cipher;
}

QString AppState::NextKey()
{
    return QString::number(++m_keyCounter);
}

} // namespace parlevo
