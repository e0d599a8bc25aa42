#include "base/textes.h"
#include "messages/form_sms.h"

#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <QTest>

using namespace Qt::StringLiterals;

using namespace parlevo;

class TestFormSms : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { delete Form_SMS::existing(); }

    void createdOnFirstUseAndDiscardedOnClose()
    {
        const TextTable textes;
        QCOMPARE(Form_SMS::existing(), nullptr);
        const QPointer<Form_SMS> first = &Form_SMS::instance(textes);
        QCOMPARE(&Form_SMS::instance(textes), first.data());
        QVERIFY(!first->isVisible());
        first->setPreviewText(u"De : Paul, Salut"_s);
        QCOMPARE(first->findChild<QLabel *>(u"LabelSMS"_s)->text(), u"De : Paul, Salut"_s);

        QWidget main;
        main.setGeometry(100, 100, 300, 300);
        first->showBeside(main);
        QVERIFY(first->isVisible());
        first->close();
        QTRY_VERIFY(first.isNull());
        QCOMPARE(Form_SMS::instance(textes).previewText(), QString());
    }

    // Next to a main window running off the screen's bottom-right corner, the preview stays on
    // screen, flush with the right and bottom edges, and stays there when its text grows it.
    void staysOnScreenNearTheCorner()
    {
        const TextTable textes;
        QWidget main;
        const QRect screen = main.screen()->availableGeometry();
        main.setGeometry(screen.right() - 250, screen.bottom() - 100, 200, 150);
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        Form_SMS &preview = Form_SMS::instance(textes);
        preview.showBeside(main);
        QVERIFY(QTest::qWaitForWindowExposed(&preview));
        const QRect placed = preview.frameGeometry();
        QCOMPARE(placed.right(), screen.right());
        QCOMPARE(placed.bottom(), screen.bottom());

        // A text long enough to make it taller, while it is shown: still wholly on screen.
        const int before = preview.height();
        preview.setPreviewText(u"Bonjour "_s.repeated(120));
        QTRY_VERIFY(preview.height() > before);
        QVERIFY2(screen.contains(preview.frameGeometry()), "the preview left the screen");

        // Escape closes it.
        const QPointer<Form_SMS> shown = &preview;
        QTest::keyClick(&preview, Qt::Key_Escape);
        QTRY_VERIFY(shown.isNull());
    }
};

QTEST_MAIN(TestFormSms)
#include "test_form_sms.moc"
