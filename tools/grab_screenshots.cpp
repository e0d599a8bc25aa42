// Renders the main window on each page into PNG files for the documentation:
//   grab_screenshots [--size WxH] [--dark] [--suffix TEXT] [output directory, default docs/screenshots]
// --size sets the window's outer size (default: the first-start size), --dark draws on a dark
// palette, --suffix is added to every file name (home<suffix>.png).
#include "addressbook/contactcollection.h"
#include "addressbook/contactlistview.h"
#include "addressbook/contactstore.h"
#include "addressbook/groupcollection.h"
#include "app/appstate.h"
#include "app/mdiformmain.h"
#include "base/messagebox.h"
#include "controls/maxmin.h"
#include "gateway/classsendora.h"
#include "messages/predefinis.h"
#include "prefs/configfile.h"
#include "sending/differer.h"
#include "sending/form_historique.h"
#include "sending/form_mailing.h"
#include "sending/form_simple.h"
#include "sending/sendjournal.h"

#include <QPlainTextEdit>

#include <QApplication>
#include <QCommandLineParser>
#include <QDeadlineTimer>
#include <QDir>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>

using namespace Qt::StringLiterals;

using namespace parlevo;

namespace {

// A dark palette of the kind desktop themes give, to see that every text stays readable.
QPalette darkPalette()
{
    // Qt derives the shades (frames, check boxes, disabled texts) from the button and window colours.
    QPalette p(QColor(0x35, 0x37, 0x3b), QColor(0x2b, 0x2d, 0x31));
    const QColor text(0xe6, 0xe6, 0xe6);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::Base, QColor(0x1e, 0x1f, 0x22));
    p.setColor(QPalette::AlternateBase, QColor(0x2b, 0x2d, 0x31));
    p.setColor(QPalette::ToolTipBase, QColor(0x1e, 0x1f, 0x22));
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::PlaceholderText, QColor(0x90, 0x90, 0x90));
    p.setColor(QPalette::Highlight, QColor(0x3d, 0x7a, 0xd6));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Link, QColor(0x7a, 0xb4, 0xff));
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, QColor(0x80, 0x80, 0x80));
    return p;
}

} // namespace

int main(int argc, char *argv[])
{
    // Always the same picture: no desktop, French clock format, a fixed time and credit.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("LC_ALL", "fr_FR.UTF-8");
    QApplication app(argc, argv);
    QCommandLineParser parser;
    const QCommandLineOption sizeOption(u"size"_s, u"Outer size of the window."_s, u"WxH"_s);
    const QCommandLineOption darkOption(u"dark"_s, u"Dark palette."_s);
    const QCommandLineOption suffixOption(u"suffix"_s, u"Added to every file name."_s, u"text"_s);
    parser.addOptions({sizeOption, darkOption, suffixOption});
    parser.addPositionalArgument(u"directory"_s, u"Where the pictures go."_s);
    parser.process(app);
    const QDir out(parser.positionalArguments().value(0, u"docs/screenshots"_s));
    const QString suffix = parser.value(suffixOption);
    if (parser.isSet(darkOption)) {
        QApplication::setStyle(QStyleFactory::create(u"Fusion"_s));
        QApplication::setPalette(darkPalette());
    }
    if (!QDir().mkpath(out.path()))
        return 1;

    QTemporaryDir dataDir;
    AppState state(dataDir.path());
    LoadConfig(state.config(), state.Gateway(), state.Cipher(), state.dataFiles());
    state.Gateway().Mail = u"demo@parlevo.example"_s;
    state.Gateway().Password = u"demo-password"_s;
    state.config().Expediteur = u"Parlevo"_s;

    // A few demo contacts for the address book.
    const QByteArray demo = "Travail;Parlevo;M.;Jean;Dupont;0612345678\r\n"
                            "Personnel;;Mme;Anne;Dupuis;0687654321\r\n"
                            "Clients;Boulangerie Martin;Mme;Sophie;Martin;0611223344\r\n"
                            "Clients;Garage Leroy;M.;Luc;Leroy;0622334455\r\n"
                            "Famille;;;Camille;Bernard;0633445566\r\n"
                            "Travail;Parlevo;Dr.;Hugo;Moreau;0644556677\r\n"
                            "Amis;;;Zo\xe9;Lef\xe8vre;0655667788\r\n";
    state.addressBook().colContacts().append(
        readContactLines(demo, [&state] { return state.addressBook().NextKey(); }));
    for (const ClassContact &contact : state.addressBook().colContacts())
        Ajoute_Groupe(state.addressBook().colGroupes(), contact.Groupe);

    state.predefinis().colPredefinis().append(
        {u"Rendez-vous"_s, u"Bonjour, nous vous confirmons votre rendez-vous de demain."_s});
    state.predefinis().colPredefinis().append({u"Merci"_s, u"Merci de votre visite, à bientôt !"_s});

    setSendingClock([] { return QDateTime(QDate(2026, 3, 7), QTime(14, 32, 5)); });
    MainWindowHooks hooks;
    hooks.querySolde = [](const auto &answer) { answer(u"120"_s); };
    hooks.clock = [] { return QTime(14, 32, 5); };
    MDIForm_Main window(state, std::move(hooks));
    if (parser.isSet(sizeOption)) {
        const QStringList wh = parser.value(sizeOption).split(u'x');
        window.findChild<MaxMin *>(u"MaxMin1"_s)->setEnabled(false);
        window.resize(wh.value(0).toInt(), wh.value(1).toInt());
    }
    window.show();
    window.MAJ_SoldeSMS();
    QApplication::processEvents();

    bool ok = window.grab().save(out.filePath(u"home"_s + suffix + u".png"_s));
    window.KXB_Carnet_Click();
    QApplication::processEvents();
    ok = window.grab().save(out.filePath(u"addressbook"_s + suffix + u".png"_s)) && ok;
    window.KXB_Mailing_Click();
    if (auto *mailing = qobject_cast<Form_Mailing *>(window.ActiveChild())) {
        // The "contacts added" notices need no answer here.
        setMessageBoxHandler([](const QString &, int) { return int(vbOK); });
        mailing->addGroup(u"Clients"_s);
        mailing->addGroup(u"Travail"_s);
        mailing->AutosizeColumns();
        mailing->findChild<QPlainTextEdit *>(u"TextSMS"_s)
            ->setPlainText(u"Bonjour {prénom}, la boutique ouvre ses portes samedi à 9 h – venez nombreux !"_s);
        mailing->list()->setCurrentIndex(mailing->list()->model()->index(0, 0));
    }
    // The cost line is counted once typing pauses: let its timer fire.
    QThread::msleep(300);
    QApplication::processEvents();
    ok = window.grab().save(out.filePath(u"mailing"_s + suffix + u".png"_s)) && ok;
    window.KXB_Simple_Click();
    if (auto *simple = qobject_cast<Form_Simple *>(window.ActiveChild())) {
        simple->applyPickedContact(*state.addressBook().colContacts().at(2));
        simple->findChild<QPlainTextEdit *>(u"TextSMS"_s)
            ->setPlainText(u"Votre commande est prête, vous pouvez passer la chercher dès demain."_s);
    }
    QApplication::processEvents();
    ok = window.grab().save(out.filePath(u"single"_s + suffix + u".png"_s)) && ok;
    window.KXB_Predefinis_Click();
    QApplication::processEvents();
    ok = window.grab().save(out.filePath(u"predefined"_s + suffix + u".png"_s)) && ok;
    window.KXB_Prefs_Click();
    QApplication::processEvents();
    ok = window.grab().save(out.filePath(u"preferences"_s + suffix + u".png"_s)) && ok;

    // A mailing with a refusal and a single SMS, for the history.
    std::vector<ClassContact> rows;
    for (qsizetype i : {2, 3, 6})
        rows.push_back(*state.addressBook().colContacts().at(i));
    JournalHead mailingHead{QString(),    QDateTime(),
                            u"Parlevo"_s, u"Bonjour {prénom}, la boutique ouvre ses portes samedi à 9 h. À bientôt !"_s,
                            QString(),    rows};
    JournalHead singleHead{QString(),    QDateTime(),
                           u"Parlevo"_s, u"Votre commande est prête, vous pouvez passer la chercher dès demain."_s,
                           QString(),    {*state.addressBook().colContacts().at(1)}};
    QString error;
    if (const auto journal = SendJournal::create(dataDir.path(), mailingHead, &error)) {
        const std::vector<qsizetype> all{0, 1, 2};
        journal->recordStarted(all);
        journal->recordDone(0, {80, SendOutcome::Accepted});
        journal->recordDone(1, {83, SendOutcome::Refused});
        journal->recordDone(2, {80, SendOutcome::Accepted});
        journal->recordEnd(true);
    }
    if (const auto journal = SendJournal::createSingle(dataDir.path(), singleHead, &error)) {
        const std::vector<qsizetype> first{0};
        journal->recordStarted(first);
        journal->recordDone(0, {80, SendOutcome::Accepted});
        journal->recordEnd(true);
    }
    window.KXB_Historique_Click();
    // The journals are read in the background: the picture waits for them.
    const QDeadlineTimer deadline(10000);
    for (auto *history = window.findChild<Form_Historique *>();
         history && history->isLoading() && !deadline.hasExpired();)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    QApplication::processEvents();
    ok = window.grab().save(out.filePath(u"history"_s + suffix + u".png"_s)) && ok;
    std::printf("%s\n", qPrintable(out.absolutePath()));
    return ok ? 0 : 1;
}
