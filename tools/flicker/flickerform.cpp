#include "flickerform.h"
#include "ui_flickerform.h"

#include "appsettings.h"
#include "devicetypes.h"
#include "dialogs.h"
#include "flickerview.h"
#include "genmeasure.h"
#include "qportmenu.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QRegion>

#include <cmath>

namespace {

const QColor peakColours[3] = {QColor(230, 60, 60), QColor(60, 200, 90), QColor(70, 130, 240)};
constexpr double signalSaturated = 61000; // counts
constexpr double signalWarning = 42000;   // counts
const int resolutions[] = {2048, 1024, 512, 256, 128, 64};

// A round number at or above v: 1, 2 or 5 times a power of ten.
double niceAbove(double v) {
    if (!(v > 0))
        return 1;
    const double p = std::pow(10.0, std::floor(std::log10(v)));
    for (double m : {1.0, 2.0, 5.0, 10.0}) {
        if (m * p >= v)
            return m * p;
    }
    return 10 * p;
}

PlotObject curve(const matrix &m, double timeOffset, const QColor &colour) {
    PlotObject plot;
    plot.style = PlotObject::Line;
    plot.points.reserve(m.rows());
    for (int i = 0; i < m.rows(); ++i)
        plot.points << QPointF(m(i, 0) - timeOffset, m(i, 1));
    plot.colors << colour;
    return plot;
}

} // namespace

FlickerForm::FlickerForm(QPortMenu *linkTo, QWidget *parent)
    : QMemoryMainWindow(QStringLiteral("flickerform"), parent), ui(new Ui::FlickerForm),
      m_now([] { return QDateTime::currentMSecsSinceEpoch(); }) {
    ui->setupUi(this);
    setUpMenus();

    m_menu = QPortMenu::addColorimeterMenu(ui->menubar, ui->menuView->menuAction());
    m_device = m_menu->device();
    connect(m_device, &GenMeasure::flickered, this, &FlickerForm::on_flicker);
    connect(m_device, &GenDevice::closed, this, &FlickerForm::on_close);
    connect(m_device, &GenDevice::connected, this, &FlickerForm::on_open);

    for (QLedIndicator *led : {ui->ledRangeChanged, ui->ledInsufficientData, ui->ledOverSaturated})
        led->setAttribute(Qt::WA_TransparentForMouseEvents);
    for (int i = 0; i < 3; ++i) {
        QLabel *swatch = findChild<QLabel *>(QStringLiteral("peakColor%1").arg(i + 1));
        swatch->setStyleSheet(QStringLiteral("background-color: %1;").arg(peakColours[i].name()));
    }
    ui->peakColor1->installEventFilter(this);
    maskSwatches();

    {
        const QSignalBlocker block(ui->comboPercentBox);
        ui->comboPercentBox->setCurrentIndex(5); // "100%"
    }
    ui->splitter->setStretchFactor(0, 1);
    ui->splitter->setStretchFactor(1, 2);
    on_actionRestore_Workspace_triggered();
    setUnit(Percent);
    showFlashStats();
    ui->pushFlicker->setEnabled(false);
    if (linkTo)
        m_menu->linkTo(linkTo);
}

FlickerForm::~FlickerForm() {
    if (m_device)
        disconnect(m_device, nullptr, this, nullptr);
    // Logs still open keep their journals: recoverable at the next start.
    delete ui;
}

// ---- Set-up ----

void FlickerForm::setUpMenus() {
    m_rangeGroup = new QActionGroup(this);
    for (QAction *a :
         {ui->actionAutoRange, ui->actionRange_1, ui->actionRange_2, ui->actionRange_3,
          ui->actionRange_4, ui->actionRange_5, ui->actionRange_6, ui->actionAuto_Lock_Range})
        m_rangeGroup->addAction(a);
    m_resolutionGroup = new QActionGroup(this);
    for (QAction *a : {ui->actionSamples_2048, ui->actionSamples_1024, ui->actionSamples_512,
                       ui->actionSamples_256, ui->actionSamples_128, ui->actionSamples_64})
        m_resolutionGroup->addAction(a);
    auto *percent = new QActionGroup(this);
    percent->addAction(ui->actionContrast_Method);
    percent->addAction(ui->actionNormalized);
    auto *decibel = new QActionGroup(this);
    decibel->addAction(ui->actionVESA_DB);
    decibel->addAction(ui->actionJEITA);
}

void FlickerForm::maskSwatches() {
    for (QLabel *swatch : {ui->peakColor1, ui->peakColor2, ui->peakColor3}) {
        const QPoint c = swatch->rect().center();
        swatch->setMask(QRegion(QRect(c.x() - 3, c.y() - 3, 8, 8), QRegion::Ellipse));
    }
}

bool FlickerForm::eventFilter(QObject *watched, QEvent *event) {
    if (watched == ui->peakColor1 && event->type() == QEvent::Resize)
        maskSwatches();
    return QMemoryMainWindow::eventFilter(watched, event);
}

void FlickerForm::on_actionRestore_Workspace_triggered() {
    const int first = width() / 3;
    ui->splitter->setSizes({first, width() - first});
}

void FlickerForm::on_actionReturn_to_MainWindow_triggered() {
    close();
}

// ---- Device ----

void FlickerForm::on_open() {
    if (!m_menu->currentDevice())
        return;
    // Merged bins and the raised-cosine window are what the spectra assume.
    m_device->setFlickerOptionA(true);
    m_device->setFlickerOptionB(true);
    syncMenusFromDevice();
    ui->pushFlicker->setEnabled(true);
    ui->pushFlicker->setChecked(m_device->isFlickering());
    m_flickering = m_device->isFlickering();
}

void FlickerForm::on_close() {
    if (m_flickering)
        stopFlickering();
    ui->pushFlicker->setEnabled(false);
    ui->pushFlicker->setChecked(false);
}

void FlickerForm::syncMenusFromDevice() {
    const int range = m_device->range();
    QAction *rangeAction = range == -1 ? ui->actionAutoRange
                           : range == 0
                               ? ui->actionAuto_Lock_Range
                               : findChild<QAction *>(QStringLiteral("actionRange_%1").arg(range));
    if (rangeAction)
        rangeAction->setChecked(true);
    const QString samples = QString::number(m_device->flickerSamples());
    for (QAction *a : m_resolutionGroup->actions()) {
        if (a->text().contains(QStringLiteral("(") + samples + QStringLiteral(" Samples)")))
            a->setChecked(true);
    }
    ui->actionNormalized->setChecked(m_device->normalized() == 1);
    ui->actionContrast_Method->setChecked(m_device->normalized() != 1);
    ui->actionJEITA->setChecked(m_device->jeita() == 1);
    ui->actionVESA_DB->setChecked(m_device->jeita() != 1);
    ui->actionJEITA_Discount_DB->setChecked(m_device->jeitaDiscountDb());
    ui->actionJEITA_Discount_Percent->setChecked(m_device->jeitaDiscountPercent());
    setUpGraph();
}

// ---- Settings menus ----

void FlickerForm::setRange(int range) {
    m_device->setRange(range);
}

void FlickerForm::on_actionAutoRange_triggered() {
    setRange(-1);
}
void FlickerForm::on_actionRange_1_triggered() {
    setRange(1);
}
void FlickerForm::on_actionRange_2_triggered() {
    setRange(2);
}
void FlickerForm::on_actionRange_3_triggered() {
    setRange(3);
}
void FlickerForm::on_actionRange_4_triggered() {
    setRange(4);
}
void FlickerForm::on_actionRange_5_triggered() {
    setRange(5);
}
void FlickerForm::on_actionRange_6_triggered() {
    setRange(6);
}
void FlickerForm::on_actionAuto_Lock_Range_triggered() {
    setRange(0);
}

void FlickerForm::setSamples(int samples) {
    const bool restart = m_flickering;
    if (restart)
        m_device->stopFlicker();
    m_device->setFlickerSamples(samples);
    if (restart && m_device->startFlicker(true) != 0)
        stopFlickering();
    syncMenusFromDevice();
}

void FlickerForm::on_actionSamples_2048_triggered() {
    setSamples(resolutions[0]);
}
void FlickerForm::on_actionSamples_1024_triggered() {
    setSamples(resolutions[1]);
}
void FlickerForm::on_actionSamples_512_triggered() {
    setSamples(resolutions[2]);
}
void FlickerForm::on_actionSamples_256_triggered() {
    setSamples(resolutions[3]);
}
void FlickerForm::on_actionSamples_128_triggered() {
    setSamples(resolutions[4]);
}
void FlickerForm::on_actionSamples_64_triggered() {
    setSamples(resolutions[5]);
}

void FlickerForm::on_actionNormalized_triggered() {
    m_device->setNormalized(1);
}
void FlickerForm::on_actionContrast_Method_triggered() {
    m_device->setNormalized(0);
}
void FlickerForm::on_actionJEITA_Discount_Percent_triggered() {
    m_device->setJeitaDiscountPercent(ui->actionJEITA_Discount_Percent->isChecked());
}
void FlickerForm::on_actionVESA_DB_triggered() {
    m_device->setJeita(0);
}
void FlickerForm::on_actionJEITA_triggered() {
    m_device->setJeita(1);
}
void FlickerForm::on_actionJEITA_Discount_DB_triggered() {
    m_device->setJeitaDiscountDb(ui->actionJEITA_Discount_DB->isChecked());
}

void FlickerForm::updateSettingsEnabled() {
    bool logging = false;
    for (const Log &l : m_logs)
        logging = logging || l.running;
    // A running log's lines must all come from one acquisition set-up.
    for (QMenu *menu : {ui->menuRange, ui->menuUnits, ui->menuResolution})
        menu->setEnabled(!logging);
}

// ---- Display ----

void FlickerForm::on_radioSignal_clicked() {
    setUnit(Signal);
}
void FlickerForm::on_radioNits_clicked() {
    setUnit(Nits);
}
void FlickerForm::on_radioPercent_clicked() {
    setUnit(Percent);
}
void FlickerForm::on_radioDB_clicked() {
    setUnit(DB);
}

void FlickerForm::on_comboPercentBox_currentIndexChanged(int) {
    setUpGraph();
    if (m_haveRecord)
        showRecord(m_record);
}

void FlickerForm::setUnit(Unit unit) {
    m_unit = unit;
    ui->comboPercentBox->setEnabled(unit == Percent);
    m_nitsScale = 0;
    setUpGraph();
    if (m_haveRecord)
        showRecord(m_record);
}

void FlickerForm::setUpGraph() {
    QGraphBox *g = ui->graphBox;
    g->setBackgroundMode(QGraphBox::PlotMode);
    g->clearPlots();
    g->setTitle(QString());
    if (m_unit == Signal || m_unit == Nits) {
        const AxisScale x = signalTimeAxis(m_device ? m_device->flickerSamples() : 256);
        g->setXName(QStringLiteral("Time (Seconds)"));
        g->setXMin(0);
        g->setXMax(x.max);
        g->setXMajorScale(x.major);
        g->setXMinorScale(x.minor);
        if (m_unit == Signal) {
            g->setYName(QStringLiteral("Counts"));
            g->setYMin(0);
            g->setYMax(65000);
            g->setYMajorScale(5000);
            g->setYMinorScale(1000);
        } else {
            g->setYName(QStringLiteral("Nits"));
            g->setYMin(0);
            const double top = m_nitsScale > 0 ? m_nitsScale : 100;
            g->setYMax(top);
            g->setYMajorScale(top / 5);
            g->setYMinorScale(top / 25);
        }
        return;
    }
    g->setXName(QStringLiteral("Hz"));
    g->setXMin(0);
    g->setXMax(100);
    g->setXMajorScale(10);
    g->setXMinorScale(5);
    if (m_unit == Percent) {
        const AxisScale y = percentAxis(ui->comboPercentBox->currentIndex());
        g->setYName(QStringLiteral("Percent"));
        g->setYMin(0);
        g->setYMax(y.max);
        g->setYMajorScale(y.major);
        g->setYMinorScale(y.minor);
    } else {
        g->setYName(QStringLiteral("Db"));
        g->setYMin(-100);
        g->setYMax(10);
        g->setYMajorScale(20);
        g->setYMinorScale(5);
    }
}

void FlickerForm::showRecord(const Flicker &f) {
    QGraphBox *g = ui->graphBox;
    const QColor line = palette().color(QPalette::WindowText);
    g->clearPlots();
    const bool time = m_unit == Signal || m_unit == Nits;
    if (time) {
        const matrix &signal = m_unit == Signal ? f.signalCounts : f.signalNits;
        const double t0 = signal.rows() > 0 ? signal(0, 0) : 0;
        const double span = signal.rows() > 0 ? signal(signal.rows() - 1, 0) - t0 : 0;
        if (m_unit == Nits) {
            double top = 0;
            for (int i = 0; i < signal.rows(); ++i)
                top = std::max(top, signal(i, 1));
            // Rescaled only when the curve leaves the axis or shrinks to
            // a small part of it, so the axis does not jump each record.
            if (top > m_nitsScale || top < m_nitsScale * 0.3) {
                m_nitsScale = niceAbove(top * 1.1);
                setUpGraph();
            }
        }
        g->appendPlots(curve(signal, t0, line));
        if (m_unit == Signal) {
            for (double level : {signalSaturated, signalWarning}) {
                PlotObject ref;
                ref.style = PlotObject::Line;
                ref.points << QPointF(0, level) << QPointF(span, level);
                ref.colors << (level == signalSaturated ? QColor(220, 60, 60)
                                                        : QColor(230, 160, 40));
                g->appendPlots(ref);
            }
        }
    } else {
        g->appendPlots(curve(m_unit == Percent ? f.spectrumPercent : f.spectrumDb, 0, line));
    }
    const matrix &peaks = m_unit == DB ? f.peaksDb : f.peaksPercent;
    const QString unit = m_unit == DB ? QStringLiteral("dB") : QStringLiteral("%");
    for (int i = 0; i < 3; ++i) {
        const double hz = i < peaks.rows() ? peaks(i, 0) : 0;
        const double value = i < peaks.rows() ? peaks(i, 1) : 0;
        findChild<QLineEdit *>(QStringLiteral("linePeakHz%1").arg(i + 1))
            ->setText(formatSigFigs(hz) + QStringLiteral(" Hz"));
        findChild<QLineEdit *>(QStringLiteral("linePeakValue%1").arg(i + 1))
            ->setText(formatSigFigs(value) + QLatin1Char(' ') + unit);
        if (!time && hz > 0) {
            PlotObject marker;
            marker.style = PlotObject::Points;
            marker.points << QPointF(hz, value);
            marker.colors << peakColours[i];
            g->appendPlots(marker);
        }
    }
    const double y = isNits() ? f.y : nitsToFootLamberts(f.y);
    ui->lineFlickerY->setText(formatSigFigs(y) + QLatin1Char(' ') + unitsText());
    showIndicators(f.errorCode);
}

void FlickerForm::showIndicators(uint32_t code) {
    ui->ledRangeChanged->setChecked(code & FlickerIndicators::rangeChanged);
    ui->ledInsufficientData->setChecked(code & FlickerIndicators::insufficientData);
    ui->ledOverSaturated->setChecked(code & FlickerIndicators::overSaturated);
}

void FlickerForm::showFlashStats() {
    // "% Diff * Second", shortened so the fields stay readable beside each other.
    const QString unit = QStringLiteral(" %·s");
    auto stat = [&unit](const FlashStats &s, QLineEdit *count, QLineEdit *avg, QLineEdit *std) {
        count->setText(QString::number(s.count));
        avg->setText(s.count ? QString::number(s.mean, 'f', 3) + unit : QString());
        std->setText(s.hasDeviation() ? QString::number(s.deviation(), 'f', 3) + unit : QString());
    };
    for (QLineEdit *f : {ui->linePositiveAverage, ui->lineNegativeAverage, ui->linePositiveStd,
                         ui->lineNegativeStd})
        f->setToolTip(QStringLiteral("% Diff * Second"));
    stat(m_detector.positive(), ui->linePositiveCount, ui->linePositiveAverage,
         ui->linePositiveStd);
    stat(m_detector.negative(), ui->lineNegativeCount, ui->lineNegativeAverage,
         ui->lineNegativeStd);
}

// ---- Flickering ----

void FlickerForm::on_pushFlicker_clicked() {
    if (m_flickering)
        stopFlickering();
    else
        startFlickering();
}

void FlickerForm::startFlickering() {
    if (!m_menu->currentDevice()) {
        ui->pushFlicker->setChecked(false);
        return;
    }
    const int result = m_device->startFlicker(true);
    if (result != 0) {
        ui->pushFlicker->setChecked(false);
        dialogs().warning(this, QStringLiteral("Flicker Error"),
                          flickerStartErrorText(static_cast<uint32_t>(result)));
        return;
    }
    m_flickering = true;
    m_settle = now() + settleMs;
    m_detector.reset();
    showFlashStats();
    ui->pushFlicker->setChecked(true);
    for (int k = 0; k < flickerLogKindCount; ++k) {
        const auto kind = static_cast<FlickerLogKind>(k);
        if (log(kind).armed && !log(kind).running)
            openLog(kind);
    }
}

void FlickerForm::stopFlickering() {
    if (m_menu->currentDevice())
        m_device->stopFlicker();
    m_flickering = false;
    ui->pushFlicker->setChecked(false);
    for (int k = 0; k < flickerLogKindCount; ++k)
        stopLog(static_cast<FlickerLogKind>(k));
}

bool FlickerForm::reportRecordError(const Flicker &f) {
    const QString text = flickerRecordErrorText(f.errorCode);
    if (text.isEmpty())
        return false;
    showIndicators(f.errorCode);
    // One bad record is not the end of a measurement: only an instrument
    // that is gone stops flickering (and with it the logs).
    const bool gone = isUnpluggedCode(f.errorCode);
    if (gone)
        stopFlickering();
    m_inErrorBox = true;
    dialogs().warning(this, QStringLiteral("Measurement Error"), text);
    m_inErrorBox = false;
    if (gone && m_menu->currentDevice())
        m_menu->closePort();
    return true;
}

void FlickerForm::on_flicker(const Flicker &f) {
    // Records queued behind an error stay unshown while its box is open.
    if (m_inErrorBox || !m_flickering)
        return;
    m_record = f;
    m_haveRecord = true;
    if (ui->actionAuto_Lock_Range->isChecked() && f.range >= 1 && f.range <= 6) {
        // The lock settles on the range the instrument is in.
        if (QAction *a = findChild<QAction *>(QStringLiteral("actionRange_%1").arg(f.range)))
            a->setChecked(true);
    }
    if (reportRecordError(f))
        return;
    showRecord(f);
    if (now() >= m_settle)
        logRecord(f);
}

void FlickerForm::closeEvent(QCloseEvent *event) {
    if (m_flickering)
        stopFlickering();
    for (int k = 0; k < flickerLogKindCount; ++k) {
        const auto kind = static_cast<FlickerLogKind>(k);
        log(kind).armed = false;
        logAction(kind)->setChecked(false);
    }
    emit closed();
    QMemoryMainWindow::closeEvent(event);
}
