#include "measuringcountdown.h"

#include <QProgressBar>

MeasuringCountdown::MeasuringCountdown(QObject *parent) : QObject(parent) {
    m_timer.setInterval(tickMs);
    connect(&m_timer, &QTimer::timeout, this, &MeasuringCountdown::tick);
}

QString MeasuringCountdown::text(int msLeft) {
    const int seconds = (qMax(0, msLeft) + 999) / 1000;
    return QStringLiteral("Measuring... %1 s to go").arg(seconds);
}

void MeasuringCountdown::start(QProgressBar *bar, int ms) {
    m_bar = bar;
    m_ms = qMax(1, ms);
    m_clock.start();
    if (m_bar) {
        m_bar->setRange(0, m_ms);
        m_bar->setTextVisible(true);
    }
    tick();
    m_timer.start();
}

void MeasuringCountdown::stop() {
    m_timer.stop();
}

void MeasuringCountdown::tick() {
    if (!m_bar) {
        m_timer.stop();
        return;
    }
    const int elapsed = static_cast<int>(qMin<qint64>(m_clock.elapsed(), m_ms));
    m_bar->setValue(elapsed);
    m_bar->setFormat(text(m_ms - elapsed));
}
