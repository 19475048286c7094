#include "blackcal.h"

#include "dialogs.h"
#include "genmeasure.h"
#include "ui_blackcal.h"
#include "verifyblack.h"

#include <QLabel>
#include <QLineEdit>
#include <QtConcurrent>

bool askToDarken(QWidget *parent) {
    return dialogs().information(parent, QStringLiteral("BlackCal"),
                                 QStringLiteral("Please Darken Colorimeter, Then Press OK."),
                                 QMessageBox::Ok | QMessageBox::Cancel,
                                 QMessageBox::Ok) == QMessageBox::Ok;
}

void reportBlackCalibration(QWidget *parent, const BlackMatrix &result) {
    if (result.status == 0)
        dialogs().information(parent, QStringLiteral("BlackCal"),
                              QStringLiteral("Black Calibration Complete."));
    else
        dialogs().critical(parent, QStringLiteral("BlackCal"),
                           QStringLiteral("Black Calibration Error"));
}

BlackCal::BlackCal(GenMeasure *device, QWidget *parent)
    : QMemoryMainWindow(QStringLiteral("blackcal"), parent), ui(new Ui::BlackCal),
      m_device(device) {
    ui->setupUi(this);
    const char *channels[] = {"X", "Y", "Z"};
    for (int c = 0; c < 3; ++c)
        ui->gridBlack->addWidget(new QLabel(QLatin1String(channels[c]), this), 0, c + 1,
                                 Qt::AlignCenter);
    for (int r = 0; r < 6; ++r) {
        ui->gridBlack->addWidget(new QLabel(QStringLiteral("Range %1").arg(r + 1), this), r + 1, 0);
        for (int c = 0; c < 3; ++c) {
            m_cells[r][c] = new QLineEdit(this);
            m_cells[r][c]->setObjectName(QStringLiteral("lineBlack%1%2").arg(r + 1).arg(c));
            m_cells[r][c]->setReadOnly(true);
            ui->gridBlack->addWidget(m_cells[r][c], r + 1, c + 1);
        }
    }
    m_verify = new VerifyBlack(device, ui->pushVerify, ui->progressVerify, ui->lineVerifyX,
                               ui->lineVerifyY, ui->lineVerifyZ, this);
    m_verify->setVerdictLabel(ui->labelVerifyVerdict);
    connect(&m_watcher, &QFutureWatcher<BlackMatrix>::finished, this, &BlackCal::finishedCaliBlack);
}

BlackCal::~BlackCal() {
    // The calibration holds the device: wait for it rather than leave it
    // writing into a window that is gone.
    m_watcher.waitForFinished();
    delete ui;
}

bool BlackCal::isColorimeter() const {
    return m_device && m_device->isConnected() && m_device->deviceType() == TorvaDevice;
}

void BlackCal::setActionsEnabled(bool on) {
    for (QWidget *w :
         {static_cast<QWidget *>(ui->pushCaliBlack), static_cast<QWidget *>(ui->pushRAM),
          static_cast<QWidget *>(ui->pushROM), static_cast<QWidget *>(ui->pushCorrectionCoeff),
          static_cast<QWidget *>(ui->pushVerify)})
        w->setEnabled(on);
}

void BlackCal::on_pushCaliBlack_clicked() {
    if (!m_device || !m_device->isConnected() || m_watcher.isRunning() || m_device->isMeasuring())
        return;
    if (!askToDarken(this))
        return;
    setActionsEnabled(false);
    ui->pushCaliBlack->startSpinner();
    GenMeasure *device = m_device;
    m_watcher.setFuture(QtConcurrent::run([device] { return device->calibrateBlack(); }));
}

void BlackCal::finishedCaliBlack() {
    setActionsEnabled(true);
    ui->pushCaliBlack->stopSpinner();
    const BlackMatrix result = m_watcher.result();
    if (result.status == 0)
        showTable(result, true);
    reportBlackCalibration(this, result);
}

void BlackCal::showTable(const BlackMatrix &m, bool withThermal) {
    for (int r = 0; r < 6; ++r)
        for (int c = 0; c < 3; ++c)
            m_cells[r][c]->setText(QString::number(m.black[r][c], 'g', 6));
    if (withThermal) {
        ui->lineThermal->setText(QString::number(m.thermal, 'g', 6));
        ui->lineStatus->setText(QString::number(m.status));
    }
}

void BlackCal::on_pushRAM_clicked() {
    if (isColorimeter())
        showTable(m_device->ramBlackMatrix(), true);
}

void BlackCal::on_pushROM_clicked() {
    if (isColorimeter())
        showTable(m_device->romBlackMatrix(), true);
}

void BlackCal::on_pushCorrectionCoeff_clicked() {
    if (isColorimeter())
        showTable(m_device->thermalCorrection(), false);
}

void BlackCal::on_pushClose_clicked() {
    close();
}
