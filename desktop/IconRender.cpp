// Renders the program's SVG icon into square PNGs for the icon theme's fixed sizes.
// usage: qv_icon_render ICON.svg OUTDIR SIZE...   writes OUTDIR/SIZExSIZE/qorvale.png
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>

int main(int argc, char* argv[])
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s ICON.svg OUTDIR SIZE...\n", argv[0]);
        return 2;
    }
    QSvgRenderer svg(QString::fromLocal8Bit(argv[1]));
    if (!svg.isValid()) {
        std::fprintf(stderr, "%s: not a readable SVG picture\n", argv[1]);
        return 2;
    }
    const QString outDir = QString::fromLocal8Bit(argv[2]);
    for (int i = 3; i < argc; ++i) {
        const int size = QByteArray(argv[i]).toInt();
        if (size <= 0 || size > 1024) {
            std::fprintf(stderr, "%s: not an icon size\n", argv[i]);
            return 2;
        }
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        svg.render(&painter);
        painter.end();
        const QString folder = QStringLiteral("%1/%2x%2").arg(outDir).arg(size);
        const QString file = folder + QStringLiteral("/qorvale.png");
        if (!QDir().mkpath(folder) || !image.save(file, "PNG")) {
            std::fprintf(stderr, "%s: cannot write\n", qPrintable(file));
            return 2;
        }
    }
    return 0;
}
