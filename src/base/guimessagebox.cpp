#include "guimessagebox.h"

#include "base/messagebox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>

using namespace Qt::StringLiterals;

namespace parlevo {

namespace {

QMessageBox::Icon iconOf(int style)
{
    switch (style & 0x70) {
    case vbCritical:
        return QMessageBox::Critical;
    case vbQuestion:
        return QMessageBox::Question;
    case vbExclamation:
        return QMessageBox::Warning;
    case vbInformation:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

QMessageBox::StandardButtons buttonsOf(int style)
{
    switch (style & 7) {
    case vbOKCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case vbYesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case vbYesNo:
        return QMessageBox::Yes | QMessageBox::No;
    default:
        return QMessageBox::Ok;
    }
}

int showWidgetBox(const QString &text, int style)
{
    QMessageBox box(iconOf(style), QString::fromUtf16(kMessageBoxTitle), text, buttonsOf(style),
                    QApplication::activeWindow());
    // One spelling of "Ok" across the program, as its own windows write it.
    if (QAbstractButton *ok = box.button(QMessageBox::Ok))
        ok->setText(u"&Ok"_s);
    if (style & vbDefaultButton2)
        box.setDefaultButton((style & 7) == vbOKCancel ? QMessageBox::Cancel : QMessageBox::No);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return vbYes;
    case QMessageBox::No:
        return vbNo;
    case QMessageBox::Cancel:
        return vbCancel;
    default:
        return vbOK;
    }
}

} // namespace

void installWidgetMessageBoxes()
{
    setMessageBoxHandler(showWidgetBox);
}

} // namespace parlevo
