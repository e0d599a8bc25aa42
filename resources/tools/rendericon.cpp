// Renders the application's SVG icon to square PNGs for the icon theme, and to OUT_DIR/parlevo.ico
// (the same images, for Windows): rendericon SVG OUT_DIR SIZE...
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <QtEndian>

#include <cstdio>

namespace {

// An icon file whose images are PNGs, as Windows reads them since Vista.
QByteArray iconFile(const QList<QImage> &images)
{
    QByteArray head, data;
    const auto put16 = [](QByteArray &to, quint16 v) { to.append(reinterpret_cast<const char *>(&v), 2); };
    const auto put32 = [](QByteArray &to, quint32 v) { to.append(reinterpret_cast<const char *>(&v), 4); };
    put16(head, qToLittleEndian<quint16>(0));
    put16(head, qToLittleEndian<quint16>(1));
    put16(head, qToLittleEndian<quint16>(quint16(images.size())));
    const quint32 firstOffset = quint32(6 + 16 * images.size());
    for (const QImage &image : images) {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        // 0 stands for 256.
        head.append(char(image.width() & 0xFF));
        head.append(char(image.height() & 0xFF));
        head.append(2, '\0');
        put16(head, qToLittleEndian<quint16>(1));
        put16(head, qToLittleEndian<quint16>(32));
        put32(head, qToLittleEndian<quint32>(quint32(png.size())));
        put32(head, qToLittleEndian<quint32>(firstOffset + quint32(data.size())));
        data += png;
    }
    return head + data;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = QGuiApplication::arguments();
    if (args.size() < 4) {
        std::fprintf(stderr, "usage: rendericon SVG OUT_DIR SIZE...\n");
        return 64;
    }
    QSvgRenderer renderer(args.at(1));
    if (!renderer.isValid()) {
        std::fprintf(stderr, "rendericon: cannot read %s\n", qPrintable(args.at(1)));
        return 1;
    }
    QList<QImage> iconImages;
    for (const QString &sizeText : args.mid(3)) {
        const int size = sizeText.toInt();
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        renderer.render(&painter);
        painter.end();
        const QString dir = args.at(2) + QStringLiteral("/%1x%1/apps").arg(size);
        if (!QDir().mkpath(dir) || !image.save(dir + QStringLiteral("/parlevo.png"))) {
            std::fprintf(stderr, "rendericon: cannot write %s\n", qPrintable(dir));
            return 1;
        }
        if (size <= 256)
            iconImages.append(image);
    }
    QFile ico(args.at(2) + QStringLiteral("/parlevo.ico"));
    if (!ico.open(QIODevice::WriteOnly) || ico.write(iconFile(iconImages)) < 0 || !ico.flush()) {
        std::fprintf(stderr, "rendericon: cannot write %s\n", qPrintable(ico.fileName()));
        return 1;
    }
    return 0;
}
