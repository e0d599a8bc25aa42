#include "classsendora.h"

namespace parlevo {

ClassSendora::ClassSendora(const TextTable &textes, QObject *parent)
    : QObject(parent)
    , m_textes(textes)
{
}

// Requests are not made yet: every send reports no usable reply and the credit is unknown.
bool ClassSendora::Send_SMS(const QString &NumeroGSM, const QString &Message, const QString &Differer, bool)
{
    return Envoi_SMS(NumeroGSM, Message, Differer) == 80;
}

quint8 ClassSendora::Envoi_SMS(const QString &, const QString &, const QString &)
{
    return 0;
}

QString ClassSendora::Solde()
{
    return QString();
}

} // namespace parlevo
