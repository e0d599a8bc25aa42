#pragma once

#include "base/config.h"
#include "base/datadir.h"
#include "base/shared.h"
#include "base/textes.h"
#include "base/txt.h"

#include <QString>
#include <QStringList>
#include <QtContainerFwd>

#include <memory>

namespace parlevo {

class AutoSave;
class ClassSendora;
class clsRC4;
class ContactCollection;
class GroupCollection;
class OptOutList;
class PhoneCheck;
struct ClassPredefini;
using PredefiniList = QList<ClassPredefini>;

// The application-wide state, created once at start-up and alive for the whole run: the
// message table, the configuration, the gateway client, the cipher, the per-run key counter,
// the address book with its groups and the predefined messages. Windows and tools get it by
// reference; tests make a fresh one each. The collections are declared only: the state is
// put together at the top (src/app), so that this ground-floor header needs nothing above it.
class AppState final {
public:
    explicit AppState(const QString &dataDir);
    ~AppState();
    AppState(const AppState &) = delete;
    AppState &operator=(const AppState &) = delete;

    const QString &dataDir() const { return m_dataDir.path(); }
    // A file of the data directory.
    QString filePath(const QString &name) const { return m_dataDir.filePath(name); }
    // Its files' load and save, and those that could not be read at start-up.
    DataDir &dataFiles() { return m_dataDir; }
    const DataDir &dataFiles() const { return m_dataDir; }

    const QString &Textes(Txt text) const { return m_textes(text); }
    TextTable &textTable() { return m_textes; }

    Config &config() { return m_config; }
    const Config &config() const { return m_config; }

    // Created on first use.
    ClassSendora &Gateway();
    clsRC4 &Cipher();

    // "1" on the first call of a run, then "2", "3" ...
    QString NextKey();

    ContactCollection &colContacts() { return *m_contacts; }
    GroupCollection &colGroupes() { return *m_groupes; }
    PredefiniList &colPredefinis() { return *m_predefinis; }
    // Created on first use: the reader of numbers (region of the user's locale) and the numbers
    // that never receive a mailing.
    PhoneCheck &phoneCheck();
    OptOutList &optOuts();

    // Saves the data directory's files soon after a change; windows tell it what changed.
    AutoSave &autoSave() { return *m_autoSave; }

    WinColor ListBackColor = kListBackColor;
    WinColor ListStripeColor = kListStripeColor;

private:
    DataDir m_dataDir;
    TextTable m_textes;
    Config m_config;
    std::unique_ptr<ClassSendora> m_gateway;
    std::unique_ptr<clsRC4> m_cipher;
    quint64 m_keyCounter = 0;
    std::unique_ptr<ContactCollection> m_contacts;
    std::unique_ptr<GroupCollection> m_groupes;
    std::unique_ptr<PredefiniList> m_predefinis;
    std::unique_ptr<PhoneCheck> m_phoneCheck;
    std::unique_ptr<OptOutList> m_optOuts;
    // Last: its pending saves read the members above, so it goes first.
    std::unique_ptr<AutoSave> m_autoSave;
};

} // namespace parlevo
