#include "mdiformmain.h"

#include "activities.h"
#include "addressbook/addressbook.h"
#include "appstate.h"
#include "base/artwork.h"
#include "base/messagebox.h"
#include "base/theme.h"
#include "base/windowplacement.h"
#include "controls/kxbutton.h"
#include "controls/maxmin.h"
#include "controls/wincolor.h"
#include "gateway/classsendora.h"
#include "mainwindowlogic.h"
#include "sending/creditcheck.h"
#include "sending/form_mailing.h"
#include "sending/sendjournal.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace parlevo {

namespace {

constexpr int kQuitPollMs = 20;

// Colours of the toolbar buttons: the highlighted one takes the tooltip background.
constexpr WinColor kButtonBack = 0xFFFFFF;
constexpr WinColor kButtonFore = 0xFF0000;
constexpr WinColor kActiveButtonBack = systemColor(kColorInfoBackground);

constexpr int kBannerHeight = 76;
constexpr int kLogoSide = 48;
constexpr int kLogoFromRight = 60;
constexpr int kToolbarWidth = 158;
constexpr int kToolbarIcon = 24;
constexpr int kButtonHeight = 46;
constexpr int kClockIntervalMs = 1000;
constexpr QSize kMinimumWindow(480, 360);

const QColor kEdgeColor(0xD5, 0xDC, 0xE6);

QScreen *primaryScreen()
{
    return QGuiApplication::primaryScreen();
}

double dpiX()
{
    return primaryScreen() ? primaryScreen()->logicalDotsPerInchX() : 96.0;
}

double dpiY()
{
    return primaryScreen() ? primaryScreen()->logicalDotsPerInchY() : 96.0;
}

// The title banner: artwork background, product name, one-line description and logo.
class Banner final : public QWidget {
public:
    Banner(const QString &subtitle, QWidget *parent)
        : QWidget(parent)
        , m_title(new QLabel(u"Parlevo"_s, this))
        , m_subtitle(new QLabel(subtitle, this))
        , m_logo(new QLabel(this))
    {
        setObjectName(u"PictureTop"_s);
        setFixedHeight(kBannerHeight);
        m_title->setObjectName(u"LabelTitre"_s);
        m_title->setStyleSheet(u"color: #FFFFFF; font-size: 19pt; font-weight: 700;"_s);
        m_subtitle->setObjectName(u"LabelSousTitre"_s);
        m_subtitle->setStyleSheet(u"color: #DCE9F8; font-size: 8.5pt;"_s);
        m_subtitle->setWordWrap(true);
        m_subtitle->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        m_logo->setObjectName(u"ImageLogo"_s);
        m_logo->setPixmap(artworkPixmap(u"logo"_s, kLogoSide));
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        paintArtwork(painter, u"banner"_s, rect());
        painter.setPen(QColor(0x12, 0x35, 0x66));
        painter.drawLine(0, height() - 1, width(), height() - 1);
    }

    void resizeEvent(QResizeEvent *) override
    {
        constexpr int left = 18;
        const int textWidth = std::max(0, width() - left - kLogoFromRight - 24);
        m_title->setGeometry(left, 6, textWidth, 36);
        m_subtitle->setGeometry(left + 2, 40, textWidth, height() - 42);
        m_logo->setGeometry(width() - kLogoFromRight, (height() - kLogoSide) / 2, kLogoSide, kLogoSide);
    }

private:
    QLabel *m_title;
    QLabel *m_subtitle;
    QLabel *m_logo;
};

// The toolbar column, closed by a one-pixel line along its right edge.
class ToolbarColumn final : public QWidget {
public:
    explicit ToolbarColumn(QWidget *parent)
        : QWidget(parent)
    {
        setObjectName(u"PictureToolbar"_s);
        setFixedWidth(kToolbarWidth);
        setAutoFillBackground(true);
        QPalette p = palette();
        p.setColor(QPalette::Window, Qt::white);
        setPalette(p);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setPen(kEdgeColor);
        painter.drawLine(width() - 1, 0, width() - 1, height());
    }
};

} // namespace

MDIForm_Main::MDIForm_Main(AppState &state, MainWindowHooks hooks, QWidget *parent)
    : QMainWindow(parent)
    , m_state(state)
    , m_hooks(std::move(hooks))
{
    setObjectName(u"MDIForm_Main"_s);
    if (!m_hooks.querySolde)
        m_hooks.querySolde = [this](std::function<void(const QString &)> done) {
            m_state.Gateway().Solde(std::move(done));
        };
    if (!m_hooks.clock)
        m_hooks.clock = [] { return QTime::currentTime(); };
    if (!m_hooks.createActivity) {
        m_hooks.createActivity = [this](Activity which, QWidget *parentWidget) {
            return createActivityWindow(which, m_state, *this, parentWidget);
        };
    }

    buildWindow();

    m_maxMin = new MaxMin(this);
    m_maxMin->setObjectName(u"MaxMin1"_s);
    m_maxMin->setMinWidth(kMinimumWindow.width());
    m_maxMin->setMinHeight(kMinimumWindow.height());
    const QSize screen = primaryScreen() ? primaryScreen()->size() : QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    m_maxMin->setMaxWidth(screen.width());
    m_maxMin->setMaxHeight(screen.height());

    setWindowTitle(MainWindowTitle());
    setWindowIcon(QIcon(artworkPixmap(u"logo"_s, 64)));
    m_labelSolde->setText(QString::fromUtf16(kSoldeUnknown));
    m_labelHeure->setText(ClockText(m_hooks.clock(), QLocale()));

    applySavedGeometry();

    m_activeButton = m_kxbHome;
    m_activeChild = activity(Activity::Home);
    KXB_Home_Click();

    m_timerHeure = new QTimer(this);
    m_timerHeure->setObjectName(u"TimerHeure"_s);
    m_timerHeure->setTimerType(Qt::PreciseTimer);
    m_timerHeure->setInterval(kClockIntervalMs);
    connect(m_timerHeure, &QTimer::timeout, this, &MDIForm_Main::TimerHeure_Timer);
    m_timerHeure->start();
}

MDIForm_Main::~MDIForm_Main() = default;

void MDIForm_Main::buildWindow()
{
    auto *central = new QWidget(this);
    auto *column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(buildBanner());

    auto *row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addWidget(buildToolbar());
    m_clientArea = new QWidget(central);
    m_clientArea->setObjectName(u"ClientArea"_s);
    m_clientArea->setAutoFillBackground(true);
    const ThemeColors colors = themeColors(palette());
    QPalette clientPalette = m_clientArea->palette();
    clientPalette.setColor(QPalette::Window, colors.clientArea);
    m_clientArea->setPalette(clientPalette);
    m_clientArea->installEventFilter(this);
    row->addWidget(m_clientArea, 1);
    column->addLayout(row, 1);
    setCentralWidget(central);

    auto *status = new QStatusBar(this);
    status->setObjectName(u"StatusBar1"_s);
    status->setSizeGripEnabled(true);
    status->setStyleSheet(u"QStatusBar { background: %1; border-top: 1px solid %2; } QStatusBar::item { border: none; }"
                          "QStatusBar QLabel { color: %3; padding: 3px 8px; }"_s.arg(
                              colors.statusBack.name(), colors.border.name(), colors.statusText.name()));
    m_labelSolde = new QLabel(status);
    m_labelSolde->setObjectName(u"LabelSolde"_s);
    m_labelHeure = new QLabel(status);
    m_labelHeure->setObjectName(u"LabelHeure"_s);
    m_labelHeure->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    status->addWidget(m_labelSolde, 1);
    status->addPermanentWidget(m_labelHeure);
    setStatusBar(status);
}

QWidget *MDIForm_Main::buildBanner()
{
    return new Banner(m_state.Textes(Txt::BannerSubtitle), this);
}

QWidget *MDIForm_Main::buildToolbar()
{
    auto *toolbar = new ToolbarColumn(this);
    auto *layout = new QVBoxLayout(toolbar);
    layout->setContentsMargins(0, 10, 1, 0);
    layout->setSpacing(0);

    auto *menu = new QLabel(m_state.Textes(Txt::MainMenu), toolbar);
    menu->setObjectName(u"LabelMenu"_s);
    // The toolbar column stays white on every palette, so its caption keeps its own grey.
    menu->setStyleSheet(u"color: #6B7A8F; font-size: 8pt; font-weight: 700; padding: 0 10px 8px 10px;"_s);
    layout->addWidget(menu);

    m_kxbHome = makeToolbarButton(u"KXB_Home", Txt::Home, activityIcon(Activity::Home));
    m_kxbSimple = makeToolbarButton(u"KXB_Simple", Txt::SingleButton, activityIcon(Activity::Simple));
    m_kxbMailing = makeToolbarButton(u"KXB_Mailing", Txt::MailingButton, activityIcon(Activity::Mailing));
    m_kxbCarnet = makeToolbarButton(u"KXB_Carnet", Txt::AddressBookButton, activityIcon(Activity::Carnet));
    m_kxbPredefinis = makeToolbarButton(u"KXB_Predefinis", Txt::PredefinedButton, activityIcon(Activity::Predefinis));
    m_kxbHistorique = makeToolbarButton(u"KXB_Historique", Txt::HistoryTitle, activityIcon(Activity::History));
    m_kxbPrefs = makeToolbarButton(u"KXB_Prefs", Txt::Settings, activityIcon(Activity::Prefs));
    m_kxbQuitter = makeToolbarButton(u"KXB_Quitter", Txt::QuitButton, u"icons/quit"_s);
    for (KXButton *button :
         {m_kxbHome, m_kxbSimple, m_kxbMailing, m_kxbCarnet, m_kxbPredefinis, m_kxbHistorique, m_kxbPrefs})
        layout->addWidget(button);
    layout->addStretch(1);
    layout->addWidget(m_kxbQuitter);

    connect(m_kxbHome, &KXButton::Click, this, &MDIForm_Main::KXB_Home_Click);
    connect(m_kxbSimple, &KXButton::Click, this, &MDIForm_Main::KXB_Simple_Click);
    connect(m_kxbMailing, &KXButton::Click, this, &MDIForm_Main::KXB_Mailing_Click);
    connect(m_kxbCarnet, &KXButton::Click, this, &MDIForm_Main::KXB_Carnet_Click);
    connect(m_kxbPredefinis, &KXButton::Click, this, &MDIForm_Main::KXB_Predefinis_Click);
    connect(m_kxbHistorique, &KXButton::Click, this, &MDIForm_Main::KXB_Historique_Click);
    connect(m_kxbPrefs, &KXButton::Click, this, &MDIForm_Main::KXB_Prefs_Click);
    // Quitting goes through the close event, which waits for what is on its way to the gateway.
    connect(m_kxbQuitter, &KXButton::Click, this, &QWidget::close);
    return toolbar;
}

KXButton *MDIForm_Main::makeToolbarButton(const char16_t *name, Txt text, const QString &icon)
{
    auto *button = new KXButton(this);
    button->setObjectName(QString::fromUtf16(name));
    button->setCaption(m_state.Textes(text));
    button->setPicture(artworkPixmap(icon, kToolbarIcon));
    button->setBackColor(kButtonBack);
    button->setForeColor(kButtonFore);
    button->setFixedHeight(kButtonHeight);
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

void MDIForm_Main::applySavedGeometry()
{
    const Config &c = m_state.config();
    // A window saved maximised has no normal placement in the file; un-maximising it then
    // gives the default one rather than an empty window at the corner.
    const bool useDefault = c.WindowMaximized;
    const QRect saved(twipsToPixels(useDefault ? kDefaultWindowLeft : c.WindowLeft, dpiX()),
                      twipsToPixels(useDefault ? kDefaultWindowTop : c.WindowTop, dpiY()),
                      twipsToPixels(useDefault ? kDefaultWindowWidth : c.WindowWidth, dpiX()),
                      twipsToPixels(useDefault ? kDefaultWindowHeight : c.WindowHeight, dpiY()));
    QList<QRect> screens;
    for (const QScreen *screen : QGuiApplication::screens())
        screens.append(screen->geometry());
    const QRect primary = primaryScreen() ? primaryScreen()->availableGeometry() : QRect();
    const QRect placed = keepOnScreen(saved, screens, primary);

    setWindowState(Qt::WindowNoState);
    setGeometry(placed);
    m_normalGeometry = placed;
    if (c.WindowMaximized)
        setWindowState(Qt::WindowMaximized);
}

WindowGeometry MDIForm_Main::geometryInTwips() const
{
    const Qt::WindowStates states = windowState();
    const QRect lastNormal = states.testFlag(Qt::WindowMaximized) ? normalGeometry() : m_normalGeometry;
    const QRect r = geometryToSave(states, geometry(), lastNormal);
    return {pixelsToTwips(r.top(), dpiY()), pixelsToTwips(r.left(), dpiX()), pixelsToTwips(r.width(), dpiX()),
            pixelsToTwips(r.height(), dpiY()), states.testFlag(Qt::WindowMaximized)};
}

void MDIForm_Main::rememberNormalGeometry()
{
    if (windowState() == Qt::WindowNoState)
        m_normalGeometry = geometry();
}

ActivityWindow *MDIForm_Main::loadedActivity(Activity which) const
{
    return m_activities[static_cast<std::size_t>(which)];
}

ActivityWindow *MDIForm_Main::activity(Activity which)
{
    QPointer<ActivityWindow> &slot = m_activities[static_cast<std::size_t>(which)];
    if (!slot) {
        slot = m_hooks.createActivity(which, m_clientArea);
        slot->hide();
        watchActivity(slot);
    }
    return slot;
}

void MDIForm_Main::watchActivity(ActivityWindow *window)
{
    m_watched.emplace_back(window);
    connect(window, &ActivityWindow::runStarted, this, [this] { holdForRun(true); });
    connect(window, &ActivityWindow::runFinished, this, [this] {
        holdForRun(false);
        MAJ_SoldeSMS();
    });
    connect(window, &ActivityWindow::creditMayHaveChanged, this, &MDIForm_Main::MAJ_SoldeSMS);
}

void MDIForm_Main::switchTo(Activity which, KXButton *button, bool initLast)
{
    ActivityWindow *window = activity(which);
    if (!initLast)
        window->Init();
    SetActiveButton(button);
    ShowChild(window);
    if (initLast)
        window->Init();
}

void MDIForm_Main::KXB_Home_Click()
{
    switchTo(Activity::Home, m_kxbHome, false);
}

void MDIForm_Main::KXB_Mailing_Click()
{
    switchTo(Activity::Mailing, m_kxbMailing, false);
}

void MDIForm_Main::KXB_Predefinis_Click()
{
    switchTo(Activity::Predefinis, m_kxbPredefinis, false);
}

void MDIForm_Main::KXB_Historique_Click()
{
    switchTo(Activity::History, m_kxbHistorique, false);
}

void MDIForm_Main::KXB_Prefs_Click()
{
    switchTo(Activity::Prefs, m_kxbPrefs, false);
}

// The address book and the single SMS fill themselves once they are on screen.
void MDIForm_Main::KXB_Carnet_Click()
{
    switchTo(Activity::Carnet, m_kxbCarnet, true);
}

void MDIForm_Main::KXB_Simple_Click()
{
    switchTo(Activity::Simple, m_kxbSimple, true);
}

void MDIForm_Main::ShowChild(ActivityWindow *window)
{
    window->setGeometry(m_clientArea->rect());
    window->setEnabled(true);
    window->show();
    window->raise();
    if (m_activeChild && m_activeChild != window)
        m_activeChild->hide();
    m_activeChild = window;
}

void MDIForm_Main::SetActiveButton(KXButton *button)
{
    if (m_activeButton) {
        m_activeButton->setBackColor(kButtonBack);
        m_activeButton->setForeColor(kButtonFore);
    }
    button->setBackColor(kActiveButtonBack);
    m_activeButton = button;
}

void MDIForm_Main::fitActiveChild()
{
    if (m_activeChild && !isMinimized())
        m_activeChild->setGeometry(m_clientArea->rect());
}

void MDIForm_Main::TimerHeure_Timer()
{
    const QTime now = m_hooks.clock();
    m_labelHeure->setText(ClockText(now, QLocale()));
    const bool due = SoldeRefreshDue(m_labelSolde->text(), m_previousTick, now);
    m_previousTick = now;
    // A query still waiting for its reply will bring the credit; the clock goes on meanwhile. A
    // run under way is not asked for it: the query would take one of the requests the gateway
    // serves a minute, and the run ends with a query of its own.
    if (due && m_soldeWaiting == 0 && !runningActivity())
        MAJ_SoldeSMS();
}

void MDIForm_Main::MAJ_SoldeSMS()
{
    if (m_quitting)
        return;
    const quint64 asked = ++m_soldeAsked;
    ++m_soldeWaiting;
    // The window may be gone when the answer comes.
    GetSolde([self = QPointer<MDIForm_Main>(this), asked](const QString &solde) {
        if (!self)
            return;
        --self->m_soldeWaiting;
        // An earlier query answering late would show a credit from before the last send.
        if (asked != self->m_soldeAsked)
            return;
        self->m_solde = solde;
        self->m_labelSolde->setText(SoldePanelText(self->m_state.textTable(), solde));
    });
}

std::optional<qint64> MDIForm_Main::knownCredit() const
{
    return creditFromSolde(m_solde);
}

void MDIForm_Main::GetSolde(std::function<void(const QString &)> done)
{
    const auto answer = [done](const QString &solde) {
        done(solde.isEmpty() ? QString::fromUtf16(kSoldeUnknown) : solde);
    };
    try {
        m_hooks.querySolde(answer);
    } catch (...) {
        answer(QString());
    }
}

void MDIForm_Main::closeEvent(QCloseEvent *event)
{
    // The close quitNow makes, once nothing is on its way to the gateway any more.
    if (m_closing) {
        event->accept();
        return;
    }
    event->ignore();
    if (m_quitting)
        return;
    if (ActivityWindow *running = runningActivity()) {
        // Asking is not stopping, nor sending on meanwhile: no SMS leaves while the question is read.
        running->setRunHeldByQuestion(true);
        const bool stop = MsgBox(m_state.Textes(Txt::StopMailingAndQuit), vbYesNo | vbQuestion) == vbYes;
        running->setRunHeldByQuestion(false);
        if (!stop)
            return;
        running->stopRun();
        quitWhenIdle();
        return;
    }
    if (m_state.Gateway().isBusy()) {
        quitWhenIdle();
        return;
    }
    m_quitting = true;
    event->accept();
    hide();
    if (m_hooks.shutdown)
        m_hooks.shutdown();
}

void MDIForm_Main::quitWhenIdle()
{
    m_quitting = true;
    if (!m_quitTimer) {
        m_quitTimer = new QTimer(this);
        m_quitTimer->setInterval(kQuitPollMs);
        connect(m_quitTimer, &QTimer::timeout, this, [this] {
            if (runningActivity() || QApplication::activeModalWidget())
                return;
            // Pending requests (a credit query, a single SMS) end at once; nothing more is sent.
            m_state.Gateway().cancelAll();
            if (m_state.Gateway().isBusy())
                return;
            m_quitTimer->stop();
            quitNow();
        });
    }
    m_quitTimer->start();
}

void MDIForm_Main::quitNow()
{
    m_closing = true;
    close();
    if (m_hooks.shutdown)
        m_hooks.shutdown();
}

ActivityWindow *MDIForm_Main::runningActivity() const
{
    for (const QPointer<ActivityWindow> &window : m_watched) {
        if (window && window->isRunning())
            return window;
    }
    return nullptr;
}

void MDIForm_Main::holdForRun(bool held)
{
    for (const QPointer<QWidget> &widget : std::exchange(m_heldWidgets, {})) {
        if (widget)
            widget->setEnabled(true);
    }
    if (!held)
        return;
    // The window itself stays enabled: disabling it would disable the windows it owns too.
    for (QWidget *child : findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (!child->isWindow() && child->isEnabled()) {
            child->setEnabled(false);
            m_heldWidgets.emplace_back(child);
        }
    }
}

void MDIForm_Main::moveEvent(QMoveEvent *event)
{
    QMainWindow::moveEvent(event);
    rememberNormalGeometry();
}

void MDIForm_Main::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    rememberNormalGeometry();
}

void MDIForm_Main::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        rememberNormalGeometry();
}

bool MDIForm_Main::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_clientArea && event->type() == QEvent::Resize)
        fitActiveChild();
    return QMainWindow::eventFilter(watched, event);
}

void MDIForm_Main::offerInterruptedRun()
{
    const auto path = interruptedJournal(m_state.dataDir(), true);
    if (!path)
        return;
    // Held from here: another copy of Parlevo, or the command line, cannot take it up meanwhile. A
    // run another process sends now is not offered at all.
    HoldFailure failure{};
    QString error;
    auto held = holdRun(m_state.dataDir(), *path, &failure, &error);
    if (!held) {
        // Taken up elsewhere between the look and the hold: said, not offered.
        if (failure == HoldFailure::InUse)
            MsgBox(m_state.Textes(Txt::RunHeldElsewhere), vbOKOnly | vbInformation);
        return;
    }
    const JournalHead &head = held->content.head;
    PhoneCheck numbers(head.region.isEmpty() ? m_state.addressBook().phoneCheck().region() : head.region);
    const ResumePlan plan =
        planResume(held->content, false, [&numbers](const QString &number) { return numbers.matchKey(number); });
    const QString question = m_state.Textes(Txt::ResumeRunQuestion)
                                 .arg(QLocale().toString(head.started.toLocalTime(), QLocale::ShortFormat))
                                 .arg(plan.rows.size() + plan.unknown)
                                 .arg(head.rows.size());
    if (MsgBox(question, vbYesNo | vbQuestion) != vbYes) {
        if (const auto journal = SendJournal::reopen(held->path, std::move(held->lock), &error))
            journal->recordEnd(false);
        return;
    }
    const bool unknownToo = plan.unknown > 0 && MsgBox(m_state.Textes(Txt::ResendUnknownQuestion).arg(plan.unknown),
                                                       vbYesNo | vbQuestion | vbDefaultButton2) == vbYes;
    KXB_Mailing_Click();
    if (auto *mailing = qobject_cast<Form_Mailing *>(loadedActivity(Activity::Mailing)))
        mailing->resumeInterrupted(std::move(*held), unknownToo);
}

} // namespace parlevo
