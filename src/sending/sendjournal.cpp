#include "sendjournal.h"

#include "addressbook/contactfields.h"
#include "base/filelock.h"
#include "base/filesync.h"
#include "base/privatefile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSet>

#include <algorithm>
#include <array>
#include <future>

using namespace Qt::StringLiterals;

namespace parlevo {

namespace {

const QString kMagic = u"parlevo-journal 1"_s;
const QString kExtension = u".journal"_s;
const QString kLockExtension = u".lock"_s;
constexpr qsizetype kContactFieldCount = qsizetype(kStoredFields.size());
// A row line's fields past the contact's are "key=value" notes; "left" says why the row is left out.
const QString kLeftKey = u"left="_s;
// and "x" holds a value of the row's spreadsheet columns, in the order of the head's columns line.
const QString kColumnKey = u"x="_s;
constexpr QByteArrayView kLeftKeyBytes = "left=";
constexpr QByteArrayView kMagicBytes = "parlevo-journal 1";
constexpr QByteArrayView kColumnKeyBytes = "x=";

QString skipKeyword(RowSkip skip)
{
    switch (skip) {
    case RowSkip::OptedOut:
        return u"optout"_s;
    case RowSkip::Repeat:
        return u"repeat"_s;
    case RowSkip::Invalid:
        return u"invalid"_s;
    case RowSkip::Other:
        return u"other"_s;
    case RowSkip::None:
        break;
    }
    return {};
}

// A reason this version does not know was still a reason to leave the row out.
RowSkip skipFromKeyword(QStringView keyword)
{
    if (keyword == u"optout")
        return RowSkip::OptedOut;
    if (keyword == u"repeat")
        return RowSkip::Repeat;
    if (keyword == u"invalid")
        return RowSkip::Invalid;
    return RowSkip::Other;
}

// Blanks inside a value would break a line apart: backslash escapes keep it on one line.
QString escaped(const QString &value)
{
    QString out;
    out.reserve(value.size());
    for (QChar c : value) {
        if (c == u'\\')
            out += u"\\\\"_s;
        else if (c == u'\t')
            out += u"\\t"_s;
        else if (c == u'\n')
            out += u"\\n"_s;
        else if (c == u'\r')
            out += u"\\r"_s;
        else
            out += c;
    }
    return out;
}

QString unescaped(QStringView value)
{
    if (!value.contains(u'\\'))
        return value.toString();
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != u'\\' || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        const QChar next = value[++i];
        out += next == u't' ? u'\t' : next == u'n' ? u'\n' : next == u'r' ? u'\r' : next;
    }
    return out;
}

QByteArray checked(const QString &record)
{
    const QByteArray bytes = record.toUtf8();
    return bytes + " #" + QByteArray::number(qChecksum(bytes), 16).rightJustified(4, '0') + '\n';
}

// qChecksum's CRC (ISO 3309) a byte at a time rather than half a byte: every line of a million-row
// history is checked.
constexpr auto kCrcTable = [] {
    std::array<quint16, 256> table{};
    for (unsigned byte = 0; byte < 256; ++byte) {
        unsigned crc = byte;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) != 0 ? (crc >> 1) ^ 0x8408 : crc >> 1;
        table[byte] = quint16(crc);
    }
    return table;
}();

quint16 lineChecksum(QByteArrayView bytes)
{
    unsigned crc = 0xffff;
    for (char c : bytes)
        crc = (crc >> 8) ^ kCrcTable[(crc ^ uchar(c)) & 0xff];
    return quint16(~crc);
}

// The record of a line whose check value fits; nothing for a damaged line.
std::optional<QByteArrayView> verified(QByteArrayView line)
{
    const qsizetype mark = line.size() - 6;
    if (mark < 0 || line[mark] != ' ' || line[mark + 1] != '#')
        return std::nullopt;
    const QByteArrayView record = line.first(mark);
    uint sum = 0;
    for (char c : line.sliced(mark + 2)) {
        const int digit = c >= '0' && c <= '9'   ? c - '0'
                          : c >= 'a' && c <= 'f' ? c - 'a' + 10
                          : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                 : -1;
        if (digit < 0)
            return std::nullopt;
        sum = sum * 16 + uint(digit);
    }
    if (sum != lineChecksum(record))
        return std::nullopt;
    return record;
}

// The reason a row is left out goes on the row's own line: a damaged line loses the row with it,
// never the decision alone. Readers that know only the contact's fields take such a row as
// unreadable, which never sends it either.
QString contactRecord(qsizetype row, const ClassContact &c, RowSkip skip, qsizetype columns)
{
    QStringList fields;
    for (const ContactFieldInfo *field : kStoredFields)
        fields.append(escaped(c.*field->member));
    QString record = u"row "_s + QString::number(row) + u' ' + fields.join(u'\t');
    if (skip != RowSkip::None)
        record += u'\t' + kLeftKey + skipKeyword(skip);
    for (qsizetype i = 0; i < columns; ++i)
        record += u'\t' + kColumnKey + (i < c.Extra.size() ? escaped(c.Extra[i]) : QString());
    return record;
}

QString now()
{
    return QDateTime::currentDateTime().toString(Qt::ISODateWithMs);
}

} // namespace

QString journalDir(const QString &dataDir)
{
    return QDir(dataDir).filePath(u"Journal"_s);
}

namespace {

QStringList journalsIn(const QString &folder)
{
    // The names begin with the start time: their order is the runs' order.
    const QDir dir(folder);
    QStringList files;
    for (const QString &name : dir.entryList({u"*"_s + kExtension}, QDir::Files, QDir::Name))
        files.append(dir.filePath(name));
    return files;
}

} // namespace

QStringList journalFiles(const QString &dataDir)
{
    return journalsIn(journalDir(dataDir));
}

namespace {

// A run's lock lives beside its journal, named by the run's id: a copy of the journal under
// another name is held by the same lock.
QString lockPath(const QString &dataDir, const QString &runId)
{
    return QDir(journalDir(dataDir)).filePath(runId + kLockExtension);
}

QString lockPathOf(const QString &journalPath)
{
    const QFileInfo info(journalPath);
    return info.dir().filePath(info.completeBaseName() + kLockExtension);
}

} // namespace

QString singleSendDir(const QString &dataDir)
{
    return QDir(journalDir(dataDir)).filePath(u"Single"_s);
}

QStringList singleSendFiles(const QString &dataDir)
{
    return journalsIn(singleSendDir(dataDir));
}

namespace {

char16_t unitAt(QStringView text, qsizetype i)
{
    return text[i].unicode();
}

char16_t unitAt(QByteArrayView text, qsizetype i)
{
    return uchar(text[i]);
}

template <typename Text> qint64 stampOf(Text iso)
{
    // yyyy-MM-ddTHH:mm:ss.zzz
    static constexpr qsizetype kDigits[] = {0, 1, 2, 3, 5, 6, 8, 9, 11, 12, 14, 15, 17, 18, 20, 21, 22};
    if (iso.size() < 23)
        return 0;
    qint64 stamp = 0;
    for (qsizetype at : kDigits) {
        const char16_t c = unitAt(iso, at);
        if (c < u'0' || c > u'9')
            return 0;
        stamp = stamp * 10 + (c - u'0');
    }
    return stamp;
}

} // namespace

qint64 localStamp(QStringView iso)
{
    return stampOf(iso);
}

qint64 localStamp(QByteArrayView iso)
{
    return stampOf(iso);
}

QDateTime dateTimeOfStamp(qint64 stamp)
{
    const auto part = [stamp](qint64 divisor, qint64 modulo) { return int(stamp / divisor % modulo); };
    return QDateTime(QDate(int(stamp / 10000000000000), part(100000000000, 100), part(1000000000, 100)),
                     QTime(part(10000000, 100), part(100000, 100), part(1000, 100), part(1, 1000)));
}

SendJournal::SendJournal(const QString &path, std::unique_ptr<FileLock> lock)
    : m_lock(std::move(lock))
    , m_file(path)
{
}

std::unique_ptr<SendJournal> SendJournal::create(const QString &dataDir, JournalHead &head, QString *error)
{
    return createIn(journalDir(dataDir), kKeptRuns, false, head, error);
}

std::unique_ptr<SendJournal> SendJournal::createSingle(const QString &dataDir, JournalHead &head, QString *error)
{
    return createIn(singleSendDir(dataDir), kKeptSingleSends, true, head, error);
}

namespace {

constexpr QFileDevice::Permissions kPrivateFile = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
constexpr QFileDevice::Permissions kPrivateFolder = kPrivateFile | QFileDevice::ExeOwner;

// The journals hold numbers, names and texts: their folders are the user's alone.
bool makePrivateFolder(const QString &folder)
{
    const QString parent = QFileInfo(folder).absolutePath();
    if (!QDir().mkpath(parent) || (!QFileInfo(folder).isDir() && !QDir().mkdir(folder, kPrivateFolder)))
        return false;
    return makeOwnerOnly(folder);
}

} // namespace

void protectJournals(const QString &dataDir)
{
    for (const QString &folder : {journalDir(dataDir), singleSendDir(dataDir)}) {
        if (!QFileInfo(folder).isDir())
            continue;
        makeOwnerOnly(folder);
        const QFileInfoList files = QDir(folder).entryInfoList(QDir::Files | QDir::Hidden | QDir::NoSymLinks);
        for (const QFileInfo &file : files)
            makeOwnerOnly(file.filePath());
    }
}

std::unique_ptr<SendJournal> SendJournal::createIn(const QString &folder, int kept, bool single, JournalHead &head,
                                                   QString *error)
{
    // A single send's folder is inside the runs' one.
    if ((single && !makePrivateFolder(QFileInfo(folder).absolutePath())) || !makePrivateFolder(folder)) {
        *error = u"cannot make the folder "_s + QDir::toNativeSeparators(folder);
        return nullptr;
    }
    head.started = QDateTime::currentDateTime();
    head.runId = head.started.toString(u"yyyyMMdd-HHmmss-zzz"_s) + u'-' +
                 QString::number(QRandomGenerator::global()->bounded(0x10000), 16).rightJustified(4, u'0');
    const QString path = QDir(folder).filePath(head.runId + kExtension);
    // A run is held from before its first line: no other process takes it up while it goes.
    std::unique_ptr<FileLock> lock;
    if (!single) {
        FileLock::Outcome outcome = FileLock::Outcome::Failed;
        QString reason;
        lock = FileLock::tryLock(lockPathOf(path), &outcome, &reason);
        if (!lock) {
            *error = QDir::toNativeSeparators(lockPathOf(path)) + u": "_s + reason;
            return nullptr;
        }
    }
    std::unique_ptr<SendJournal> journal(new SendJournal(path, std::move(lock)));
    if (!journal->m_file.open(QIODevice::WriteOnly | QIODevice::NewOnly, kPrivateFile)) {
        *error = journal->m_file.fileName() + u": "_s + journal->m_file.errorString();
        return nullptr;
    }
    QByteArray bytes = checked(kMagic);
    bytes += checked(u"run "_s + head.runId);
    bytes += checked(u"started "_s + head.started.toString(Qt::ISODateWithMs));
    // Readers that do not know a head line skip it: older versions still read this journal.
    if (single)
        bytes += checked(u"kind single"_s);
    if (head.test)
        bytes += checked(u"purpose test"_s);
    bytes += checked(u"sender "_s + escaped(head.sender));
    bytes += checked(u"message "_s + escaped(head.message));
    bytes += checked(u"differer "_s + head.differer);
    QString numbers = head.policy == NumberPolicy::EveryRow ? u"numbers every "_s : u"numbers once "_s;
    numbers += head.region;
    bytes += checked(numbers);
    if (!head.columns.isEmpty()) {
        QStringList names;
        for (const QString &name : head.columns)
            names.append(escaped(name));
        bytes += checked(u"columns "_s + names.join(u'\t'));
    }
    bytes += checked(u"rows "_s + QString::number(head.rows.size()));
    for (qsizetype i = 0; i < qsizetype(head.rows.size()); ++i)
        bytes += checked(contactRecord(i, head.rows[std::size_t(i)], head.skipOf(i), head.columns.size()));
    if (journal->m_file.write(bytes) != bytes.size() || !syncToDisk(journal->m_file)) {
        *error = journal->m_file.fileName() + u": "_s + journal->m_file.errorString();
        journal->discard();
        return nullptr;
    }
    journal->startWriter();
    // The oldest journals go, except a run another process is sending now.
    QStringList files = journalsIn(folder);
    for (qsizetype excess = files.size() - kept, i = 0; excess > 0 && i < files.size(); ++i) {
        if (FileLock::isHeld(lockPathOf(files[i])))
            continue;
        QFile::remove(files[i]);
        QFile::remove(lockPathOf(files[i]));
        --excess;
    }
    return journal;
}

std::unique_ptr<SendJournal> SendJournal::reopen(const QString &path, std::unique_ptr<FileLock> lock, QString *error)
{
    std::unique_ptr<SendJournal> journal(new SendJournal(path, std::move(lock)));
    if (!journal->m_file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        *error = path + u": "_s + journal->m_file.errorString();
        return nullptr;
    }
    journal->startWriter();
    return journal;
}

void SendJournal::discard()
{
    stopWriter();
    m_file.close();
    m_file.remove();
    if (m_lock) {
        // Removed while held: a process that opens it meanwhile holds a name nobody else uses.
        QFile::remove(lockPathOf(m_file.fileName()));
        m_lock.reset();
    }
}

qsizetype SendJournal::journalRow(qsizetype runRow) const
{
    return m_rowMap.empty() ? runRow : m_rowMap[std::size_t(runRow)];
}

SendJournal::~SendJournal()
{
    stopWriter();
}

void SendJournal::stopWriter()
{
    if (!m_writer.joinable())
        return;
    {
        const std::lock_guard lock(m_mutex);
        m_closing = true;
    }
    m_wake.notify_one();
    m_writer.join();
}

void SendJournal::startWriter()
{
    m_writer = std::thread([this] { writerLoop(); });
}

void SendJournal::writerLoop()
{
    for (;;) {
        std::deque<Pending> batch;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_closing || !m_queue.empty(); });
            if (m_queue.empty())
                return;
            batch.swap(m_queue);
        }
        // Everything waiting goes down in one trip; the disk is waited for when one line asks.
        QByteArray bytes;
        bool durable = false;
        for (const Pending &pending : batch) {
            bytes += pending.bytes;
            durable = durable || pending.durable;
        }
        bool ok = !m_failed && m_file.write(bytes) == bytes.size();
        ok = ok && (durable ? syncToDisk(m_file) : m_file.flush());
        // A journal with a hole would mislead a resume: nothing more is written once one fails.
        m_failed = m_failed || !ok;
        for (const Pending &pending : batch) {
            if (pending.written)
                pending.written(ok);
        }
    }
}

void SendJournal::enqueue(Pending pending)
{
    {
        const std::lock_guard lock(m_mutex);
        m_queue.push_back(std::move(pending));
    }
    m_wake.notify_one();
}

bool SendJournal::appendAndWait(const QByteArray &bytes)
{
    std::promise<bool> written;
    std::future<bool> result = written.get_future();
    enqueue({bytes, true, [&written](bool ok) { written.set_value(ok); }});
    return result.get();
}

QByteArray SendJournal::startedLines(std::span<const qsizetype> runRows) const
{
    QByteArray bytes;
    const QString at = now();
    for (qsizetype row : runRows)
        bytes += checked(u"sent "_s + QString::number(journalRow(row)) + u' ' + at);
    return bytes;
}

bool SendJournal::recordStarted(std::span<const qsizetype> runRows)
{
    return appendAndWait(startedLines(runRows));
}

void SendJournal::recordStartedLater(std::span<const qsizetype> runRows, QObject *context,
                                     std::function<void(bool)> done)
{
    enqueue({startedLines(runRows), true, [context, done = std::move(done)](bool ok) {
                 QMetaObject::invokeMethod(
                     context, [done, ok] { done(ok); }, Qt::QueuedConnection);
             }});
}

bool SendJournal::recordDone(qsizetype runRow, const SendReply &reply)
{
    // A lost outcome only makes its row unknown: it is not waited for.
    enqueue({checked(u"done "_s + QString::number(journalRow(runRow)) + u' ' + QString::number(reply.code) + u' ' +
                     outcomeKeyword(reply.outcome) + u' ' + now()),
             false,
             {}});
    return true;
}

bool SendJournal::recordResumed(const std::optional<QString> &differer)
{
    QByteArray bytes = checked(u"resumed "_s + now());
    // A line of its own, which older versions skip: they still read the rest of the journal.
    if (differer)
        bytes += checked(u"redeferred "_s + *differer);
    return appendAndWait(bytes);
}

bool SendJournal::recordEnd(bool complete)
{
    const QString how = complete ? u"complete"_s : u"stopped"_s;
    return appendAndWait(checked(QString(u"end "_s + how + u' ' + now())));
}

namespace {

// Read a byte at a time: a journal holds three lines per row, and a QString made of each of
// them costs more than the whole rest of the reading.
std::optional<qsizetype> numberIn(QByteArrayView text)
{
    if (text.isEmpty() || text.size() > 18)
        return std::nullopt;
    qsizetype value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

QString textOf(QByteArrayView bytes)
{
    const QString text = QString::fromUtf8(bytes);
    return bytes.contains('\\') ? unescaped(text) : text;
}

std::optional<SendOutcome> outcomeIn(QByteArrayView keyword)
{
    static const auto keywords = [] {
        std::vector<std::pair<QByteArray, SendOutcome>> all;
        for (SendOutcome o : {SendOutcome::Accepted, SendOutcome::Refused, SendOutcome::Unreachable,
                              SendOutcome::Unknown, SendOutcome::NotSent, SendOutcome::Skipped, SendOutcome::Busy})
            all.emplace_back(outcomeKeyword(o).toLatin1(), o);
        return all;
    }();
    for (const auto &[word, outcome] : keywords) {
        if (keyword == word)
            return outcome;
    }
    return std::nullopt;
}

// The piece of text before the first blank, and the rest after it.
std::pair<QByteArrayView, QByteArrayView> firstWord(QByteArrayView text)
{
    const qsizetype blank = text.indexOf(' ');
    if (blank < 0)
        return {text, {}};
    return {text.first(blank), text.sliced(blank + 1)};
}

} // namespace

ClassContact journalContact(QByteArrayView fields)
{
    ClassContact c;
    for (const ContactFieldInfo *field : kStoredFields) {
        const qsizetype tab = fields.indexOf('\t');
        c.*field->member = textOf(tab < 0 ? fields : fields.first(tab));
        fields = tab < 0 ? QByteArrayView() : fields.sliced(tab + 1);
    }
    // Then notes: the values of a spreadsheet's columns among them.
    while (!fields.isEmpty()) {
        const qsizetype tab = fields.indexOf('\t');
        const QByteArrayView note = tab < 0 ? fields : fields.first(tab);
        if (note.startsWith(kColumnKeyBytes))
            c.Extra.append(textOf(note.sliced(kColumnKeyBytes.size())));
        fields = tab < 0 ? QByteArrayView() : fields.sliced(tab + 1);
    }
    return c;
}

std::optional<JournalContent> readJournal(const QByteArray &bytes, QString *error)
{
    std::vector<ClassContact> rows;
    auto content = readJournal(bytes, error, [&rows](qsizetype row, QByteArrayView fields) {
        if (std::size_t(row) >= rows.size())
            rows.resize(std::size_t(row) + 1);
        rows[std::size_t(row)] = journalContact(fields);
    });
    if (content) {
        rows.resize(content->states.size());
        content->head.rows = std::move(rows);
    }
    return content;
}

std::optional<JournalContent> readJournal(const QByteArray &bytes, QString *error, const JournalRowReader &readRow)
{
    JournalContent content;
    JournalHead &head = content.head;
    std::optional<qsizetype> rowCount;
    bool magic = false;
    bool haveSender = false;
    bool haveMessage = false;
    bool haveDifferer = false;
    // Rows with column values merge only with the columns' names: without them every row would
    // be sent its message with the fields left as written.
    bool needColumns = false;
    std::vector<bool> haveRow;
    qsizetype maxSent = -1;
    // Damaged lines after the record of the furthest row started: each may be one more row started.
    qsizetype damagedAfterMaxSent = 0;
    // A row line takes more bytes than this: a larger count is damage.
    const qsizetype mostRows = bytes.size() / 16;
    const QByteArrayView all(bytes);
    for (qsizetype n = 0, from = 0; from < all.size(); ++n) {
        qsizetype end = all.indexOf('\n', from);
        if (end < 0)
            end = all.size();
        const QByteArrayView line = all.sliced(from, end - from);
        from = end + 1;
        const auto record = verified(line);
        if (!record) {
            content.problems.append(u"line %1 is damaged and was skipped"_s.arg(n + 1));
            ++damagedAfterMaxSent;
            // It may have recorded a request leaving.
            content.startedAny = true;
            continue;
        }
        const auto [word, rest] = firstWord(*record);
        const auto rowOf = [&](QByteArrayView text, qsizetype *row) {
            const auto number = numberIn(text);
            *row = number.value_or(-1);
            return number && rowCount && *row < *rowCount;
        };
        if (*record == kMagicBytes) {
            magic = true;
        } else if (word == "run") {
            head.runId = QString::fromUtf8(rest);
        } else if (word == "started") {
            head.started = QDateTime::fromString(QString::fromUtf8(rest), Qt::ISODateWithMs);
        } else if (word == "sender") {
            head.sender = textOf(rest);
            haveSender = true;
        } else if (word == "message") {
            head.message = textOf(rest);
            haveMessage = true;
        } else if (word == "differer") {
            head.differer = QString::fromUtf8(rest);
            haveDifferer = true;
        } else if (word == "numbers") {
            // Without this line (older journals, or a damaged one) a run counts as once per number:
            // the choice that never sends a number twice.
            head.policy = rest.startsWith("every") ? NumberPolicy::EveryRow : NumberPolicy::OncePerNumber;
            head.region = QString::fromUtf8(rest.sliced(rest.indexOf(' ') + 1));
        } else if (word == "rows" && !rowCount) {
            const auto count = numberIn(rest);
            // Each row has its line: a larger count is damage, and would only exhaust memory.
            if (count && *count <= mostRows) {
                rowCount = *count;
                head.skips.assign(std::size_t(*count), RowSkip::None);
                haveRow.assign(std::size_t(*count), false);
                content.states.assign(std::size_t(*count), JournalRowState::NotStarted);
                content.replies.assign(std::size_t(*count), SendReply{});
                content.stamps.assign(std::size_t(*count), 0);
            }
        } else if (word == "row") {
            const auto [number, fields] = firstWord(rest);
            qsizetype row = 0;
            if (rest.indexOf(' ') < 0 || !rowOf(number, &row))
                continue;
            // The contact's fields, then notes.
            qsizetype contactEnd = 0;
            qsizetype tabs = 0;
            for (; contactEnd < fields.size() && tabs < kContactFieldCount; ++contactEnd)
                tabs += fields[contactEnd] == '\t';
            if (tabs < kContactFieldCount - 1)
                continue;
            // The reader gets the notes too: a spreadsheet's values are the row's, as its contact's.
            readRow(row, fields);
            for (QByteArrayView notes = fields.sliced(std::min(contactEnd, fields.size())); !notes.isEmpty();) {
                const qsizetype tab = notes.indexOf('\t');
                const QByteArrayView note = tab < 0 ? notes : notes.first(tab);
                if (note.startsWith(kLeftKeyBytes))
                    head.skips[std::size_t(row)] =
                        skipFromKeyword(QString::fromUtf8(note.sliced(kLeftKeyBytes.size())));
                else if (note.startsWith(kColumnKeyBytes))
                    needColumns = true;
                notes = tab < 0 ? QByteArrayView() : notes.sliced(tab + 1);
            }
            haveRow[std::size_t(row)] = true;
        } else if (word == "columns") {
            for (QByteArrayView names = rest; !names.isEmpty();) {
                const qsizetype tab = names.indexOf('\t');
                head.columns.append(textOf(tab < 0 ? names : names.first(tab)));
                names = tab < 0 ? QByteArrayView() : names.sliced(tab + 1);
            }
        } else if (word == "kind") {
            content.single = rest == "single";
        } else if (word == "purpose") {
            head.test = rest == "test";
        } else if (word == "sent") {
            const auto [number, at] = firstWord(rest);
            qsizetype row = 0;
            if (!rowOf(number, &row))
                continue;
            content.startedAny = true;
            if (content.states[std::size_t(row)] == JournalRowState::NotStarted) {
                content.states[std::size_t(row)] = JournalRowState::Started;
                content.stamps[std::size_t(row)] = localStamp(at);
            }
            if (row > maxSent) {
                maxSent = row;
                damagedAfterMaxSent = 0;
            }
        } else if (word == "done") {
            const auto [number, afterNumber] = firstWord(rest);
            const auto [codeText, afterCode] = firstWord(afterNumber);
            const auto [keyword, at] = firstWord(afterCode);
            qsizetype row = 0;
            const auto code = numberIn(codeText);
            const auto outcome = outcomeIn(keyword);
            if (keyword.isEmpty() || !rowOf(number, &row) || !code || *code > 255 || !outcome)
                continue;
            // A request not started but stopped is told as not sent: it may be sent later.
            if (*outcome == SendOutcome::NotSent)
                continue;
            content.states[std::size_t(row)] = JournalRowState::Done;
            content.replies[std::size_t(row)] = SendReply{quint8(*code), *outcome};
            content.stamps[std::size_t(row)] = localStamp(firstWord(at).first);
        } else if (word == "end") {
            content.complete = rest.startsWith("complete");
            content.ended = true;
        } else if (word == "resumed") {
            content.ended = false;
        } else if (word == "redeferred" && haveDifferer) {
            // The run was taken up with another deferred time: its later rows, and any later
            // take-up, go with that one.
            head.differer = QString::fromUtf8(rest);
        }
    }
    if (!magic || !rowCount || !haveSender || !haveMessage || !haveDifferer ||
        (needColumns && head.columns.isEmpty())) {
        *error = u"not a journal, or its head is damaged"_s;
        return std::nullopt;
    }
    // A row left out by the run's decision is done, whether or not the run got as far as telling it.
    for (qsizetype row = 0; row < *rowCount; ++row) {
        if (head.skips[std::size_t(row)] != RowSkip::None &&
            content.states[std::size_t(row)] != JournalRowState::Done) {
            content.states[std::size_t(row)] = JournalRowState::Done;
            content.replies[std::size_t(row)] = SendReply{0, SendOutcome::Skipped};
        }
    }
    // Rows start in list order, so every row before the furthest one recorded as leaving has left:
    // one with no record of it had its line damaged. Past it, every damaged line may have named one
    // more row.
    for (qsizetype row = 0; row < maxSent; ++row) {
        if (content.states[std::size_t(row)] == JournalRowState::NotStarted)
            content.states[std::size_t(row)] = JournalRowState::Started;
    }
    for (qsizetype row = maxSent + 1; row < *rowCount && damagedAfterMaxSent > 0; ++row) {
        if (content.states[std::size_t(row)] == JournalRowState::NotStarted) {
            content.states[std::size_t(row)] = JournalRowState::Started;
            --damagedAfterMaxSent;
        }
    }
    for (qsizetype row = 0; row < *rowCount; ++row) {
        if (!haveRow[std::size_t(row)] && content.states[std::size_t(row)] != JournalRowState::Done) {
            content.states[std::size_t(row)] = JournalRowState::Missing;
            content.problems.append(u"row %1 has no readable recipient and cannot be sent"_s.arg(row + 1));
        }
    }
    return content;
}

namespace {

// Rows that repeat a number met on an earlier row of the list, however written.
std::vector<bool> repeatedNumbers(const std::vector<ClassContact> &rows,
                                  const std::function<QString(const QString &)> &numberKey)
{
    std::vector<bool> repeated(rows.size(), false);
    QSet<QString> seen;
    for (std::size_t row = 0; row < rows.size(); ++row) {
        const QString key = numberKey(rows[row].Phone);
        if (key.isEmpty())
            continue;
        repeated[row] = seen.contains(key);
        seen.insert(key);
    }
    return repeated;
}

} // namespace

ResumePlan planResume(const JournalContent &content, bool includeUnknown,
                      const std::function<QString(const QString &)> &numberKey)
{
    ResumePlan plan;
    const std::vector<bool> repeated = content.head.policy == NumberPolicy::OncePerNumber
                                           ? repeatedNumbers(content.head.rows, numberKey)
                                           : std::vector<bool>(content.head.rows.size(), false);
    for (qsizetype row = 0; row < qsizetype(content.states.size()); ++row) {
        const JournalRowState state = content.states[std::size_t(row)];
        const SendOutcome outcome = content.replies[std::size_t(row)].outcome;
        const bool mayHaveLeft =
            state == JournalRowState::Started || (state == JournalRowState::Done && outcome == SendOutcome::Unknown);
        plan.unknown += mayHaveLeft;
        // A busy gateway served nothing: such a row never went.
        const bool neverWent =
            state == JournalRowState::NotStarted || (state == JournalRowState::Done && outcome == SendOutcome::Busy);
        if (repeated[std::size_t(row)] || (!neverWent && !(mayHaveLeft && includeUnknown)))
            continue;
        plan.rows.push_back(content.head.rows[std::size_t(row)]);
        plan.rowMap.push_back(row);
    }
    return plan;
}

std::vector<qsizetype> retryRows(const std::vector<ClassContact> &rows, const std::vector<SendOutcome> &outcomes,
                                 NumberPolicy policy, bool includeUnknown,
                                 const std::function<QString(const QString &)> &numberKey)
{
    const auto mayHaveGone = [](SendOutcome o) { return o == SendOutcome::Accepted || o == SendOutcome::Unknown; };
    QSet<QString> reached;
    if (policy == NumberPolicy::OncePerNumber) {
        for (std::size_t row = 0; row < rows.size() && row < outcomes.size(); ++row) {
            if (mayHaveGone(outcomes[row]) && !(includeUnknown && outcomes[row] == SendOutcome::Unknown))
                reached.insert(numberKey(rows[row].Phone));
        }
    }
    std::vector<qsizetype> chosen;
    QSet<QString> chosenNumbers;
    for (std::size_t row = 0; row < rows.size() && row < outcomes.size(); ++row) {
        const SendOutcome o = outcomes[row];
        const bool failed = o == SendOutcome::Refused || o == SendOutcome::Unreachable || o == SendOutcome::NotSent ||
                            o == SendOutcome::Busy || (includeUnknown && o == SendOutcome::Unknown);
        if (!failed)
            continue;
        if (policy == NumberPolicy::OncePerNumber) {
            const QString key = numberKey(rows[row].Phone);
            if (!key.isEmpty() && (reached.contains(key) || chosenNumbers.contains(key)))
                continue;
            chosenNumbers.insert(key);
        }
        chosen.push_back(qsizetype(row));
    }
    return chosen;
}

bool isCopyOfAnotherJournal(const QString &dataDir, const QString &path, const QString &runId)
{
    const QFileInfo self(path);
    const QFileInfo own(QDir(journalDir(dataDir)).filePath(runId + kExtension));
    if (own.exists())
        return own.canonicalFilePath() != self.canonicalFilePath();
    // Renamed: the run's first journal by name is its own. Only the head's first lines are read.
    for (const QString &other : journalFiles(dataDir)) {
        if (QFileInfo(other).canonicalFilePath() == self.canonicalFilePath())
            return false;
        QFile file(other);
        if (file.open(QIODevice::ReadOnly) && file.read(256).contains(checked(u"run "_s + runId)))
            return true;
    }
    return false;
}

std::optional<HeldRun> holdRun(const QString &dataDir, const QString &path, HoldFailure *failure, QString *error)
{
    const auto read = [&]() -> std::optional<JournalContent> {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            *error = file.errorString();
            return std::nullopt;
        }
        return readJournal(file.readAll(), error);
    };
    auto content = read();
    if (!content) {
        *failure = HoldFailure::Unreadable;
        return std::nullopt;
    }
    if (content->single) {
        *failure = HoldFailure::Single;
        *error = u"it records a single send, not a mailing run"_s;
        return std::nullopt;
    }
    if (isCopyOfAnotherJournal(dataDir, path, content->head.runId)) {
        *failure = HoldFailure::Copy;
        *error = u"it is a copy of another journal of the run "_s + content->head.runId;
        return std::nullopt;
    }
    QDir().mkpath(journalDir(dataDir));
    FileLock::Outcome outcome = FileLock::Outcome::Failed;
    QString reason;
    auto lock = FileLock::tryLock(lockPath(dataDir, content->head.runId), &outcome, &reason);
    if (!lock) {
        *failure = outcome == FileLock::Outcome::HeldByOther ? HoldFailure::InUse : HoldFailure::Unreadable;
        *error = outcome == FileLock::Outcome::HeldByOther
                     ? QString(u"the run "_s + content->head.runId + u" is being sent by another process"_s)
                     : QString(u"cannot lock the run "_s + content->head.runId + u": "_s + reason);
        return std::nullopt;
    }
    // Read again now that no other process can add to it.
    content = read();
    if (!content) {
        *failure = HoldFailure::Unreadable;
        return std::nullopt;
    }
    if (!content->startedAny) {
        *failure = HoldFailure::NeverStarted;
        *error = u"the run "_s + content->head.runId + u" never sent an SMS: there is nothing to take up"_s;
        return std::nullopt;
    }
    return HeldRun{path, std::move(*content), std::move(lock)};
}

std::optional<QString> interruptedJournal(const QString &dataDir, bool cutShortOnly, QString *heldElsewhere)
{
    QStringList files = journalFiles(dataDir);
    while (!files.isEmpty()) {
        const QString path = files.takeLast();
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        // A run's last record tells how it ended; only a run that may be interrupted is read
        // whole, so that a hundred kept journals do not slow every start.
        file.seek(std::max<qint64>(0, file.size() - 512));
        const QByteArray tail = file.readAll().trimmed();
        const QByteArray last = tail.mid(tail.lastIndexOf('\n') + 1);
        if (last.startsWith("end complete") || (cutShortOnly && last.startsWith("end ")))
            continue;
        file.seek(0);
        QString ignored;
        const auto content = readJournal(file.readAll(), &ignored);
        if (!content || content->complete || content->single || (cutShortOnly && content->ended) ||
            !content->startedAny || isCopyOfAnotherJournal(dataDir, path, content->head.runId))
            continue;
        if (FileLock::isHeld(lockPath(dataDir, content->head.runId))) {
            if (heldElsewhere && heldElsewhere->isEmpty())
                *heldElsewhere = path;
            continue;
        }
        return path;
    }
    return std::nullopt;
}

} // namespace parlevo
