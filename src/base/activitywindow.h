#pragma once

#include <QWidget>

class QLabel;
class QVBoxLayout;

namespace parlevo {

// The activities the main window switches between, one window each.
enum class Activity { Home, Simple, Mailing, Carnet, Predefinis, Prefs, History };

// A window shown in the main window's client area. The main window calls Init each time it
// shows the window; Init reloads the window from the shared state.
class ActivityWindow : public QWidget {
    Q_OBJECT
public:
    explicit ActivityWindow(QWidget *parent = nullptr);
    Q_DISABLE_COPY_MOVE(ActivityWindow)

    virtual void Init() = 0;

    // A send run that holds the whole program (a mailing) is going on.
    virtual bool isRunning() const { return false; }
    // Ends that run once the SMS in flight has its answer.
    virtual void stopRun() {}
    // Holds back the run's next SMS while a question about it is open, and lets them go again.
    virtual void setRunHeldByQuestion(bool held) { Q_UNUSED(held) }

signals:
    // Around a run that holds the program: the main window stays disabled meanwhile.
    void runStarted();
    void runFinished();
    // Something was sent: the credit shown may be out of date.
    void creditMayHaveChanged();
};

// The common look of the activity windows: a white page inset in the client area, a title line
// with the activity's icon, a separator, then the window's own content.
class SectionPage : public ActivityWindow {
    Q_OBJECT
public:
    // Natural: the content keeps its height at the top of the page; Fill: it takes the page's
    // whole height (a list that scrolls by itself instead of the page).
    enum class ContentHeight { Natural, Fill };

    SectionPage(const QString &title, const QString &icon, QWidget *parent = nullptr,
                ContentHeight height = ContentHeight::Natural);
    Q_DISABLE_COPY_MOVE(SectionPage)

protected:
    QVBoxLayout *contentLayout() const { return m_content; }
    // A section heading with its bullet, as used on the home page and in the preferences.
    QWidget *makeHeading(const QString &objectName, const QString &text);
    // A grey explanation under a heading.
    QLabel *makeHelp(const QString &objectName, const QString &text);

private:
    QVBoxLayout *m_content;
};

// The icon of each activity, shared by the toolbar and the pages.
QString activityIcon(Activity activity);

} // namespace parlevo
