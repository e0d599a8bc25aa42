#include "addressbook/contactcollection.h"
#include "app/appstate.h"
#include "app/startup.h"
#include "messages/predefinis.h"
#include "messages/predefinismenu.h"
#include "testdatadir.h"

#include <QMenu>
#include <QTest>

using namespace Qt::StringLiterals;

using namespace parlevo;

// The address book, the predefined messages and the preferences survive a quit and a new start
// of the program.
class TestKeptAcrossRuns : public QObject {
    Q_OBJECT
private slots:
    void quitAndStartAgain()
    {
        test::TestDataDir dir;
        QVERIFY(dir.write(u"Contacts.lst"_s, test::fixtureBytes(u"contacts_example.lst"_s)));
        {
            Application first(dir.path());
            QVERIFY(first.start());
            AppState &state = first.state();
            QCOMPARE(state.addressBook().colContacts().count(), 4);
            QVERIFY(MenuPredefinis() && MenuPredefinis()->actions().isEmpty());
            state.addressBook().colContacts().remove(u"1"_s);
            state.predefinis().colPredefinis().append({u"Retard"_s, u"J'arrive\r\ndans 5 min"_s});
            state.config().Expediteur = u"Marie"_s;
            state.config().ColumnGSM = false;
            first.AppShutdown();
            QCOMPARE(MenuPredefinis(), nullptr);
        }
        QCOMPARE(dir.read(u"Predefinis.sms"_s), QByteArray("1\r\nRetard;J'arrive\\ndans 5 min\r\n"));

        Application second(dir.path());
        QVERIFY(second.start());
        AppState &state = second.state();
        QCOMPARE(state.addressBook().colContacts().count(), 3);
        QCOMPARE(state.addressBook().colContacts().at(0)->Nom, u"Martin"_s);
        QCOMPARE(state.addressBook().colContacts().at(0)->GUID, u"1"_s);
        QCOMPARE(state.predefinis().colPredefinis().size(), 1);
        QCOMPARE(state.predefinis().colPredefinis().at(0).Message, u"J'arrive\r\ndans 5 min"_s);
        QCOMPARE(MenuPredefinis()->actions().at(0)->text(), u"Retard"_s);
        QCOMPARE(state.config().Expediteur, u"Marie"_s);
        QVERIFY(!state.config().ColumnGSM);
        // The copy taken at this start is the book the first run left.
        QCOMPARE(dir.read(u"Contacts.bak"_s), dir.read(u"Contacts.lst"_s));
        second.AppShutdown();
    }
};

QTEST_MAIN(TestKeptAcrossRuns)
#include "test_keptacrossruns.moc"
