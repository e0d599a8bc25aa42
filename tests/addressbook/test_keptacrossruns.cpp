#include "app/appstate.h"
#include "app/startup.h"
#include "messages/predefinismenu.h"
#include "testdatadir.h"

#include <QMenu>
#include <QTest>

using namespace parlevo;

// The address book and the predefined messages survive a quit and a new start of the program.
class TestKeptAcrossRuns : public QObject {
    Q_OBJECT
private slots:
    void quitAndStartAgain()
    {
        test::TestDataDir dir;
        QVERIFY(dir.write(u"Contacts.lst"_qs, test::fixtureBytes(u"contacts_example.lst"_qs)));
        {
            Application first(dir.path());
            QVERIFY(first.start());
            AppState &state = first.state();
            QCOMPARE(state.colContacts().count(), 4);
            QVERIFY(MenuPredefinis() && MenuPredefinis()->actions().isEmpty());
            state.colContacts().remove(u"1"_qs);
            state.colPredefinis().append({u"Retard"_qs, u"J'arrive\r\ndans 5 min"_qs});
            first.AppShutdown();
            QCOMPARE(MenuPredefinis(), nullptr);
        }
        QCOMPARE(dir.read(u"Predefinis.sms"_qs), QByteArray("1\r\nRetard;J'arrive\\ndans 5 min\r\n"));

        Application second(dir.path());
        QVERIFY(second.start());
        AppState &state = second.state();
        QCOMPARE(state.colContacts().count(), 3);
        QCOMPARE(state.colContacts().at(0)->Nom, u"Martin"_qs);
        QCOMPARE(state.colContacts().at(0)->GUID, u"1"_qs);
        QCOMPARE(state.colPredefinis().size(), 1);
        QCOMPARE(state.colPredefinis().at(0).Message, u"J'arrive\r\ndans 5 min"_qs);
        QCOMPARE(MenuPredefinis()->actions().at(0)->text(), u"Retard"_qs);
        // The copy taken at this start is the book the first run left.
        QCOMPARE(dir.read(u"Contacts.bak"_qs), dir.read(u"Contacts.lst"_qs));
        second.AppShutdown();
    }
};

QTEST_MAIN(TestKeptAcrossRuns)
#include "test_keptacrossruns.moc"
