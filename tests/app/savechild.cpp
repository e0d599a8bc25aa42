// Child process of the killed-save test: saves two versions of the address book, the predefined
// messages and the configuration, one after the other, until it is killed.
#include "addressbook/contactcollection.h"
#include "addressbook/contactstore.h"
#include "app/appstate.h"
#include "messages/predefinis.h"
#include "prefs/configfile.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdio>
#include <memory>

using namespace Qt::StringLiterals;

using namespace parlevo;

namespace {

constexpr int kContacts = 100000;

void fill(AppState &state, const QString &version)
{
    state.addressBook().colContacts().clear();
    std::vector<std::unique_ptr<ClassContact>> contacts;
    contacts.reserve(kContacts);
    for (int i = 0; i < kContacts; ++i) {
        auto c = std::make_unique<ClassContact>();
        c->Groupe = u"Groupe %1"_s.arg(i % 50);
        c->Nom = version + QString::number(i);
        c->Prenom = u"Prénom"_s;
        c->Phone = u"06%1"_s.arg(i, 8, 10, QLatin1Char('0'));
        c->GUID = state.addressBook().NextKey();
        contacts.push_back(std::move(c));
    }
    state.addressBook().colContacts().append(std::move(contacts));
    state.predefinis().colPredefinis().clear();
    for (int i = 0; i < 200; ++i)
        state.predefinis().colPredefinis().append(
            {version + QString::number(i), u"Texte %1 du message\r\nsuite"_s.arg(i)});
    state.config().Expediteur = version;
}

void saveAll(AppState &state, const QString &dir)
{
    AppState target(dir);
    Sauve_Contacts(state.addressBook(), QDir(dir).filePath(QString::fromUtf16(kContactsFileName)));
    target.predefinis().colPredefinis() = state.predefinis().colPredefinis();
    Sauve_Predefinis(target.predefinis());
    target.config() = state.config();
    SaveConfig(target.config(), target.Gateway(), target.Cipher(), target.dataFiles(), {1000, 1000, 8910, 8055, false});
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QString dir = QCoreApplication::arguments().value(1);
    AppState a(dir);
    AppState b(dir);
    fill(a, u"A"_s);
    fill(b, u"B"_s);
    QDir().mkpath(dir + u"/refA"_s);
    QDir().mkpath(dir + u"/refB"_s);
    saveAll(a, dir + u"/refA"_s);
    saveAll(b, dir + u"/refB"_s);
    saveAll(a, dir); // the old files
    std::puts("ready");
    std::fflush(stdout);
    for (bool useB = true;; useB = !useB) {
        saveAll(useB ? b : a, dir);
        std::puts("saved");
        std::fflush(stdout);
    }
}
