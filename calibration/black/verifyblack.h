#pragma once
// Black verification: with the colorimeter darkened, 50 readings are
// averaged (the first after the start never counts) and the mean X, Y and
// Z shown, then the verdict; the checkable button starts and stops it, the
// aiming lights stop it. Not a window: it drives the controls it is given.

#include "blackaverage.h"
#include "measurement.h"

#include <QLabel>
#include <QObject>
#include <QPointer>

class GenMeasure;
class QAbstractButton;
class QLineEdit;
class QProgressBar;

class VerifyBlack : public QObject {
    Q_OBJECT
public:
    VerifyBlack(GenMeasure *device, QAbstractButton *button, QProgressBar *progress,
                QLineEdit *resultX, QLineEdit *resultY, QLineEdit *resultZ,
                QObject *parent = nullptr);

    // Where the verdict goes once the readings are in.
    void setVerdictLabel(QLabel *label) { m_verdict = label; }
    static QString verdictText(const BlackAverage &average);

    bool isRunning() const { return m_running; }
    int count() const { return m_average.count(); }
    double sum(int channel) const { return m_average.sum(channel); }
    // Mean X, Y, Z; empty before the first counted reading.
    QVector<double> blackList() const { return m_average.blackList(); }

public slots:
    void on_clicked();
    void on_measure(const Measurement &m);

private:
    void followDevice();
    void showMeans();

    QPointer<GenMeasure> m_device;
    QPointer<QAbstractButton> m_button;
    QPointer<QProgressBar> m_progress;
    QPointer<QLineEdit> m_result[3];
    QPointer<QLabel> m_verdict;
    BlackAverage m_average;
    bool m_running = false;
};
