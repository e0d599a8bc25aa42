#include "configfile.h"

#include "base/datadir.h"
#include "base/ini.h"
#include "crypto/clsrc4.h"
#include "gateway/classsendora.h"

#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

using namespace Qt::StringLiterals;

namespace parlevo {

namespace {

const QString kSectionMain = QStringLiteral("Parlevo");
const QString kSectionColumns = QStringLiteral("CarnetAdresses");
const QString kSectionAccount = QStringLiteral("Account");
const QString kSectionProxy = QStringLiteral("Proxy");

std::optional<double> toNumber(const QString &text)
{
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

// A number rounded to a 32-bit integer; out-of-range or non-numeric values keep the current one.
void readInt(const IniDocument &doc, const QString &key, const QString &defaultValue, qint32 &target)
{
    const auto v = toNumber(doc.value(kSectionMain, key, defaultValue));
    if (v && *v >= std::numeric_limits<qint32>::min() && *v <= std::numeric_limits<qint32>::max())
        target = static_cast<qint32>(std::lround(*v));
}

// "True"/"False" in any case, or a number (0 is False); anything else keeps the current value.
void readBool(const IniDocument &doc, const QString &section, const QString &key, bool &target)
{
    const QString text = doc.value(section, key, target ? u"True"_s : u"False"_s).trimmed();
    if (text.compare(u"True", Qt::CaseInsensitive) == 0)
        target = true;
    else if (text.compare(u"False", Qt::CaseInsensitive) == 0)
        target = false;
    else if (const auto v = toNumber(text))
        target = *v != 0;
}

QString boolText(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

struct ColumnKey {
    const char16_t *readKey;
    const char16_t *writtenKey;
    bool Config::*flag;
};

constexpr ColumnKey kColumns[] = {
    {u"Column_Group", u"Column_Group", &Config::ColumnGroup},
    {u"Column_Company", u"Column_Company", &Config::ColumnCompany},
    {u"Column_Title", u"Column_Title", &Config::ColumnTitle},
    {u"Column_FullName", u"Column_FullName", &Config::ColumnFullName},
    {u"Column_FirstName", u"Column_Firstname", &Config::ColumnFirstName},
    {u"Column_LastName", u"Column_LastName", &Config::ColumnLastName},
    {u"Column_GSM", u"Column_GSM", &Config::ColumnGSM},
};

} // namespace

void LoadConfig(Config &config, ClassSendora &gateway, clsRC4 &cipher, DataDir &dataDir)
{
    Config &c = config;
    c = Config{};
    gateway.Mail.clear();
    gateway.Password.clear();
    gateway.Proxy = ProxySetting{};

    const QString path = dataDir.filePath(QString::fromUtf16(kConfigFileName));
    IniDocument doc;
    if (QFileInfo::exists(path)) {
        const std::optional<QByteArray> bytes = readWholeFile(path);
        if (!bytes) {
            // Saving defaults over it would lose the account and every setting.
            dataDir.markUnreadable(QString::fromUtf16(kConfigFileName));
            return;
        }
        doc = IniDocument::fromBytes(*bytes);
    }

    const auto maximized = toNumber(doc.value(kSectionMain, u"Maximized"_s, u"0"_s));
    if (maximized && *maximized == 1) {
        c.WindowMaximized = true;
    } else {
        readInt(doc, u"Top"_s, QString::number(kDefaultWindowTop), c.WindowTop);
        readInt(doc, u"Left"_s, QString::number(kDefaultWindowLeft), c.WindowLeft);
        readInt(doc, u"Width"_s, QString::number(kDefaultWindowWidth), c.WindowWidth);
        readInt(doc, u"Height"_s, QString::number(kDefaultWindowHeight), c.WindowHeight);
    }
    c.Expediteur = doc.value(kSectionMain, u"From"_s, c.Expediteur);
    readInt(doc, u"MaxSmsPerMinute"_s, QString::number(c.MaxSmsPerMinute), c.MaxSmsPerMinute);
    readInt(doc, u"ParallelRequests"_s, QString::number(c.ParallelRequests), c.ParallelRequests);
    // A hand-edited value out of range takes the nearest one allowed.
    c.MaxSmsPerMinute = std::max(0, c.MaxSmsPerMinute);
    c.ParallelRequests = std::clamp(c.ParallelRequests, 1, 8);
    readBool(doc, kSectionMain, u"CommercialSms"_s, c.CommercialSms);
    c.MyNumber = doc.value(kSectionMain, u"MyNumber"_s, c.MyNumber);
    for (const ColumnKey &column : kColumns)
        readBool(doc, kSectionColumns, QString::fromUtf16(column.readKey), c.*column.flag);

    gateway.Mail = doc.value(kSectionAccount, u"E-mail"_s, gateway.Mail);
    QString stored = doc.value(kSectionAccount, u"Password"_s, gateway.Password);
    gateway.Password = stored.isEmpty() ? QString() : cipher.DecryptString(stored, gateway.Mail, true);

    ProxySetting &proxy = gateway.Proxy;
    proxy.host = doc.value(kSectionProxy, u"Host"_s, QString());
    const auto port = toNumber(doc.value(kSectionProxy, u"Port"_s, u"0"_s));
    proxy.port = port && *port >= 1 && *port <= 65535 ? int(*port) : 0;
    proxy.user = doc.value(kSectionProxy, u"User"_s, QString());
    // Enciphered as the account's password is, keyed by the proxy's user.
    QString storedProxy = doc.value(kSectionProxy, u"Password"_s, QString());
    proxy.password = storedProxy.isEmpty() ? QString() : cipher.DecryptString(storedProxy, proxy.user, true);
}

bool SaveConfig(Config &config, const ClassSendora &gateway, clsRC4 &cipher, const DataDir &dataDir,
                const WindowGeometry &window)
{
    Config &c = config;
    c.WindowTop = window.top;
    c.WindowLeft = window.left;
    c.WindowWidth = window.width;
    c.WindowHeight = window.height;
    c.WindowMaximized = window.maximized;

    const QString path = dataDir.filePath(QString::fromUtf16(kConfigFileName));
    if (dataDir.isUnreadable(QString::fromUtf16(kConfigFileName)))
        return false;
    IniDocument doc = IniDocument::load(path);
    if (c.WindowMaximized) {
        doc.setValue(kSectionMain, u"Maximized"_s, u"1"_s);
    } else {
        doc.setValue(kSectionMain, u"Maximized"_s, u"0"_s);
        doc.setValue(kSectionMain, u"Top"_s, QString::number(c.WindowTop));
        doc.setValue(kSectionMain, u"Left"_s, QString::number(c.WindowLeft));
        doc.setValue(kSectionMain, u"Width"_s, QString::number(c.WindowWidth));
        doc.setValue(kSectionMain, u"Height"_s, QString::number(c.WindowHeight));
    }
    doc.setValue(kSectionMain, u"From"_s, c.Expediteur);
    doc.setValue(kSectionMain, u"MaxSmsPerMinute"_s, QString::number(c.MaxSmsPerMinute));
    doc.setValue(kSectionMain, u"ParallelRequests"_s, QString::number(c.ParallelRequests));
    doc.setValue(kSectionMain, u"CommercialSms"_s, boolText(c.CommercialSms));
    doc.setValue(kSectionMain, u"MyNumber"_s, c.MyNumber);
    for (const ColumnKey &column : kColumns)
        doc.setValue(kSectionColumns, QString::fromUtf16(column.writtenKey), boolText(c.*column.flag));

    doc.setValue(kSectionAccount, u"E-mail"_s, gateway.Mail);
    if (!gateway.Password.isEmpty()) {
        // Keyed by the e-mail as the next start will read it (blanks and quotes around it are
        // dropped by the INI reading), or the password would not decipher.
        const QString key = doc.value(kSectionAccount, u"E-mail"_s, QString());
        // One line whatever the length: a line break would end the INI value.
        QString cipherText = cipher.EncryptString(gateway.Password, key, true);
        cipherText.remove(u"\r\n"_s);
        doc.setValue(kSectionAccount, u"Password"_s, cipherText);
    }
    // A file without a proxy keeps its former shape; one that had a proxy has it emptied.
    const ProxySetting &proxy = gateway.Proxy;
    if (proxy.isSet() || doc.value(kSectionProxy, u"Host"_s)) {
        doc.setValue(kSectionProxy, u"Host"_s, proxy.host.trimmed());
        doc.setValue(kSectionProxy, u"Port"_s, proxy.port > 0 ? QString::number(proxy.port) : QString());
        doc.setValue(kSectionProxy, u"User"_s, proxy.user);
        const QString key = doc.value(kSectionProxy, u"User"_s, QString());
        QString cipherText = proxy.password.isEmpty() ? QString() : cipher.EncryptString(proxy.password, key, true);
        cipherText.remove(u"\r\n"_s);
        doc.setValue(kSectionProxy, u"Password"_s, cipherText);
    }
    // The password's key is the e-mail stored beside it: only its owner may read the file.
    return doc.save(path, FileAccess::OwnerOnly);
}

} // namespace parlevo
