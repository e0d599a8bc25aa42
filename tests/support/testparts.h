#pragma once

#include "addressbook/addressbook.h"
#include "base/autosave.h"
#include "base/basics.h"
#include "base/config.h"
#include "base/datadir.h"
#include "base/textes.h"
#include "crypto/clsrc4.h"
#include "gateway/classsendora.h"
#include "messages/predefinis.h"

namespace parlevo::test {

// The parts the windows take, over one data directory, as the app assembles them: a window test
// hands its window the ones it uses.
struct Parts {
    explicit Parts(const QString &dir)
        : dataDir(dir)
        , gateway(textes)
        , book(dataDir)
        , messages(dataDir)
    {
    }
    Parts(const Parts &) = delete;
    Parts &operator=(const Parts &) = delete;

    Basics basics() { return {textes, config, dataDir, autoSave}; }

    DataDir dataDir;
    TextTable textes;
    Config config;
    ClassSendora gateway;
    clsRC4 cipher;
    AddressBook book;
    PredefinedMessages messages;
    // Last: its pending saves read the parts above.
    AutoSave autoSave;
};

} // namespace parlevo::test
