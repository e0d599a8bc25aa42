#include "addressbook/contactcollection.h"
#include "addressbook/form_addcontact.h"
#include "addressbook/form_changegroup.h"
#include "addressbook/form_importcsv.h"
#include "addressbook/form_selcontact.h"
#include "app/appstate.h"
#include "app/mdiformmain.h"
#include "contactfixtures.h"
#include "controls/kxbutton.h"
#include "messages/predefinis.h"
#include "messages/predefinismenu.h"
#include "sending/form_envoimailing.h"
#include "testdatadir.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

using namespace Qt::StringLiterals;

using namespace parlevo;

namespace {

QStringList names(const char16_t *list)
{
    return QString::fromUtf16(list).split(u' ');
}

const QStringList kToolbar =
    names(u"KXB_Home KXB_Simple KXB_Mailing KXB_Carnet KXB_Predefinis KXB_Historique KXB_Prefs KXB_Quitter");

// The control a focus widget belongs to: an editable combo box or a date picker answers for its
// inner line edit.
QWidget *control(QWidget *w)
{
    while (w && (w->objectName().isEmpty() || w->objectName().startsWith(u"qt_"_s)))
        w = w->parentWidget();
    return w;
}

// What a screen reader says the control is.
QString spokenName(QWidget *w)
{
    QAccessibleInterface *a = QAccessible::queryAccessibleInterface(w);
    return a ? a->text(QAccessible::Name) : QString();
}

// Tabs from first until the focus comes back to it; the controls met, in order, must be
// expected, each with a name for screen readers, and no two visible captions may share a mnemonic.
void checkTabWalk(QWidget *first, const QStringList &expected)
{
    first->activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), first->window());
    first->setFocus(Qt::TabFocusReason);
    QCOMPARE(QApplication::focusWidget() ? control(QApplication::focusWidget()) : nullptr, first);
    QStringList met;
    QStringList unnamed;
    QWidget *w = first;
    do {
        // A date picker keeps the focus from one of its fields to the next.
        if (met.isEmpty() || met.last() != w->objectName())
            met.append(w->objectName());
        if (spokenName(w).isEmpty())
            unnamed.append(w->objectName());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        w = control(QApplication::focusWidget());
    } while (w && w != first && met.size() <= expected.size());
    QCOMPARE(met, expected);
    QCOMPARE(w, first);
    QCOMPARE(unnamed, QStringList());

    QStringList mnemonics;
    for (QWidget *shown : first->window()->findChildren<QWidget *>()) {
        QString text;
        if (auto *button = qobject_cast<QAbstractButton *>(shown))
            text = button->text();
        else if (auto *label = qobject_cast<QLabel *>(shown); label && label->buddy())
            text = label->text();
        else if (auto *box = qobject_cast<QGroupBox *>(shown))
            text = box->title();
        const QKeySequence key = QKeySequence::mnemonic(text);
        if (shown->isVisible() && !key.isEmpty())
            mnemonics.append(key.toString());
    }
    const qsizetype count = mnemonics.size();
    mnemonics.removeDuplicates();
    QCOMPARE(mnemonics.size(), count);
}

} // namespace

class TestKeyboard : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<test::TestDataDir> m_dir;
    std::unique_ptr<AppState> m_state;
    std::unique_ptr<MDIForm_Main> m_main;

    // A control of the activity window on screen: several windows use the same names.
    template <typename W = QWidget> W *shown(const char16_t *name) const
    {
        W *found = m_main->ActiveChild()->findChild<W *>(QString::fromUtf16(name));
        if (!found)
            qFatal("no control %s", qPrintable(QString::fromUtf16(name)));
        return found;
    }

    void walkActivity(const std::function<void()> &open, const char16_t *controls)
    {
        open();
        checkTabWalk(m_main->findChild<QWidget *>(u"KXB_Home"_s), kToolbar + names(controls));
    }

    // Opens a modal dialog, walks it, then presses Escape, which must close it as a cancel.
    void walkDialog(const std::function<void()> &exec, const char16_t *list)
    {
        const QStringList controls = names(list);
        bool closedByEscape = false;
        QTimer::singleShot(0, this, [&] {
            QTRY_VERIFY_WITH_TIMEOUT(QApplication::activeModalWidget(), 5000);
            auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            checkTabWalk(dialog->findChild<QWidget *>(controls.first()), controls);
            QTest::keyClick(dialog->focusWidget() ? dialog->focusWidget() : dialog, Qt::Key_Escape);
            closedByEscape = !dialog->isVisible() && dialog->result() == QDialog::Rejected;
            if (dialog->isVisible())
                dialog->reject();
        });
        exec();
        QVERIFY(closedByEscape);
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<test::TestDataDir>();
        m_state = std::make_unique<AppState>(m_dir->path());
        test::addContact(m_state->addressBook(), {.Nom = u"Dupont"_s, .Phone = u"0612345678"_s});
        m_state->predefinis().colPredefinis() = {{u"Un"_s, u"Premier"_s}};
        MainWindowHooks hooks;
        hooks.querySolde = [](const auto &answer) { answer(QString()); };
        m_main = std::make_unique<MDIForm_Main>(*m_state, std::move(hooks));
        m_main->findChild<QTimer *>(u"TimerHeure"_s)->stop();
        m_main->show();
        QVERIFY(QTest::qWaitForWindowActive(m_main.get()));
    }

    void cleanup()
    {
        m_main.reset();
        m_state.reset();
        m_dir.reset();
    }

    void activityWindows()
    {
        walkActivity([] {}, u"LabelLinkSMSSimple LabelLinkSMSMailing LabelLinkCarnetAdresse LabelLinkPredefinies "
                            u"LabelLinkHistorique LabelLinkPrefs");
        walkActivity(
            [this] {
                m_main->KXB_Simple_Click();
                shown<QCheckBox>(u"Checkdifferer")->setChecked(true);
            },
            u"TextContact CMD_Contact TextExpediteur LabelNbMax TextSMS Checkdifferer DTPickerDate DTPickerTime "
            u"CMD_Appercu CommandEnvoyer");
        walkActivity(
            [this] {
                m_main->KXB_Mailing_Click();
                shown<QCheckBox>(u"Checkdifferer")->setChecked(true);
            },
            u"ListViewContact LabelLinkAjouter LabelLinkSauver LabelNbMax TextSMS TextExpediteur Checkdifferer "
            u"DTPickerDate DTPickerTime CommandTest CMD_Appercu CommandEnvoyer");
        // The row the list takes with the focus opens the row buttons: no click is needed.
        walkActivity([this] { m_main->KXB_Carnet_Click(); },
                     u"TextRecherche ListViewCA CMD_Ajouter CMD_Modifier CMD_Supprimer LabelLinkImporter");
        walkActivity([this] { m_main->KXB_Predefinis_Click(); }, u"ListPredefinis CMD_Ajouter");
        walkActivity([this] { shown<QPushButton>(u"CMD_Ajouter")->click(); },
                     u"TextNomPredefinis TextSMS CMD_Accepter CMD_Annuler");
        walkActivity(
            [this] { m_main->KXB_Prefs_Click(); },
            u"Text_SendoraMail Text_SendoraPassword TextProxyHost TextProxyPort TextProxyUser TextProxyPassword "
            u"TextExpediteur TextMyNumber CheckColonnes(0) CheckColonnes(1) "
            u"CheckColonnes(2) CheckColonnes(3) CheckColonnes(4) CheckColonnes(5) CheckColonnes(6) CheckCommercial "
            u"TextSmsParMinute TextRequetesSimultanees");
        walkActivity([this] { m_main->KXB_Historique_Click(); },
                     u"TextRecherche TextNumero ComboResultat DateDu DateAu LV_Historique CMD_Renvoyer CMD_Exporter");
    }

    void keysReachWhatOnlyTheMouseDidBefore()
    {
        QAccessibleInterface *prefs =
            QAccessible::queryAccessibleInterface(m_main->findChild<KXButton *>(u"KXB_Prefs"_s));
        QCOMPARE(prefs->role(), QAccessible::Button);
        prefs->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(m_main->ActiveChild()->objectName(), u"Form_Prefs"_s);

        m_main->KXB_Simple_Click();
        bool popupShown = false;
        QTimer::singleShot(0, this, [&] {
            QTRY_VERIFY_WITH_TIMEOUT(MenuPredefinis() && MenuPredefinis()->isVisible(), 5000);
            popupShown = true;
            MenuPredefinis()->close();
        });
        QTest::keyClick(shown(u"LabelNbMax"), Qt::Key_Space);
        QVERIFY(popupShown);

        m_main->KXB_Carnet_Click();
        QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(), QPoint());
        QApplication::sendEvent(shown(u"ListViewCA"), &menuKey);
        QTRY_VERIFY(shown<QMenu>(u"MNU_Listview")->isVisible());
        shown<QMenu>(u"MNU_Listview")->close();
    }

    void dialogs()
    {
        ClassContact contact;
        walkDialog([&] { Form_AddContact(m_state->textTable(), m_state->addressBook(), m_main.get()).Ajoute(contact); },
                   u"ComboGroupe TextSociete ComboTitre TextPrenom TextNom TextGSM CMD_Accepter CMD_Annuler");
        walkDialog(
            [&] {
                Form_ChangeGroup change(m_state->textTable(), m_state->addressBook().colGroupes(), m_main.get());
                change.Init();
                change.exec();
            },
            u"ComboGroup CMD_ChangeGroupe CMD_Annuler");
        walkDialog([&] { Form_ImportCSV(m_state->textTable(), m_main.get()).exec(); },
                   u"TextExemple CMD_ChargeCSV CMD_Annuler");
        walkDialog(
            [&] {
                Form_SelContact picker(m_state->textTable(), m_state->config(), m_state->addressBook(), m_main.get());
                picker.TypeSource = 1;
                picker.ImporteCarnet();
                picker.Init();
                picker.findChild<QCheckBox *>(u"CheckFiltre"_s)->click();
                picker.exec();
            },
            u"ComboGroupe CheckFiltre TextRecherche Combo_Dans CMD_Filtre ListViewCA CMD_Accepter");
    }

    void sendWindowClosesOnEscape()
    {
        Form_EnvoiMailing window(m_state->textTable(), m_state->config(), m_state->dataFiles(), m_state->addressBook(),
                                 m_state->Gateway(), m_main.get());
        window.show();
        checkTabWalk(window.findChild<QWidget *>(u"LV_Travail"_s), names(u"LV_Travail CMD_OK"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QVERIFY(!window.isVisible());
    }
};

QTEST_MAIN(TestKeyboard)
#include "test_keyboard.moc"
