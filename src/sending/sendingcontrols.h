#pragma once

#include <QString>

namespace parlevo {

// Helpers the sending windows share.

// A count with one leading blank when it is not negative, its minus sign otherwise: " 3", "-2".
QString signedCount(qsizetype value);

// "%1" and the blank before it give way to the count with its own leading blank.
QString withCount(const QString &text, qsizetype count);

template <typename W> W *named(W *widget, const char16_t *name)
{
    widget->setObjectName(QString::fromUtf16(name));
    return widget;
}

} // namespace parlevo
