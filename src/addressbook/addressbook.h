#pragma once

#include <QString>

#include <memory>

namespace parlevo {

class ContactCollection;
class DataDir;
class GroupCollection;
class OptOutList;
class PhoneCheck;

// The address book of a data directory: the contacts, their groups, the numbers that never
// receive a mailing and the reader of numbers that compares them. One per run; its files are
// loaded and saved through the data directory (contactstore.h, optoutlist.h).
class AddressBook final {
public:
    explicit AddressBook(DataDir &dataDir);
    ~AddressBook();
    AddressBook(const AddressBook &) = delete;
    AddressBook &operator=(const AddressBook &) = delete;

    DataDir &dataDir() const { return m_dataDir; }

    ContactCollection &colContacts() { return *m_contacts; }
    const ContactCollection &colContacts() const { return *m_contacts; }
    GroupCollection &colGroupes() { return *m_groupes; }
    // Created on first use: the reader of numbers (region of the user's locale) and the numbers
    // that never receive a mailing.
    PhoneCheck &phoneCheck();
    OptOutList &optOuts();

    // The key of a contact or of a mailing row, for this run only: "1" on the first call, then
    // "2", "3" ...
    QString NextKey();

private:
    DataDir &m_dataDir;
    std::unique_ptr<ContactCollection> m_contacts;
    std::unique_ptr<GroupCollection> m_groupes;
    std::unique_ptr<PhoneCheck> m_phoneCheck;
    std::unique_ptr<OptOutList> m_optOuts;
    quint64 m_keyCounter = 0;
};

} // namespace parlevo
