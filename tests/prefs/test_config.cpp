#include "base/ini.h"
#include "base/privatefile.h"
#include "crypto/clsrc4.h"
#include "gateway/classsendora.h"
#include "prefs/configfile.h"
#include "testdatadir.h"
#include "testparts.h"

#include <QDir>
#include <QFileInfo>

#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

using namespace parlevo;

namespace {

QString cfgValue(const test::TestDataDir &dir, const QString &section, const QString &key)
{
    return ReadIni(section, key, u"<missing>"_s, dir.filePath(u"Parlevo.cfg"_s));
}

void load(test::Parts &parts)
{
    LoadConfig(parts.config, parts.gateway, parts.cipher, parts.dataDir);
}

bool save(test::Parts &parts, const WindowGeometry &window)
{
    return SaveConfig(parts.config, parts.gateway, parts.cipher, parts.dataDir, window);
}

// The parts as the application loads them from the directory.
std::unique_ptr<test::Parts> loaded(const test::TestDataDir &dir)
{
    auto s = std::make_unique<test::Parts>(dir.path());
    load(*s);
    return s;
}

void saveAccount(const test::TestDataDir &dir, const QString &mail, const QString &password)
{
    const auto s = loaded(dir);
    s->gateway.Mail = mail;
    s->gateway.Password = password;
    save(*s, {});
}

} // namespace

class TestConfig : public QObject {
    Q_OBJECT
private slots:
    void defaultsWithoutFile()
    {
        test::TestDataDir dir;
        test::Parts s(dir.path());
        s.gateway.Mail = u"stale"_s;
        load(s);
        const Config &c = s.config;
        QCOMPARE(c.WindowMaximized, false);
        QCOMPARE(QList<int>({c.WindowTop, c.WindowLeft, c.WindowWidth, c.WindowHeight}),
                 QList<int>({1000, 1000, 12000, 9000}));
        QCOMPARE(QList<bool>({c.ColumnGroup, c.ColumnCompany, c.ColumnTitle, c.ColumnFullName, c.ColumnFirstName,
                              c.ColumnLastName, c.ColumnGSM}),
                 QList<bool>({true, true, false, true, false, false, true}));
        QVERIFY(c.Expediteur.isEmpty());
        QVERIFY(s.gateway.Mail.isEmpty());
        QVERIFY(s.gateway.Password.isEmpty());
    }

    void maximizedAndGeometry_data()
    {
        QTest::addColumn<QByteArray>("section");
        QTest::addColumn<bool>("maximized");
        QTest::addColumn<QList<int>>("geometry");
        const QByteArray geometry = "Top=10\r\nLeft=20.6\r\nWidth=abc\r\nHeight=99999999999\r\n";
        QTest::newRow("1") << "Maximized=1\r\n" + geometry << true << QList<int>{0, 0, 0, 0};
        QTest::newRow("1.0") << "Maximized=1.0\r\n" + geometry << true << QList<int>{0, 0, 0, 0};
        QTest::newRow("2") << "Maximized=2\r\n" + geometry << false << QList<int>{10, 21, 0, 0};
        QTest::newRow("yes") << "Maximized=yes\r\n" + geometry << false << QList<int>{10, 21, 0, 0};
    }
    void maximizedAndGeometry()
    {
        QFETCH(QByteArray, section);
        QFETCH(bool, maximized);
        QFETCH(QList<int>, geometry);
        test::TestDataDir dir;
        QVERIFY(dir.write(u"Parlevo.cfg"_s, "[Parlevo]\r\n" + section));
        const Config c = loaded(dir)->config;
        QCOMPARE(c.WindowMaximized, maximized);
        // Width "abc" and an out-of-range height keep the value in force, not the read default.
        QCOMPARE(QList<int>({c.WindowTop, c.WindowLeft, c.WindowWidth, c.WindowHeight}), geometry);
    }

    void columnFlags_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("title");
        QTest::newRow("True") << u"True"_s << true;
        QTest::newRow("false") << u"false"_s << false;
        QTest::newRow("1") << u"1"_s << true;
        QTest::newRow("-1") << u"-1"_s << true;
        QTest::newRow("0") << u"0"_s << false;
        QTest::newRow("yes keeps default") << u"yes"_s << false;
    }
    void columnFlags()
    {
        QFETCH(QString, value);
        QFETCH(bool, title);
        test::TestDataDir dir;
        QVERIFY(dir.write(u"Parlevo.cfg"_s, "[CarnetAdresses]\r\nColumn_Title=" + value.toLatin1() +
                                                "\r\ncolumn_firstname=true\r\nColumn_GSM=banana\r\n"));
        const Config c = loaded(dir)->config;
        QCOMPARE(c.ColumnTitle, title);
        QCOMPARE(c.ColumnFirstName, true);
        QCOMPARE(c.ColumnGSM, true);
    }

    // The mailing's pace and requests at once; a value out of range takes the nearest allowed.
    void mailingPace_data()
    {
        QTest::addColumn<QByteArray>("section");
        QTest::addColumn<int>("perMinute");
        QTest::addColumn<int>("parallel");
        QTest::addColumn<bool>("commercial");
        QTest::newRow("none") << QByteArray() << 0 << 1 << false;
        QTest::newRow("set") << QByteArray("MaxSmsPerMinute=30\r\nParallelRequests=4\r\nCommercialSms=True\r\n") << 30
                             << 4 << true;
        QTest::newRow("out of range") << QByteArray("MaxSmsPerMinute=-5\r\nParallelRequests=12\r\nCommercialSms=1\r\n")
                                      << 0 << 8 << true;
        QTest::newRow("not numbers") << QByteArray("MaxSmsPerMinute=vite\r\nParallelRequests=\r\nCommercialSms=oui\r\n")
                                     << 0 << 1 << false;
    }
    void mailingPace()
    {
        QFETCH(QByteArray, section);
        QFETCH(int, perMinute);
        QFETCH(int, parallel);
        QFETCH(bool, commercial);
        test::TestDataDir dir;
        QVERIFY(dir.write(u"Parlevo.cfg"_s, "[Parlevo]\r\n" + section));
        const Config c = loaded(dir)->config;
        QCOMPARE(c.MaxSmsPerMinute, perMinute);
        QCOMPARE(c.ParallelRequests, parallel);
        QCOMPARE(c.CommercialSms, commercial);
    }

    void freshSaveWritesEveryKey()
    {
        test::TestDataDir dir;
        const auto s = loaded(dir);
        s->config.Expediteur = u"Jean"_s;
        s->config.ColumnTitle = true;
        s->config.MaxSmsPerMinute = 30;
        s->config.ParallelRequests = 4;
        s->config.CommercialSms = true;
        s->config.MyNumber = u"06 99 88 77 66"_s;
        s->gateway.Mail = u"demo@parlevo.test"_s;
        s->gateway.Password = u"demo"_s;
        save(*s, {100, 200, 9000, 7000, false});
        clsRC4 rc4;
        const QString password = rc4.EncryptString(u"demo"_s, u"demo@parlevo.test"_s, true);
        QCOMPARE(dir.read(u"Parlevo.cfg"_s), QByteArray("[Parlevo]\r\n"
                                                        "Maximized=0\r\n"
                                                        "Top=100\r\n"
                                                        "Left=200\r\n"
                                                        "Width=9000\r\n"
                                                        "Height=7000\r\n"
                                                        "From=Jean\r\n"
                                                        "MaxSmsPerMinute=30\r\n"
                                                        "ParallelRequests=4\r\n"
                                                        "CommercialSms=True\r\n"
                                                        "MyNumber=06 99 88 77 66\r\n"
                                                        "\r\n"
                                                        "[CarnetAdresses]\r\n"
                                                        "Column_Group=True\r\n"
                                                        "Column_Company=True\r\n"
                                                        "Column_Title=True\r\n"
                                                        "Column_FullName=True\r\n"
                                                        "Column_Firstname=False\r\n"
                                                        "Column_LastName=False\r\n"
                                                        "Column_GSM=True\r\n"
                                                        "\r\n"
                                                        "[Account]\r\n"
                                                        "E-mail=demo@parlevo.test\r\n"
                                                        "Password=" +
                                                        password.toLatin1() + "\r\n"));
        QVERIFY(password != u"demo"_s && !password.isEmpty());
    }

    void maximizedSaveLeavesGeometryKeys()
    {
        test::TestDataDir dir;
        QVERIFY(dir.write(u"Parlevo.cfg"_s, "[Parlevo]\r\nMaximized=0\r\nTop=1\r\nLeft=2\r\nWidth=3\r\nHeight=4\r\n"));
        const auto s = loaded(dir);
        save(*s, {50, 60, 70, 80, true});
        QCOMPARE(cfgValue(dir, u"Parlevo"_s, u"Maximized"_s), u"1"_s);
        QCOMPARE(cfgValue(dir, u"Parlevo"_s, u"Top"_s), u"1"_s);
        QCOMPARE(cfgValue(dir, u"Parlevo"_s, u"Height"_s), u"4"_s);
        QCOMPARE(s->config.WindowTop, 50); // the globals follow the window all the same
        QVERIFY(loaded(dir)->config.WindowMaximized);
    }

    void passwordRoundTrips_data()
    {
        QTest::addColumn<QString>("mail");
        QTest::addColumn<QString>("password");
        QTest::newRow("accents and symbols") << u"clé@exemple.fr"_s << u"mötdé pa$$e&=#+"_s;
        QTest::newRow("150 characters, a line of Base64 longer than 76") << u"a@b.c"_s << QString(150, u'y');
        QTest::newRow("empty e-mail") << QString() << u"open"_s;
        // The file gives these back without their blanks or quotes: the key must be the same.
        QTest::newRow("e-mail typed with blanks") << u" a@b.c  "_s << u"secret"_s;
        QTest::newRow("e-mail typed in quotes") << u"\"a@b.c\""_s << u"secret"_s;
    }
    void passwordRoundTrips()
    {
        QFETCH(QString, mail);
        QFETCH(QString, password);
        test::TestDataDir dir;
        saveAccount(dir, mail, password);
        QVERIFY(!dir.read(u"Parlevo.cfg"_s).contains(encodedForCheck(password)));
        // The cipher's key is stored beside it: no one but the owner may read the file.
        QVERIFY(isOwnerOnly(dir.filePath(u"Parlevo.cfg"_s)));
        const auto s = loaded(dir);
        QCOMPARE(s->gateway.Mail, mail.trimmed().remove(u'"'));
        QCOMPARE(s->gateway.Password, password);
    }

    // The proxy is kept beside the account, its password enciphered the same way (keyed by the
    // proxy's user); a file that never had one gets no section, one emptied keeps none in force.
    void proxyRoundTrips()
    {
        test::TestDataDir dir;
        saveAccount(dir, u"a@b.c"_s, u"secret"_s);
        QVERIFY(!dir.read(u"Parlevo.cfg"_s).contains("[Proxy]"));
        const ProxySetting proxy{u"proxy.lan"_s, 3128, u"me"_s, u"pä$$ w"_s};
        {
            const auto s = loaded(dir);
            s->gateway.Proxy = proxy;
            save(*s, {});
        }
        QCOMPARE(cfgValue(dir, u"Proxy"_s, u"Host"_s), u"proxy.lan"_s);
        QCOMPARE(cfgValue(dir, u"Proxy"_s, u"Port"_s), u"3128"_s);
        QCOMPARE(cfgValue(dir, u"Proxy"_s, u"User"_s), u"me"_s);
        QVERIFY(!dir.read(u"Parlevo.cfg"_s).contains("p\xe4$$"));
        QString stored = cfgValue(dir, u"Proxy"_s, u"Password"_s);
        QCOMPARE(clsRC4().DecryptString(stored, u"me"_s, true), proxy.password);
        QVERIFY(loaded(dir)->gateway.Proxy == proxy);
        QCOMPARE(loaded(dir)->gateway.Password, u"secret"_s);
        {
            const auto s = loaded(dir);
            s->gateway.Proxy = {};
            save(*s, {});
        }
        QCOMPARE(cfgValue(dir, u"Proxy"_s, u"Host"_s), QString());
        QCOMPARE(cfgValue(dir, u"Proxy"_s, u"Password"_s), QString());
        QVERIFY(!loaded(dir)->gateway.Proxy.isSet());
    }

    void handChangedMailGivesOtherPassword()
    {
        test::TestDataDir dir;
        saveAccount(dir, u"first@a.b"_s, u"secret"_s);
        QVERIFY(WriteIni(u"Account"_s, u"E-mail"_s, u"second@a.b"_s, dir.filePath(u"Parlevo.cfg"_s)));
        const QString password = loaded(dir)->gateway.Password;
        QCOMPARE(password.size(), 6);
        QVERIFY(password != u"secret"_s);
    }

    void emptyPasswordKeepsStoredOne()
    {
        test::TestDataDir dir;
        saveAccount(dir, u"a@b.c"_s, u"kept"_s);
        const QString stored = cfgValue(dir, u"Account"_s, u"Password"_s);
        saveAccount(dir, u"a@b.c"_s, QString());
        QCOMPARE(cfgValue(dir, u"Account"_s, u"Password"_s), stored);
        QCOMPARE(loaded(dir)->gateway.Password, u"kept"_s);
    }

    void failedSaveLeavesPreviousFile()
    {
        test::TestDataDir dir;
        const QByteArray before = "[Parlevo]\r\nFrom=before\r\n";
        QVERIFY(dir.write(u"Parlevo.cfg"_s, before));
        test::Parts s(dir.path() + u"/missing-directory"_s);
        load(s);
        QVERIFY(!save(s, {})); // nothing written anywhere
        QCOMPARE(dir.read(u"Parlevo.cfg"_s), before);

        // A file that exists but cannot be read is never saved over with the defaults.
        QVERIFY(QDir(dir.path()).mkpath(u"unreadable/Parlevo.cfg"_s));
        test::Parts unreadable(dir.filePath(u"unreadable"_s));
        load(unreadable);
        QVERIFY(unreadable.dataDir.isUnreadable(u"Parlevo.cfg"_s));
        QVERIFY(!save(unreadable, {}));
        QVERIFY(QFileInfo(dir.filePath(u"unreadable/Parlevo.cfg"_s)).isDir());
    }

private:
    static QByteArray encodedForCheck(const QString &password) { return "=" + password.toLatin1() + "\r\n"; }
};

QTEST_GUILESS_MAIN(TestConfig)
#include "test_config.moc"
