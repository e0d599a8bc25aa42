// Renders the application's SVG icon to square PNGs for the icon theme: rendericon SVG OUT_DIR SIZE...
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

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
    }
    return 0;
}
