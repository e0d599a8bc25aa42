#pragma once

#include "addressbook/addressbook.h"
#include "base/autosave.h"
#include "base/basics.h"
#include "base/config.h"
#include "base/datadir.h"
#include "base/textes.h"
#include "base/txt.h"
#include "messages/predefinis.h"

#include <QString>

#include <memory>

namespace parlevo {

class ClassSendora;
class clsRC4;

// The parts of the program, assembled once at start-up and alive for the whole run: the message
// table, the configuration, the data directory, the gateway client, the cipher, the address book
// and the predefined messages. Each window gets the few it uses; tests that drive the main
// window make a fresh one each.
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

    const QString &Textes(Txt text) const { return m_textes(text); }
    TextTable &textTable() { return m_textes; }

    Config &config() { return m_config; }
    const Config &config() const { return m_config; }

    // Created on first use.
    ClassSendora &Gateway();
    clsRC4 &Cipher();

    AddressBook &addressBook() { return *m_book; }
    PredefinedMessages &predefinis() { return *m_predefinis; }

    // Saves the data directory's files soon after a change; windows tell it what changed.
    AutoSave &autoSave() { return *m_autoSave; }

    // What most windows use together.
    Basics basics() { return {m_textes, m_config, m_dataDir, *m_autoSave}; }

private:
    DataDir m_dataDir;
    TextTable m_textes;
    Config m_config;
    std::unique_ptr<ClassSendora> m_gateway;
    std::unique_ptr<clsRC4> m_cipher;
    std::unique_ptr<AddressBook> m_book;
    std::unique_ptr<PredefinedMessages> m_predefinis;
    // Last: its pending saves read the members above, so it goes first.
    std::unique_ptr<AutoSave> m_autoSave;
};

} // namespace parlevo
