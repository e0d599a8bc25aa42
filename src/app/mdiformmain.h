#pragma once

#include "base/activitywindow.h"
#include "base/config.h"
#include "base/txt.h"
#include "controls/kxbutton.h"

#include <QMainWindow>
#include <QPointer>
#include <QTime>

#include <array>
#include <functional>
#include <optional>
#include <vector>

class QLabel;
class QTimer;

namespace parlevo {

class AppState;
class MaxMin;

// What the main window takes from the outside world; every member left empty gets the real
// thing. Tests replace the credit query and the clock.
struct MainWindowHooks {
    // Asks for the account credit and hands it to the callback, as digits, empty when unavailable.
    // Default: the gateway's Solde.
    std::function<void(std::function<void(const QString &)>)> querySolde;
    // The time of day. Default: the system clock.
    std::function<QTime()> clock;
    // Creates an activity's window. Default: createActivityWindow.
    std::function<ActivityWindow *(Activity, QWidget *parent)> createActivity;
    // Runs when the user quits, by the Quit button or the close box.
    std::function<void()> shutdown;
};

// The application's frame: banner, toolbar column, status bar with the credit and a clock, and
// one activity window at a time filling the client area.
class MDIForm_Main final : public QMainWindow {
    Q_OBJECT
public:
    explicit MDIForm_Main(AppState &state, MainWindowHooks hooks = {}, QWidget *parent = nullptr);
    ~MDIForm_Main() override;
    Q_DISABLE_COPY_MOVE(MDIForm_Main)

    // Switch to an activity; the home page's links call them too.
    void KXB_Home_Click();
    void KXB_Simple_Click();
    void KXB_Mailing_Click();
    // Offers to take up a mailing run cut short by a crash or a kill; a run refused is not
    // offered again (the command line can still take it up).
    void offerInterruptedRun();
    void KXB_Carnet_Click();
    void KXB_Predefinis_Click();
    void KXB_Historique_Click();
    void KXB_Prefs_Click();

    // Asks the gateway for the credit now and shows it once it comes. Of queries under way
    // together, the last one asked is shown, so a send made meanwhile is counted.
    void MAJ_SoldeSMS();
    // The credit the last balance query gave; nothing before the first answer or after a failed query.
    std::optional<qint64> knownCredit() const;

    // The placement to keep in the configuration, in twips: the normal rectangle even when the
    // window is minimised or maximised.
    WindowGeometry geometryInTwips() const;

    ActivityWindow *ActiveChild() const { return m_activeChild; }
    KXButton *ActiveButton() const { return m_activeButton; }
    // The activity's window if it was created already.
    ActivityWindow *loadedActivity(Activity activity) const;
    // Follows what an activity window tells: its runs and sends. Done for every window it creates.
    void watchActivity(ActivityWindow *window);

protected:
    void closeEvent(QCloseEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildWindow();
    QWidget *buildBanner();
    QWidget *buildToolbar();
    KXButton *makeToolbarButton(const char16_t *name, Txt text, const QString &icon);
    void applySavedGeometry();
    void rememberNormalGeometry();

    ActivityWindow *activity(Activity which);
    void switchTo(Activity which, KXButton *button, bool initLast);
    void ShowChild(ActivityWindow *window);
    void SetActiveButton(KXButton *button);
    void fitActiveChild();

    void TimerHeure_Timer();
    // Asks for the credit; done gets its digits, or kSoldeUnknown when it is not available.
    void GetSolde(std::function<void(const QString &)> done);

    // Disables everything in the window but the windows it owns (the mailing's result window
    // stays usable), or gives back what it disabled.
    void holdForRun(bool held);
    ActivityWindow *runningActivity() const;
    // Quits once no run and no gateway request is under way any more.
    void quitWhenIdle();
    void quitNow();

    AppState &m_state;
    MainWindowHooks m_hooks;

    QWidget *m_clientArea = nullptr;
    QLabel *m_labelSolde = nullptr;
    QLabel *m_labelHeure = nullptr;
    QTimer *m_timerHeure = nullptr;
    MaxMin *m_maxMin = nullptr;
    KXButton *m_kxbHome = nullptr;
    KXButton *m_kxbSimple = nullptr;
    KXButton *m_kxbMailing = nullptr;
    KXButton *m_kxbCarnet = nullptr;
    KXButton *m_kxbPredefinis = nullptr;
    KXButton *m_kxbHistorique = nullptr;
    KXButton *m_kxbPrefs = nullptr;
    KXButton *m_kxbQuitter = nullptr;

    std::array<QPointer<ActivityWindow>, 7> m_activities;
    QPointer<ActivityWindow> m_activeChild;
    QPointer<KXButton> m_activeButton;

    QRect m_normalGeometry;
    QTime m_previousTick;
    // What the balance panel shows: the credit digits or kSoldeUnknown.
    QString m_solde;
    // The number of the last query asked, and how many are under way.
    quint64 m_soldeAsked = 0;
    int m_soldeWaiting = 0;
    // The user asked to quit while something was still on its way to the gateway.
    bool m_quitting = false;
    bool m_closing = false;
    QTimer *m_quitTimer = nullptr;
    std::vector<QPointer<QWidget>> m_heldWidgets;
    std::vector<QPointer<ActivityWindow>> m_watched;
};

} // namespace parlevo
