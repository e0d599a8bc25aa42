#include "fuzzsupport.h"

#include "addressbook/contactcollection.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace parlevo::fuzz {

void fail(const char *condition, const char *file, int line)
{
    std::fprintf(stderr, "invariant failed: %s (%s:%d)\n", condition, file, line);
    std::abort();
}

const QString &dataDir()
{
    // The savers sync every file to disk; in a memory file system that costs nothing, on a disk
    // it would slow each run down many times over.
    const QString shm = QStringLiteral("/dev/shm");
    static QTemporaryDir dir((QFileInfo(shm).isDir() && QFileInfo(shm).isWritable() ? shm : QDir::tempPath()) +
                             QStringLiteral("/parlevo-fuzz-XXXXXX"));
    static const QString path = dir.path();
    FUZZ_CHECK(dir.isValid());
    return path;
}

QString writeDataFile(const QString &name, const QByteArray &bytes)
{
    const QString path = QDir(dataDir()).filePath(name);
    QFile file(path);
    FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    FUZZ_CHECK(file.write(bytes) == bytes.size());
    return path;
}

void removeDataFile(const QString &name)
{
    QFile::remove(QDir(dataDir()).filePath(name));
}

QByteArray toBytes(const std::uint8_t *data, std::size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
}

QList<QByteArray> splitInput(const QByteArray &input, int parts)
{
    QList<QByteArray> out;
    qsizetype start = 0;
    while (out.size() + 1 < parts) {
        const qsizetype nul = input.indexOf('\0', start);
        if (nul < 0)
            break;
        out.append(input.sliced(start, nul - start));
        start = nul + 1;
    }
    out.append(input.sliced(start));
    return out;
}

QStringList storedFields(const ClassContact &contact)
{
    return {contact.Groupe, contact.Societe, contact.Titre, contact.Prenom, contact.Nom, contact.Phone};
}

QList<QStringList> storedRecords(const ContactCollection &contacts)
{
    QList<QStringList> records;
    for (const ClassContact &contact : contacts)
        records.append(storedFields(contact));
    return records;
}

} // namespace parlevo::fuzz
