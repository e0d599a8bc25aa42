// The predefined messages window working on colPredefinis.
#include "messageboxresponder.h"
#include "messages/form_predefinis.h"
#include "messages/predefinis.h"
#include "testparts.h"

#include "widgetdriver.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;

using namespace parlevo;
using parlevo::test::MessageBoxResponder;

class TestFormPredefinis : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<test::Parts> m_parts;
    std::unique_ptr<Form_Predefinis> m_form;

    template <typename T> T *child(const char16_t *name) const { return test::child<T>(m_form.get(), name); }
    void click(const char16_t *button) { QTest::mouseClick(child<QPushButton>(button), Qt::LeftButton); }
    QListWidget *list() const { return child<QListWidget>(u"ListPredefinis"); }
    void selectRow(int row)
    {
        QListWidgetItem *item = list()->item(row);
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, list()->visualItemRect(item).center());
    }
    QStringList rows() const
    {
        QStringList texts;
        for (int i = 0; i < list()->count(); ++i)
            texts.append(list()->item(i)->text() + u'@' + list()->item(i)->data(Qt::UserRole).toString());
        return texts;
    }
    int selectedRow() const
    {
        const auto selected = list()->selectedItems();
        return selected.isEmpty() ? -1 : list()->row(selected.first());
    }
    QString nameField() const { return child<QLineEdit>(u"TextNomPredefinis")->text(); }
    QString messageField() const { return child<QPlainTextEdit>(u"TextSMS")->toPlainText(); }
    bool rowButtons() const
    {
        return child<QPushButton>(u"CMD_Modifier")->isEnabled() && child<QPushButton>(u"CMD_Supprimer")->isEnabled();
    }

private slots:
    void init()
    {
        m_parts = std::make_unique<test::Parts>(QString());
        m_parts->messages.colPredefinis() = {
            {u"Un"_s, u"Premier"_s}, {u"Deux"_s, u"Second"_s}, {u"Trois"_s, u"Dernier"_s}};
        m_form = std::make_unique<Form_Predefinis>(m_parts->textes, m_parts->messages, m_parts->autoSave);
        m_form->resize(700, 500);
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
        m_form->Init();
    }
    void cleanup()
    {
        m_form.reset();
        m_parts.reset();
    }

    void addThenAcceptAsIs()
    {
        QVERIFY(!rowButtons());
        click(u"CMD_Ajouter");
        QVERIFY(!list()->isEnabled());
        QCOMPARE(nameField(), u"<Nouveau message prédéfini>"_s);
        QCOMPARE(child<QLineEdit>(u"TextNomPredefinis")->selectedText(), nameField());
        // Enter in the name goes on to the message.
        QTest::keyClick(child<QLineEdit>(u"TextNomPredefinis"), Qt::Key_Return);
        QVERIFY(child<QPlainTextEdit>(u"TextSMS")->hasFocus());
        // The prompt goes with the focus, and is never saved.
        QCOMPARE(child<QPlainTextEdit>(u"TextSMS")->toPlainText(), QString());
        click(u"CMD_Accepter");
        QCOMPARE(m_parts->messages.colPredefinis().size(), 4);
        QCOMPARE(m_parts->messages.colPredefinis().last(),
                 (ClassPredefini{u"<Nouveau message prédéfini>"_s, QString()}));
        QCOMPARE(rows().last(), u"<Nouveau message prédéfini>@4"_s);
        QCOMPARE(selectedRow(), 3);
        QVERIFY(list()->isEnabled());
        QVERIFY(rowButtons());
    }

    // Accept leaves selected the last row bearing the accepted name.
    void acceptReselectsByName_data()
    {
        QTest::addColumn<bool>("adding");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("expectedRows");
        QTest::addColumn<int>("selected");
        QTest::newRow("modify to an existing name")
            << false << u"Un"_s << QStringList{u"Un@1"_s, u"Un@2"_s, u"Trois@3"_s} << 1;
        QTest::newRow("add with an empty name")
            << true << QString() << QStringList{u"Un@1"_s, u"Deux@2"_s, u"Trois@3"_s, u"@4"_s} << 3;
        // A ";" would split the record when the file is read back: it cannot be typed.
        QTest::newRow("semicolon refused") << false << u"A;B"_s << QStringList{u"Un@1"_s, u"AB@2"_s, u"Trois@3"_s} << 1;
    }
    void acceptReselectsByName()
    {
        QFETCH(bool, adding);
        QFETCH(QString, name);
        QFETCH(QStringList, expectedRows);
        QFETCH(int, selected);
        if (adding) {
            click(u"CMD_Ajouter");
        } else {
            selectRow(1);
            QCOMPARE(nameField(), u"Deux"_s);
            QCOMPARE(messageField(), u"Second"_s);
            click(u"CMD_Modifier");
        }
        auto *field = child<QLineEdit>(u"TextNomPredefinis");
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Delete);
        QTest::keyClicks(field, name);
        click(u"CMD_Accepter");
        QCOMPARE(rows(), expectedRows);
        QCOMPARE(selectedRow(), selected);
        QVERIFY(rowButtons());
    }

    void deleteAsks_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QStringList>("expectedRows");
        QTest::addColumn<int>("selected");
        QTest::newRow("yes") << int(vbYes) << QStringList{u"Un@1"_s, u"Trois@2"_s} << -1;
        QTest::newRow("no") << int(vbNo) << QStringList{u"Un@1"_s, u"Deux@2"_s, u"Trois@3"_s} << 1;
    }
    void deleteAsks()
    {
        QFETCH(int, answer);
        QFETCH(QStringList, expectedRows);
        QFETCH(int, selected);
        MessageBoxResponder boxes(answer);
        selectRow(1);
        click(u"CMD_Supprimer");
        QCOMPARE(boxes.shown().size(), 1);
        QCOMPARE(boxes.shown()[0].text, u"Etes-vous sûr de vouloir supprimer ce message prédéfini ?"_s);
        QCOMPARE(boxes.shown()[0].style, int(vbYesNo | vbExclamation | vbDefaultButton2));
        QCOMPARE(rows(), expectedRows);
        QCOMPARE(selectedRow(), selected);
        QCOMPARE(m_parts->messages.colPredefinis().size(), expectedRows.size());
        QCOMPARE(rowButtons(), selected >= 0);
        if (answer == vbYes) {
            QCOMPARE(m_parts->messages.colPredefinis().at(1).Message, u"Dernier"_s);
            QCOMPARE(nameField(), QString());
            QCOMPARE(messageField(), QString());
        }
    }

    void cancelAfterAdd()
    {
        click(u"CMD_Ajouter");
        click(u"CMD_Annuler");
        QCOMPARE(m_parts->messages.colPredefinis().size(), 3);
        QCOMPARE(rows().size(), 3);
        QCOMPARE(nameField(), u"<Nouveau message prédéfini>"_s);
        QVERIFY(!child<QLineEdit>(u"TextNomPredefinis")->isEnabled());
        QVERIFY(!rowButtons());
        QVERIFY(child<QPushButton>(u"CMD_Ajouter")->isEnabled());
    }

    void promptAcceptedUnfocusedIsNoMessage()
    {
        click(u"CMD_Ajouter");
        click(u"CMD_Accepter");
        QCOMPARE(m_parts->messages.colPredefinis().last().Message, QString());
    }

    void messageLimit()
    {
        click(u"CMD_Ajouter");
        auto *sms = child<QPlainTextEdit>(u"TextSMS");
        sms->clear();
        QTest::keyClicks(sms, QString(161, u'a'));
        QCOMPARE(messageField().size(), 160);
        QCOMPARE(child<QLabel>(u"LabelNBCar")->text(), u"Caractère(s) restant(s) :0"_s);
    }
};

QTEST_MAIN(TestFormPredefinis)
#include "test_form_predefinis.moc"
