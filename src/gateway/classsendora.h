#pragma once

#include <QObject>
#include <QString>

namespace parlevo {

// The client of the SMS gateway; holds the account.
class ClassSendora final : public QObject {
    Q_OBJECT
public:
    explicit ClassSendora(QObject *parent = nullptr);
    Q_DISABLE_COPY_MOVE(ClassSendora)

    QString Mail;
    QString Password;
};

} // namespace parlevo
