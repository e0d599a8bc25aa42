#include "navigationsound.h"

#include <QFileInfo>

#ifdef Q_OS_WIN
#include <QRegularExpression>
#include <QSettings>
// windows.h first: mmsystem.h needs its types.
#include <qt_windows.h>

#include <mmsystem.h>
#endif

using namespace Qt::StringLiterals;

namespace parlevo {

#ifdef Q_OS_WIN

namespace {

// Registry values of type REG_EXPAND_SZ carry %VARIABLE% references.
QString expandEnvironment(QString text)
{
    static const QRegularExpression variable(u"%([^%]+)%"_s);
    QRegularExpressionMatch match;
    qsizetype from = 0;
    while ((match = variable.match(text, from)).hasMatch()) {
        const QString name = match.captured(1);
        if (!qEnvironmentVariableIsSet(name.toLocal8Bit().constData())) {
            from = match.capturedEnd();
            continue;
        }
        const QString value = qEnvironmentVariable(name.toLocal8Bit().constData());
        text.replace(match.capturedStart(), match.capturedLength(), value);
        from = match.capturedStart() + value.size();
    }
    return text;
}

} // namespace

QString findNavigationSound()
{
    const QSettings key(u"HKEY_CURRENT_USER\\AppEvents\\Schemes\\Apps\\Explorer\\Navigating\\.current"_s,
                        QSettings::NativeFormat);
    const QString path = expandEnvironment(key.value(u"Default"_s).toString());
    return !path.isEmpty() && QFileInfo::exists(path) ? path : QString();
}

void playSoundAsync(const QString &path)
{
    if (!path.isEmpty())
        PlaySoundW(reinterpret_cast<LPCWSTR>(path.utf16()), nullptr, SND_FILENAME | SND_ASYNC | SND_NODEFAULT);
}

#else

QString findNavigationSound()
{
    return QString();
}

void playSoundAsync(const QString &) {}

#endif

} // namespace parlevo
