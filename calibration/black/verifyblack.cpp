#include "verifyblack.h"

#include "appsettings.h"
#include "dialogs.h"
#include "genmeasure.h"
#include "measurement.h"

#include <QAbstractButton>
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
        dialogs().warning(
            nullptr, QStringLiteral("Aimming Light Warning"),
            QStringLiteral("The Aimming Lights are on, can't do black verification."));
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
        if (m_result[c])
            m_result[c]->setText(QStringLiteral("%1 %2").arg(formatSigFigs(value), unitsText()));
    }
    if (m_progress)
        m_progress->setValue(m_average.progress());
}
