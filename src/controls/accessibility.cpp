#include "accessibility.h"

#include <QAccessibleWidget>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>

using namespace Qt::StringLiterals;

namespace parlevo {

namespace {

// A control drawn by the program that acts on Space like a push button.
class PressableAccessible final : public QAccessibleWidget {
public:
    PressableAccessible(QWidget *widget, QAccessible::Role role)
        : QAccessibleWidget(widget, role)
    {
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
            return accessibleText(widget()->property("Caption").toString());
        return QAccessibleWidget::text(t);
    }

    QStringList actionNames() const override { return QAccessibleWidget::actionNames() << pressAction(); }

    void doAction(const QString &actionName) override
    {
        if (actionName != pressAction()) {
            QAccessibleWidget::doAction(actionName);
            return;
        }
        // The same path as the keyboard, so a disabled control ignores it too.
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, u" "_s);
        QCoreApplication::sendEvent(widget(), &press);
    }
};

QAccessibleInterface *controlsFactory(const QString &className, QObject *object)
{
    if (!object || !object->isWidgetType())
        return nullptr;
    auto *widget = static_cast<QWidget *>(object);
    if (className == QLatin1String("parlevo::KXButton"))
        return new PressableAccessible(widget, QAccessible::Button);
    if (className == QLatin1String("parlevo::LabelLink"))
        return new PressableAccessible(widget, QAccessible::Link);
    return nullptr;
}

} // namespace

QString accessibleText(const QString &caption)
{
    QString text;
    text.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == u'&' && i + 1 < caption.size())
            ++i;
        text.append(caption[i]);
    }
    text.replace(u'\n', u' ');
    text = text.trimmed();
    if (text.endsWith(u':'))
        text.chop(1);
    return text.trimmed();
}

void captionFor(QLabel *caption, QWidget *control)
{
    caption->setBuddy(control);
    control->setAccessibleName(accessibleText(caption->text()));
}

void installControlsAccessibility()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    QAccessible::installFactory(controlsFactory);
}

} // namespace parlevo
