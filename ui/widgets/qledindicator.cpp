#include "qledindicator.h"

#include <QPainter>
#include <QRadialGradient>

QLedIndicator::QLedIndicator(QWidget *parent) : QAbstractButton(parent) {
    setCheckable(true);
    setMinimumSize(12, 12);
}

void QLedIndicator::setOnColor1(const QColor &colour) {
    m_onColor1 = colour;
    update();
}

void QLedIndicator::setOnColor2(const QColor &colour) {
    m_onColor2 = colour;
    update();
}

void QLedIndicator::setOffColor1(const QColor &colour) {
    m_offColor1 = colour;
    update();
}

void QLedIndicator::setOffColor2(const QColor &colour) {
    m_offColor2 = colour;
    update();
}

QSize QLedIndicator::sizeHint() const {
    return QSize(24, 24);
}

void QLedIndicator::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(width() / 2.0, height() / 2.0);
    // The smaller side spans 1000 units.
    const qreal scale = qMin(width(), height()) / 1000.0;
    painter.scale(scale, scale);
    painter.setPen(Qt::NoPen);

    const QColor light(224, 224, 224);
    const QColor dark(28, 28, 28);
    // Outer bezel lit from one corner, inner ring from the opposite one.
    QRadialGradient bezel(QPointF(-500, -500), 1500, QPointF(-500, -500));
    bezel.setColorAt(0, light);
    bezel.setColorAt(1, dark);
    painter.setBrush(bezel);
    painter.drawEllipse(QPointF(0, 0), 500, 500);

    QRadialGradient ring(QPointF(500, 500), 1500, QPointF(500, 500));
    ring.setColorAt(0, light);
    ring.setColorAt(1, dark);
    painter.setBrush(ring);
    painter.drawEllipse(QPointF(0, 0), 450, 450);

    QRadialGradient lamp(QPointF(-500, -500), 1500, QPointF(-500, -500));
    lamp.setColorAt(0, isChecked() ? m_onColor1 : m_offColor1);
    lamp.setColorAt(1, isChecked() ? m_onColor2 : m_offColor2);
    painter.setBrush(lamp);
    painter.drawEllipse(QPointF(0, 0), 400, 400);
}
