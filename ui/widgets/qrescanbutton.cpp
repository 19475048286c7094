#include "qrescanbutton.h"

#include <QIcon>
#include <QPainter>
#include <QPixmap>

#include <cmath>

namespace {

QVector<QImage> drawFrames() {
    const int n = QRescanButton::frameCount;
    const int size = QRescanButton::frameSize;
    const int r0 = size / 6; // 5 px, the largest disc
    const double ring = size / 2 - r0;
    const double centre = size / 2;
    const double twoPi = 2 * M_PI;
    QVector<QImage> frames;
    for (int i = 0; i < n; ++i) {
        const double phase = double(i) / n;
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

QRescanButton::QRescanButton(QWidget *parent) : QPushButton(parent) {
    m_timer.setInterval(frameIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &QRescanButton::updateIcon);
}

const QVector<QImage> &QRescanButton::frames() {
    static const QVector<QImage> images = drawFrames();
    return images;
}

void QRescanButton::startSpinner() {
    m_frame = 0;
    setIcon(QIcon(QPixmap::fromImage(frames().at(m_frame))));
    m_timer.start();
}

void QRescanButton::stopSpinner() {
    m_timer.stop();
    setIcon(QIcon());
}

void QRescanButton::updateIcon() {
    m_frame = (m_frame + 1) % frameCount;
    setIcon(QIcon(QPixmap::fromImage(frames().at(m_frame))));
}
