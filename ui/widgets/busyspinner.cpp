#include "busyspinner.h"

#include <QPainter>
#include <QPixmap>

#include <cmath>

namespace {

// Frame i, at phase i / 32: eight grey discs on a ring, shrinking from the
// leading one, the ring turned back by the phase.
QVector<QImage> drawFrames() {
    const int size = BusySpinner::frameSize;
    const int r0 = size / 6; // 5 px, the largest disc
    const double ring = size / 2 - r0;
    const double centre = size / 2;
    const double twoPi = 2 * M_PI;
    QVector<QImage> frames;
    for (int i = 0; i < BusySpinner::frameCount; ++i) {
        const double phase = double(i) / BusySpinner::frameCount;
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(Qt::gray));
        for (int k = 0; k < 8; ++k) {
            const double angle = k * twoPi / 8 - phase * twoPi;
            const double radius = (1 - k / 8.0) * r0;
            painter.drawEllipse(
                QPointF(centre + ring * std::sin(angle), centre + ring * std::cos(angle)), radius,
                radius);
        }
        frames.append(image);
    }
    return frames;
}

} // namespace

BusySpinner::BusySpinner(QObject *parent) : QObject(parent) {
    m_timer.setInterval(frameIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &BusySpinner::advance);
}

const QVector<QImage> &BusySpinner::frames() {
    static const QVector<QImage> images = drawFrames();
    return images;
}

void BusySpinner::start() {
    m_frame = 0;
    emit iconChanged(QIcon(QPixmap::fromImage(frames().at(m_frame))));
    m_timer.start();
}

void BusySpinner::stop() {
    m_timer.stop();
    emit iconChanged(QIcon());
}

void BusySpinner::advance() {
    m_frame = (m_frame + 1) % frameCount;
    emit iconChanged(QIcon(QPixmap::fromImage(frames().at(m_frame))));
}
