#pragma once

#include "gateway/sendreply.h"

#include <QString>

namespace parlevo {
class ClassSendora;
}

namespace parlevo::test {

// The gateway's answers, the event loop turning until each comes.
SendReply sendAndWait(ClassSendora &gateway, const QString &number, const QString &message, const QString &differer);
bool sendSmsAndWait(ClassSendora &gateway, const QString &number, const QString &message, const QString &differer,
                    bool silent);
QString soldeAndWait(ClassSendora &gateway);

} // namespace parlevo::test
