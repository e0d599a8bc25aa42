#include "gatewaymodel.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace parlevo::sim {

namespace {

bool allDigits(QStringView text)
{
    for (QChar c : text) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return true;
}

} // namespace

std::optional<Account> parseAccountText(const QString &text)
{
    const qsizetype first = text.indexOf(u':');
    const qsizetype last = text.lastIndexOf(u':');
    if (first <= 0 || last == first)
        return std::nullopt;
    bool ok = false;
    const qint64 credit = text.mid(last + 1).toLongLong(&ok);
    if (!ok || credit < 0)
        return std::nullopt;
    return Account{text.left(first), text.mid(first + 1, last - first - 1), credit};
}

std::optional<QList<Account>> parseAccountsJson(const QByteArray &json, QString *error)
{
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parseError);
    if (doc.isNull()) {
        *error = parseError.errorString();
        return std::nullopt;
    }
    const QJsonArray array = doc.isArray() ? doc.array() : doc.object().value(u"accounts").toArray();
    QList<Account> accounts;
    for (const QJsonValue &v : array) {
        const QJsonObject o = v.toObject();
        const QString email = o.value(u"email").toString();
        if (email.isEmpty() || !o.value(u"credit").isDouble() || o.value(u"credit").toDouble() < 0) {
            *error = QStringLiteral("every account needs an \"email\" and a \"credit\" of 0 or more");
            return std::nullopt;
        }
        accounts.append({email, o.value(u"password").toString(), static_cast<qint64>(o.value(u"credit").toDouble())});
    }
    return accounts;
}

std::optional<QDateTime> parseDeferred(const QString &value)
{
    if (value.size() != 12 || !allDigits(value))
        return std::nullopt;
    const QTime time(value.left(2).toInt(), value.mid(2, 2).toInt());
    const QDate date(value.mid(8, 4).toInt(), value.mid(6, 2).toInt(), value.mid(4, 2).toInt());
    if (!time.isValid() || !date.isValid())
        return std::nullopt;
    const QDateTime at(date, time);
    return at.isValid() ? std::optional(at) : std::nullopt;
}

QString groupThousands(qint64 value)
{
    QString digits = QString::number(value < 0 ? -value : value);
    for (qsizetype i = digits.size() - 3; i > 0; i -= 3)
        digits.insert(i, u' ');
    return value < 0 ? u'-' + digits : digits;
}

QByteArray balancePage(const std::optional<qint64> &credit)
{
    const QString sentence = credit ? u"Votre crédit est de " + groupThousands(*credit) + u" SMS."
                                    : QStringLiteral("Identifiant ou mot de passe incorrect.");
    const QString html = u"<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Sendora - Solde</title>"
                         u"<style>p { font-family: sans-serif; }</style></head>\n"
                         u"<body>\n<h1>Sendora</h1>\n<p>" +
                         sentence + u"</p>\n</body></html>\n";
    return html.toUtf8();
}

void GatewayModel::addAccount(const Account &account)
{
    m_accounts.insert(account.email, account);
}

const Account *GatewayModel::account(const QString &email) const
{
    const auto it = m_accounts.constFind(email);
    return it == m_accounts.cend() ? nullptr : &*it;
}

QString GatewayModel::historyKey(const QString &email, const QString &number, const QString &text)
{
    return email + u'\n' + number + u'\n' + text;
}

int GatewayModel::check(const SendRequest &r, const QDateTime &now) const
{
    if (r.email.isEmpty())
        return 87;
    if (r.pass.isEmpty())
        return 88;
    const Account *a = account(r.email);
    if (!a || a->password != r.pass)
        return 82;
    if (r.numero.isEmpty())
        return 89;
    if (r.numero.size() < 10 || r.numero.size() > 15 || !allDigits(r.numero))
        return 84;
    if (r.message.isEmpty())
        return 90;
    if (!r.diff.isEmpty()) {
        const auto at = parseDeferred(r.diff);
        if (!at || *at <= now)
            return 85;
    }
    if (a->credit <= 0)
        return 83;
    const auto last = m_lastAccepted.constFind(historyKey(r.email, r.numero, r.message));
    if (last != m_lastAccepted.cend() && last->secsTo(now) < kDuplicateWindowSecs)
        return 91;
    return r.diff.isEmpty() ? 80 : 81;
}

int GatewayModel::send(const SendRequest &r, const QDateTime &now, AcceptedMessage *accepted)
{
    const int code = check(r, now);
    if (code != 80 && code != 81)
        return code;
    m_accounts[r.email].credit -= 1;
    m_lastAccepted.insert(historyKey(r.email, r.numero, r.message), now);
    if (accepted) {
        *accepted = AcceptedMessage{now, r.email, r.numero, r.message, r.diff, code, QDateTime()};
        if (code == 81)
            accepted->dueAt = *parseDeferred(r.diff);
    }
    return code;
}

void GatewayModel::schedule(const AcceptedMessage &message)
{
    m_scheduled.append(message);
}

QList<AcceptedMessage> GatewayModel::takeDue(const QDateTime &now)
{
    QList<AcceptedMessage> due;
    for (qsizetype i = 0; i < m_scheduled.size();) {
        if (m_scheduled[i].dueAt <= now)
            due.append(m_scheduled.takeAt(i));
        else
            ++i;
    }
    return due;
}

std::optional<qint64> GatewayModel::balance(const QString &email, const QString &password) const
{
    const Account *a = account(email);
    if (!a || email.isEmpty() || a->password != password)
        return std::nullopt;
    return a->credit;
}

} // namespace parlevo::sim
