#include "mailingfile.h"

#include "addressbook/contactstore.h"
#include "addressbook/storefile.h"
#include "app/codec1252.h"
#include "app/shared.h"

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

QByteArray mailingBytes(const QList<const ClassContact *> &rows)
{
    QByteArray out;
    QString line;
    for (const ClassContact *c : rows) {
        line.clear();
        line += c->Groupe + u';' + c->Societe + u';' + c->Titre + u';' + c->Prenom + u';' + c->Nom + u';' + c->Phone +
                u"\r\n";
        appendEncoded1252(out, line);
    }
    return out;
}

bool Sauve_Mailing(const QString &path, const QList<const ClassContact *> &rows)
{
    return replaceFile(path, mailingBytes(rows));
}

std::unique_ptr<ClassContact> mailingCopy(const ClassContact &contact, const QString &key)
{
    auto copy = std::make_unique<ClassContact>();
    copy->Groupe = contact.Groupe;
    copy->Societe = contact.Societe;
    copy->Titre = contact.Titre;
    copy->Prenom = contact.Prenom;
    copy->Nom = contact.Nom;
    copy->Phone = contact.Phone;
    copy->GUID = key;
    return copy;
}

} // namespace parlevo
