#include "addressbook/contactcollection.h"

#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

using namespace parlevo;

namespace {

// Mostly the numbers NextKey gives, with some keys of other forms mixed in.
QString keyFor(int n)
{
    if (n % 7 == 0)
        return u"k"_s + QString::number(n);
    if (n % 11 == 0)
        return u"9"_s + QString::number(n).rightJustified(8, u'0'); // a number far beyond the book
    return QString::number(n);
}

std::unique_ptr<ClassContact> contact(const QString &key, const QString &nom = {})
{
    auto c = std::make_unique<ClassContact>();
    c->GUID = key;
    c->Nom = nom;
    return c;
}
std::unique_ptr<ClassContact> contact(int n, const QString &nom = {})
{
    return contact(keyFor(n), nom);
}

// The keys in iteration order, provided positions and indexOf agree with it.
QStringList keysInOrder(const ContactCollection &contacts)
{
    QStringList keys;
    for (const ClassContact &c : contacts)
        keys.append(c.GUID);
    for (qsizetype i = 0; i < keys.size(); ++i) {
        if (contacts.at(i)->GUID != keys[i] || contacts.indexOf(keys[i]) != i)
            return {u"positions disagree with iteration"_s};
    }
    return keys;
}

} // namespace

class TestContactCollection : public QObject {
    Q_OBJECT
private slots:
    void refusesEmptyAndTakenKeys()
    {
        ContactCollection contacts;
        QVERIFY(contacts.add(contact(u"7"_s, u"First"_s)));
        QCOMPARE(contacts.add(contact(u"7"_s, u"Second"_s)), nullptr);
        QVERIFY(contacts.add(contact(u"007"_s, u"Leading zeros"_s)));
        QCOMPARE(contacts.add(contact(u"007"_s)), nullptr);
        QCOMPARE(contacts.add(std::make_unique<ClassContact>()), nullptr);
        std::vector<std::unique_ptr<ClassContact>> batch;
        for (const char16_t *key : {u"8", u"7", u"8", u"999999999", u"007", u"999999999"})
            batch.push_back(contact(QString::fromUtf16(key)));
        QCOMPARE(contacts.append(std::move(batch)), 2);
        QCOMPARE(keysInOrder(contacts), (QStringList{u"7"_s, u"007"_s, u"8"_s, u"999999999"_s}));
        QCOMPARE(contacts.find(u"7"_s)->Nom, u"First"_s);
        QCOMPARE(contacts.find(u"007"_s)->Nom, u"Leading zeros"_s);
        QCOMPARE(contacts.find(u"9"_s), nullptr);
        QCOMPARE(contacts.at(4), nullptr);
    }

    // Batch or one by one, with positions read in between or not: the same book remains.
    void removalsKeepTheOrder_data()
    {
        QTest::addColumn<bool>("oneByOne");
        QTest::addColumn<bool>("readPositions");
        QTest::newRow("batch") << false << false;
        QTest::newRow("one by one") << true << false;
        QTest::newRow("one by one, positions read") << true << true;
    }
    void removalsKeepTheOrder()
    {
        QFETCH(bool, oneByOne);
        QFETCH(bool, readPositions);
        ContactCollection contacts;
        QStringList gone{keyFor(1), keyFor(1000)}, expected;
        for (int n = 1; n <= 1000; ++n) {
            QVERIFY(contacts.add(contact(n)));
            if (n % 3 == 0)
                gone.append(keyFor(n));
            else if (n != 1 && n != 1000)
                expected.append(keyFor(n));
        }
        if (!oneByOne) {
            // Unknown and repeated keys are skipped.
            QCOMPARE(contacts.remove(gone + QStringList{u"5000"_s, u"3"_s}), gone.size());
        }
        for (const QString &key : gone) {
            QCOMPARE(contacts.remove(key), oneByOne);
            if (readPositions)
                QVERIFY(contacts.at(0));
        }
        QCOMPARE(contacts.count(), expected.size());
        QCOMPARE(keysInOrder(contacts), expected);
        QVERIFY(contacts.add(contact(1)));
        QVERIFY(contacts.add(contact(21)));
        QCOMPARE(contacts.indexOf(keyFor(21)), expected.size() + 1);
        QCOMPARE(contacts.find(keyFor(22))->GUID, u"900000022"_s);
    }

    void notifiesWithTheKeysConcerned()
    {
        ContactCollection contacts;
        QSignalSpy added(&contacts, &ContactCollection::contactAdded);
        QSignalSpy aboutToRemove(&contacts, &ContactCollection::contactsAboutToBeRemoved);
        QSignalSpy removed(&contacts, &ContactCollection::contactsRemoved);
        QSignalSpy changed(&contacts, &ContactCollection::contactChanged);
        QSignalSpy reset(&contacts, &ContactCollection::contactsReset);
        std::vector<std::unique_ptr<ClassContact>> batch;
        for (int key = 1; key <= 4; ++key)
            batch.push_back(contact(key));
        contacts.append(std::move(batch));
        contacts.add(contact(5));
        QCOMPARE(reset.count(), 1);
        QCOMPARE(added.count(), 1);
        QCOMPARE(added.at(0).at(0).toString(), u"5"_s);

        // Observers still find the contacts when told they are about to go.
        connect(&contacts, &ContactCollection::contactsAboutToBeRemoved, this, [&contacts](const QStringList &keys) {
            for (const QString &key : keys)
                QVERIFY(contacts.find(key));
        });
        contacts.remove(QStringList{u"4"_s, u"2"_s, u"404"_s});
        contacts.remove(u"5"_s);
        contacts.remove(u"404"_s);
        QCOMPARE(aboutToRemove.count(), 2);
        QCOMPARE(removed.count(), 2);
        QCOMPARE(removed.at(0).at(0).toStringList(), (QStringList{u"4"_s, u"2"_s}));
        QCOMPARE(removed.at(1).at(0).toStringList(), QStringList{u"5"_s});

        contacts.notifyChanged(u"3"_s);
        contacts.notifyChanged(u"2"_s);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.at(0).at(0).toString(), u"3"_s);
        contacts.clear();
        QCOMPARE(reset.count(), 2);
        QCOMPARE(contacts.begin(), contacts.end());
    }
};

QTEST_GUILESS_MAIN(TestContactCollection)
#include "test_contactcollection.moc"
