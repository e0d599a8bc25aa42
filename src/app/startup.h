#pragma once

#include <QObject>
#include <QPointer>

#include "mdiformmain.h"
#include <QStringList>

#include <memory>

namespace parlevo {

class AppState;
class SingleInstance;

// Brings the application up in its fixed order and takes it down again.
class Application final : public QObject {
    Q_OBJECT
public:
    // languageName: the language file to use; empty for the user's own language.
    explicit Application(const QString &dataDir, const QString &languageName = QString());
    ~Application() override;
    Q_DISABLE_COPY_MOVE(Application)

    // The start-up sequence. False when another copy owns the data directory: the user has
    // been told and nothing was loaded or written. A data directory that cannot take files, or a
    // file there that cannot be read, is told once; the program then runs without saving it.
    bool start();

    // Saves the configuration, the contacts and the predefined messages (each is also saved within
    // two seconds of a change), closes the windows
    // and leaves the event loop. Runs once, whichever window asked first.
    void AppShutdown();

    AppState &state() { return *m_state; }
    MDIForm_Main *mainWindow() const { return m_mainWindow; }

private:
    // Has the address book, the predefined messages and the configuration saved soon after each
    // change (only when the data directory can be written).
    void watchStores();

    std::unique_ptr<AppState> m_state;
    QString m_languageName;
    std::unique_ptr<SingleInstance> m_instance;
    QPointer<MDIForm_Main> m_mainWindow;
    bool m_shuttingDown = false;
    // False when no lock could be made in the data directory: nothing is saved there.
    bool m_canSave = true;
};

// Qt's own texts (standard buttons, file dialogs, the calendar, dates) in the interface's
// language rather than the machine's: installs qtbase_<lang>.qm from Qt's translations and makes
// the language the default locale. languageName is an English name ("French", "English"); an
// unknown one counts as French, the language of the built-in texts. False when Qt has no
// translation file for it (the locale is set all the same).
bool installQtTranslations(const QString &languageName);

// The desktop program's main routine (after QApplication exists).
int runDesktop(const QStringList &arguments);

} // namespace parlevo
