#pragma once

#include <QPixmap>
#include <QString>

class QPainter;
class QRectF;

namespace parlevo {

// The program's drawings, compiled in as SVG resources and rendered at the screen's pixel ratio.
// `name` is the resource path without the leading ":/" and the ".svg" ("logo", "icons/home").
QPixmap artworkPixmap(const QString &name, int side);
void paintArtwork(QPainter &painter, const QString &name, const QRectF &target);

} // namespace parlevo
