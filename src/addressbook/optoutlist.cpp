#include "optoutlist.h"

#include "base/appstate.h"
#include "base/codec1252.h"
#include "base/shared.h"
#include "base/storefile.h"
#include "phonecheck.h"

#include <algorithm>
#include <optional>

using namespace Qt::StringLiterals;

namespace parlevo {

namespace {

// A "+digits" key without a leading zero as its number: far lighter than its text in a hash.
std::optional<quint64> numericKey(QStringView key)
{
    if (key.size() < 2 || key.size() > 19 || key[0] != u'+' || key[1] == u'0')
        return std::nullopt;
    bool ok = false;
    const quint64 value = key.sliced(1).toULongLong(&ok);
    return ok ? std::optional<quint64>(value) : std::nullopt;
}

// Calls line(text) for each line of the file, trimmed, that holds a digit.
template <typename Line> void forEachNumberLine(QByteArrayView bytes, Line line)
{
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = start;
        while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n')
            ++end;
        const QString text = decode1252(bytes.sliced(start, end - start)).trimmed();
        if (std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
            line(text);
        start = end + 1;
    }
}

void appendOptOutLine(QByteArray &out, QString line)
{
    // A line break inside would make two entries of one.
    line.replace(u'\r', u' ').replace(u'\n', u' ');
    appendEncoded1252(out, line);
    out.append("\r\n", 2);
}

} // namespace

OptOutList::OptOutList(PhoneCheck &check)
    : m_check(check)
{
}

QString OptOutList::number(qsizetype position) const
{
    const qsizetype start = position == 0 ? 0 : m_ends[std::size_t(position - 1)];
    return m_text.sliced(start, m_ends[std::size_t(position)] - start);
}

QStringList OptOutList::numbers() const
{
    QStringList out;
    out.reserve(count());
    for (qsizetype i = 0; i < count(); ++i)
        out.append(number(i));
    return out;
}

qsizetype OptOutList::find(const QString &key) const
{
    if (key.isEmpty())
        return -1;
    if (const std::optional<quint64> n = numericKey(key))
        return m_numberKeys.value(*n, -1);
    return m_otherKeys.value(key, -1);
}

bool OptOutList::contains(const QString &number) const
{
    return find(m_check.quickMatchKey(number)) >= 0;
}

bool OptOutList::addTrimmed(QStringView typed)
{
    const QString key = m_check.quickMatchKey(typed);
    if (key.isEmpty() || find(key) >= 0)
        return false;
    const qsizetype position = count();
    if (const std::optional<quint64> n = numericKey(key))
        m_numberKeys.insert(*n, position);
    else
        m_otherKeys.insert(key, position);
    m_text += typed;
    m_ends.push_back(m_text.size());
    return true;
}

bool OptOutList::add(const QString &number)
{
    return addTrimmed(number.trimmed());
}

bool OptOutList::remove(const QString &number)
{
    const qsizetype position = find(m_check.quickMatchKey(number));
    if (position < 0)
        return false;
    QStringList rest = numbers();
    rest.removeAt(position);
    setNumbers(rest);
    return true;
}

void OptOutList::clear()
{
    m_text.clear();
    m_ends.clear();
    m_numberKeys.clear();
    m_otherKeys.clear();
}

void OptOutList::setNumbers(const QStringList &numbers)
{
    clear();
    for (const QString &number : numbers)
        add(number);
}

void OptOutList::setFileBytes(QByteArrayView bytes)
{
    clear();
    // About one entry every 12 bytes: the hash grows once instead of twenty times.
    m_numberKeys.reserve(bytes.size() / 12);
    m_text.reserve(bytes.size());
    forEachNumberLine(bytes, [this](const QString &line) { addTrimmed(line); });
    m_text.squeeze();
}

QByteArray OptOutList::fileBytes() const
{
    QByteArray out;
    out.reserve(m_text.size() + 2 * count());
    for (qsizetype i = 0; i < count(); ++i)
        appendOptOutLine(out, number(i));
    return out;
}

QStringList readOptOutLines(QByteArrayView bytes)
{
    QStringList numbers;
    forEachNumberLine(bytes, [&numbers](const QString &line) { numbers.append(line); });
    return numbers;
}

QByteArray optOutBytes(const QStringList &numbers)
{
    QByteArray out;
    for (const QString &number : numbers)
        appendOptOutLine(out, number);
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
    state.optOuts().setFileBytes(*bytes);
    return true;
}

bool Sauve_Desinscrits(AppState &state)
{
    const QString name = QString::fromUtf16(kOptOutFileName);
    if (state.isUnreadable(name))
        return false;
    return replaceOrRemove(state.filePath(name), state.optOuts().fileBytes())();
}

} // namespace parlevo
