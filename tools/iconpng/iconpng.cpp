// Draws the program's SVG icon as square PNG files of the hicolor theme's sizes.
// Usage: termivo-iconpng ICON.svg OUT_FOLDER SIZE...   (writes OUT_FOLDER/SIZExSIZE/termivo.png)
#include <cstdio>

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: termivo-iconpng ICON.svg OUT_FOLDER SIZE...\n");
        return 2;
    }
    QSvgRenderer svg(args[0]);
    if (!svg.isValid()) {
        std::fprintf(stderr, "termivo-iconpng: cannot read %s\n", qPrintable(args[0]));
        return 1;
    }
    for (const QString& text : args.mid(2)) {
        const int size = text.toInt();
        if (size <= 0) return 2;
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        svg.render(&painter);
        painter.end();
        const QString folder = QStringLiteral("%1/%2x%2").arg(args[1]).arg(size);
        if (!QDir().mkpath(folder) || !image.save(folder + QStringLiteral("/termivo.png"))) {
            std::fprintf(stderr, "termivo-iconpng: cannot write %s\n", qPrintable(folder));
            return 1;
        }
    }
    return 0;
}
