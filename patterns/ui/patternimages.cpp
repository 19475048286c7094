#include "patternimages.h"

#include <QPainter>
#include <QPen>
#include <QPointF>

#include <algorithm>
#include <cmath>

namespace patternimages {

QImage checkerBoard(const QSize &size, int columns, int rows) {
    QImage image(size, QImage::Format_RGB32);
    if (image.isNull())
        return image;
    if (columns <= 0)
        columns = 5;
    if (rows <= 0)
        rows = 5;
    const int cellW =
        std::max(1, static_cast<int>(std::floor(size.width() / double(columns) + 0.5)));
    const int cellH = std::max(1, static_cast<int>(std::floor(size.height() / double(rows) + 0.5)));
    const QRgb white = qRgb(255, 255, 255);
    const QRgb black = qRgb(0, 0, 0);
    for (int y = 0; y < size.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        const int row = y / cellH;
        for (int x = 0; x < size.width(); ++x)
            line[x] = ((row + x / cellW) % 2 == 0) ? white : black;
    }
    return image;
}

QImage edgeMarkers(const QSize &size) {
    QImage image(size, QImage::Format_RGB32);
    if (image.isNull())
        return image;
    image.fill(Qt::white);
    QPainter p(&image);
    p.setPen(QPen(Qt::black, 1, Qt::SolidLine, Qt::FlatCap, Qt::BevelJoin));
    const double w = size.width();
    const double h = size.height();
    const double arm = h / 4.0 * std::sqrt(0.5); // each line is h/4 long, at 45 degrees
    struct Edge {
        QPointF at;
        QPointF inward; // unit vector into the window
    };
    const Edge edges[] = {
        {{w / 2, 0}, {0, 1}},
        {{w / 2, h - 1}, {0, -1}},
        {{0, h / 2}, {1, 0}},
        {{w - 1, h / 2}, {-1, 0}},
    };
    for (const Edge &e : edges) {
        p.drawEllipse(e.at, 5.0, 5.0);
        const QPointF across(e.inward.y(), e.inward.x());
        p.drawLine(e.at, e.at + e.inward * arm + across * arm);
        p.drawLine(e.at, e.at + e.inward * arm - across * arm);
    }
    return image;
}

} // namespace patternimages
