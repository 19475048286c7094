#include "spectralscan.h"
#include "ui_spectralscan.h"

#include "atomicsave.h"
#include "devicetypes.h"
#include "dialogs.h"
#include "genmeasure.h"
#include "measuringcountdown.h"
#include "qgraphbox.h"
#include "qportmenu.h"
#include "reportpainter.h"
#include "reports.h"
#include "spectrumdata.h"

#include <QPrintDialog>
#include <QPrinter>
#include <QtConcurrent>

namespace {
const char *const saveTitle = "Save Report";
const char *const scanTitle = "Spectral Scan";
} // namespace

SpectralScan::SpectralScan(QWidget *parent)
    : QMemoryMainWindow(QStringLiteral("spectralscan"), parent), ui(new Ui::SpectralScan),
      m_countdown(new MeasuringCountdown(this)) {
    ui->setupUi(this);
    m_menu = new QPortMenu(QStringLiteral("Spectroradiometer"), ui->menubar);
    m_menu->setEnabledMask(RoleSpectral);
    m_menu->setDisabledMask(RoleColorimeter | RoleReference | RoleManual);
    ui->menubar->addMenu(m_menu);
    m_device = m_menu->device();
    connect(m_device, &GenDevice::connected, this, &SpectralScan::spectroradiometerConnected);
    connect(m_device, &GenDevice::closed, this, &SpectralScan::spectroradiometerClosed);
    connect(&m_watcher, &QFutureWatcher<Result>::finished, this, &SpectralScan::scanDone);
    ui->progressScan->setVisible(false);
    ui->pushCancel->setVisible(false);
    setUpGraph();
    spectroradiometerClosed();
    if (m_menu->currentDevice())
        spectroradiometerConnected();
}

SpectralScan::~SpectralScan() {
    // The device is in use by the worker until the scan returns, which a
    // cancel makes as soon as the instrument takes it.
    if (isScanning() && m_scanning)
        m_scanning->cancelMeasurement();
    m_watcher.waitForFinished();
    if (m_device)
        disconnect(m_device, nullptr, this, nullptr);
    delete ui;
}

QGraphBox *SpectralScan::graph() const {
    return ui->graphSpectrum;
}

void SpectralScan::setUpGraph() {
    QGraphBox *g = ui->graphSpectrum;
    g->setBackgroundMode(QGraphBox::PlotMode);
    g->setXMin(350);
    g->setXMax(800);
    g->setXMajorScale(50, false);
    g->setXMinorScale(10);
    g->setXName(QStringLiteral("nm"));
    g->setYMin(0);
    g->setYMax(0.025);
    g->setYMajorScale(0.005);
    g->setYMinorScale(0.001);
    g->setYName(QStringLiteral("Energy"));
    g->clearPlots();
    PlotObject line;
    line.style = PlotObject::Line;
    line.colors << QColor(0, 90, 200);
    g->appendPlots(line);
}

void SpectralScan::spectroradiometerConnected() {
    if (!m_menu->currentDevice())
        return;
    ui->lineDevice->setText(
        QStringLiteral("%1 : %2").arg(m_device->model().trimmed(), m_device->serialNumber()));
    ui->pushScan->setEnabled(!isScanning());
}

void SpectralScan::spectroradiometerClosed() {
    ui->lineDevice->clear();
    ui->pushScan->setEnabled(false);
}

void SpectralScan::on_pushScan_clicked() {
    if (GenMeasure *device = m_menu->currentDevice())
        scanWith(device);
}

void SpectralScan::scanWith(GenMeasure *device) {
    if (!device || isScanning())
        return;
    m_scannedWith =
        QStringLiteral("%1 : %2").arg(device->model().trimmed(), device->serialNumber());
    ui->pushScan->setEnabled(false);
    m_menu->setEnabled(false); // the device may not close under the worker
    ui->progressScan->setRange(0, 0);
    ui->progressScan->setTextVisible(false);
    ui->progressScan->setVisible(true);
    ui->pushCancel->setEnabled(true);
    ui->pushCancel->setVisible(true);
    ui->labelStatus->setText(QStringLiteral("Scanning... the instrument is measuring."));
    m_scanning = device;
    // Announced on the worker thread, counted down on this one.
    connect(device, &GenMeasure::measuringTime, this,
            [this](int ms) { m_countdown->start(ui->progressScan, ms); });
    m_watcher.setFuture(QtConcurrent::run([device] {
        Result r;
        r.values = device->spectrum();
        r.error = device->spectrumErrorCode();
        r.problem = device->lastProblem();
        return r;
    }));
}

void SpectralScan::on_pushCancel_clicked() {
    if (!isScanning() || !m_scanning)
        return;
    m_scanning->cancelMeasurement();
    ui->pushCancel->setEnabled(false);
    ui->labelStatus->setText(QStringLiteral("Cancelling... the instrument stops once it takes "
                                            "commands again."));
}

void SpectralScan::scanDone() {
    const Result r = m_watcher.result();
    m_countdown->stop();
    if (m_scanning)
        disconnect(m_scanning, &GenMeasure::measuringTime, this, nullptr);
    m_scanning = nullptr;
    ui->progressScan->setVisible(false);
    ui->pushCancel->setVisible(false);
    m_menu->setEnabled(true);
    ui->pushScan->setEnabled(m_menu->currentDevice() != nullptr);
    QString why = spectrum::problem(r.values, r.error);
    if (!why.isEmpty() && !r.problem.isEmpty())
        why = r.problem; // the instrument's own words say more
    if (!why.isEmpty()) {
        // Nothing of a failed scan is plotted or saved as if it were light.
        m_spectrum.clear();
        setUpGraph();
        ui->pushSave->setEnabled(false);
        ui->labelStatus->setText(QStringLiteral("No spectrum: ") + why);
        dialogs().warning(this, QString::fromLatin1(scanTitle), why, QMessageBox::Ok,
                          QMessageBox::Ok);
        emit scanFinished(false);
        return;
    }
    plot(r.values);
    ui->labelStatus->setText(QStringLiteral("Scanned with ") + m_scannedWith);
    emit scanFinished(true);
}

void SpectralScan::plot(const QList<double> &values) {
    m_spectrum = values;
    QGraphBox *g = ui->graphSpectrum;
    g->clearPoints(0);
    for (int nm = spectrum::firstNm; nm <= spectrum::lastNm; ++nm)
        g->appendPlotsPoints(0, QPointF(nm, values.at(nm)));
    const double top = spectrum::peak(values);
    if (top > 0) {
        g->setYMax(top);
        g->setYMajorScale(top / 6);
        g->setYMinorScale(top / 18);
    } else {
        // Nothing above zero: the opening axis, with the flat line on it.
        g->setYMax(0.025);
        g->setYMajorScale(0.005);
        g->setYMinorScale(0.001);
    }
    g->updateGraph();
    ui->pushSave->setEnabled(true);
}

bool SpectralScan::saveTo(const QString &path) {
    const QByteArray text = spectrum::csv(m_spectrum, QDateTime::currentDateTime()).toUtf8();
    if (saveAtomically(path, text) == SaveResult::Saved)
        return true;
    dialogs().warning(this, QString::fromLatin1(saveTitle),
                      QStringLiteral("The file couldn't be opened:\n%1").arg(path), QMessageBox::Ok,
                      QMessageBox::Ok);
    return false;
}

void SpectralScan::on_pushSave_clicked() {
    if (m_spectrum.isEmpty())
        return;
    const QString path = dialogs().getSaveFileName(this, QString::fromLatin1(saveTitle), QString(),
                                                   QStringLiteral("CSV (*.csv)"));
    if (!path.isEmpty())
        saveTo(path);
}

void SpectralScan::on_actionSave_Data_As_triggered() {
    on_pushSave_clicked();
}

void SpectralScan::on_actionPrint_Preview_triggered() {
    ReportSetup setup =
        Reports::currentSetup(m_menu->currentDevice(), nullptr, QStringLiteral("spectral"),
                              QStringLiteral("Spectral Scan"));
    Reports::preview(this, {ui->graphSpectrum}, setup);
}

void SpectralScan::on_actionPrint_Graph_triggered() {
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    printer.setResolution(reportDpi);
    ReportSetup setup =
        Reports::currentSetup(m_menu->currentDevice(), nullptr, QStringLiteral("spectral"),
                              QStringLiteral("Spectral Scan"));
    ReportPainter painter(setup, {ui->graphSpectrum});
    painter.paint(&printer, printer.printRange() == QPrinter::PageRange, printer.fromPage(),
                  printer.toPage());
}
