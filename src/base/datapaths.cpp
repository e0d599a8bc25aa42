#include "datapaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace parlevo {

namespace {

// Asked of the system by making a file there: on Windows a folder's read-only flag, which is all
// QFileInfo looks at, says nothing of who may write in it (Program Files has none).
bool canWriteIn(const QString &dir)
{
    QTemporaryFile probe(QDir(dir).filePath(QStringLiteral(".parlevo-probe-XXXXXX")));
    return probe.open();
}

} // namespace

QString resolveDataDir(const QString &dataDirOption)
{
    if (!dataDirOption.isEmpty())
        return QDir(dataDirOption).absolutePath();
    const QString home = qEnvironmentVariable("PARLEVO_HOME");
    if (!home.isEmpty())
        return QDir(home).absolutePath();
    const QString programDir = QCoreApplication::applicationDirPath();
    if (!programDir.isEmpty() && canWriteIn(programDir))
        return programDir;
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

namespace {

// The shared data directory of an installed copy, found from the program's own place so that
// any installation prefix works (/usr for the package, /usr/local or a staging directory by hand).
QDir installedDataDir()
{
    QDir dir(QCoreApplication::applicationDirPath());
    const qsizetype binDepth = QStringLiteral(PARLEVO_INSTALL_BINDIR).count(u'/') + 1;
    for (qsizetype i = 0; i < binDepth; ++i)
        dir.cdUp();
    return QDir(dir.filePath(QStringLiteral(PARLEVO_INSTALL_DATADIR)));
}

} // namespace

QString findLanguageFile(const QString &dataDir, const QString &languageName)
{
    const QString relative = QStringLiteral("Languages/") + languageName + QStringLiteral(".lng");
    const QString inDataDir = QDir(dataDir).filePath(relative);
    const QString candidates[] = {
        inDataDir,
        QDir(QCoreApplication::applicationDirPath()).filePath(relative),
        installedDataDir().filePath(relative),
    };
    for (const QString &path : candidates) {
        if (QFileInfo(path).isFile())
            return path;
    }
    return inDataDir;
}

} // namespace parlevo
