#include "contactstore.h"

#include "addressbook.h"
#include "base/codec1252.h"
#include "base/datadir.h"
#include "base/shared.h"
#include "base/storefile.h"
#include "contactcollection.h"
#include "contactfields.h"
#include "groupcollection.h"

#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <string_view>
#include <thread>
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

// The line of one contact as text. A ";", CR or LF inside a value would break the line, so each
// becomes a blank.
void appendLineText(QString &line, const ClassContact &contact)
{
    bool first = true;
    for (const ContactFieldInfo *field : kStoredFields) {
        if (!first)
            line += u';';
        first = false;
        const qsizetype start = line.size();
        line += contact.*field->member;
        QChar *c = line.data() + start;
        for (QChar *const end = line.data() + line.size(); c != end; ++c) {
            if (*c == u';' || *c == u'\r' || *c == u'\n')
                *c = u' ';
        }
    }
    line += u"\r\n";
}

// The contacts of a run of whole lines, without their keys.
struct DecodedLines {
    std::vector<std::unique_ptr<ClassContact>> contacts;
    // Each distinct spelling of Groupe, in the order first met.
    QStringList groups;
};

DecodedLines decodeLines(const char *p, const char *const end)
{
    DecodedLines out;
    // One contact per line: reserving for every line at once avoids regrowing a huge vector.
    out.contacts.reserve(std::size_t(std::count(p, end, '\n')) + 1);

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
        if (newGroup)
            out.groups.append(contact->Groupe);
        contact->Societe = decodeField(fields[1]);
        contact->Titre = titles.get(fields[2]);
        contact->Prenom = decodeField(fields[3]);
        contact->Nom = decodeField(fields[4]);
        contact->Phone = decodeField(fields[5]);
        out.contacts.push_back(std::move(contact));
    }
    return out;
}

// Below this size a book loads faster on one thread than it takes to start others.
constexpr qsizetype kParallelDecodeBytes = 4 << 20;
constexpr unsigned kMaxDecodeThreads = 4;

// Cuts bytes into up to parts runs of whole lines; a cut falls just after a line feed, which
// always ends a line.
std::vector<const char *> lineRuns(QByteArrayView bytes, unsigned parts)
{
    const char *const begin = bytes.data();
    const char *const end = begin + bytes.size();
    std::vector<const char *> bounds{begin};
    for (unsigned i = 1; i < parts; ++i) {
        const char *cut = begin + bytes.size() * qsizetype(i) / qsizetype(parts);
        if (cut <= bounds.back())
            continue;
        const void *lf = std::memchr(cut, '\n', std::size_t(end - cut));
        if (!lf)
            break;
        cut = static_cast<const char *>(lf) + 1;
        if (cut < end)
            bounds.push_back(cut);
    }
    bounds.push_back(end);
    return bounds;
}

} // namespace

std::vector<std::unique_ptr<ClassContact>>
readContactLines(QByteArrayView bytes, const std::function<QString()> &nextKey, QStringList *groups)
{
    // A large book is decoded on several threads, each on its own run of lines; the result is
    // the same as on one thread, keys and group order included.
    const unsigned parts = bytes.size() < kParallelDecodeBytes
                               ? 1
                               : std::clamp(std::thread::hardware_concurrency(), 1u, kMaxDecodeThreads);
    const std::vector<const char *> bounds = lineRuns(bytes, parts);
    std::vector<DecodedLines> runs(bounds.size() - 1);
    {
        std::vector<std::jthread> threads;
        for (std::size_t i = 1; i < runs.size(); ++i)
            threads.emplace_back([&runs, &bounds, i] { runs[i] = decodeLines(bounds[i], bounds[i + 1]); });
        runs[0] = decodeLines(bounds[0], bounds[1]);
    }

    std::vector<std::unique_ptr<ClassContact>> contacts = std::move(runs[0].contacts);
    std::size_t total = contacts.size();
    for (std::size_t i = 1; i < runs.size(); ++i)
        total += runs[i].contacts.size();
    contacts.reserve(total);
    for (std::size_t i = 1; i < runs.size(); ++i)
        std::move(runs[i].contacts.begin(), runs[i].contacts.end(), std::back_inserter(contacts));
    for (const std::unique_ptr<ClassContact> &contact : contacts)
        contact->GUID = nextKey();

    if (groups) {
        QSet<QString> seen;
        for (const DecodedLines &run : runs) {
            for (const QString &group : run.groups) {
                if (!seen.contains(group)) {
                    seen.insert(group);
                    groups->append(group);
                }
            }
        }
    }
    return contacts;
}

std::vector<std::unique_ptr<ClassContact>> readForeignContactLines(QByteArrayView bytes,
                                                                   const std::function<QString()> &nextKey)
{
    const bool plainAscii = std::none_of(bytes.begin(), bytes.end(), [](char b) { return b & 0x80; });
    const std::optional<QString> utf8 = plainAscii ? std::nullopt : decodeUtf8(bytes);
    if (!utf8)
        return readContactLines(bytes, nextKey);

    std::vector<std::unique_ptr<ClassContact>> contacts;
    const QStringView text = *utf8;
    qsizetype i = 0;
    while (i < text.size()) {
        std::array<QStringView, kFieldCount> fields;
        int field = 0;
        qsizetype start = i;
        for (; i < text.size() && text[i] != u'\r' && text[i] != u'\n'; ++i) {
            if (text[i] == u';') {
                if (field < kFieldCount)
                    fields[field] = text.sliced(start, i - start);
                ++field;
                start = i + 1;
            }
        }
        if (field < kFieldCount)
            fields[field] = text.sliced(start, i - start);
        if (i < text.size() && text[i++] == u'\r' && i < text.size() && text[i] == u'\n')
            ++i;
        auto contact = std::make_unique<ClassContact>();
        for (std::size_t f = 0; f < fields.size(); ++f)
            (*contact).*kStoredFields[f]->member = fields[f].toString();
        contact->GUID = nextKey();
        contacts.push_back(std::move(contact));
    }
    return contacts;
}

bool Charge_Contacts(AddressBook &book)
{
    return book.dataDir().load(QString::fromUtf16(kContactsFileName), QString::fromUtf16(kContactsBackupName),
                               [&book](const QByteArray &bytes) {
                                   QStringList groups;
                                   book.colContacts().append(readContactLines(
                                       bytes, [&book] { return book.NextKey(); }, &groups));
                                   for (const QString &group : std::as_const(groups))
                                       Ajoute_Groupe(book.colGroupes(), group);
                               });
}

void appendContactLine(QByteArray &out, const ClassContact &contact)
{
    QString line;
    appendLineText(line, contact);
    appendEncoded1252(out, line);
}

QByteArray contactLines(const ContactCollection &contacts)
{
    // One character of text is one byte of the file: size the buffer once.
    qsizetype size = 0;
    for (const ClassContact &c : contacts) {
        // Each field and its separator, the last one's being the line's CR LF.
        size += 1;
        for (const ContactFieldInfo *field : kStoredFields)
            size += (c.*field->member).size() + 1;
    }
    QByteArray out;
    out.reserve(size);
    // Lines are gathered as text and encoded a block at a time: far fewer calls than one per value.
    constexpr qsizetype kBlockChars = 1 << 15;
    QString block;
    block.reserve(kBlockChars + 1024);
    for (const ClassContact &c : contacts) {
        appendLineText(block, c);
        if (block.size() >= kBlockChars) {
            appendEncoded1252(out, block);
            block.resize(0);
        }
    }
    appendEncoded1252(out, block);
    return out;
}

FileWrite prepareContactsSave(AddressBook &book, const QString &path)
{
    return book.dataDir().prepareSave(path, contactLines(book.colContacts()));
}

bool Sauve_Contacts(AddressBook &book, const QString &path)
{
    const FileWrite write = prepareContactsSave(book, path);
    return write && write();
}

} // namespace parlevo
