#include "shared.h"

#include <QDir>
#include <QFileInfo>

namespace parlevo {

bool FileExists(const QString &path)
{
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    const QString name = info.fileName();
    if (!name.contains(u'*') && !name.contains(u'?'))
        return info.exists();
    const QDir dir = info.dir();
    return !dir.entryList({name}, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot).isEmpty();
}

QString UnescapeNewlines(const QString &text)
{
    QString out = text;
    out.replace(QStringLiteral("\\n"), QStringLiteral("\n"));
    return out;
}

QString DigitsOnly(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c >= u'0' && c <= u'9')
            out.append(c);
    }
    return out;
}

} // namespace parlevo
