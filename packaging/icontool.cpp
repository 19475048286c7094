// Build-time tool: writes the program icon's hicolor sizes as PNG files.
//   tintwell-icontool ICON.ico OUTDIR NAME SIZE...
// For each SIZE writes OUTDIR/SIZExSIZE/apps/NAME.png from the icon's image of that size, or scaled
// down from its largest when the icon holds none of that size. Reads the .ico with Qt's own image
// plugin, so the build needs nothing beyond Qt.
#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QImageReader>

#include <cstdio>
#include <map>

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 5) {
        std::fprintf(stderr, "usage: tintwell-icontool ICON.ico OUTDIR NAME SIZE...\n");
        return 2;
    }
    QImageReader reader(args.at(1));
    std::map<int, QImage> bySize; // square images by edge length
    for (int i = 0; i < reader.imageCount() || i == 0; ++i) {
        if (i > 0 && !reader.jumpToImage(i))
            break;
        const QImage image = reader.read();
        if (!image.isNull() && image.width() == image.height())
            bySize[image.width()] = image.convertToFormat(QImage::Format_ARGB32);
    }
    if (bySize.empty()) {
        std::fprintf(stderr, "tintwell-icontool: no square image in %s: %s\n",
                     qPrintable(args.at(1)), qPrintable(reader.errorString()));
        return 1;
    }
    const QImage &largest = bySize.rbegin()->second;
    for (int i = 4; i < args.size(); ++i) {
        bool ok = false;
        const int size = args.at(i).toInt(&ok);
        if (!ok || size <= 0 || size > 1024) {
            std::fprintf(stderr, "tintwell-icontool: bad size '%s'\n", qPrintable(args.at(i)));
            return 2;
        }
        const auto exact = bySize.find(size);
        const QImage image = exact != bySize.end() ? exact->second
                                                   : largest.scaled(size, size, Qt::KeepAspectRatio,
                                                                    Qt::SmoothTransformation);
        const QString dir = QStringLiteral("%1/%2x%2/apps").arg(args.at(2)).arg(size);
        const QString file = QStringLiteral("%1/%2.png").arg(dir, args.at(3));
        if (!QDir().mkpath(dir) || !image.save(file, "PNG")) {
            std::fprintf(stderr, "tintwell-icontool: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
