#include "addressbook/form_addcontact.h"
#include "addressbook/form_changegroup.h"
#include "addressbook/form_importcsv.h"
#include "addressbook/form_selcontact.h"
#include "app/appstate.h"
#include "app/mdiformmain.h"
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

using namespace parlevo;

namespace {

const QStringList kToolbar{u"KXB_Home"_qs,       u"KXB_Simple"_qs, u"KXB_Mailing"_qs, u"KXB_Carnet"_qs,
                           u"KXB_Predefinis"_qs, u"KXB_Prefs"_qs,  u"KXB_Quitter"_qs};

// The control a focus widget belongs to: an editable combo box or a date picker answers for its
// inner line edit.
QWidget *control(QWidget *w)
{
    while (w && (w->objectName().isEmpty() || w->objectName().startsWith(u"qt_"_qs)))
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

    template <typename W = QWidget> W *child(const QString &name) const
    {
        W *found = m_main->findChild<W *>(name);
        if (!found)
            qFatal("no control %s", qPrintable(name));
        return found;
    }

    // A control of the activity window on screen: several windows use the same names.
    template <typename W = QWidget> W *shown(const QString &name) const
    {
        W *found = m_main->ActiveChild()->findChild<W *>(name);
        if (!found)
            qFatal("no control %s", qPrintable(name));
        return found;
    }

    void walkActivity(const std::function<void()> &open, const QStringList &controls)
    {
        open();
        checkTabWalk(child(u"KXB_Home"_qs), kToolbar + controls);
    }

    // Opens a modal dialog, walks it, then presses Escape, which must close it as a cancel.
    void walkDialog(const std::function<void()> &exec, const QStringList &controls)
    {
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
        auto contact = std::make_unique<ClassContact>();
        contact->Nom = u"Dupont"_qs;
        contact->Phone = u"0612345678"_qs;
        contact->GUID = m_state->NextKey();
        m_state->colContacts().add(std::move(contact));
        m_state->colPredefinis() = {{u"Un"_qs, u"Premier"_qs}};
        MainWindowHooks hooks;
        hooks.querySolde = [] { return QString(); };
        m_main = std::make_unique<MDIForm_Main>(*m_state, std::move(hooks));
        m_main->findChild<QTimer *>(u"TimerHeure"_qs)->stop();
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
        walkActivity([] {}, {u"LabelLinkSMSSimple"_qs, u"LabelLinkSMSMailing"_qs, u"LabelLinkCarnetAdresse"_qs,
                             u"LabelLinkPredefinies"_qs, u"LabelLinkPrefs"_qs});
        walkActivity(
            [this] {
                m_main->KXB_Simple_Click();
                shown<QCheckBox>(u"Checkdifferer"_qs)->setChecked(true);
            },
            {u"TextContact"_qs, u"CMD_Contact"_qs, u"TextExpediteur"_qs, u"LabelNbMax"_qs, u"TextSMS"_qs,
             u"Checkdifferer"_qs, u"DTPickerDate"_qs, u"DTPickerTime"_qs, u"CMD_Appercu"_qs, u"CommandEnvoyer"_qs});
        walkActivity(
            [this] {
                m_main->KXB_Mailing_Click();
                shown<QCheckBox>(u"Checkdifferer"_qs)->setChecked(true);
            },
            {u"ListViewContact"_qs, u"LabelLinkAjouter"_qs, u"LabelLinkSauver"_qs, u"LabelNbMax"_qs, u"TextSMS"_qs,
             u"TextExpediteur"_qs, u"Checkdifferer"_qs, u"DTPickerDate"_qs, u"DTPickerTime"_qs, u"CMD_Appercu"_qs,
             u"CommandEnvoyer"_qs});
        walkActivity([this] { m_main->KXB_Carnet_Click(); }, {u"ListViewCA"_qs, u"CMD_Ajouter"_qs, u"CMD_Modifier"_qs,
                                                              u"CMD_Supprimer"_qs, u"LabelLinkImporter"_qs});
        walkActivity([this] { m_main->KXB_Predefinis_Click(); }, {u"ListPredefinis"_qs, u"CMD_Ajouter"_qs});
        // Adding opens the edit fields and closes the list.
        walkActivity([this] { shown<QPushButton>(u"CMD_Ajouter"_qs)->click(); },
                     {u"TextNomPredefinis"_qs, u"TextSMS"_qs, u"CMD_Accepter"_qs, u"CMD_Annuler"_qs});
        walkActivity([this] { m_main->KXB_Prefs_Click(); },
                     {u"Text_SendoraMail"_qs, u"Text_SendoraPassword"_qs, u"TextExpediteur"_qs, u"CheckColonnes(0)"_qs,
                      u"CheckColonnes(1)"_qs, u"CheckColonnes(2)"_qs, u"CheckColonnes(3)"_qs, u"CheckColonnes(4)"_qs,
                      u"CheckColonnes(5)"_qs, u"CheckColonnes(6)"_qs});
    }

    void keysReachWhatOnlyTheMouseDidBefore()
    {
        // The toolbar buttons are buttons that a screen reader can press.
        QAccessibleInterface *prefs = QAccessible::queryAccessibleInterface(child(u"KXB_Prefs"_qs));
        QCOMPARE(prefs->role(), QAccessible::Button);
        prefs->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(m_main->ActiveChild()->objectName(), u"Form_Prefs"_qs);
        m_main->KXB_Home_Click();
        QCOMPARE(QAccessible::queryAccessibleInterface(child(u"LabelLinkPrefs"_qs))->role(), QAccessible::Link);

        // Space on the predefined-messages label opens their popup.
        m_main->KXB_Simple_Click();
        bool popupShown = false;
        QTimer::singleShot(0, this, [&] {
            QTRY_VERIFY_WITH_TIMEOUT(MenuPredefinis() && MenuPredefinis()->isVisible(), 5000);
            popupShown = true;
            MenuPredefinis()->close();
        });
        QTest::keyClick(shown(u"LabelNbMax"_qs), Qt::Key_Space);
        QVERIFY(popupShown);

        // The menu key opens the address book list's menu.
        m_main->KXB_Carnet_Click();
        auto *menu = child<QMenu>(u"MNU_Listview"_qs);
        QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(), QPoint());
        QApplication::sendEvent(shown(u"ListViewCA"_qs), &menuKey);
        QTRY_VERIFY(menu->isVisible());
        menu->close();
    }

    void dialogs()
    {
        ClassContact contact;
        walkDialog(
            [&] {
                Form_AddContact editor(*m_state, m_main.get());
                editor.Ajoute(contact);
            },
            {u"ComboGroupe"_qs, u"TextSociete"_qs, u"ComboTitre"_qs, u"TextPrenom"_qs, u"TextNom"_qs, u"TextGSM"_qs,
             u"CMD_Accepter"_qs, u"CMD_Annuler"_qs});
        walkDialog(
            [&] {
                Form_ChangeGroup change(*m_state, m_main.get());
                change.Init();
                change.exec();
                QCOMPARE(change.Groupe, u"##NOP##NOP##NOP##"_qs);
            },
            {u"ComboGroup"_qs, u"CMD_ChangeGroupe"_qs, u"CMD_Annuler"_qs});
        walkDialog(
            [&] {
                Form_ImportCSV explanation(*m_state, m_main.get());
                explanation.exec();
            },
            {u"TextExemple"_qs, u"CMD_ChargeCSV"_qs, u"CMD_Annuler"_qs});
        walkDialog(
            [&] {
                Form_SelContact picker(*m_state, m_main.get());
                picker.TypeSource = 1;
                picker.ImporteCarnet();
                picker.Init();
                picker.findChild<QCheckBox *>(u"CheckFiltre"_qs)->click();
                picker.exec();
            },
            {u"ComboGroupe"_qs, u"CheckFiltre"_qs, u"TextRecherche"_qs, u"Combo_Dans"_qs, u"CMD_Filtre"_qs,
             u"ListViewCA"_qs, u"CMD_Accepter"_qs});
    }

    void sendWindowClosesOnEscape()
    {
        Form_EnvoiMailing window(*m_state, m_main.get());
        window.show();
        checkTabWalk(window.findChild<QWidget *>(u"LV_Travail"_qs), {u"LV_Travail"_qs, u"CMD_OK"_qs});
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QVERIFY(!window.isVisible());
    }
};

QTEST_MAIN(TestKeyboard)
#include "test_keyboard.moc"
