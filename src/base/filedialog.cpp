#include "filedialog.h"

#include "messagebox.h"
#include "shared.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QStringList>

#include <optional>

using namespace Qt::StringLiterals;

namespace parlevo::FileDialog {

namespace {

std::optional<QString> &nextName()
{
    static std::optional<QString> name;
    return name;
}

// "Fichiers CSV (*.csv)|*.csv|Tous (*.*)|*.*" -> "Fichiers CSV (*.csv);;Tous (*.*)": the
// captions already show their patterns.
QString qtFilter(const QString &filter)
{
    const QStringList parts = filter.split(u'|');
    QStringList captions;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString caption = parts[i];
        if (!caption.contains(u'('))
            caption += u" ("_s + QString(parts[i + 1]).replace(u';', u' ') + u')';
        captions.append(caption);
    }
    return captions.join(u";;"_s);
}

// A name typed without an extension gets the first filter's ("*.kxg" gives ".kxg"), so that the
// file shows in the open dialog's listing afterwards.
QString withFilterExtension(const QString &name, const QString &filter)
{
    const QString pattern = filter.section(u'|', 1, 1).section(u';', 0, 0).trimmed();
    if (name.isEmpty() || !pattern.startsWith(u"*.") || pattern.size() < 3 || pattern.indexOf(u'*', 1) >= 0 ||
        pattern.contains(u'?'))
        return name;
    const QString fileName = QFileInfo(name).fileName();
    if (fileName.isEmpty() || fileName.contains(u'.'))
        return name;
    return name + pattern.mid(1);
}

} // namespace

void setNextFileName(const QString &name)
{
    nextName() = name;
}

QString getOpenFileName(QWidget *parent, const QString &title, const QString &filter)
{
    if (nextName()) {
        const QString name = *nextName();
        nextName().reset();
        return name;
    }
    // The chosen name need not exist: the caller reports a file it cannot read.
    QFileDialog dialog(parent, title, QString(), qtFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::ReadOnly);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

QString getSaveFileName(QWidget *parent, const QString &title, const QString &filter)
{
    if (nextName()) {
        const QString name = *nextName();
        nextName().reset();
        return withFilterExtension(name, filter);
    }
    QFileDialog dialog(parent, title, QString(), qtFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return withFilterExtension(dialog.selectedFiles().constFirst(), filter);
}

QString getSaveFileNameReplacing(QWidget *parent, const QString &title, const QString &filter,
                                 const QString &replaceQuestion)
{
    const QString path = getSaveFileName(parent, title, filter);
    if (path.isEmpty() || (FileExists(path) && MsgBox(replaceQuestion, vbYesNo | vbInformation) != vbYes))
        return {};
    return path;
}

} // namespace parlevo::FileDialog
