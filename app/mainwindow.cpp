#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "about.h"
#include "appsettings.h"
#include "blackcal.h"
#include "calselect.h"
#include "chartsetup.h"
#include "chromagamutspec.h"
#include "connectioninfo.h"
#include "createcal.h"
#include "dialogs.h"
#include "genmeasure.h"
#include "helpviewer.h"
#include "measurementcsv.h"
#include "portaccess.h"
#include "portmanager.h"
#include "qcopytable.h"
#include "qdeviceaction.h"
#include "qportmenu.h"
#include "screencal.h"
#include "settings.h"
#include "testpanel.h"
#include "toolwindows.h"
#include "viewmatrix.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QFile>
#include <QHeaderView>
#include <QLabel>

namespace {

constexpr int statusIntervalMs = 250; // ms
constexpr int ireStep = 5;
constexpr int ireEntries = 20; // 5 to 100 IRE

} // namespace

MainWindow::MainWindow(QWidget *parent)
    : QMemoryMainWindow(QStringLiteral("mainwindow"), parent), ui(new Ui::MainWindow),
      m_spec(ChromaGamutSpec::instance()) {
    ui->setupUi(this);
    ui->actionScreen_Calibration->setVisible(isBetaMode());
    // Greyed entries explain themselves in a tip.
    ui->menuCalibration->setToolTipsVisible(true);
    ui->menuSetup->setToolTipsVisible(true);

    // Filled with signals blocked: the stored choices are applied once below.
    {
        const QSignalBlocker units(ui->comboUnits), chart(ui->comboChart), colour(ui->comboColor),
            ire(ui->comboIRE);
        for (int i = 0; i < readoutSetCount; ++i)
            ui->comboUnits->addItem(readoutComboText(i));
        ui->comboChart->addItems(chartNames());
        ui->comboColor->addItems(targetColourNames());
        for (int i = 1; i <= ireEntries; ++i)
            ui->comboIRE->addItem(QStringLiteral("%1 IRE").arg(i * ireStep));
        ui->comboIRE->setCurrentIndex(ireEntries - 1);

        const int storedUnits = windowSettings().value("comboUnits", 0).toInt();
        const int storedChart = windowSettings().value("comboChart", 0).toInt();
        ui->comboUnits->setCurrentIndex(qBound(0, storedUnits, readoutSetCount - 1));
        ui->comboChart->setCurrentIndex(qBound(0, storedChart, ui->comboChart->count() - 1));
    }
    const ReadoutSet &set = readoutSet(ui->comboUnits->currentIndex());
    ui->labelMeasure1->setText(set.shortLabels.at(0));
    ui->labelMeasure2->setText(set.shortLabels.at(1));
    ui->labelMeasure3->setText(set.shortLabels.at(2));
    for (QLineEditResize *line : {ui->lineMeasure1, ui->lineMeasure2, ui->lineMeasure3}) {
        line->setWidthTemplate(set.widthTemplate);
        line->setPlaceholderText(QString::fromLatin1(noValue));
    }
    for (QLabelResize *label : {ui->labelMeasure1, ui->labelMeasure2, ui->labelMeasure3})
        label->setWidthTemplate(QStringLiteral("ΔE00"));
    ui->lineT->setWidthTemplate(QStringLiteral("00000 K"));
    ui->lineduv->setWidthTemplate(QStringLiteral("-0.0000"));
    ui->lineT->setPlaceholderText(QString::fromLatin1(noValue));
    ui->lineduv->setPlaceholderText(QString::fromLatin1(noValue));

    QCopyTable *table = ui->compareTable->table();
    QFont tableFont = table->font();
    tableFont.setPointSizeF(tableFont.pointSizeF() * 0.9);
    table->setFont(tableFont);
    table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    fitCompareTable();

    m_deviceLabel = new QLabel(QStringLiteral("No colorimeter"), this);
    statusBar()->addPermanentWidget(m_deviceLabel);

    ui->splitter->setStretchFactor(0, 1);
    ui->splitter->setStretchFactor(1, 2);
    on_actionRestore_Worksplace_triggered();

    setUpColorimeterMenu();
    setUpReferenceMenu();
    m_tools = new ToolWindows(this, m_portMenu);
    // A hidden mode switched in the Kelvin calculator shows its entries now.
    connect(m_tools, &ToolWindows::hiddenModesChanged, this,
            [this] { ui->actionScreen_Calibration->setVisible(isBetaMode()); });
    // Logs of a run that ended without finishing, once the window is up.
    QTimer::singleShot(0, m_tools, &ToolWindows::recoverInterruptedLogs);

    connect(m_spec, &ChromaGamutSpec::CurrentGamutChanged, this, &MainWindow::setTarget);
    connect(m_spec, &ChromaGamutSpec::videoModeChanged, this, &MainWindow::setTarget);
    connect(m_spec, &ChromaGamutSpec::gammaChanged, this, &MainWindow::setTarget);
    connect(ui->comboColor, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &MainWindow::setTarget);
    connect(ui->comboIRE, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &MainWindow::setTarget);
    setTarget();
    setChart(ui->comboChart->currentIndex());

    connect(&m_statusTimer, &QTimer::timeout, this, &MainWindow::updateStatusBar);
    m_statusTimer.start(statusIntervalMs);
    setWaitingText(PortManager::instance()->isScanning()
                       ? QStringLiteral("Looking for devices")
                       : QStringLiteral("No colorimeter connected"));
    enableForDevice(false);
    clearReadouts();
}

MainWindow::~MainWindow() {
    // The device belongs to the port manager, which outlives every window;
    // closing it here stops its worker before the program ends.
    if (m_device)
        disconnect(m_device, nullptr, this, nullptr);
    if (m_portMenu && m_portMenu->currentDevice())
        m_portMenu->closePort();
    if (m_referenceMenu && m_referenceMenu->currentDevice())
        m_referenceMenu->closePort();
    delete ui;
}

// ---- Set-up ----

void MainWindow::setUpColorimeterMenu() {
    m_portMenu = new QPortMenu(QStringLiteral("Connect Colorimeter"), ui->menuBar);
    m_portMenu->setEnabledMask(RoleColorimeter);
    m_portMenu->setDisabledMask(RoleReference | RoleSpectral);
    // Takes the place of the placeholder in the form, between View and Setup.
    ui->menuBar->insertMenu(ui->menuConnect_Colorimeter->menuAction(), m_portMenu);
    ui->menuBar->removeAction(ui->menuConnect_Colorimeter->menuAction());

    m_device = m_portMenu->device();
    connect(m_device, &GenDevice::connected, this, &MainWindow::openPort);
    connect(m_device, &GenDevice::closed, this, &MainWindow::closePort);
    connect(m_device, &GenMeasure::calfileChanged, this, &MainWindow::calFileChanged);
    connect(m_device, &GenMeasure::measured, this, &MainWindow::on_measure);

    PortManager *manager = PortManager::instance();
    connect(manager, &PortManager::readyToConnect, this, &MainWindow::foundPorts);
    connect(manager, &PortManager::readyToConnect, this, &MainWindow::scanFinished);
    connect(manager, &PortManager::gettingPorts, this, &MainWindow::scanStarted);
    connect(manager, &PortManager::failureToConnect, this, &MainWindow::connectionFailed);
    connect(m_portMenu, &QPortMenu::startingConnection, this, [this](const ConnectionInfo &info) {
        setWaitingText(QStringLiteral("Connecting to %1 %2").arg(info.model, info.serialNumber));
    });
}

void MainWindow::setUpReferenceMenu() {
    m_referenceMenu = new QPortMenu(QStringLiteral("Connect Reference"), ui->menuBar);
    m_referenceMenu->setEnabledMask(RoleReference | RoleSpectral | RoleManual);
    ui->menuBar->insertMenu(ui->menuSetup->menuAction(), m_referenceMenu);
    m_referenceLabel = new QLabel(this);
    statusBar()->addPermanentWidget(m_referenceLabel);
    GenMeasure *reference = m_referenceMenu->device();
    auto show = [this, reference] {
        const bool open = reference->deviceType() != NoDevice;
        m_referenceLabel->setText(
            open ? QStringLiteral("Reference: %1 %2")
                       .arg(reference->model().trimmed(), reference->serialNumber())
                 : QString());
    };
    connect(reference, &GenDevice::connected, this, show);
    connect(reference, &GenDevice::closed, this, show);
}

// Widgets and actions of the device-dependent group.
static void setEnabledOf(QObject *object, bool enabled) {
    if (auto *w = qobject_cast<QWidget *>(object))
        w->setEnabled(enabled);
    else if (auto *a = qobject_cast<QAction *>(object))
        a->setEnabled(enabled);
}

void MainWindow::enableForDevice(bool enabled) {
    for (QObject *o : std::initializer_list<QObject *>{
             ui->pushMeasure, ui->pushONAim, ui->pushOFFAim, ui->pushMeasureFlicker,
             ui->pushChangeProfile, ui->actionSelect_Cal_File, ui->actionView_Cal_Matrix,
             ui->actionBlack_Level_Calibration, ui->actionCreate_Cal_File,
             ui->actionScreen_Calibration})
        setEnabledOf(o, enabled);
}

void MainWindow::lockWhileMeasuring(bool locked) {
    const bool open = m_portMenu && m_portMenu->currentDevice();
    // What is greyed while measuring says why, and what to do.
    const QString why =
        open && locked ? QStringLiteral("Stop measuring (Measure Color) to use this") : QString();
    for (QObject *o : std::initializer_list<QObject *>{
             ui->pushMeasureFlicker, ui->pushChangeProfile, ui->actionSelect_Cal_File,
             ui->actionView_Cal_Matrix, ui->actionBlack_Level_Calibration,
             ui->actionCreate_Cal_File, ui->actionScreen_Calibration}) {
        setEnabledOf(o, open && !locked);
        if (auto *w = qobject_cast<QWidget *>(o))
            w->setToolTip(why);
        else if (auto *a = qobject_cast<QAction *>(o))
            a->setToolTip(why.isEmpty() ? a->text() : why);
    }
}

void MainWindow::setButtons(bool lock) {
    enableForDevice(!lock);
}

// ---- Device ----

void MainWindow::showProfile() {
    m_profileName = m_device->calFileName();
    ui->lineCalFile->setText(
        QStringLiteral("%1: %2").arg(m_device->calFileIndex()).arg(m_profileName));
    ui->lineCalFile->setCursorPosition(0);
    ui->lineCalFile->setToolTip(ui->lineCalFile->text());
}

void MainWindow::applyDeviceSettings() {
    m_device->setSpeed(appSettings().value("torvaSpeed", 0).toInt());
    m_device->setMaxAverage(appSettings().value("torvaMaxAvg", 32).toInt());
}

void MainWindow::openPort() {
    if (!m_portMenu->currentDevice())
        return;
    const QVariant stored = windowSettings().value("lastCalIndex");
    bool isNumber = false;
    const int index = stored.toInt(&isNumber);
    if (stored.isValid() && isNumber)
        m_device->setCalFile(index);
    // Shown also when the stored profile could not be selected: the field
    // must name the profile in force, and Lux units depend on it.
    showProfile();
    enableForDevice(true);
    m_device->setGamutSpec(m_spec->currentGamut().spec);
    applyDeviceSettings();
    ui->pushMeasure->setChecked(m_device->isMeasuring());
    m_statusTimer.stop();
    setStatus(QStringLiteral("Connected to port to: ") + m_device->model());
    m_deviceLabel->setText(
        QStringLiteral("%1  %2  on %3")
            .arg(m_device->model(), m_device->serialNumber(), m_device->portName()));
}

void MainWindow::closePort() {
    clearReadouts();
    enableForDevice(false);
    ui->pushMeasure->setChecked(false);
    ui->lineCalFile->clear();
    m_profileName.clear();
    m_deviceLabel->setText(QStringLiteral("No colorimeter"));
    m_haveLast = false;
    if (!m_statusTimer.isActive()) {
        setWaitingText(QStringLiteral("No colorimeter connected"));
        m_statusTimer.start(statusIntervalMs);
    }
}

void MainWindow::calFileChanged() {
    if (!m_portMenu->currentDevice())
        return;
    showProfile();
    windowSettings().setValue("lastCalIndex", m_device->calFileIndex());
}

void MainWindow::foundPorts() {
    PortManager *manager = PortManager::instance();
    disconnect(manager, &PortManager::readyToConnect, this, &MainWindow::foundPorts);
    const QString last = windowSettings().value("lastTDevice", QString()).toString();
    if (last.isEmpty())
        return;
    const QStringList parts = last.split(QLatin1Char(':'));
    if (parts.size() != 2)
        return;
    for (const ConnectionInfo &info : manager->connections()) {
        if (info.type != TorvaDevice || info.model != parts.at(0) ||
            info.serialNumber != parts.at(1))
            continue;
        // Through the menu's own entry, so the menu shows the connection.
        for (QDeviceAction *action : m_portMenu->deviceActions()) {
            if (action->info().sameAction(info)) {
                action->trigger();
                return;
            }
        }
        return;
    }
}

void MainWindow::scanStarted() {
    if (!m_portMenu->currentDevice() && !m_portMenu->isConnecting())
        setWaitingText(QStringLiteral("Looking for devices"));
}

void MainWindow::scanFinished() {
    if (m_portMenu->currentDevice() || m_portMenu->isConnecting())
        return;
    // A port this account may not open hides the instrument on it: say why,
    // the most useful advice in the status bar and all of it in its tip.
    const QStringList refused = PortManager::instance()->accessProblems();
    statusBar()->setToolTip(refused.join(QLatin1Char('\n')));
    if (refused.isEmpty()) {
        setWaitingText(QStringLiteral("No colorimeter connected: choose one under Connect "
                                      "Colorimeter"));
        return;
    }
    // The permanent label already says no colorimeter is connected.
    QString text = refused.first();
    text[0] = text[0].toUpper();
    if (refused.size() > 1)
        text += QStringLiteral(" (%1 more refused)").arg(refused.size() - 1);
    setWaitingText(text);
}

void MainWindow::connectionFailed(const ConnectionInfo &info) {
    if (m_portMenu->currentDevice())
        return;
    const std::string refused = portPermissionProblem(QFile::encodeName(info.port).toStdString());
    setWaitingText(QStringLiteral("The colorimeter could not be connected") +
                   (refused.empty() ? QString() : ": " + QString::fromStdString(refused)));
}

bool MainWindow::pauseMeasuring() {
    m_wasMeasuring = m_device->isMeasuring();
    if (m_wasMeasuring)
        m_device->stopMeasuring();
    return m_wasMeasuring;
}

void MainWindow::resumeMeasuring(bool wasMeasuring) {
    if (wasMeasuring && m_portMenu->currentDevice())
        m_device->startMeasuring();
    ui->pushMeasure->setChecked(m_device->isMeasuring());
}

// ---- Status bar ----

void MainWindow::setStatus(const QString &message) {
    if (statusBar()->currentMessage() != message)
        statusBar()->showMessage(message);
}

void MainWindow::setWaitingText(const QString &text) {
    m_waitingText = text;
    m_tick = 0;
    if (m_statusTimer.isActive())
        updateStatusBar();
}

void MainWindow::updateStatusBar() {
    setStatus(m_waitingText + QString(m_tick % 4, QLatin1Char('.')));
    ++m_tick;
}

QString MainWindow::statusText() const {
    return statusBar()->currentMessage();
}

// ---- Readouts ----

QString MainWindow::readoutText(int index) const {
    const QLineEditResize *lines[3] = {ui->lineMeasure1, ui->lineMeasure2, ui->lineMeasure3};
    return lines[qBound(0, index, 2)]->text();
}

QString MainWindow::temperatureText() const {
    return ui->lineT->text();
}
QString MainWindow::duvText() const {
    return ui->lineduv->text();
}

QString MainWindow::caption(int index) const {
    const QLabelResize *labels[3] = {ui->labelMeasure1, ui->labelMeasure2, ui->labelMeasure3};
    return labels[qBound(0, index, 2)]->text();
}

static void setIfChanged(QLineEditResize *line, const QString &text) {
    if (line->text() != text)
        line->setText(text);
}

void MainWindow::clearReadouts() {
    for (QLineEditResize *line :
         {ui->lineMeasure1, ui->lineMeasure2, ui->lineMeasure3, ui->lineT, ui->lineduv})
        setIfChanged(line, QString());
}

bool MainWindow::isLuxProfile() {
    return m_profileName.contains(QLatin1String("Lux"));
}

ChartKind MainWindow::currentChart() const {
    return static_cast<ChartKind>(qBound(0, ui->comboChart->currentIndex(), 5));
}

QPointF MainWindow::chartWhite() {
    const GamutSpec spec = m_portMenu && m_portMenu->currentDevice() ? m_device->gamutSpec()
                                                                     : m_spec->currentGamut().spec;
    return QPointF(spec.whiteX, spec.whiteY);
}

void MainWindow::showReading(const Measurement &m) {
    const int units = ui->comboUnits->currentIndex();
    ReadoutContext context;
    context.nits = isNits();
    context.luxProfile = isLuxProfile();
    for (int i = 0; i < 3; ++i)
        context.target.percent[i] = m_target.percent[i];
    context.target.measurement = m_target.measurement;
    // The reading carries the standard the colorimeter computed it in.
    context.deviceSpec = m.gamutSpec;

    const ReadoutTexts texts = formatReadouts(m, units, context);
    setIfChanged(ui->lineMeasure1, texts.value[0]);
    setIfChanged(ui->lineMeasure2, texts.value[1]);
    setIfChanged(ui->lineMeasure3, texts.value[2]);
    setIfChanged(ui->lineT, texts.temperature);
    setIfChanged(ui->lineduv, texts.duv);

    if (isBelowResolution(m)) {
        // Nothing to plot: a point of noise would pass for a colour, and
        // the last real one for the present.
        if (currentChart() == ChartKind::Bars)
            plotReading(ui->graphBox, ChartKind::Bars, m, {100.0, 100.0, 100.0});
        else if (!ui->graphBox->plots().isEmpty() &&
                 !ui->graphBox->plots().first().points.isEmpty()) {
            ui->graphBox->setXPlotPoint(0, 0, qQNaN());
            ui->graphBox->setYPlotPoint(0, 0, qQNaN());
        }
        return;
    }
    const std::array<double, 3> bars = barValues(m, units, context.target);
    if (isUnstableReading(m)) {
        setStatus(lowLightUnstableText(m.avgCount));
        if (currentChart() == ChartKind::Bars)
            plotReading(ui->graphBox, ChartKind::Bars, m, bars);
        return;
    }
    plotReading(ui->graphBox, currentChart(), m, bars);
}

void MainWindow::on_measure(const Measurement &m) {
    ++m_readingCount;
    // Readings queued behind an error stay unshown while its box is open.
    if (m_inErrorBox)
        return;
    const uint32_t remaining =
        remainingErrors(m.errorCode, ui->actionAiming_Light_Error->isChecked(),
                        ui->actionRange_Cal_Error->isChecked());
    if (!isAcceptedErrorCode(remaining)) {
        m_haveLast = false;
        m_device->stopMeasuring();
        ui->pushMeasure->setChecked(false);
        lockWhileMeasuring(false);
        m_inErrorBox = true;
        dialogs().warning(this, QStringLiteral("Measurement Error"),
                          measurementErrorText(remaining));
        m_inErrorBox = false;
        return;
    }
    if (isBelowResolution(m)) {
        // Said as such, never as numbers; and not kept for saving.
        m_haveLast = false;
        showReading(m);
        ui->graphBox->setLuminanceComparison(0, 0);
        setStatus(tooDarkText(isNits()));
        return;
    }
    if (m.x == 0) {
        m_haveLast = false;
        return;
    }
    if (m.avgCount >= 2)
        setStatus(lowLightAveragingText(m.avgCount));
    else
        setStatus(QString());

    showReading(m);
    if (isUnstableReading(m))
        return;

    // The luminance the target should have, for the chart and the table to compare.
    ui->graphBox->setLuminanceComparison(m.bigY, m_target.expectedLuminance);
    ui->compareTable->setExpectedLuminance(m_target.expectedLuminance);
    ui->compareTable->setMeasurement(m, {ui->comboColor->currentText(), m_target.colour}, false);
    m_last = m;
    m_haveLast = true;
    if (ui->actionSave_Next_Measurement->isChecked())
        saveMeasurement(m);
}

// ---- Target and chart ----

void MainWindow::setTarget() {
    TargetColour colour = TargetColour::White;
    targetColourFromName(ui->comboColor->currentText(), colour);
    m_targetColour = colour;
    const double level = (ui->comboIRE->currentIndex() + 1) * ireStep;
    m_target = computeTarget(colour, level, *m_spec);

    const QColor c = m_target.colour;
    ui->colorTarget->setStyleSheet(
        QStringLiteral("QLabel { background-color: %1; border: 1px solid #808890; "
                       "border-radius: 3px; }")
            .arg(c.name()));
    ui->colorTarget->setToolTip(QStringLiteral("Target colour: R %1, G %2, B %3")
                                    .arg(c.red())
                                    .arg(c.green())
                                    .arg(c.blue()));
    emit updateColor(c);

    const GamutSpec &spec = m_spec->currentGamut().spec;
    ui->graphBox->setGamutSpec(spec);
    if (m_portMenu && m_portMenu->currentDevice())
        m_device->setGamutSpec(spec);

    // One column per target colour at this level; a column keeps its last
    // reading until the level or the video range changes.
    QList<QCompareTable::Column> columns;
    for (const QString &name : targetColourNames()) {
        TargetColour tc;
        targetColourFromName(name, tc);
        columns.append({name, computeTarget(tc, level, *m_spec).colour});
    }
    if (columns != ui->compareTable->columns())
        ui->compareTable->setColumns(columns);

    const ChartKind chart = currentChart();
    if (chart == ChartKind::Magnified1931 || chart == ChartKind::Magnified1976)
        ui->graphBox->setMagnifiedCenter(chartWhite());
    if (m_haveLast)
        showReading(m_last);
}

void MainWindow::setChart(int chart) {
    const ChartKind kind = static_cast<ChartKind>(qBound(0, chart, 5));
    setupChart(ui->graphBox, kind, ui->comboUnits->currentIndex() == ReadHsv, chartWhite());
    const bool xy = kind != ChartKind::CIE1976 && kind != ChartKind::Magnified1976;
    ui->compareTable->setChart(xy);
}

void MainWindow::on_comboChart_currentIndexChanged(int index) {
    windowSettings().setValue("comboChart", index);
    setChart(index);
    if (m_haveLast)
        showReading(m_last);
}

void MainWindow::on_comboUnits_currentIndexChanged(int index) {
    windowSettings().setValue("comboUnits", index);
    const ReadoutSet &set = readoutSet(index);
    ui->labelMeasure1->setText(set.shortLabels.at(0));
    ui->labelMeasure2->setText(set.shortLabels.at(1));
    ui->labelMeasure3->setText(set.shortLabels.at(2));
    for (QLineEditResize *line : {ui->lineMeasure1, ui->lineMeasure2, ui->lineMeasure3})
        line->setWidthTemplate(set.widthTemplate);
    clearReadouts();
    if (set.chart >= 0 && set.chart != ui->comboChart->currentIndex()) {
        const QSignalBlocker block(ui->comboChart);
        ui->comboChart->setCurrentIndex(set.chart);
        windowSettings().setValue("comboChart", set.chart);
    }
    // Also when the chart stays: the bars are labelled by the readout set.
    setChart(ui->comboChart->currentIndex());
    if (m_haveLast)
        showReading(m_last);
}

// ---- Buttons ----

void MainWindow::on_pushMeasure_clicked() {
    if (!m_portMenu->currentDevice()) {
        ui->pushMeasure->setChecked(false);
        return;
    }
    if (m_device->isMeasuring()) {
        m_device->stopMeasuring();
        lockWhileMeasuring(false);
    } else {
        setChart(ui->comboChart->currentIndex());
        setStatus(QString());
        lockWhileMeasuring(true);
        m_device->startMeasuring();
    }
    ui->pushMeasure->setChecked(m_device->isMeasuring());
}

void MainWindow::on_pushONAim_clicked() {
    const bool wasMeasuring = m_device->isMeasuring();
    if (wasMeasuring) {
        m_device->stopMeasuring();
        ui->pushMeasure->setChecked(false);
        lockWhileMeasuring(false);
    }
    m_device->setAimingLight(true);
    if (wasMeasuring)
        dialogs().warning(this, QStringLiteral("Aiming Lights"),
                          QStringLiteral("Measurement has been interrupted by aiming light "
                                         "activation."));
}

void MainWindow::on_pushOFFAim_clicked() {
    m_device->setAimingLight(false);
}

// ---- Menu actions ----

void MainWindow::on_actionExit_triggered() {
    close();
}

void MainWindow::on_actionDevices_Setup_triggered() {
    Settings dialog(this);
    connect(&dialog, &Settings::updateSettings, this, &MainWindow::updateSettings);
    dialog.exec();
}

void MainWindow::updateSettings() {
    const bool was = pauseMeasuring();
    if (m_portMenu->currentDevice())
        applyDeviceSettings();
    resumeMeasuring(was);
    // The manager reads which optional devices are offered at each scan.
    PortManager::instance()->findPorts();
    ui->maxBigY->updateMaxBigY();
    if (m_haveLast)
        showReading(m_last);
}

void MainWindow::on_actionBlackBody_Curve_triggered() {
    ui->graphBox->setBlackBodyCurve(ui->actionBlackBody_Curve->isChecked());
    ui->graphBox->updateGraph();
}

void MainWindow::on_actionFull_Scale_Lines_triggered() {
    ui->graphBox->setFullScaleLines(ui->actionFull_Scale_Lines->isChecked());
    ui->graphBox->updateGraph();
}

void MainWindow::on_actionRestore_Worksplace_triggered() {
    const int first = width() / 3;
    ui->splitter->setSizes({first, width() - first});
}

void MainWindow::on_actionHelp_File_triggered() {
    if (!m_help)
        m_help = new HelpViewer(this);
    m_help->show();
    m_help->raise();
    m_help->activateWindow();
}

void MainWindow::on_actionAbout_triggered() {
    About about(this);
    about.exec();
}

// ---- Tools ----

void MainWindow::on_actionKelvin_Calculator_triggered() {
    m_tools->showKelvin();
}

void MainWindow::on_actionTest_Color_Batch_triggered() {
    m_tools->showTestColorBatch();
}

void MainWindow::on_actionDisplay_Correction_triggered() {
    m_tools->showDisplayCorrection();
}

void MainWindow::on_actionSpectral_Scan_triggered() {
    m_tools->showSpectralScan();
}

void MainWindow::on_actionLogging_Tool_triggered() {
    m_tools->showLogging();
}

void MainWindow::on_actionScreen_Calibration_triggered() {
    if (!m_screenCal)
        m_screenCal = new ScreenCal(m_portMenu, this);
    m_screenCal->show();
    m_screenCal->raise();
}

void MainWindow::on_actionReports_triggered() {
    m_tools->showPrePostReport();
}

void MainWindow::on_actionTest_Panel_triggered() {
    connect(this, &MainWindow::updateColor, m_tools->testPanel(), &TestPanel::updateColor,
            Qt::UniqueConnection);
    m_tools->showTestPanel();
    setTarget(); // hands the panel the current target at once
}

void MainWindow::on_pushTestPanle_clicked() {
    on_actionTest_Panel_triggered();
}

void MainWindow::on_pushMeasureFlicker_clicked() {
    // The colorimeter streams flicker or measures colour, not both.
    if (m_device->isMeasuring()) {
        m_device->stopMeasuring();
        ui->pushMeasure->setChecked(false);
        lockWhileMeasuring(false);
    }
    m_tools->showFlicker();
}

// ---- Calibration ----

void MainWindow::on_pushChangeProfile_clicked() {
    on_actionSelect_Cal_File_triggered();
}

void MainWindow::on_actionSelect_Cal_File_triggered() {
    delete m_calSelect; // shows the list as it is now
    m_calSelect = new CalSelect(m_device, this);
    m_calSelect->setAttribute(Qt::WA_DeleteOnClose);
    ToolWindows::present(m_calSelect);
}

void MainWindow::on_actionView_Cal_Matrix_triggered() {
    ViewMatrix(m_device, this).exec();
}

void MainWindow::on_actionBlack_Level_Calibration_triggered() {
    if (!m_blackCal)
        m_blackCal = new BlackCal(m_device, this);
    ToolWindows::present(m_blackCal);
}

void MainWindow::on_actionCreate_Cal_File_triggered() {
    if (!m_createCal) {
        auto *window = new CreateCal(m_portMenu, m_referenceMenu, this);
        connect(window, &CreateCal::helpRequested, this, &MainWindow::on_actionHelp_File_triggered);
        m_createCal = window;
    }
    ToolWindows::present(m_createCal);
}

// ---- Saving ----

void MainWindow::saveMeasurement(const Measurement &m) {
    ui->actionSave_Next_Measurement->setChecked(false);
    const bool was = pauseMeasuring();
    const QString path = dialogs().getSaveFileName(this, QStringLiteral("Save Measure"), QString(),
                                                   QStringLiteral("CSV (*.csv)"));
    if (!path.isEmpty()) {
        const QString title = QStringLiteral("Measurement Save");
        switch (appendMeasurementCsv(path, m, QDateTime::currentDateTime())) {
        case CsvAppendResult::Appended:
            break;
        case CsvAppendResult::CannotOpenReadWrite:
            dialogs().warning(this, title,
                              QStringLiteral("The file you have selected couldn't be open.1"));
            break;
        case CsvAppendResult::CannotOpenAppend:
            dialogs().warning(this, title,
                              QStringLiteral("The file you have selected couldn't be open.2"));
            break;
        case CsvAppendResult::WriteFailed:
            dialogs().warning(this, title,
                              QStringLiteral("The measurement could not be written completely to "
                                             "the file you have selected."));
            break;
        }
    }
    resumeMeasuring(was);
}

// ---- Closing ----

void MainWindow::closeEvent(QCloseEvent *event) {
    GenMeasure *open = m_portMenu->currentDevice();
    windowSettings().setValue(
        "lastTDevice", open ? open->model() + QLatin1Char(':') + open->serialNumber() : QString());
    QMemoryMainWindow::closeEvent(event);
}

// ---- Demo ----

bool MainWindow::isDemoReady() const {
    return m_portMenu->currentDevice() && ui->pushMeasure->isEnabled();
}

bool MainWindow::startDemoMeasuring() {
    if (!m_device->isMeasuring())
        on_pushMeasure_clicked();
    return m_device->isMeasuring();
}

QString MainWindow::demoReadouts() const {
    if (!m_haveLast)
        return QString();
    QStringList parts;
    for (int i = 0; i < 3; ++i)
        parts << caption(i) + QLatin1Char(' ') + readoutText(i);
    parts << QStringLiteral("T ") + temperatureText() << QStringLiteral("duv ") + duvText();
    return parts.join(QStringLiteral("  |  "));
}

// ---- Layout ----

void MainWindow::fitCompareTable() {
    // All seven rows without a scroll bar, at whatever row height the theme
    // gives the header sections.
    QCopyTable *table = ui->compareTable->table();
    QHeaderView *rows = table->verticalHeader();
    rows->setDefaultSectionSize(
        qMax(QFontMetrics(table->font()).height() + 6, rows->minimumSectionSize()));
    const int header = table->horizontalHeader()->sizeHint().height();
    ui->compareTable->setFixedHeight(header + rows->length() + 2 * table->frameWidth() + 2);
}

void MainWindow::showEvent(QShowEvent *event) {
    QMemoryMainWindow::showEvent(event);
    fitCompareTable();
}

void MainWindow::changeEvent(QEvent *event) {
    QMemoryMainWindow::changeEvent(event);
    if (event->type() == QEvent::StyleChange || event->type() == QEvent::FontChange)
        fitCompareTable();
}
