#include "controls/kxbutton.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

using namespace parlevo;

namespace {

constexpr WinColor kBack = 0x00FFFFFF;
constexpr WinColor kFore = 0x00000000;
constexpr WinColor kMove = 0x00336699;
constexpr WinColor kClick = 0x00112233;
constexpr WinColor kActiveFore = 0x00EEEEEE;

} // namespace

class TestKXButton : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<QWidget> m_window;
    KXButton *m_button = nullptr;
    const QPoint m_inside{20, 10};
    const QPoint m_outside{-30, 10};

private slots:
    void init()
    {
        m_window = std::make_unique<QWidget>();
        m_window->resize(300, 120);
        m_button = new KXButton(m_window.get());
        m_button->setGeometry(60, 30, 150, 40);
        m_button->setMoveColor(kMove);
        m_button->setClickColor(kClick);
        m_button->setActiveForeColor(kActiveFore);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        // Qt drops a move to where the pointer already is: start each case away from the button.
        QTest::mouseMove(m_window.get(), QPoint(5, 5));
    }
    void cleanup() { m_window.reset(); }

    void hoverPressRelease()
    {
        QSignalSpy clicks(m_button, &KXButton::Click);
        QSignalSpy enters(m_button, &KXButton::MouseEnter);
        QTest::mouseMove(m_button, m_inside);
        QTest::mouseMove(m_button, m_inside + QPoint(1, 0));
        QTest::mouseMove(m_button, m_inside + QPoint(2, 1));
        QCOMPARE(enters.count(), 3); // raised on every move, not only on entering
        QCOMPARE(m_button->shownBackColor(), kMove);
        QCOMPARE(m_button->shownForeColor(), kActiveFore);

        QTest::mousePress(m_button, Qt::LeftButton, {}, m_inside);
        QCOMPARE(m_button->shownBackColor(), kClick);
        QCOMPARE(m_button->shownForeColor(), kFore);
        QVERIFY(m_button->isPressed());
        QCOMPARE(clicks.count(), 0);

        QTest::mouseRelease(m_button, Qt::LeftButton, {}, m_inside);
        QCOMPARE(clicks.count(), 1);
        QCOMPARE(m_button->shownBackColor(), kMove);
        QCOMPARE(m_button->shownForeColor(), kActiveFore);
        QVERIFY(!m_button->isPressed());

        // The other buttons do nothing.
        QTest::mouseClick(m_button, Qt::RightButton, {}, m_inside);
        QTest::mouseClick(m_button, Qt::MiddleButton, {}, m_inside);
        QCOMPARE(clicks.count(), 1);
        QCOMPARE(m_button->shownBackColor(), kMove);
    }

    void pressLeaveReleaseDoesNotClick()
    {
        QSignalSpy clicks(m_button, &KXButton::Click);
        QTest::mouseMove(m_button, m_inside);
        QTest::mousePress(m_button, Qt::LeftButton, {}, m_inside);
        QTest::mouseMove(m_button, m_outside);
        QCOMPARE(m_button->shownBackColor(), kBack);
        QCOMPARE(m_button->shownForeColor(), kFore);
        QVERIFY(!m_button->isPressed());

        QTest::mouseRelease(m_button, Qt::LeftButton, {}, m_outside);
        QCOMPARE(clicks.count(), 0);
        QCOMPARE(m_button->shownBackColor(), kBack);

        // Coming back before the release does not make it a click either.
        QTest::mousePress(m_button, Qt::LeftButton, {}, m_inside);
        QTest::mouseMove(m_button, m_outside);
        QTest::mouseMove(m_button, m_inside);
        QCOMPARE(m_button->shownBackColor(), kMove);
        QTest::mouseRelease(m_button, Qt::LeftButton, {}, m_inside);
        QCOMPARE(clicks.count(), 0);
    }

    void keyboardPresses_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("clicks");
        QTest::newRow("space") << int(Qt::Key_Space) << 1;
        QTest::newRow("return") << int(Qt::Key_Return) << 1;
        QTest::newRow("enter") << int(Qt::Key_Enter) << 1;
        QTest::newRow("a letter") << int(Qt::Key_A) << 0;
    }
    void keyboardPresses()
    {
        QFETCH(int, key);
        QFETCH(int, clicks);
        QSignalSpy spy(m_button, &KXButton::Click);
        QTest::keyClick(m_button, Qt::Key(key));
        QCOMPARE(spy.count(), clicks);
    }

    void colourPropertiesApplyAtOnceOrAtNextTransition()
    {
        m_button->setBackColor(0x00ABCDEF);
        QCOMPARE(m_button->shownBackColor(), 0x00ABCDEFu);
        m_button->setForeColor(0x00010203);
        QCOMPARE(m_button->shownForeColor(), 0x00010203u);
        m_button->setMoveColor(0x00445566);
        QCOMPARE(m_button->shownBackColor(), 0x00ABCDEFu);
        QTest::mouseMove(m_button, m_inside);
        QCOMPARE(m_button->shownBackColor(), 0x00445566u);
    }
};

QTEST_MAIN(TestKXButton)
#include "test_kxbutton.moc"
