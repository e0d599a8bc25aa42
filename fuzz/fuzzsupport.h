#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>

namespace parlevo {
class ContactCollection;
struct ClassContact;
} // namespace parlevo

namespace parlevo::fuzz {

// Stops the run with the failed condition when an invariant does not hold; libFuzzer keeps the
// input that led there.
[[noreturn]] void fail(const char *condition, const char *file, int line);

#define FUZZ_CHECK(condition)                                                                                          \
    do {                                                                                                               \
        if (!(condition))                                                                                              \
            ::parlevo::fuzz::fail(#condition, __FILE__, __LINE__);                                                     \
    } while (false)

// One empty temporary directory for the whole process, removed at exit.
const QString &dataDir();

// Writes bytes to the file name of dataDir(), replacing it; returns its path.
QString writeDataFile(const QString &name, const QByteArray &bytes);

// Removes the file name of dataDir() if it is there, so that no input sees the previous one's.
void removeDataFile(const QString &name);

QByteArray toBytes(const std::uint8_t *data, std::size_t size);

// The input cut at each NUL byte into at most parts pieces (the last keeps any further NUL).
QList<QByteArray> splitInput(const QByteArray &input, int parts);

// The six stored fields of each contact, in order: what a save and a load must keep.
QList<QStringList> storedRecords(const ContactCollection &contacts);
QStringList storedFields(const ClassContact &contact);

} // namespace parlevo::fuzz
