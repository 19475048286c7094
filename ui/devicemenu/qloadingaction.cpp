#include "qloadingaction.h"

#include <QIcon>
#include <QPainter>
#include <QPixmap>

#include <cmath>

namespace {

// A ring of twelve strokes whose brightest stroke goes round once per cycle.
QVector<QImage> drawFrames() {
    const int n = QLoadingAction::frameCount;
    const int size = QLoadingAction::frameSize;
    const double centre = size / 2.0;
    const double inner = size * 0.22;
    const double outer = size * 0.44;
    const int strokes = 12;
    QVector<QImage> frames;
    frames.reserve(n);
    for (int i = 0; i < n; ++i) {
        const double phase = double(i) / n;
        QImage image(size, size, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        for (int k = 0; k < strokes; ++k) {
            const double angle = 2 * M_PI * (double(k) / strokes + phase);
            // The head of the sweep is opaque, the tail fades out.
            const double age = std::fmod(double(strokes - k) / strokes, 1.0);
            QColor colour(90, 150, 220);
            colour.setAlphaF(0.15 + 0.85 * (1.0 - age));
            painter.setPen(QPen(colour, size / 12.0, Qt::SolidLine, Qt::RoundCap));
            const QPointF dir(std::sin(angle), -std::cos(angle));
            painter.drawLine(QPointF(centre, centre) + dir * inner,
                             QPointF(centre, centre) + dir * outer);
        }
        frames.append(image);
    }
    return frames;
}

} // namespace

QLoadingAction::QLoadingAction(const QString &text, QObject *parent) : QAction(text, parent) {
    m_timer.setInterval(frameIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &QLoadingAction::nextFrame);
}

const QVector<QImage> &QLoadingAction::frames() {
    static const QVector<QImage> images = drawFrames();
    return images;
}

void QLoadingAction::start() {
    m_frame = 0;
    setIcon(QIcon(QPixmap::fromImage(frames().at(m_frame))));
    m_timer.start();
}

void QLoadingAction::stop() {
    m_timer.stop();
    setIcon(QIcon());
}

void QLoadingAction::nextFrame() {
    m_frame = (m_frame + 1) % frameCount;
    setIcon(QIcon(QPixmap::fromImage(frames().at(m_frame))));
}
