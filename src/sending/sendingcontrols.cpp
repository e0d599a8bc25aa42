#include "sendingcontrols.h"

using namespace Qt::StringLiterals;

namespace parlevo {

QString signedCount(qsizetype value)
{
    return value < 0 ? QString::number(value) : u' ' + QString::number(value);
}

QString withCount(const QString &text, qsizetype count)
{
    QString result = text;
    if (result.contains(u" %1"_s))
        return result.replace(u" %1"_s, signedCount(count));
    return result.replace(u"%1"_s, signedCount(count));
}

} // namespace parlevo
