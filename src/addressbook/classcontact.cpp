#include "classcontact.h"

namespace parlevo {

QString ClassContact::FullName() const
{
    QString name;
    for (const QString *part : {&Titre, &Nom, &Prenom}) {
        if (!part->isEmpty())
            name += *part + QLatin1Char(' ');
    }
    return name;
}

} // namespace parlevo
