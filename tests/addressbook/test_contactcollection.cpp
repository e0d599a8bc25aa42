#include "addressbook/contactcollection.h"

#include <QSignalSpy>
#include <QTest>

using namespace parlevo;

namespace {

std::unique_ptr<ClassContact> contact(const QString &key, const QString &nom = {})
{
    auto c = std::make_unique<ClassContact>();
    c->GUID = key;
    c->Nom = nom.isEmpty() ? u"Nom "_qs + key : nom;
    return c;
}

// The keys in iteration order, and checks that positions agree with it.
QStringList keysInOrder(const ContactCollection &contacts)
{
    QStringList keys;
    for (const ClassContact &c : contacts)
        keys.append(c.GUID);
    for (qsizetype i = 0; i < keys.size(); ++i) {
        if (contacts.at(i)->GUID != keys[i] || contacts.indexOf(keys[i]) != i)
            return {u"positions disagree with iteration"_qs};
    }
    return keys;
}

QStringList numbered(int from, int to, int step = 1)
{
    QStringList keys;
    for (int i = from; i <= to; i += step)
        keys.append(QString::number(i));
    return keys;
}

} // namespace

class TestContactCollection : public QObject {
    Q_OBJECT
private slots:
    void addFindRemoveKeepInsertionOrder()
    {
        ContactCollection contacts;
        for (const QString &key : numbered(1, 5))
            QVERIFY(contacts.add(contact(key)));
        QVERIFY(contacts.remove(u"3"_qs));
        QVERIFY(contacts.remove(u"1"_qs));
        QVERIFY(!contacts.remove(u"1"_qs));
        QVERIFY(contacts.add(contact(u"9"_qs)));

        QCOMPARE(contacts.count(), 4);
        QCOMPARE(keysInOrder(contacts), (QStringList{u"2"_qs, u"4"_qs, u"5"_qs, u"9"_qs}));
        QCOMPARE(contacts.find(u"4"_qs)->Nom, u"Nom 4"_qs);
        QCOMPARE(contacts.find(u"3"_qs), nullptr);
        QCOMPARE(contacts.indexOf(u"3"_qs), -1);
        QCOMPARE(contacts.at(4), nullptr);
        QCOMPARE(contacts.at(-1), nullptr);
    }

    void refusesEmptyAndTakenKeys()
    {
        ContactCollection contacts;
        QVERIFY(contacts.add(contact(u"7"_qs, u"First"_qs)));
        QCOMPARE(contacts.add(contact(u"7"_qs, u"Second"_qs)), nullptr);
        QCOMPARE(contacts.add(contact(QString())), nullptr);
        QCOMPARE(contacts.add(nullptr), nullptr);

        std::vector<std::unique_ptr<ClassContact>> batch;
        batch.push_back(contact(u"8"_qs));
        batch.push_back(contact(u"7"_qs, u"Third"_qs));
        batch.push_back(contact(u"8"_qs));
        batch.push_back(contact(u"10"_qs));
        QCOMPARE(contacts.append(std::move(batch)), 2);

        QCOMPARE(keysInOrder(contacts), (QStringList{u"7"_qs, u"8"_qs, u"10"_qs}));
        QCOMPARE(contacts.find(u"7"_qs)->Nom, u"First"_qs);
    }

    // Removing in batches or one at a time, with or without the positions being read in between,
    // must leave the same book.
    void removalsLeaveTheSameOrder_data()
    {
        QTest::addColumn<bool>("oneByOne");
        QTest::addColumn<bool>("readPositionsBetween");
        QTest::newRow("batch") << false << false;
        QTest::newRow("one by one") << true << false;
        QTest::newRow("one by one, positions read") << true << true;
    }
    void removalsLeaveTheSameOrder()
    {
        QFETCH(bool, oneByOne);
        QFETCH(bool, readPositionsBetween);
        ContactCollection contacts;
        for (const QString &key : numbered(1, 1000))
            contacts.add(contact(key));
        const QStringList gone = numbered(3, 1000, 3) + numbered(1, 1) + numbered(1000, 1000);

        if (oneByOne) {
            for (const QString &key : gone) {
                contacts.remove(key);
                if (readPositionsBetween)
                    QVERIFY(contacts.at(0));
            }
        } else {
            // Unknown and repeated keys are skipped.
            QCOMPARE(contacts.remove(gone + QStringList{u"5000"_qs, u"3"_qs}), gone.size());
        }

        QStringList expected;
        for (const QString &key : numbered(2, 999)) {
            if (key.toInt() % 3 != 0)
                expected.append(key);
        }
        QCOMPARE(contacts.count(), expected.size());
        QCOMPARE(keysInOrder(contacts), expected);
        QVERIFY(contacts.add(contact(u"1"_qs)));
        QCOMPARE(contacts.indexOf(u"1"_qs), expected.size());
    }

    void notifiesWithTheKeysConcerned()
    {
        ContactCollection contacts;
        QSignalSpy added(&contacts, &ContactCollection::contactAdded);
        QSignalSpy aboutToRemove(&contacts, &ContactCollection::contactsAboutToBeRemoved);
        QSignalSpy removed(&contacts, &ContactCollection::contactsRemoved);
        QSignalSpy changed(&contacts, &ContactCollection::contactChanged);
        QSignalSpy aboutToReset(&contacts, &ContactCollection::contactsAboutToBeReset);
        QSignalSpy reset(&contacts, &ContactCollection::contactsReset);

        std::vector<std::unique_ptr<ClassContact>> batch;
        for (const QString &key : numbered(1, 4))
            batch.push_back(contact(key));
        contacts.append(std::move(batch));
        QCOMPARE(aboutToReset.count(), 1);
        QCOMPARE(reset.count(), 1);
        QCOMPARE(added.count(), 0);

        contacts.add(contact(u"5"_qs));
        QCOMPARE(added.takeFirst().at(0).toString(), u"5"_qs);

        // Observers still see the contacts when told they are about to go.
        connect(&contacts, &ContactCollection::contactsAboutToBeRemoved, this, [&contacts](const QStringList &keys) {
            for (const QString &key : keys)
                QVERIFY(contacts.find(key));
        });
        contacts.remove(QStringList{u"4"_qs, u"2"_qs, u"404"_qs});
        contacts.remove(u"5"_qs);
        contacts.remove(u"404"_qs);
        contacts.remove(QStringList{u"404"_qs});
        const QList<QStringList> expectedRemovals{{u"4"_qs, u"2"_qs}, {u"5"_qs}};
        QCOMPARE(aboutToRemove.count(), 2);
        QCOMPARE(removed.count(), 2);
        for (int i = 0; i < 2; ++i) {
            QCOMPARE(aboutToRemove.at(i).at(0).toStringList(), expectedRemovals[i]);
            QCOMPARE(removed.at(i).at(0).toStringList(), expectedRemovals[i]);
        }

        contacts.find(u"3"_qs)->Nom = u"Martin"_qs;
        contacts.notifyChanged(u"3"_qs);
        contacts.notifyChanged(u"2"_qs);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.at(0).at(0).toString(), u"3"_qs);

        contacts.clear();
        QCOMPARE(reset.count(), 2);
        QVERIFY(contacts.isEmpty());
        QCOMPARE(contacts.begin(), contacts.end());
    }
};

QTEST_GUILESS_MAIN(TestContactCollection)
#include "test_contactcollection.moc"
