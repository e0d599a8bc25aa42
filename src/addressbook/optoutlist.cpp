#include "optoutlist.h"

#include "base/appstate.h"
#include "base/codec1252.h"
#include "base/shared.h"
#include "base/storefile.h"
#include "phonecheck.h"

#include <optional>

using namespace Qt::StringLiterals;

namespace parlevo {

OptOutList::OptOutList(PhoneCheck &check)
    : m_check(check)
{
}

bool OptOutList::contains(const QString &number) const
{
    const QString key = m_check.matchKey(number);
    return !key.isEmpty() && m_keys.contains(key);
}

bool OptOutList::add(const QString &number)
{
    const QString typed = number.trimmed();
    const QString key = m_check.matchKey(typed);
    if (key.isEmpty() || m_keys.contains(key))
        return false;
    m_keys.insert(key, m_numbers.size());
    m_numbers.append(typed);
    return true;
}

bool OptOutList::remove(const QString &number)
{
    const QString key = m_check.matchKey(number);
    const auto it = m_keys.constFind(key);
    if (key.isEmpty() || it == m_keys.cend())
        return false;
    QStringList rest = m_numbers;
    rest.removeAt(*it);
    setNumbers(rest);
    return true;
}

void OptOutList::setNumbers(const QStringList &numbers)
{
    m_numbers.clear();
    m_keys.clear();
    for (const QString &number : numbers)
        add(number);
}

QStringList readOptOutLines(QByteArrayView bytes)
{
    QStringList numbers;
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = start;
        while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n')
            ++end;
        const QString line = decode1252(bytes.sliced(start, end - start)).trimmed();
        if (!DigitsOnly(line).isEmpty())
            numbers.append(line);
        start = end + 1;
    }
    return numbers;
}

QByteArray optOutBytes(const QStringList &numbers)
{
    QByteArray out;
    for (const QString &number : numbers) {
        // A line break inside would make two entries of one.
        QString line = number;
        line.replace(u'\r', u' ').replace(u'\n', u' ');
        appendEncoded1252(out, line);
        out.append("\r\n", 2);
    }
    return out;
}

bool Charge_Desinscrits(AppState &state)
{
    const QString name = QString::fromUtf16(kOptOutFileName);
    const QString path = state.filePath(name);
    if (!FileExists(path))
        return true;
    const std::optional<QByteArray> bytes = readWholeFile(path);
    if (!bytes) {
        state.markUnreadable(name);
        return false;
    }
    replaceFile(state.filePath(QString::fromUtf16(kOptOutBackupName)), *bytes);
    state.optOuts().setNumbers(readOptOutLines(*bytes));
    return true;
}

bool Sauve_Desinscrits(AppState &state)
{
    const QString name = QString::fromUtf16(kOptOutFileName);
    if (state.isUnreadable(name))
        return false;
    const QStringList &numbers = state.optOuts().numbers();
    if (numbers.isEmpty())
        return removeFile(state.filePath(name));
    return replaceFile(state.filePath(name), optOutBytes(numbers));
}

} // namespace parlevo
