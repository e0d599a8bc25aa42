#include "base/autosave.h"

#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

using namespace parlevo;

// The changes of a burst are one save of the data as it is at save time, on the writer thread.
class TestAutoSave : public QObject {
    Q_OBJECT
private slots:
    void aBurstIsOneSaveOfTheLatestData()
    {
        AutoSave autoSave;
        autoSave.setDelay(50);
        int prepared = 0;
        QByteArray data;
        QList<QByteArray> written;
        autoSave.watch(u"a"_s, [&] {
            ++prepared;
            return FileWrite([&written, bytes = data] {
                written.append(bytes);
                return true;
            });
        });
        // Nothing to write (a file that could not be read at start-up): no save, no signal.
        autoSave.watch(u"unreadable"_s, [] { return FileWrite(); });
        QSignalSpy saved(&autoSave, &AutoSave::saved);

        for (const char *step : {"1", "12", "123"}) {
            data = step;
            autoSave.changed(u"a"_s);
            autoSave.changed(u"unreadable"_s);
            autoSave.changed(u"not watched"_s);
        }
        QTRY_COMPARE(saved.count(), 1);
        QCOMPARE(saved.at(0), (QVariantList{u"a"_s, true}));
        QCOMPARE(prepared, 1);
        QCOMPARE(written, QList<QByteArray>{"123"});
        QVERIFY(!autoSave.isPending());

        // A change after the save is a save of its own; at shutdown it is written before flush()
        // returns, and saveAll() writes every watched file once more.
        data = "1234";
        autoSave.changed(u"a"_s);
        autoSave.flush();
        QCOMPARE(written, (QList<QByteArray>{"123", "1234"}));
        autoSave.saveAll();
        QCOMPARE(prepared, 3);
        QCOMPARE(written.size(), 3);
    }
};

QTEST_GUILESS_MAIN(TestAutoSave)
#include "test_autosave.moc"
