#include "mailingfile.h"

#include "addressbook/contactfields.h"
#include "addressbook/contactstore.h"
#include "addressbook/numberinput.h"
#include "base/codec1252.h"
#include "base/shared.h"
#include "base/storefile.h"
#include "base/textes.h"
#include "base/txt.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace parlevo {

std::optional<std::vector<std::unique_ptr<ClassContact>>>
Charge_Mailing(const QString &path, const std::function<QString()> &nextKey, ReadFailure *failure)
{
    if (failure)
        *failure = ReadFailure::CannotRead;
    if (!FileExists(path))
        return std::nullopt;
    const std::optional<QByteArray> bytes = readWholeFile(path, nullptr, failure);
    if (!bytes)
        return std::nullopt;
    return readForeignContactLines(*bytes, nextKey);
}

QList<FieldChange> readMailingNumbers(PhoneCheck &check, const std::vector<std::unique_ptr<ClassContact>> &rows)
{
    QList<FieldChange> changes;
    for (const std::unique_ptr<ClassContact> &row : rows) {
        NumberInput input = readNumberInput(check, row->Phone);
        if (!input.changed)
            continue;
        changes.append({row->FullName().trimmed(), row->Phone, input.number});
        row->Phone = std::move(input.number);
    }
    return changes;
}

QString mailingNumbersText(const TextTable &textes, const QList<FieldChange> &changes)
{
    if (changes.isEmpty())
        return {};
    QString text = QString(textes(Txt::NumbersRewritten)).replace(u"%1"_s, QString::number(changes.size()));
    for (const FieldChange &change : changes)
        text += u"\r\n"_s + QString(textes(Txt::NumberRewritten))
                                .replace(u"%1"_s, change.fullName)
                                .replace(u"%2"_s, change.before)
                                .replace(u"%3"_s, change.after);
    return text;
}

QByteArray mailingBytes(const QList<const ClassContact *> &rows)
{
    QString text;
    for (const ClassContact *c : rows) {
        QStringList fields;
        for (const ContactFieldInfo *field : kStoredFields)
            fields.append(c->*field->member);
        text += fields.join(u';') + u"\r\n";
    }
    QByteArray ansi = encode1252(text);
    // Rows loaded from a UTF-8 file may hold characters Windows-1252 has not, and rare Windows-1252
    // bytes read as UTF-8: the file is then written in UTF-8 with a byte order mark, so that it
    // loads back as it was.
    const bool highBytes = std::any_of(ansi.cbegin(), ansi.cend(), [](char b) { return b & 0x80; });
    if (unencodable1252(text).isEmpty() && !(highBytes && decodeUtf8(ansi)))
        return ansi;
    return "\xEF\xBB\xBF" + text.toUtf8();
}

bool Sauve_Mailing(const QString &path, const QList<const ClassContact *> &rows)
{
    return replaceFile(path, mailingBytes(rows));
}

std::unique_ptr<ClassContact> mailingCopy(const ClassContact &contact, const QString &key)
{
    auto copy = std::make_unique<ClassContact>();
    for (const ContactFieldInfo *field : kStoredFields)
        (*copy).*field->member = contact.*field->member;
    copy->GUID = key;
    return copy;
}

} // namespace parlevo
