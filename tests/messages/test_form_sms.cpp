#include "app/appstate.h"
#include "messages/form_sms.h"

#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <QTest>

using namespace parlevo;

class TestFormSms : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { delete Form_SMS::existing(); }

    void createdOnFirstUse()
    {
        AppState state(QString{});
        QCOMPARE(Form_SMS::existing(), nullptr);
        Form_SMS &preview = Form_SMS::instance(state);
        QCOMPARE(&Form_SMS::instance(state), &preview);
        QCOMPARE(preview.objectName(), u"Form_SMS"_qs);
        QCOMPARE(preview.windowTitle(), u"Parlevo - Aperçu du SMS"_qs);
        QVERIFY(preview.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QCOMPARE(preview.windowType(), Qt::Tool);
        QVERIFY(!preview.isVisible());
        auto *label = preview.findChild<QLabel *>(u"LabelSMS"_qs);
        QVERIFY(label);
        QCOMPARE(label->text(), QString());
        QVERIFY(preview.findChild<QLabel *>(u"Image1"_qs));

        preview.setPreviewText(u"De : Paul, Salut"_qs);
        QCOMPARE(label->text(), u"De : Paul, Salut"_qs);
    }

    void closingDiscardsIt()
    {
        AppState state(QString{});
        QWidget main;
        main.setGeometry(100, 100, 300, 300);
        const QPointer<Form_SMS> first = &Form_SMS::instance(state);
        first->setPreviewText(u"Salut"_qs);
        first->showBeside(main);
        QVERIFY(first->isVisible());
        QVERIFY(!first->isModal());
        first->close();
        QTRY_VERIFY(first.isNull());
        Form_SMS &second = Form_SMS::instance(state);
        QCOMPARE(second.previewText(), QString());
    }

    // Next to a main window running off the screen's bottom-right corner, the preview stays on
    // screen, flush with the right and bottom edges.
    void staysOnScreenNearTheCorner()
    {
        AppState state(QString{});
        QWidget main;
        const QRect screen = main.screen()->availableGeometry();
        main.setGeometry(screen.right() - 250, screen.bottom() - 100, 200, 150);
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        Form_SMS &preview = Form_SMS::instance(state);
        preview.showBeside(main);
        QVERIFY(QTest::qWaitForWindowExposed(&preview));
        const QRect placed = preview.frameGeometry();
        QCOMPARE(placed.right(), screen.right());
        QCOMPARE(placed.bottom(), screen.bottom());
    }
};

QTEST_MAIN(TestFormSms)
#include "test_form_sms.moc"
