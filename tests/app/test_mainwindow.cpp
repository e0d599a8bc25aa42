#include "app/appstate.h"
#include "app/mainwindowlogic.h"
#include "app/mdiformmain.h"
#include "base/activitywindow.h"
#include "base/windowplacement.h"
#include "controls/kxbutton.h"
#include "controls/labellink.h"
#include "prefs/configfile.h"
#include "testdatadir.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLocale>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace Qt::StringLiterals;

using namespace parlevo;

namespace {

const QString kCreditSentence = u"Nombre de SMS restant sur votre compte : 120"_s;

QString formName(Activity activity)
{
    static const char16_t *const names[] = {u"Form_Acceuil",       u"Form_Simple",     u"Form_Mailing",
                                            u"Form_CarnetAdresse", u"Form_Predefinis", u"Form_Prefs"};
    return QString::fromUtf16(names[int(activity)]);
}

// Notes, at each Init, what the main window shows at that moment.
class RecordingActivity final : public ActivityWindow {
public:
    RecordingActivity(const QString &name, QStringList &log, QWidget *parent)
        : ActivityWindow(parent)
        , m_log(log)
    {
        setObjectName(name);
    }

    void Init() override
    {
        const auto *main = qobject_cast<MDIForm_Main *>(window());
        m_log.append(u"%1 Init: %2, button %3, child %4"_s.arg(
            objectName(), isHidden() ? u"hidden"_s : u"shown"_s, main->ActiveButton()->objectName(),
            main->ActiveChild() ? main->ActiveChild()->objectName() : u"none"_s));
    }

private:
    QStringList &m_log;
};

QRect twipsRect(const WindowGeometry &g)
{
    return {g.left, g.top, g.width, g.height};
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<test::TestDataDir> m_dir;
    std::unique_ptr<AppState> m_state;
    QStringList m_log;
    QTime m_now;
    bool m_clockRuns = false;
    int m_clockCalls = 0, m_queries = 0;
    QString m_solde;
    // Queries whose answer the test gives later; answered at once while this is false.
    bool m_holdAnswers = false;
    QList<std::function<void(const QString &)>> m_heldAnswers;

    // placement: the saved left, top, width and height in twips, when the test sets them.
    std::unique_ptr<MDIForm_Main> makeWindow(bool recording, const QList<int> &placement = {})
    {
        if (!placement.isEmpty()) {
            Config &c = m_state->config();
            c.WindowLeft = placement[0];
            c.WindowTop = placement[1];
            c.WindowWidth = placement[2];
            c.WindowHeight = placement[3];
        }
        MainWindowHooks hooks;
        hooks.querySolde = [this](const std::function<void(const QString &)> &answer) {
            ++m_queries;
            if (m_holdAnswers)
                m_heldAnswers.append(answer);
            else
                answer(m_solde);
        };
        hooks.clock = [this] {
            ++m_clockCalls;
            if (m_clockRuns)
                m_now = m_now.addSecs(1);
            return m_now;
        };
        if (recording) {
            hooks.createActivity = [this](Activity activity, QWidget *parent) {
                return new RecordingActivity(formName(activity), m_log, parent);
            };
        }
        auto window = std::make_unique<MDIForm_Main>(*m_state, std::move(hooks));
        // Ticks come from the tests only.
        window->findChild<QTimer *>(u"TimerHeure"_s)->stop();
        return window;
    }

    static void showAndWait(QWidget *window)
    {
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
    }

    void tick(MDIForm_Main &window, QTime time)
    {
        m_now = time;
        QVERIFY(QMetaObject::invokeMethod(window.findChild<QTimer *>(u"TimerHeure"_s), "timeout"));
    }

    static QString text(QWidget &window, const QString &label) { return window.findChild<QLabel *>(label)->text(); }

    static KXButton *button(QWidget &window, const QString &name) { return window.findChild<KXButton *>(name); }

private slots:
    void init()
    {
        m_dir = std::make_unique<test::TestDataDir>();
        m_state = std::make_unique<AppState>(m_dir->path());
        LoadConfig(m_state->config(), m_state->Gateway(), m_state->Cipher(), m_state->dataFiles());
        m_log.clear();
        m_now = QTime(12, 0, 5);
        m_clockRuns = false;
        m_clockCalls = m_queries = 0;
        m_solde = u"120"_s;
        m_holdAnswers = false;
        m_heldAnswers.clear();
    }

    void cleanup()
    {
        m_state.reset();
        m_dir.reset();
    }

    void startShowsHomeAndUnknownCredit()
    {
        auto window = makeWindow(false);
        showAndWait(window.get());
        QCOMPARE(text(*window, u"LabelSolde"_s), u"---"_s);
        QCOMPARE(text(*window, u"LabelHeure"_s), ClockText(QTime(12, 0, 5), QLocale()));
        QCOMPARE(m_queries, 0);
        QCOMPARE(window->ActiveChild()->objectName(), u"Form_Acceuil"_s);
        QVERIFY(window->ActiveChild()->isVisible());
        QCOMPARE(window->ActiveButton()->objectName(), u"KXB_Home"_s);
    }

    void homeInitRunsOnceAtLoadBeforeShowing()
    {
        auto window = makeWindow(true);
        QCOMPARE(m_log, QStringList{u"Form_Acceuil Init: hidden, button KXB_Home, child Form_Acceuil"_s});
    }

    void toolbarSwitchesActivity_data()
    {
        QTest::addColumn<QString>("buttonName");
        QTest::addColumn<int>("activity");
        QTest::addColumn<bool>("initLast");
        QTest::newRow("home") << u"KXB_Home"_s << int(Activity::Home) << false;
        QTest::newRow("mailing") << u"KXB_Mailing"_s << int(Activity::Mailing) << false;
        QTest::newRow("predefined") << u"KXB_Predefinis"_s << int(Activity::Predefinis) << false;
        QTest::newRow("preferences") << u"KXB_Prefs"_s << int(Activity::Prefs) << false;
        QTest::newRow("address book") << u"KXB_Carnet"_s << int(Activity::Carnet) << true;
        QTest::newRow("single SMS") << u"KXB_Simple"_s << int(Activity::Simple) << true;
    }
    void toolbarSwitchesActivity()
    {
        QFETCH(QString, buttonName);
        QFETCH(int, activity);
        QFETCH(bool, initLast);
        const QString form = formName(Activity(activity));
        auto window = makeWindow(true);
        showAndWait(window.get());

        // Start from another activity, shown once already.
        const bool fromPredefined = Activity(activity) != Activity::Predefinis;
        const QString previousButton = fromPredefined ? u"KXB_Predefinis"_s : u"KXB_Home"_s;
        const QString previousForm = fromPredefined ? u"Form_Predefinis"_s : u"Form_Acceuil"_s;
        QTest::mouseClick(button(*window, previousButton), Qt::LeftButton);
        QCOMPARE(window->ActiveChild()->objectName(), previousForm);
        ActivityWindow *previous = window->ActiveChild();
        m_log.clear();

        QTest::mouseClick(button(*window, buttonName), Qt::LeftButton);

        const QString expected =
            initLast ? u"%1 Init: shown, button %2, child %1"_s.arg(form, buttonName)
                     : u"%1 Init: hidden, button %2, child %3"_s.arg(form, previousButton, previousForm);
        QCOMPARE(m_log, QStringList{expected});
        ActivityWindow *shown = window->ActiveChild();
        QCOMPARE(shown->objectName(), form);
        QVERIFY(shown->isVisible());
        QCOMPARE(shown->geometry(), window->findChild<QWidget *>(u"ClientArea"_s)->rect());
        QVERIFY(previous->isHidden());
        QCOMPARE(window->loadedActivity(fromPredefined ? Activity::Predefinis : Activity::Home), previous);

        QCOMPARE(window->ActiveButton()->objectName(), buttonName);
        QVERIFY(window->ActiveButton()->BackColor() != button(*window, previousButton)->BackColor());
    }

    void windowsStayLoadedAndReinitOnEveryClick()
    {
        auto window = makeWindow(true);
        showAndWait(window.get());
        window->KXB_Carnet_Click();
        ActivityWindow *carnet = window->ActiveChild();
        window->KXB_Simple_Click();
        window->KXB_Carnet_Click();
        window->KXB_Carnet_Click();
        QCOMPARE(window->ActiveChild(), carnet);
        QCOMPARE(m_log.count(u"Form_CarnetAdresse Init: shown, button KXB_Carnet, child Form_CarnetAdresse"_s), 3);
        QCOMPARE(window->loadedActivity(Activity::Mailing), nullptr);
    }

    void activeChildFollowsTheClientArea()
    {
        auto window = makeWindow(true);
        showAndWait(window.get());
        window->KXB_Mailing_Click();
        window->resize(window->width() + 40, window->height() + 30);
        const QWidget *client = window->findChild<QWidget *>(u"ClientArea"_s);
        QTRY_COMPARE(window->ActiveChild()->size(), client->size());
        QCOMPARE(window->ActiveChild()->pos(), QPoint(0, 0));
    }

    void homePageLinksCallTheHandlers_data()
    {
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("form");
        QTest::addColumn<QString>("buttonName");
        QTest::newRow("single SMS") << u"LabelLinkSMSSimple"_s << u"Form_Simple"_s << u"KXB_Simple"_s;
        QTest::newRow("mailing") << u"LabelLinkSMSMailing"_s << u"Form_Mailing"_s << u"KXB_Mailing"_s;
        QTest::newRow("address book") << u"LabelLinkCarnetAdresse"_s << u"Form_CarnetAdresse"_s << u"KXB_Carnet"_s;
        QTest::newRow("predefined") << u"LabelLinkPredefinies"_s << u"Form_Predefinis"_s << u"KXB_Predefinis"_s;
        QTest::newRow("preferences") << u"LabelLinkPrefs"_s << u"Form_Prefs"_s << u"KXB_Prefs"_s;
    }
    void homePageLinksCallTheHandlers()
    {
        QFETCH(QString, link);
        QFETCH(QString, form);
        QFETCH(QString, buttonName);
        auto window = makeWindow(false);
        showAndWait(window.get());
        ActivityWindow *home = window->ActiveChild();
        auto *labelLink = home->findChild<LabelLink *>(link);

        QTest::mouseClick(labelLink, Qt::LeftButton, {}, QPoint(2, 2));
        QCOMPARE(window->ActiveChild()->objectName(), form);
        QCOMPARE(window->ActiveButton()->objectName(), buttonName);
        QVERIFY(home->isHidden());
    }

    // At the first-start size every page shows all its controls: no scroll bar, no cut button.
    void everyPageFitsTheFirstStartSize()
    {
        auto window = makeWindow(false);
        showAndWait(window.get());
        QCOMPARE(window->size(), QSize(800, 600));
        for (const char16_t *name : {u"KXB_Home", u"KXB_Simple", u"KXB_Mailing", u"KXB_Carnet", u"KXB_Predefinis",
                                     u"KXB_Historique", u"KXB_Prefs"}) {
            QTest::mouseClick(button(*window, QString::fromUtf16(name)), Qt::LeftButton);
            QApplication::processEvents();
            const QWidget *page = window->ActiveChild();
            const auto *scroll = page->findChild<QScrollArea *>(u"ContentScroll"_s);
            // The message says by how much a page overflows.
            QVERIFY2(!scroll->verticalScrollBar()->isVisible() && !scroll->horizontalScrollBar()->isVisible(),
                     qPrintable(page->objectName() +
                                u" %1 px too high, %2 px too wide"_s.arg(scroll->verticalScrollBar()->maximum())
                                    .arg(scroll->horizontalScrollBar()->maximum())));
            for (const QAbstractButton *b : page->findChildren<QAbstractButton *>()) {
                if (b->isVisible() && !b->text().isEmpty())
                    QVERIFY2(b->sizeHint().width() <= b->width(), qPrintable(page->objectName() + u' ' + b->text()));
            }
        }
    }

    // When a tick is due is the logic's rule; the window passes it the previous tick.
    void creditAskedOnTheTenThenEveryMinute()
    {
        auto window = makeWindow(true);
        tick(*window, QTime(12, 0, 9));
        QCOMPARE(m_queries, 0);
        QCOMPARE(text(*window, u"LabelHeure"_s), ClockText(QTime(12, 0, 9), QLocale()));

        tick(*window, QTime(12, 0, 10));
        QCOMPARE(m_queries, 1);
        QCOMPARE(text(*window, u"LabelSolde"_s), kCreditSentence);

        // Once a sentence shows, only the minute asks again.
        for (int s = 11; s <= 59; ++s)
            tick(*window, QTime(12, 0, s));
        QCOMPARE(m_queries, 1);
        m_solde = u"119"_s;
        tick(*window, QTime(12, 1, 0));
        QCOMPARE(m_queries, 2);
        QCOMPARE(text(*window, u"LabelSolde"_s), u"Nombre de SMS restant sur votre compte : 119"_s);
    }

    // The clock ticks while the credit is awaited, across a minute, without asking again; a send
    // ending meanwhile asks again, and an earlier answer coming last does not replace the later one.
    void clockRunsWhileTheCreditIsAwaited()
    {
        auto window = makeWindow(true);
        m_holdAnswers = true;
        m_now = QTime(12, 0, 57);
        window->MAJ_SoldeSMS();
        for (const QTime &time : {QTime(12, 0, 58), QTime(12, 0, 59), QTime(12, 1, 0), QTime(12, 1, 1)})
            tick(*window, time);
        QCOMPARE(m_queries, 1);
        QCOMPARE(text(*window, u"LabelHeure"_s), ClockText(QTime(12, 1, 1), QLocale()));
        window->MAJ_SoldeSMS();
        QCOMPARE(m_queries, 2);
        QCOMPARE(m_heldAnswers.size(), 2);
        m_heldAnswers[1](u"119"_s);
        m_heldAnswers[0](u"120"_s);
        QCOMPARE(text(*window, u"LabelSolde"_s), u"Nombre de SMS restant sur votre compte : 119"_s);
        // Nothing waits any more: the next minute asks.
        tick(*window, QTime(12, 2, 0));
        QCOMPARE(m_queries, 3);
    }

    // Minimised and parked off screen, the window still saves its normal place (restoring and
    // saving a normal window are covered by the quit test).
    void minimisedSavesTheNormalGeometry()
    {
        auto window = makeWindow(true, {1800, 1200, 9600, 7200});
        showAndWait(window.get());
        const WindowGeometry saved = window->geometryInTwips();
        QVERIFY(!saved.maximized);
        window->setWindowState(Qt::WindowMinimized);
        // Where the platform parks a minimised window.
        window->move(-32000, -32000);
        const WindowGeometry minimised = window->geometryInTwips();
        QCOMPARE(twipsRect(minimised), twipsRect(saved));
        QVERIFY(!minimised.maximized);
    }

    void maximisedRestored()
    {
        m_state->config().WindowMaximized = true;
        auto window = makeWindow(true);
        showAndWait(window.get());
        QTRY_VERIFY(window->isMaximized());
        QVERIFY(window->geometryInTwips().maximized);
    }

    void geometryOffEveryScreenComesBack()
    {
        auto window = makeWindow(true, {150000, 1000, 8910, 8055});
        showAndWait(window.get());
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY(screen.contains(window->geometry()));
        const QScreen *primary = QGuiApplication::primaryScreen();
        QCOMPARE(window->size(), QSize(twipsToPixels(8910, primary->logicalDotsPerInchX()),
                                       twipsToPixels(8055, primary->logicalDotsPerInchY())));
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_mainwindow.moc"
