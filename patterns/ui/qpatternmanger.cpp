#include "qpatternmanger.h"

#include "ui_qpatternmanger.h"

#include "appsettings.h"
#include "dialogs.h"
#include "genfactory.h"
#include "genmeasure.h"
#include "genpattern.h"
#include "measuringcountdown.h"
#include "patternsequence.h"
#include "pcpatterngen.h"
#include "portmanager.h"
#include "qcolorwidget.h"
#include "qdeviceaction.h"
#include "sequencetexts.h"

#include <QApplication>
#include <QDir>
#include <QGridLayout>
#include <QImage>
#include <QRegularExpression>
#include <QScreen>
#include <QWindow>

namespace {

const char *const noGenerator = "No Pattern Generator Selected";
const char *const screenLabel = "PC Pattern Gen  Screen: 1";
constexpr int maxAverageChoice = 126;
constexpr int defaultAverageIndex = 8;
constexpr int swatchColumns = 8;
constexpr int swatchSize = 40; // px

enum CheckerLayout { TwoByTwo, FiveByFive, TenByTen, VerticalLines, HorizontalLines };

void warnNoGenerator(QWidget *parent) {
    dialogs().warning(parent, QStringLiteral("Pattern Generator"),
                      QStringLiteral("You need to first select a Pattern Generator."),
                      QMessageBox::Ok, QMessageBox::NoButton);
}

QString swatchStyle(const QColor &c) {
    return QStringLiteral("QWidget {background-color: ") + c.name() + QStringLiteral("; }");
}

// The border of checked buttons in the application's theme, so a selected
// swatch looks like a pressed button.
QString highlightBorder() {
    const QString sheet = qApp->styleSheet();
    const QRegularExpression block(QStringLiteral("QPushButton:checked\\s*\\{([^}]*)\\}"));
    const QRegularExpressionMatch m = block.match(sheet);
    if (m.hasMatch()) {
        const QString body = m.captured(1);
        const int at = body.indexOf(QLatin1String("border"));
        if (at >= 0) {
            const int end = body.indexOf(QLatin1Char(';'), at);
            return body.mid(at, end < 0 ? -1 : end - at + 1);
        }
    }
    return QStringLiteral("border: 3px solid #3daee9;");
}

} // namespace

QPatternManger::QPatternManger(QWidget *parent)
    : QWidget(parent), ui(new Ui::QPatternManger), m_sequence(new PatternSequence(this)),
      m_countdown(new MeasuringCountdown(this)), m_ports(PortManager::instance()) {
    ui->setupUi(this);
    QSettings &s = appSettings();

    ui->comboAverages->addItem(QStringLiteral("Auto Average Low light"));
    for (int i = 1; i <= maxAverageChoice; ++i)
        ui->comboAverages->addItem(QString::number(i));
    ui->comboAverages->setCurrentIndex(defaultAverageIndex);
    m_sequence->setMaxAverage(ui->spinMaxAverages->value());
    connect(ui->spinMaxAverages, QOverload<int>::of(&QSpinBox::valueChanged), m_sequence,
            &PatternSequence::setMaxAverage);

    const QSignalBlocker blockTime(ui->doubleStableTime);
    ui->doubleStableTime->setValue(s.value("stableTime", 8.0).toDouble());
    m_sequence->setStableTime(ui->doubleStableTime->value());

    for (int i = 0; i < sequencetexts::patchSizeCount; ++i)
        ui->comboPatchSize->addItem(sequencetexts::patchSizeLabel(i, 0, 0));
    ui->comboPatchSize->setCurrentIndex(
        qBound(0, s.value("patchSize", sequencetexts::defaultPatchSize).toInt(),
               sequencetexts::patchSizeCount - 1));
    {
        const QSignalBlocker blockWindow(ui->spinWindow);
        ui->spinWindow->setValue(qBound(0, s.value("patchWindow", 0).toInt(), 100));
    }
    {
        const QSignalBlocker blockTabs(ui->tabWidget);
        ui->tabWidget->setCurrentIndex(s.value("patternIndex", 0).toInt());
    }
    ui->comboChecker->setCurrentIndex(qBound(0, s.value("Checker", 1).toInt(), 4));
    ui->lineImagePath->setText(s.value("imageFile", QString()).toString());
    // The preview is a strip beside its button, also when no swatches fill
    // the tab below it.
    ui->labelPreview->setMaximumHeight(ui->pushColorPatch->sizeHint().height());
    ui->layoutColor->addStretch(0);
    ui->layoutColor->setStretchFactor(ui->scrollSwatches, 1);
    // Nothing run yet: no "0%" either.
    ui->progressRun->setFormat(QString());
    ui->progressPatch->setFormat(QString());
    auto *swatchGrid = new QGridLayout(ui->widgetSwatches);
    swatchGrid->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    ui->scrollSwatches->hide();

    m_sequence->setProblemHandler([this](const patchcheck::Problem &p) { return askOperator(p); });
    connect(m_sequence, &PatternSequence::Measured, this,
            [this](const Measurement &m, int tag, int index) {
                ++m_measured;
                emit Measured(m, static_cast<measureDevice>(tag), index);
            });
    connect(m_sequence, &PatternSequence::Aborted, this,
            [this](int tag) { emit Aborted(static_cast<measureDevice>(tag)); });
    connect(m_sequence, &PatternSequence::finished, this,
            [this](int tag) { emit finished(static_cast<measureDevice>(tag)); });
    connect(m_sequence, &PatternSequence::isRunningChanged, this, [this](bool running) {
        setControlsEnabled(!running);
        ui->pushStop->setEnabled(running);
        emit isRunning(running);
    });
    connect(m_sequence, &PatternSequence::changedColor, this, [this] {
        const QColor c = m_sequence->currentColor();
        ui->labelPreview->setStyleSheet(QStringLiteral("Background-Color: rgb(%1, %2, %3)")
                                            .arg(c.red())
                                            .arg(c.green())
                                            .arg(c.blue()));
        emit changedColor();
    });
    connect(m_sequence, &PatternSequence::changedColorIndex, this, [this](int index) {
        highlightSwatch(index);
        emit changedColorIndex(index);
    });
    connect(m_sequence, &PatternSequence::progress, this, &QPatternManger::showProgress);
    connect(m_sequence, &PatternSequence::busy, this,
            [this] { ui->progressPatch->setRange(0, 0); });
    connect(m_sequence, &PatternSequence::measuring, this,
            [this](int ms) { m_countdown->start(ui->progressPatch, ms); });
    connect(m_sequence, &PatternSequence::generatorMissing, this, [this] {
        warnNoGenerator(this);
        deselectGenerator();
    });
    connect(m_sequence, &PatternSequence::patchStarting, this, &QPatternManger::stepAside);
    connect(m_sequence, &PatternSequence::runEnded, this, [this](bool completed) {
        comeBack();
        const int count = m_sequence->colors().size();
        if (completed)
            m_summary = QStringLiteral("Run finished: all %1 patches measured").arg(count);
        else
            m_summary = QStringLiteral("Run %1: %2 of %3 patches measured")
                            .arg(m_stopped ? QStringLiteral("stopped") : QStringLiteral("ended"))
                            .arg(m_measured)
                            .arg(count);
        ui->progressRun->setFormat(m_summary);
        ui->progressPatch->setRange(0, 1);
        ui->progressPatch->setValue(0);
        ui->progressPatch->setFormat(QString());
        emit runEnded(m_summary);
    });

    connect(m_ports, &PortManager::gettingPorts, this, &QPatternManger::findingPorts);
    connect(m_ports, &PortManager::updateMenus, this, &QPatternManger::foundPorts);
    if (m_ports->isScanning())
        findingPorts();
    else
        foundPorts();
}

QPatternManger::~QPatternManger() {
    m_sequence->abort();
    delete ui;
}

void QPatternManger::setColors(const QList<QColor> &list) {
    m_sequence->setColors(list);
    showSwatches(list);
}

void QPatternManger::setCodes(const QList<Codes> &codes, const CodeRange &range) {
    m_sequence->setCodes(codes, range);
    showSwatches(m_sequence->colors());
}

void QPatternManger::showSwatches(const QList<QColor> &list) {
    qDeleteAll(m_swatches);
    m_swatches.clear();
    auto *grid = static_cast<QGridLayout *>(ui->widgetSwatches->layout());
    for (int i = 0; i < list.size(); ++i) {
        auto *swatch = new QColorWidget(ui->widgetSwatches);
        swatch->setStyleSheet(swatchStyle(list.at(i)));
        swatch->setFixedSize(swatchSize, swatchSize);
        connect(swatch, &QColorWidget::clicked, this, &QPatternManger::clickedColor);
        grid->addWidget(swatch, i / swatchColumns, i % swatchColumns);
        m_swatches.append(swatch);
    }
    ui->scrollSwatches->setVisible(!list.isEmpty());
}

QList<QColor> QPatternManger::colors() const {
    return m_sequence->colors();
}

void QPatternManger::start(GenMeasure *device, measureDevice tag) {
    if (m_sequence->isRunning())
        return;
    ui->progressRun->setValue(0);
    ui->progressPatch->setValue(0);
    m_measured = 0;
    m_stopped = false;
    if (!m_sequence->start(device, tag))
        return;
    ui->tabWidget->setCurrentIndex(0);
}

bool QPatternManger::abort() {
    const bool stopping = m_sequence->abort();
    m_stopped = m_stopped || stopping;
    return stopping;
}

void QPatternManger::on_pushStop_clicked() {
    if (abort())
        ui->progressRun->setFormat(QStringLiteral("Stopping..."));
}

void QPatternManger::selectColor(int index) {
    m_sequence->selectColor(index, true);
}

void QPatternManger::setMaxColor(int max) {
    m_sequence->setMaxColor(max);
}

void QPatternManger::selectScreenGenerator() {
    const int at = ui->comboGenerator->findText(QLatin1String(screenLabel));
    if (at < 0)
        return;
    ui->comboGenerator->setCurrentIndex(at);
    on_comboGenerator_activated(at);
}

void QPatternManger::setTab(int index) {
    ui->tabWidget->setCurrentIndex(index);
}

int QPatternManger::currentIndex() const {
    return m_sequence->currentIndex();
}

GenPattern *QPatternManger::generator() const {
    return m_generator;
}

bool QPatternManger::generatorConnected() const {
    return m_generator && m_generator->isConnected();
}

bool QPatternManger::isRunning() const {
    return m_sequence->isRunning();
}

patchcheck::Answer QPatternManger::askOperator(const patchcheck::Problem &p) {
    m_countdown->stop(); // the measurement is over
    comeBack();
    QMessageBox::StandardButtons buttons;
    for (patchcheck::Answer a : p.choices) {
        buttons |= a == patchcheck::Retry    ? QMessageBox::Retry
                   : a == patchcheck::Ignore ? QMessageBox::Ignore
                                             : QMessageBox::Abort;
    }
    const QMessageBox::StandardButton b =
        dialogs().warning(this, p.title, p.text, buttons, QMessageBox::Abort);
    stepAside();
    if (b == QMessageBox::Retry)
        return patchcheck::Retry;
    if (b == QMessageBox::Ignore)
        return patchcheck::Ignore;
    return patchcheck::Abort;
}

void QPatternManger::showProgress(int elapsedMs, bool finished) {
    m_countdown->stop(); // a new patch, or the end of the run
    const int count = m_sequence->colors().size();
    const int patchMs = static_cast<int>(m_sequence->stableTime() * 1000);
    ui->progressPatch->setRange(0, patchMs);
    ui->progressRun->setRange(0, patchMs * count);
    if (finished) {
        ui->progressRun->setFormat(sequencetexts::patchCounter(count, count));
        ui->progressRun->setValue(ui->progressRun->maximum());
        ui->progressPatch->setFormat(QString());
        ui->progressPatch->setValue(0);
        return;
    }
    if (elapsedMs == 0) {
        ui->progressRun->setFormat(QString());
        ui->progressPatch->setFormat(QString());
    } else {
        const int index = m_sequence->currentIndex();
        ui->progressRun->setFormat(sequencetexts::patchCounter(index, count));
        ui->progressPatch->setFormat(
            sequencetexts::stabilisingText(m_sequence->stableTime() - elapsedMs * 0.001));
        ui->progressRun->setValue(index * patchMs + elapsedMs);
    }
    ui->progressPatch->setValue(elapsedMs);
}

void QPatternManger::highlightSwatch(int index) {
    for (int i = 0; i < m_swatches.size(); ++i)
        m_swatches[i]->setStyleSheet(swatchStyle(m_sequence->colors().value(i)));
    if (index < 0 || index >= m_swatches.size())
        return;
    QString style = m_swatches[index]->styleSheet();
    style.chop(1);
    m_swatches[index]->setStyleSheet(style + highlightBorder() + QStringLiteral(" }"));
}

void QPatternManger::clickedColor(QWidget *swatch) {
    const int index = m_swatches.indexOf(static_cast<QColorWidget *>(swatch));
    if (index >= 0)
        selectColor(index);
}

// Generator selection

void QPatternManger::findingPorts() {
    const QSignalBlocker block(ui->comboGenerator);
    ui->comboGenerator->clear();
    ui->comboGenerator->addItem(QStringLiteral("Please wait while finding devices"));
    ui->pushRescan->startSpinner();
}

void QPatternManger::foundPorts() {
    ui->pushRescan->stopSpinner();
    const QSignalBlocker block(ui->comboGenerator);
    ui->comboGenerator->clear();
    ui->comboGenerator->addItem(QLatin1String(noGenerator));
    for (const ConnectionInfo &e : m_ports->connections()) {
        if (e.type == PatternGenerator)
            ui->comboGenerator->addItem(deviceLabel(e));
    }
    int keep = 0;
    if (generatorConnected())
        keep = ui->comboGenerator->findText(deviceLabel(ConnectionInfo(m_generator)));
    ui->comboGenerator->setCurrentIndex(qMax(0, keep));
}

void QPatternManger::on_pushRescan_clicked() {
    m_ports->findPorts();
}

void QPatternManger::deselectGenerator() {
    {
        const QSignalBlocker block(ui->comboGenerator);
        ui->comboGenerator->setCurrentIndex(0);
    }
    GenPattern *g = m_generator;
    m_generator = nullptr;
    m_sequence->setGenerator(nullptr);
    if (g) {
        disconnect(g, nullptr, this, nullptr);
        if (g->isConnected())
            m_ports->closeDevice(g, false);
    }
    refreshSizeTexts();
}

void QPatternManger::on_comboGenerator_activated(int index) {
    if (index <= 0) {
        deselectGenerator();
        return;
    }
    const QString label = ui->comboGenerator->itemText(index);
    deselectGenerator();
    for (const ConnectionInfo &e : m_ports->connections()) {
        if (e.type != PatternGenerator || deviceLabel(e) != label)
            continue;
        m_pending = e;
        if (!m_listening) {
            connect(m_ports, &PortManager::connected, this, &QPatternManger::managerConnected);
            connect(m_ports, &PortManager::failureToConnect, this, &QPatternManger::managerFailed);
            m_listening = true;
        }
        // The screen window must be made on this thread.
        const bool inThread =
            !(e.factory && e.factory->name() == QLatin1String(DeviceNames::pcPattern));
        m_ports->connectDevice(e, inThread);
        return;
    }
}

void QPatternManger::managerConnected(GenDevice *device) {
    raise();
    auto *g = qobject_cast<GenPattern *>(device);
    if (!g || !m_pending.matches(device)) {
        if (g)
            m_ports->closeDevice(g, false); // an earlier selection arriving late
        return;
    }
    disconnect(m_ports, &PortManager::connected, this, &QPatternManger::managerConnected);
    disconnect(m_ports, &PortManager::failureToConnect, this, &QPatternManger::managerFailed);
    m_listening = false;
    m_generator = g;
    m_sequence->setGenerator(g);
    if (QWidget *top = window())
        top->raise();
    {
        const QSignalBlocker block(ui->comboGenerator);
        const int at = ui->comboGenerator->findText(deviceLabel(ConnectionInfo(device)));
        if (at >= 0)
            ui->comboGenerator->setCurrentIndex(at);
    }
    refreshSizeTexts();
    g->setColor(m_sequence->currentColor());
    applyChecker(appSettings().value("Checker", 1).toInt());
    g->setBoxSize(m_patchRect);
    const QString image = appSettings().value("imageFile", QString()).toString();
    if (!image.isEmpty())
        g->sendImage(QImage(image));
    m_sequence->setMaxColor(m_sequence->maxColor());
    connect(g, &GenDevice::closed, this, &QPatternManger::portClosed);
    connect(g, &GenPattern::infoChanged, this, &QPatternManger::patternGenInfoChanged);
    applyTabPattern(ui->tabWidget->currentIndex());
}

void QPatternManger::managerFailed(const ConnectionInfo &info) {
    if (!info.sameAction(m_pending))
        return;
    disconnect(m_ports, &PortManager::connected, this, &QPatternManger::managerConnected);
    disconnect(m_ports, &PortManager::failureToConnect, this, &QPatternManger::managerFailed);
    m_listening = false;
    deselectGenerator();
}

void QPatternManger::portClosed() {
    deselectGenerator();
}

void QPatternManger::patternGenInfoChanged() {
    refreshSizeTexts();
}

void QPatternManger::refreshSizeTexts() {
    const int w = m_generator ? m_generator->width : 0;
    const int h = m_generator ? m_generator->height : 0;
    for (int i = 0; i < sequencetexts::patchSizeCount; ++i)
        ui->comboPatchSize->setItemText(i, sequencetexts::patchSizeLabel(i, w, h));
    const int window = ui->spinWindow->value();
    ui->comboPatchSize->setEnabled(window == 0 && ui->spinWindow->isEnabled());
    m_patchRect = window > 0 ? sequencetexts::windowRect(window, w, h)
                             : sequencetexts::patchRect(ui->comboPatchSize->currentIndex(), w, h);
    ui->spinWindow->setToolTip(
        window > 0 ? sequencetexts::windowLabel(window, w, h)
                   : QStringLiteral("A centred box of this share of the screen's area on black, "
                                    "in place of the patch size. HDR displays dim large bright "
                                    "areas: measure them in 10 % or 18 % windows."));
}

void QPatternManger::on_spinWindow_valueChanged(int percent) {
    refreshSizeTexts();
    if (m_generator)
        m_generator->setBoxSize(m_patchRect);
    appSettings().setValue("patchWindow", percent);
}

// Settings of the run

void QPatternManger::on_doubleStableTime_valueChanged(double seconds) {
    m_sequence->setStableTime(seconds);
    appSettings().setValue("stableTime", seconds);
}

void QPatternManger::on_comboAverages_currentIndexChanged(int index) {
    m_sequence->setAverages(index);
    ui->spinMaxAverages->setEnabled(index == 0);
}

void QPatternManger::on_comboPatchSize_activated(int index) {
    refreshSizeTexts();
    if (m_generator)
        m_generator->setBoxSize(m_patchRect);
    appSettings().setValue("patchSize", index);
}

// Manual patterns

bool QPatternManger::manualPattern() {
    if (m_sequence->isRunning())
        return false;
    emit stopColor();
    return m_generator != nullptr;
}

void QPatternManger::applyChecker(int layout) {
    if (!m_generator)
        return;
    const int w = m_generator->width;
    const int h = m_generator->height;
    switch (layout) {
    case TwoByTwo:
        m_generator->setCheckerBoardPattern(2, 2);
        break;
    case TenByTen:
        m_generator->setCheckerBoardPattern(10, 10);
        break;
    case VerticalLines:
        m_generator->setCheckerBoardPattern(w, 1);
        break;
    case HorizontalLines:
        m_generator->setCheckerBoardPattern(1, h);
        break;
    default:
        m_generator->setCheckerBoardPattern(5, 5);
        break;
    }
}

void QPatternManger::applyTabPattern(int tab) {
    if (!m_generator)
        return;
    static const int tabPatterns[] = {PCPatternGen::ColorPatch, PCPatternGen::CheckerBoard,
                                      PCPatternGen::BrightCells, PCPatternGen::ShowImage};
    m_generator->setPattern(tabPatterns[qBound(0, tab, 3)]);
}

void QPatternManger::on_tabWidget_currentChanged(int index) {
    appSettings().setValue("patternIndex", index);
    if (m_sequence->isRunning())
        return;
    if (index != 0)
        emit stopColor();
    applyTabPattern(index);
}

void QPatternManger::on_pushColorPatch_clicked() {
    if (m_sequence->isRunning() || !m_generator)
        return;
    m_generator->setColor(m_sequence->currentColor());
    m_generator->setPattern(PCPatternGen::ColorPatch);
}

void QPatternManger::on_pushVerticalBars_clicked() {
    if (!manualPattern())
        return;
    applyChecker(VerticalLines);
    m_generator->setPattern(PCPatternGen::CheckerBoard);
    ui->comboChecker->setCurrentIndex(VerticalLines); // the combo names what is shown
    appSettings().setValue("Checker", static_cast<int>(VerticalLines));
}

void QPatternManger::on_pushHorizontalBars_clicked() {
    if (!manualPattern())
        return;
    applyChecker(HorizontalLines);
    m_generator->setPattern(PCPatternGen::CheckerBoard);
    ui->comboChecker->setCurrentIndex(HorizontalLines);
    appSettings().setValue("Checker", static_cast<int>(HorizontalLines));
}

void QPatternManger::on_pushCheckerBoard_clicked() {
    on_comboChecker_activated(ui->comboChecker->currentIndex());
}

void QPatternManger::on_comboChecker_activated(int index) {
    if (!manualPattern())
        return;
    applyChecker(index);
    m_generator->setPattern(PCPatternGen::CheckerBoard);
    appSettings().setValue("Checker", index);
}

void QPatternManger::on_pushAllColors_clicked() {
    if (manualPattern())
        m_generator->setPattern(PCPatternGen::ColorBars);
}

void QPatternManger::on_pushBrightness_clicked() {
    if (manualPattern())
        m_generator->setPattern(PCPatternGen::DarkCells);
}

void QPatternManger::on_pushContrast_clicked() {
    if (manualPattern())
        m_generator->setPattern(PCPatternGen::BrightCells);
}

void QPatternManger::on_pushOverscan_clicked() {
    if (manualPattern())
        m_generator->setPattern(PCPatternGen::EdgeMarkers);
}

void QPatternManger::on_pushShowImage_clicked() {
    if (manualPattern())
        m_generator->setPattern(PCPatternGen::ShowImage);
}

void QPatternManger::on_pushBrowseImage_clicked() {
    const QString start =
        ui->lineImagePath->text().isEmpty() ? QDir::currentPath() : ui->lineImagePath->text();
    const QString file =
        dialogs().getOpenFileName(this, QStringLiteral("Open Image"), start,
                                  QStringLiteral("Image Files (*.png *.jpg *.bmp *.tif)"));
    if (file.isEmpty())
        return;
    const QImage image(file);
    if (image.isNull())
        return; // not an image we can read: nothing is sent or remembered
    if (m_generator)
        m_generator->sendImage(image);
    ui->lineImagePath->setText(file);
    appSettings().setValue("imageFile", file);
}

// The window steps aside while a patch on its own screen is measured.

void QPatternManger::stepAside() {
    if (!m_generator || !m_sequence->isRunning() ||
        m_generator->model() != QLatin1String("PC Pattern Gen"))
        return;
    QWidget *top = window();
    const QList<QScreen *> screens = QGuiApplication::screens();
    const int mine = screens.indexOf(top->screen());
    if (QString::number(mine) == m_generator->portName()) {
        top->hide();
        m_steppedAside = true;
    }
}

void QPatternManger::comeBack() {
    if (m_steppedAside)
        window()->show();
    m_steppedAside = false;
}

void QPatternManger::setControlsEnabled(bool on) {
    for (QWidget *w :
         {static_cast<QWidget *>(ui->comboGenerator), static_cast<QWidget *>(ui->pushRescan),
          static_cast<QWidget *>(ui->doubleStableTime), static_cast<QWidget *>(ui->comboAverages),
          static_cast<QWidget *>(ui->spinWindow), static_cast<QWidget *>(ui->tabWidget)})
        w->setEnabled(on);
    ui->comboPatchSize->setEnabled(on && ui->spinWindow->value() == 0);
    ui->spinMaxAverages->setEnabled(on && ui->comboAverages->currentIndex() == 0);
}
