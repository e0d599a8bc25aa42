#include "startup.h"

#include "addressbook/addressbook.h"
#include "addressbook/contactcollection.h"
#include "addressbook/contactstore.h"
#include "addressbook/optoutlist.h"
#include "appstate.h"
#include "base/autosave.h"
#include "base/datapaths.h"
#include "base/guimessagebox.h"
#include "base/messagebox.h"
#include "base/singleinstance.h"
#include "base/txt.h"
#include "mdiformmain.h"
#include "messages/predefinis.h"
#include "messages/predefinismenu.h"
#include "prefs/configfile.h"
#include "sending/sendjournal.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QTimer>
#include <QTranslator>
#include <QWindow>

#include <cstdio>
#include <functional>

using namespace Qt::StringLiterals;

namespace parlevo {

namespace {

// The windows closed at shutdown, in this order; those never opened are skipped.
const char *const kWindowsClosedAtShutdown[] = {
    "Form_SMS",     "MDIForm_Main", "Form_Acceuil",    "Form_CarnetAdresse", "Form_Simple",
    "Form_Mailing", "Form_Prefs",   "Form_AddContact", "Form_Predefinis",    "Form_SelContact",
};

// With PARLEVO_EXIT_WHEN_SHOWN=1 the program prints how long start-up took once its main window
// is on screen, then shuts down: the start-up benchmark runs the real program this way.
class ExitWhenShown final : public QObject {
public:
    ExitWhenShown(QWindow *window, QElapsedTimer clock, std::function<void()> quit, QObject *parent)
        : QObject(parent)
        , m_clock(clock)
        , m_quit(std::move(quit))
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Expose && static_cast<QWindow *>(watched)->isExposed()) {
            watched->removeEventFilter(this);
            std::printf("PARLEVO_SHOWN_MS=%lld\n", static_cast<long long>(m_clock.elapsed()));
            std::fflush(stdout);
            QTimer::singleShot(0, this, m_quit);
        }
        return false;
    }

private:
    QElapsedTimer m_clock;
    std::function<void()> m_quit;
};

} // namespace

bool installQtTranslations(const QString &languageName)
{
    QLocale::Language language = QLocale::French;
    for (int i = QLocale::AnyLanguage + 1; i <= QLocale::LastLanguage; ++i) {
        const auto candidate = static_cast<QLocale::Language>(i);
        if (QLocale::languageToString(candidate).compare(languageName, Qt::CaseInsensitive) == 0) {
            language = candidate;
            break;
        }
    }
    const QLocale locale(language);
    QLocale::setDefault(locale);

    // One translator at a time: a second call replaces the first one's texts.
    static QPointer<QTranslator> installed;
    delete installed;
    auto *translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(locale, u"qtbase"_s, u"_"_s, QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    installed = translator;
    return true;
}

Application::Application(const QString &dataDir, const QString &languageName)
    : m_state(std::make_unique<AppState>(dataDir))
    , m_languageName(chosenLanguageName(languageName))
{
}

Application::~Application() = default;

bool Application::start()
{
    QElapsedTimer clock;
    clock.start();
    AppState &s = *m_state;
    const QString languageFile = findLanguageFile(s.dataDir(), m_languageName);
    s.textTable().LoadTextes(languageFile);
    // Without a language file the built-in texts are French, whatever the machine's language.
    // (findLanguageFile names the data directory's file even when there is none.)
    installQtTranslations(QFileInfo(languageFile).isFile() ? m_languageName : u"French"_s);

    QDir().mkpath(s.dataDir());
    m_instance = std::make_unique<SingleInstance>(s.dataDir());
    switch (m_instance->acquire()) {
    case SingleInstance::Outcome::Acquired:
        break;
    case SingleInstance::Outcome::HeldByOther:
        MsgBox(s.Textes(Txt::AlreadyRunning), vbOKOnly | vbInformation);
        return false;
    case SingleInstance::Outcome::CannotCreate:
        // Not another copy: the directory cannot take files. The program runs without saving,
        // so that nothing half-written is left there.
        m_canSave = false;
        MsgBox(QString(s.Textes(Txt::CannotWriteDataDir)).replace(u"%1"_s, QDir::toNativeSeparators(s.dataDir())),
               vbOKOnly | vbExclamation);
        break;
    }

    LoadConfig(s.config(), s.Gateway(), s.Cipher(), s.dataFiles());
    Charge_Contacts(s.addressBook());
    Charge_Predefinis(s.predefinis());
    Charge_Desinscrits(s.addressBook());
    Cree_MenuPredefinis(s.predefinis().colPredefinis());
    protectJournals(s.dataDir());
    if (m_canSave)
        watchStores();
    for (const QString &name : s.dataFiles().unreadableFiles())
        MsgBox(QString(s.Textes(Txt::FileUnreadable)).replace(u"%1"_s, QDir::toNativeSeparators(s.filePath(name))),
               vbOKOnly | vbExclamation);

    MainWindowHooks hooks;
    hooks.shutdown = [this] { AppShutdown(); };
    m_mainWindow = new MDIForm_Main(s, std::move(hooks));
    m_mainWindow->setAttribute(Qt::WA_DeleteOnClose);
    m_mainWindow->show();
    QTimer::singleShot(0, m_mainWindow, &MDIForm_Main::offerInterruptedRun);
    if (QWindow *window = m_mainWindow->windowHandle();
        window && qEnvironmentVariableIntValue("PARLEVO_EXIT_WHEN_SHOWN") == 1)
        new ExitWhenShown(
            window, clock, [this] { AppShutdown(); }, this);
    return true;
}

void Application::watchStores()
{
    AppState &s = *m_state;
    AutoSave &autoSave = s.autoSave();
    const QString contacts = QString::fromUtf16(kContactsFileName);
    const QString config = QString::fromUtf16(kConfigFileName);
    autoSave.watch(contacts, [&s, contacts] { return prepareContactsSave(s.addressBook(), s.filePath(contacts)); });
    autoSave.watch(QString::fromUtf16(kPredefinisFileName), [&s] { return preparePredefinisSave(s.predefinis()); });
    // A few hundred bytes, with the window's placement read here: written on the spot.
    autoSave.watch(config, [this, &s] {
        if (m_mainWindow)
            SaveConfig(s.config(), s.Gateway(), s.Cipher(), s.dataFiles(), m_mainWindow->geometryInTwips());
        return FileWrite();
    });

    // Every change of the book goes through the collection's signals, whichever window made it.
    const ContactCollection &book = s.addressBook().colContacts();
    const auto bookChanged = [&autoSave, contacts] { autoSave.changed(contacts); };
    connect(&book, &ContactCollection::contactAdded, this, bookChanged);
    connect(&book, &ContactCollection::contactsRemoved, this, bookChanged);
    connect(&book, &ContactCollection::contactChanged, this, bookChanged);
    connect(&book, &ContactCollection::contactsReset, this, bookChanged);
}

void Application::AppShutdown()
{
    if (m_shuttingDown)
        return;
    m_shuttingDown = true;
    AppState &s = *m_state;
    // Everything watched, once, whatever was pending (nothing when the directory cannot be written).
    s.autoSave().saveAll();
    Detruit_MenuPredefinis();

    for (const char *name : kWindowsClosedAtShutdown) {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (w->objectName() == QLatin1String(name) && w->isVisible())
                w->close();
        }
    }
    QCoreApplication::quit();
}

int runDesktop(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Parlevo: send SMS through the Sendora gateway."));
    parser.addHelpOption();
    const QCommandLineOption dataDirOption(QStringLiteral("data-dir"),
                                           QStringLiteral("Keep the configuration, contacts and messages in <dir>."),
                                           QStringLiteral("dir"));
    parser.addOption(dataDirOption);
    const QCommandLineOption languageOption(
        QStringLiteral("language"), QStringLiteral("Use the texts of Languages/<name>.lng (e.g. English, French)."),
        QStringLiteral("name"));
    parser.addOption(languageOption);
    parser.process(arguments);

    installWidgetMessageBoxes();
    Application application(resolveDataDir(parser.value(dataDirOption)), parser.value(languageOption));
    if (!application.start())
        return 0;
    return QApplication::exec();
}

} // namespace parlevo
