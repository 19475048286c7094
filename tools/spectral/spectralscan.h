#pragma once
// The spectral scan tool: one spectral power distribution from a
// spectroradiometer, plotted from 380 to 780 nm, saved as CSV or printed.
// The measurement blocks for the instrument's measuring time (minutes in
// low light), so it runs on a worker thread while the window stays
// responsive, counts down the time the instrument announced, and offers to
// cancel.

#include "qmemorymainwindow.h"

#include <QFutureWatcher>
#include <QList>
#include <QPointer>

namespace Ui {
class SpectralScan;
}

class GenMeasure;
class MeasuringCountdown;
class QGraphBox;
class QPortMenu;

class SpectralScan : public QMemoryMainWindow {
    Q_OBJECT
public:
    explicit SpectralScan(QWidget *parent = nullptr);
    ~SpectralScan() override;

    QPortMenu *spectroradiometerMenu() const { return m_menu; }
    QGraphBox *graph() const;
    const QList<double> &spectrum() const { return m_spectrum; }
    bool isScanning() const { return m_watcher.isRunning(); }
    // Scans with a device directly (tests, or a device opened elsewhere).
    void scanWith(GenMeasure *device);
    // Writes the current spectrum; false (after saying so) when it cannot.
    bool saveTo(const QString &path);

signals:
    void scanFinished(bool ok);

public slots:
    void spectroradiometerConnected();
    void spectroradiometerClosed();

private slots:
    void on_pushScan_clicked();
    void on_pushCancel_clicked();
    void on_pushSave_clicked();
    void on_actionSave_Data_As_triggered();
    void on_actionPrint_Preview_triggered();
    void on_actionPrint_Graph_triggered();
    void scanDone();

private:
    struct Result {
        QList<double> values;
        quint32 error = 0;
        QString problem; // the instrument's own account of a failure
    };
    void setUpGraph();
    void plot(const QList<double> &values);

    Ui::SpectralScan *ui;
    QPortMenu *m_menu;
    GenMeasure *m_device; // the menu's wrapper
    QList<double> m_spectrum;
    QString m_scannedWith;           // "model : serial" of the device of the last scan
    QPointer<GenMeasure> m_scanning; // the device of the scan under way
    MeasuringCountdown *m_countdown;
    QFutureWatcher<Result> m_watcher;
};
