#include "verifyblack.h"

#include "appsettings.h"
#include "dialogs.h"
#include "genmeasure.h"
#include "measurement.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>

VerifyBlack::VerifyBlack(GenMeasure *device, QAbstractButton *button, QProgressBar *progress,
                         QLineEdit *resultX, QLineEdit *resultY, QLineEdit *resultZ,
                         QObject *parent)
    : QObject(parent), m_device(device), m_button(button),
      m_progress(progress), m_result{resultX, resultY, resultZ} {
    if (m_progress)
        m_progress->setRange(0, 100);
    if (m_button)
        connect(m_button, &QAbstractButton::clicked, this, &VerifyBlack::on_clicked);
    if (m_device)
        connect(m_device, &GenMeasure::measured, this, &VerifyBlack::on_measure);
}

void VerifyBlack::followDevice() {
    m_running = m_device && m_device->isMeasuring();
    if (!m_running)
        m_average.stop();
    if (m_button)
        m_button->setChecked(m_running);
}

void VerifyBlack::on_clicked() {
    if (!m_device || !m_device->isConnected()) {
        followDevice();
        return;
    }
    if (m_running) {
        m_device->stopMeasuring();
    } else {
        for (QLineEdit *field : m_result) {
            if (field)
                field->clear();
        }
        if (m_progress)
            m_progress->setValue(0);
        if (m_verdict)
            m_verdict->clear();
        m_average.start();
        m_device->startMeasuring();
    }
    followDevice();
}

void VerifyBlack::on_measure(const Measurement &m) {
    if (!m_running)
        return;
    switch (m_average.add(m)) {
    case BlackAverage::Step::AimingLight:
        if (m_button)
            m_button->setChecked(false);
        m_device->stopMeasuring();
        m_running = false;
        dialogs().warning(nullptr, QStringLiteral("Aiming Light Warning"),
                          QStringLiteral("The Aiming Lights are on, can't do black verification."));
        return;
    case BlackAverage::Step::Skipped:
    case BlackAverage::Step::Idle:
        return;
    case BlackAverage::Step::Counted:
        showMeans();
        return;
    case BlackAverage::Step::Done:
        showMeans();
        m_device->stopMeasuring();
        followDevice();
        return;
    }
}

void VerifyBlack::showMeans() {
    for (int c = 0; c < 3; ++c) {
        double value = m_average.mean(c);
        if (!isNits())
            value = nitsToFootLamberts(value);
        // A black level is a small number either side of zero: four
        // decimals show it where three significant digits would print -0.000.
        if (m_result[c])
            m_result[c]->setText(QStringLiteral("%1 %2").arg(value, 0, 'f', 4).arg(unitsText()));
    }
    if (m_progress)
        m_progress->setValue(m_average.progress());
    if (m_verdict)
        m_verdict->setText(verdictText(m_average));
}

QString VerifyBlack::verdictText(const BlackAverage &average) {
    if (!average.complete())
        return QString();
    const double tolerance =
        isNits() ? BlackAverage::blackTolerance : nitsToFootLamberts(BlackAverage::blackTolerance);
    const QString limit = QStringLiteral("%1 %2").arg(tolerance).arg(unitsText());
    if (average.isBlack())
        return QStringLiteral("Black is good: every mean is within ±%1 of zero.").arg(limit);
    return QStringLiteral("Not black: a mean is beyond ±%1. Cover the lens completely and check "
                          "again; if it stays, calibrate black.")
        .arg(limit);
}
