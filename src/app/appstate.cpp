#include "appstate.h"

#include "addressbook/addressbook.h"
#include "crypto/clsrc4.h"
#include "gateway/classsendora.h"
#include "messages/predefinis.h"

namespace parlevo {

AppState::AppState(const QString &dataDir)
    : m_dataDir(dataDir)
    , m_book(std::make_unique<AddressBook>(m_dataDir))
    , m_predefinis(std::make_unique<PredefinedMessages>(m_dataDir))
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

clsRC4 &AppState::Cipher()
{
    if (!m_cipher)
        m_cipher = std::make_unique<clsRC4>();
    return *m_cipher;
}

} // namespace parlevo
