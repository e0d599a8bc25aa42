// Renders the main window on the home page, the address book, a mailing and the preferences into PNG
// files for the documentation: grab_screenshots [output directory, default docs/screenshots].
#include "addressbook/contactcollection.h"
#include "addressbook/contactstore.h"
#include "addressbook/groupcollection.h"
#include "app/configfile.h"
#include "app/mdiformmain.h"
#include "base/appstate.h"
#include "base/messagebox.h"
#include "controls/maxmin.h"
#include "gateway/classsendora.h"
#include "messages/predefinis.h"
#include "sending/differer.h"
#include "sending/form_mailing.h"
#include "sending/form_simple.h"

#include <QPlainTextEdit>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <cstdio>

using namespace Qt::StringLiterals;

using namespace parlevo;

int main(int argc, char *argv[])
{
    // Always the same picture: no desktop, French clock format, a fixed time and credit.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("LC_ALL", "fr_FR.UTF-8");
    QApplication app(argc, argv);
    const QDir out(argc > 1 ? QString::fromLocal8Bit(argv[1]) : u"docs/screenshots"_s);
    if (!QDir().mkpath(out.path()))
        return 1;

    QTemporaryDir dataDir;
    AppState state(dataDir.path());
    LoadConfig(state);
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
    state.colContacts().append(readContactLines(demo, [&state] { return state.NextKey(); }));
    for (const ClassContact &contact : state.colContacts())
        Ajoute_Groupe(state, contact.Groupe);

    state.colPredefinis().append({u"Rendez-vous"_s, u"Bonjour, nous vous confirmons votre rendez-vous de demain."_s});
    state.colPredefinis().append({u"Merci"_s, u"Merci de votre visite, à bientôt !"_s});

    setSendingClock([] { return QDateTime(QDate(2026, 3, 7), QTime(14, 32, 5)); });
    MainWindowHooks hooks;
    hooks.querySolde = [] { return u"120"_s; };
    hooks.clock = [] { return QTime(14, 32, 5); };
    MDIForm_Main window(state, std::move(hooks));
    // The off-screen display is small; the pictures show a roomier window.
    window.findChild<MaxMin *>(u"MaxMin1"_s)->setEnabled(false);
    window.setGeometry(0, 0, 860, 620);
    window.show();
    window.MAJ_SoldeSMS();
    QApplication::processEvents();

    bool ok = window.grab().save(out.filePath(u"home.png"_s));
    window.KXB_Carnet_Click();
    QApplication::processEvents();
    ok = window.grab().save(out.filePath(u"addressbook.png"_s)) && ok;
    window.KXB_Mailing_Click();
    if (auto *mailing = qobject_cast<Form_Mailing *>(window.ActiveChild())) {
        // The "contacts added" notices need no answer here.
        setMessageBoxHandler([](const QString &, int) { return int(vbOK); });
        mailing->addGroup(u"Clients"_s);
        mailing->addGroup(u"Travail"_s);
        mailing->AutosizeColumns();
        mailing->findChild<QPlainTextEdit *>(u"TextSMS"_s)
            ->setPlainText(u"Bonjour, la boutique ouvre ses portes samedi à 9 h. À bientôt !"_s);
    }
    QApplication::processEvents();
    ok = window.grab().save(out.filePath(u"mailing.png"_s)) && ok;
    window.KXB_Simple_Click();
    if (auto *simple = qobject_cast<Form_Simple *>(window.ActiveChild())) {
        simple->applyPickedContact(*state.colContacts().at(2));
        simple->findChild<QPlainTextEdit *>(u"TextSMS"_s)
            ->setPlainText(u"Votre commande est prête, vous pouvez passer la chercher dès demain."_s);
    }
    QApplication::processEvents();
    ok = window.grab().save(out.filePath(u"single.png"_s)) && ok;
    window.KXB_Predefinis_Click();
    QApplication::processEvents();
    ok = window.grab().save(out.filePath(u"predefined.png"_s)) && ok;
    window.KXB_Prefs_Click();
    QApplication::processEvents();
    ok = window.grab().save(out.filePath(u"preferences.png"_s)) && ok;
    std::printf("%s\n", qPrintable(out.absolutePath()));
    return ok ? 0 : 1;
}
