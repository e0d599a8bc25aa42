#pragma once

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>

#include <optional>

namespace parlevo::sim {

struct Account {
    QString email;
    QString password;
    qint64 credit = 0;
};

// The five values of a send request, already percent-decoded.
struct SendRequest {
    QString email;
    QString pass;
    QString numero;
    QString message;
    QString diff;
};

// One message the gateway accepted (code 80 or 81).
struct AcceptedMessage {
    QDateTime received;
    QString account;
    QString number;
    QString text;
    QString deferred;
    int code = 0;
    QDateTime dueAt; // valid for a deferred message
};

// "EMAIL:PASSWORD:CREDIT"; the password may itself hold ":" (the e-mail is up to the first,
// the credit after the last). Nothing when the form or the credit is wrong.
std::optional<Account> parseAccountText(const QString &text);

// A JSON file: an array of {"email", "password", "credit"} objects, or {"accounts": [...]}.
std::optional<QList<Account>> parseAccountsJson(const QByteArray &json, QString *error);

// hhmmDDMMYYYY read as a local date and time; nothing when it is not 12 digits of a real one.
std::optional<QDateTime> parseDeferred(const QString &value);

// 1250 -> "1 250": one blank between thousands.
QString groupThousands(qint64 value);

// The balance page: HTML whose visible text holds "Votre crédit est de N SMS." for a known
// account, and an error sentence without it otherwise.
QByteArray balancePage(const std::optional<qint64> &credit);

// The gateway's accounts, credits and the history used for the duplicate rule.
class GatewayModel final {
public:
    static constexpr qint64 kDuplicateWindowSecs = 24 * 60 * 60;

    void addAccount(const Account &account);
    const Account *account(const QString &email) const;

    // The reply code for a send, checked in the documented order (87, 88, 82, 89, 84, 90,
    // 85, 83, 91), with no effect on the state.
    int check(const SendRequest &request, const QDateTime &now) const;

    // check(), then for 80 and 81 the credit is debited by one and the message recorded.
    int send(const SendRequest &request, const QDateTime &now, AcceptedMessage *accepted = nullptr);

    // A deferred message waits here until its time comes.
    void schedule(const AcceptedMessage &message);
    // The scheduled messages whose time has come by now, in the order they were accepted.
    QList<AcceptedMessage> takeDue(const QDateTime &now);

    // The credit when the e-mail and password match an account.
    std::optional<qint64> balance(const QString &email, const QString &password) const;

private:
    static QString historyKey(const QString &email, const QString &number, const QString &text);

    QHash<QString, Account> m_accounts;       // by e-mail
    QHash<QString, QDateTime> m_lastAccepted; // historyKey -> time of the last acceptance
    QList<AcceptedMessage> m_scheduled;
};

} // namespace parlevo::sim
