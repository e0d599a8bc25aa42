#include "contactstore.h"

#include "app/appstate.h"
#include "app/codec1252.h"
#include "app/shared.h"
#include "contactcollection.h"
#include "groupcollection.h"
#include "storefile.h"

#include <algorithm>
#include <array>
#include <limits>
#include <string_view>
#include <unordered_map>

namespace parlevo {

namespace {

constexpr int kFieldCount = 6;

QString decodeField(std::string_view bytes)
{
    return bytes.empty() ? QString() : decode1252(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
}

// Groups and titles repeat across a whole book; sharing one string per distinct value saves
// tens of megabytes on a large book. The views point into the file's bytes, alive for the load.
class FieldInterner {
public:
    explicit FieldInterner(std::size_t limit)
        : m_limit(limit)
    {
    }
    // The shared string for bytes; isNew tells whether these bytes were met for the first time.
    QString get(std::string_view bytes, bool *isNew = nullptr)
    {
        if (bytes.empty())
            return {};
        const auto it = m_seen.find(bytes);
        if (it != m_seen.end()) {
            if (isNew)
                *isNew = false;
            return it->second;
        }
        QString text = decodeField(bytes);
        if (m_seen.size() < m_limit)
            m_seen.emplace(bytes, text);
        if (isNew)
            *isNew = true;
        return text;
    }

private:
    std::size_t m_limit;
    std::unordered_map<std::string_view, QString> m_seen;
};

void appendField(QByteArray &out, const QString &value)
{
    const qsizetype start = out.size();
    appendEncoded1252(out, value);
    char *p = out.data();
    for (qsizetype i = start; i < out.size(); ++i) {
        if (p[i] == ';' || p[i] == '\r' || p[i] == '\n')
            p[i] = ' ';
    }
}

} // namespace

std::vector<std::unique_ptr<ClassContact>>
readContactLines(QByteArrayView bytes, const std::function<QString()> &nextKey, QStringList *groups)
{
    std::vector<std::unique_ptr<ClassContact>> contacts;
    const char *p = bytes.data();
    const char *const end = p + bytes.size();
    // One contact per line: reserving for every line at once avoids regrowing a huge vector.
    contacts.reserve(std::size_t(std::count(p, end, '\n')) + 1);

    // Every distinct group is remembered, so that none is missed; titles only up to a point.
    FieldInterner groupNames(std::numeric_limits<std::size_t>::max());
    FieldInterner titles(1024);

    while (p < end) {
        std::array<std::string_view, kFieldCount> fields;
        int field = 0;
        const char *fieldStart = p;
        for (; p < end && *p != '\r' && *p != '\n'; ++p) {
            if (*p == ';') {
                if (field < kFieldCount)
                    fields[field] = std::string_view(fieldStart, std::size_t(p - fieldStart));
                ++field;
                fieldStart = p + 1;
            }
        }
        if (field < kFieldCount)
            fields[field] = std::string_view(fieldStart, std::size_t(p - fieldStart));
        // CR LF, a lone CR or a lone LF ends the line.
        if (p < end && *p++ == '\r' && p < end && *p == '\n')
            ++p;

        auto contact = std::make_unique<ClassContact>();
        bool newGroup = false;
        contact->Groupe = groupNames.get(fields[0], &newGroup);
        if (newGroup && groups)
            groups->append(contact->Groupe);
        contact->Societe = decodeField(fields[1]);
        contact->Titre = titles.get(fields[2]);
        contact->Prenom = decodeField(fields[3]);
        contact->Nom = decodeField(fields[4]);
        contact->Phone = decodeField(fields[5]);
        contact->GUID = nextKey();
        contacts.push_back(std::move(contact));
    }
    return contacts;
}

bool Charge_Contacts(AppState &state)
{
    const QString path = state.filePath(QString::fromUtf16(kContactsFileName));
    if (!FileExists(path))
        return true;
    const std::optional<QByteArray> bytes = readWholeFile(path);
    if (!bytes)
        return false;
    // The copy is the file as this run found it, so it is made from the very bytes loaded.
    replaceFile(state.filePath(QString::fromUtf16(kContactsBackupName)), *bytes);

    QStringList groups;
    state.colContacts().append(readContactLines(
        *bytes, [&state] { return state.NextKey(); }, &groups));
    for (const QString &group : std::as_const(groups))
        Ajoute_Groupe(state, group);
    return true;
}

void appendContactLine(QByteArray &out, const ClassContact &contact)
{
    appendField(out, contact.Groupe);
    out.append(';');
    appendField(out, contact.Societe);
    out.append(';');
    appendField(out, contact.Titre);
    out.append(';');
    appendField(out, contact.Prenom);
    out.append(';');
    appendField(out, contact.Nom);
    out.append(';');
    appendField(out, contact.Phone);
    out.append("\r\n", 2);
}

QByteArray contactLines(const ContactCollection &contacts)
{
    // One character of text is one byte of the file: size the buffer once.
    qsizetype size = 0;
    for (const ClassContact &c : contacts)
        size +=
            c.Groupe.size() + c.Societe.size() + c.Titre.size() + c.Prenom.size() + c.Nom.size() + c.Phone.size() + 7;
    QByteArray out;
    out.reserve(size);
    for (const ClassContact &c : contacts)
        appendContactLine(out, c);
    return out;
}

bool Sauve_Contacts(AppState &state, const QString &path)
{
    const ContactCollection &contacts = state.colContacts();
    if (contacts.isEmpty())
        return removeFile(path);
    return replaceFile(path, contactLines(contacts));
}

} // namespace parlevo
