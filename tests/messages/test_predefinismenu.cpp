#include "messages/predefinis.h"
#include "messages/predefinismenu.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPointer>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

using namespace parlevo;

namespace {

// Drives the popup once it is open: presses the keys, or closes it after a while so that a test
// never waits on a popup that nothing answers.
void whenPopupOpens(const QList<Qt::Key> &keys)
{
    QTimer::singleShot(0, qApp, [keys] {
        QMenu *menu = MenuPredefinis();
        QTRY_VERIFY_WITH_TIMEOUT(menu && menu->isVisible(), 5000);
        for (Qt::Key key : keys)
            QTest::keyClick(menu, key);
    });
    QTimer::singleShot(10000, qApp, [] {
        if (QWidget *popup = QApplication::activePopupWidget())
            popup->close();
    });
}

} // namespace

class TestPredefinisMenu : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { Detruit_MenuPredefinis(); }

    void itemsCarryTheirPositions()
    {
        const PredefiniList list = {{u"Bonjour"_s, u"Salut"_s}, {u"Tom & Jerry"_s, u"x"_s}, {QString(), u"y"_s}};
        Cree_MenuPredefinis(list);
        QMenu *menu = MenuPredefinis();
        QVERIFY(menu);
        QStringList texts;
        QList<int> ids;
        for (const QAction *action : menu->actions()) {
            texts.append(action->text());
            ids.append(action->data().toInt());
        }
        QCOMPARE(texts, (QStringList{u"Bonjour"_s, u"Tom && Jerry"_s, QString()}));
        QCOMPARE(ids, (QList<int>{1, 2, 3}));
    }

    // Adding an action costs as much as the actions a menu holds: past one column's worth the
    // messages go in sub-menus filled when opened, so a large list builds in linear time.
    void largeListsGoInSubMenus()
    {
        PredefiniList list;
        for (qsizetype i = 1; i <= 2 * kPredefinisMenuItems + 1; ++i)
            list.append({u"m%1"_s.arg(i), QString()});
        Cree_MenuPredefinis(list);
        const QList<QAction *> top = MenuPredefinis()->actions();
        QCOMPARE(top.size(), 3);
        QCOMPARE(top[2]->text(), u"m1001 \u2026 m1001"_s);
        QMenu *second = top[1]->menu();
        QVERIFY(second && second->actions().isEmpty());
        emit second->aboutToShow();
        QCOMPARE(second->actions().size(), kPredefinisMenuItems);
        QCOMPARE(second->actions().first()->data().toInt(), 501);
        QCOMPARE(second->actions().last()->text(), u"m1000"_s);
    }

    void rebuildingReplacesAndDestroyingFrees()
    {
        PredefiniList list = {{u"Un"_s, u"1"_s}};
        Cree_MenuPredefinis(list);
        const QPointer<QMenu> first = MenuPredefinis();
        list.clear();
        Cree_MenuPredefinis(list);
        QVERIFY(first.isNull());
        QVERIFY(MenuPredefinis());
        QVERIFY(MenuPredefinis()->actions().isEmpty());
        Detruit_MenuPredefinis();
        QCOMPARE(MenuPredefinis(), nullptr);
        QCOMPARE(ShowMenuPredefinis(QPoint(10, 10)), 0);
    }

    void showingYieldsThePick_data()
    {
        QTest::addColumn<QList<Qt::Key>>("keys");
        QTest::addColumn<int>("picked");
        QTest::newRow("second item") << QList<Qt::Key>{Qt::Key_Down, Qt::Key_Down, Qt::Key_Return} << 2;
        QTest::newRow("dismissed") << QList<Qt::Key>{Qt::Key_Down, Qt::Key_Escape} << 0;
    }
    void showingYieldsThePick()
    {
        QFETCH(QList<Qt::Key>, keys);
        QFETCH(int, picked);
        const PredefiniList list = {{u"Un"_s, u"1"_s}, {u"Deux"_s, u"2"_s}, {u"Trois"_s, u"3"_s}};
        Cree_MenuPredefinis(list);
        whenPopupOpens(keys);
        QCOMPARE(ShowMenuPredefinis(QPoint(20, 20)), picked);
    }
};

QTEST_MAIN(TestPredefinisMenu)
#include "test_predefinismenu.moc"
