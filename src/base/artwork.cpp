#include "artwork.h"

#include <QGuiApplication>
#include <QPainter>
#include <QSvgRenderer>

using namespace Qt::StringLiterals;

namespace parlevo {

namespace {

QString resourcePath(const QString &name)
{
    return u":/"_s + name + u".svg"_s;
}

} // namespace

QPixmap artworkPixmap(const QString &name, int side)
{
    const qreal ratio = qApp ? qApp->devicePixelRatio() : 1.0;
    QPixmap pixmap(QSize(side, side) * ratio);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(resourcePath(name));
    QPainter painter(&pixmap);
    renderer.render(&painter);
    painter.end();
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}

void paintArtwork(QPainter &painter, const QString &name, const QRectF &target)
{
    QSvgRenderer renderer(resourcePath(name));
    renderer.setAspectRatioMode(Qt::KeepAspectRatioByExpanding);
    painter.save();
    painter.setClipRect(target);
    renderer.render(&painter, target);
    painter.restore();
}

} // namespace parlevo
