#pragma once
// Black-level calibration of the colorimeter: recalibrates the six ranges'
// dark level in the dark (on a worker thread, the window staying
// responsive), shows the tables held in RAM and ROM and the thermal
// correction coefficients, and verifies the result.

#include "blackmatrix.h"
#include "qmemorymainwindow.h"

#include <QFutureWatcher>
#include <QPointer>

class GenMeasure;
class QLineEdit;
class VerifyBlack;

namespace Ui {
class BlackCal;
}

// The darken prompt and the calibration result, shared with the profile
// window's "Calibrate Black".
bool askToDarken(QWidget *parent);
void reportBlackCalibration(QWidget *parent, const BlackMatrix &result);

class BlackCal : public QMemoryMainWindow {
    Q_OBJECT
public:
    explicit BlackCal(GenMeasure *device, QWidget *parent = nullptr);
    ~BlackCal() override;

    bool isCalibrating() const { return m_watcher.isRunning(); }
    VerifyBlack *verifier() const { return m_verify; }

private slots:
    void on_pushCaliBlack_clicked();
    void on_pushRAM_clicked();
    void on_pushROM_clicked();
    void on_pushCorrectionCoeff_clicked();
    void on_pushClose_clicked();
    void finishedCaliBlack();

private:
    bool isColorimeter() const;
    void showTable(const BlackMatrix &m, bool withThermal);
    void setActionsEnabled(bool on);

    Ui::BlackCal *ui;
    QPointer<GenMeasure> m_device;
    QLineEdit *m_cells[6][3] = {};
    QFutureWatcher<BlackMatrix> m_watcher;
    VerifyBlack *m_verify;
};
