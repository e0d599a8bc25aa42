#include "base/windowplacement.h"
#include "controls/labellink.h"

#include <QSignalSpy>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

using namespace parlevo;

class TestLabelLink : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<QWidget> m_window;
    LabelLink *m_link = nullptr;
    const QPoint m_over{3, 3};

private slots:
    void init()
    {
        m_window = std::make_unique<QWidget>();
        m_window->resize(300, 100);
        m_link = new LabelLink(m_window.get());
        m_link->move(40, 30);
        m_link->setForeColor(LabelLink::kLinkColor);
        m_link->setCaption(u"A un seul contact"_s);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        // Qt drops a move to where the pointer already is: start each case away from the link.
        QTest::mouseMove(m_window.get(), QPoint(5, 5));
    }
    void cleanup() { m_window.reset(); }

    // Hovering underlines; other buttons, or a release outside, raise nothing; leaving removes it.
    void hoverUnderlinesAndOnlyALeftClickInsideClicks()
    {
        QSignalSpy clicks(m_link, &LabelLink::Click);
        QVERIFY(!m_link->isUnderlined());
        QTest::mouseMove(m_link, m_over);
        QTRY_VERIFY(m_link->isUnderlined());
        QTest::mouseClick(m_link, Qt::RightButton, {}, m_over);
        QTest::mouseClick(m_link, Qt::MiddleButton, {}, m_over);
        QVERIFY(m_link->isUnderlined());
        QTest::mousePress(m_link, Qt::LeftButton, {}, m_over);
        QTest::mouseRelease(m_link, Qt::LeftButton, {}, QPoint(-20, -20));
        QCOMPARE(clicks.count(), 0);
        QTest::mouseMove(m_window.get(), QPoint(250, 90));
        QTRY_VERIFY(!m_link->isUnderlined());
    }

    void leftClickRaisesClickAndDropsTheUnderline_data()
    {
        QTest::addColumn<bool>("playSound");
        QTest::newRow("with sound") << true;
        QTest::newRow("silent") << false;
    }
    void leftClickRaisesClickAndDropsTheUnderline()
    {
        QFETCH(bool, playSound);
        m_link->setPlaySystemSound(playSound);
        QSignalSpy clicks(m_link, &LabelLink::Click);
        QTest::mouseMove(m_link, m_over);
        QTRY_VERIFY(m_link->isUnderlined());
        QTest::mouseClick(m_link, Qt::LeftButton, {}, m_over);
        QCOMPARE(clicks.count(), 1);
        QVERIFY(!m_link->isUnderlined());
    }

    void keyboardFollowsTheLink()
    {
        QSignalSpy clicks(m_link, &LabelLink::Click);
        m_link->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(m_link->hasFocus());
        QVERIFY(m_link->isUnderlined());
        QTest::keyClick(m_link, Qt::Key_A);
        QCOMPARE(clicks.count(), 0);
        QTest::keyClick(m_link, Qt::Key_Return);
        QCOMPARE(clicks.count(), 1);
    }

    void disabledIsGreyNeverUnderlinedNeverClicks()
    {
        QSignalSpy clicks(m_link, &LabelLink::Click);
        QCOMPARE(m_link->shownColor(), QColor(0, 0, 0xC0));
        m_link->setEnabled(false);
        QCOMPARE(m_link->shownColor(), m_link->palette().color(QPalette::Disabled, QPalette::Text));
        QTest::mouseMove(m_link, m_over);
        QTest::mouseClick(m_link, Qt::LeftButton, {}, m_over);
        QVERIFY(!m_link->isUnderlined());
        QCOMPARE(clicks.count(), 0);

        m_link->setEnabled(true);
        QCOMPARE(m_link->shownColor(), QColor(0, 0, 0xC0));
        m_link->setForeColor(0x000080); // a Windows colour: blue, green, red from the top byte down
        QCOMPARE(m_link->shownColor(), QColor(0x80, 0, 0));
    }

    void captionSizesTheControl()
    {
        const int shortWidth = m_link->width();
        m_link->setCaption(u"Les paramètres de Parlevo, avec une légende plus longue"_s);
        QVERIFY(m_link->width() > shortWidth);
        // An empty caption still leaves something to click.
        m_link->setCaption(QString());
        QVERIFY(pixelsToTwips(m_link->width(), m_link->logicalDpiX()) >= 16);
    }
};

QTEST_MAIN(TestLabelLink)
#include "test_labellink.moc"
