#include "journalfixtures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace parlevo::test {

QByteArray journalBytes(const QStringList &records)
{
    QByteArray bytes;
    for (const QString &record : records) {
        const QByteArray line = record.toUtf8();
        bytes += line + " #" + QByteArray::number(qChecksum(line), 16).rightJustified(4, '0') + '\n';
    }
    return bytes;
}

namespace {

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return QDir().mkpath(QFileInfo(path).path()) && file.open(QIODevice::WriteOnly) &&
           file.write(bytes) == bytes.size();
}

} // namespace

bool writeSampleJournals(const QString &dataDir)
{
    const QString journals = QDir(dataDir).filePath(u"Journal"_s);
    const QByteArray mailing = journalBytes({
        u"parlevo-journal 1"_s,
        u"run 20260301-090000-000-aaaa"_s,
        u"started 2026-03-01T09:00:00.000"_s,
        u"sender Paul"_s,
        u"message Promo printemps"_s,
        u"differer "_s,
        u"rows 3"_s,
        u"row 0 Clients\t\t\tJean\tDupont\t0612345678"_s,
        u"row 1 Clients\t\t\tMarie\tMartin\t0698765432"_s,
        u"row 2 Clients\t\t\tNoëlle\tPetit\t0611111111"_s,
        u"sent 0 2026-03-01T09:00:01.000"_s,
        u"done 0 80 accepted 2026-03-01T09:00:01.500"_s,
        u"sent 1 2026-03-01T09:00:02.000"_s,
        u"done 1 84 refused 2026-03-01T09:00:02.500"_s,
        u"sent 2 2026-03-01T09:00:03.000"_s,
    });
    const QByteArray single = journalBytes({
        u"parlevo-journal 1"_s,
        u"run 20260410-120000-000-bbbb"_s,
        u"started 2026-04-10T12:00:00.000"_s,
        u"kind single"_s,
        u"sender "_s,
        u"message Rendez-vous demain"_s,
        u"differer "_s,
        u"rows 1"_s,
        u"row 0 \t\t\t\t\t0612345678"_s,
        u"sent 0 2026-04-10T12:00:00.100"_s,
        u"done 0 0 unreachable 2026-04-10T12:00:00.800"_s,
        u"end complete 2026-04-10T12:00:00.801"_s,
    });
    return writeFile(journals + u"/20260301-090000-000-aaaa.journal"_s, mailing) &&
           writeFile(journals + u"/Single/20260410-120000-000-bbbb.journal"_s, single);
}

} // namespace parlevo::test
