#include "screencal.h"
#include "ui_screencal.h"

#include "appsettings.h"
#include "caltable.h"
#include "chromagamutspec.h"
#include "darkreading.h"
#include "dialogs.h"
#include "genmeasurepntwrapper.h"
#include "genpattern.h"
#include "patternsequence.h"
#include "printgraphs.h"
#include "qgraphbox.h"
#include "qportmenu.h"
#include "templatefiles.h"

#include <QComboBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardItemModel>
#include <QStatusBar>

using namespace screencal;

namespace {

const char *const boxTitle = "Screen Calibration";
const char *const notConnected = "Not Connected";
constexpr int frameRole = Qt::UserRole + 1;
constexpr int maxIssuesShown = 12;

} // namespace

ScreenCal::ScreenCal(QPortMenu *linkTo, QWidget *parent)
    : QMemoryMainWindow(QStringLiteral("screencal"), parent), ui(new Ui::ScreenCal),
      m_spec(ChromaGamutSpec::instance()), m_model(new QStandardItemModel(this)) {
    ui->setupUi(this);
    ui->treeView->setModel(m_model);
    ui->splitter->setStretchFactor(1, 4);
    ui->widgetSide->setMinimumWidth(280);
    // Each device field under its name, across the column: port paths are long.
    ui->layoutTorva->setRowWrapPolicy(QFormLayout::WrapAllRows);
    ui->layoutMain->setStretch(1, 1); // the page takes the height, not its heading
    // The page is what the operator works on and gets the height; the
    // generator panel stands beside it at the width its controls need.
    ui->splitterPage->setStretchFactor(0, 4);
    ui->splitterPage->setStretchFactor(1, 1);
    ui->splitterPage->setSizes({1000, 420});

    m_menu = new QPortMenu(QStringLiteral("Connect Colorimeter"), ui->menubar);
    m_menu->setEnabledMask(RoleColorimeter);
    m_menu->setDisabledMask(RoleReference | RoleSpectral);
    ui->menubar->addMenu(m_menu);
    m_device = m_menu->device();
    connect(m_device, &GenMeasure::measured, this, &ScreenCal::measuring);
    connect(m_device, &GenDevice::connected, this, &ScreenCal::torvaConnected);
    connect(m_device, &GenDevice::closed, this, &ScreenCal::torvaClosed);
    connect(m_device, &GenMeasure::calfileChanged, this, &ScreenCal::torvaCalFileChanged);

    auto *patterns = new QPatternManger(ui->widgetPatterns);
    patterns->setObjectName(QStringLiteral("patternManager"));
    ui->layoutPatterns->addWidget(patterns);
    connect(patterns, &QPatternManger::Measured, this, &ScreenCal::measureDone);
    connect(patterns, &QPatternManger::Aborted, this, &ScreenCal::Aborted);
    connect(patterns, &QPatternManger::finished, this, &ScreenCal::finished);
    connect(patterns, &QPatternManger::stopColor, this, &ScreenCal::stopMeasuring);
    connect(patterns, &QPatternManger::changedColor, this, &ScreenCal::setDeviceFields);
    // A run never ends silently: how it ended stays in the status bar.
    connect(patterns, &QPatternManger::runEnded, this,
            [this](const QString &summary) { statusBar()->showMessage(summary); });
    connect(patterns, qOverload<bool>(&QPatternManger::isRunning), this, [this](bool running) {
        setButtons(!running);
        if (running)
            pauseMeasuring();
        else
            resumeMeasuring();
    });
    patterns->setMaxColor(m_spec->videoMax());
    // Linked once the pattern manager exists: linking reports the device
    // (or its absence) at once.
    if (linkTo)
        m_menu->linkTo(linkTo);

    connect(m_spec, &ChromaGamutSpec::videoModeChanged, this, &ScreenCal::videoModeChanged);
    connect(m_spec, &ChromaGamutSpec::CurrentGamutChanged, this, &ScreenCal::videoModeChanged);
    connect(m_spec, &ChromaGamutSpec::gammaChanged, this, &ScreenCal::redraw);
    connect(m_spec, &ChromaGamutSpec::MaxBigYChanged, this, &ScreenCal::redraw);

    setDeviceFields();
    const QString stored = appSettings().value("templateFile").toString();
    if (!stored.isEmpty() && QFileInfo(stored).isFile())
        loadTemplate(stored);
}

ScreenCal::~ScreenCal() {
    disconnect(m_device, nullptr, this, nullptr);
    patternManager()->abort();
    delete ui;
}

QPatternManger *ScreenCal::patternManager() const {
    return ui->widgetPatterns->findChild<QPatternManger *>();
}

// ---- Template and pages ----

void ScreenCal::on_actionImport_Template_triggered() {
    const QString start = m_path.isEmpty() ? templateDirectory() : QFileInfo(m_path).absolutePath();
    const QString path = dialogs().getOpenFileName(this, QStringLiteral("Import Template"), start,
                                                   QStringLiteral("*.xml"));
    if (path.isEmpty())
        return;
    appSettings().setValue("templateFile", path);
    loadTemplate(path);
    showTemplateIssues(true);
}

bool ScreenCal::loadTemplate(const QString &path) {
    m_path = path;
    m_model->clear();
    clearPage();
    m_tree = TemplateTree();
    QString error;
    if (!readTemplateFile(path, &m_bytes, &error)) {
        m_tree.issues.append({0, error, true});
        showTemplateIssues(false);
        return false;
    }
    m_tree = loadTemplateTree(m_bytes);
    if (m_tree.valid)
        fillTree();
    showTemplateIssues(false);
    return m_tree.valid && !m_tree.hasFatalIssue();
}

QStringList ScreenCal::templateIssues() const {
    QStringList out;
    for (const TemplateIssue &i : m_tree.issues)
        out << i.text();
    for (const TemplateIssue &i : m_page.issues)
        out << i.text();
    for (const TemplateIssue &i : m_built.issues)
        out << i.text();
    return out;
}

void ScreenCal::showTemplateIssues(bool boxes) {
    const QStringList issues = templateIssues();
    if (issues.isEmpty()) {
        statusBar()->clearMessage();
        return;
    }
    statusBar()->showMessage(issues.first());
    statusBar()->setToolTip(issues.mid(0, maxIssuesShown).join('\n'));
    if (!boxes)
        return;
    QString text = QStringLiteral("%1:\n\n").arg(QFileInfo(m_path).fileName()) +
                   issues.mid(0, maxIssuesShown).join('\n');
    if (issues.size() > maxIssuesShown)
        text += QStringLiteral("\n... and %1 more").arg(issues.size() - maxIssuesShown);
    dialogs().warning(this, QStringLiteral("Import Template"), text);
}

void ScreenCal::fillTree() {
    m_model->setHorizontalHeaderLabels({m_tree.name});
    QStandardItem *root = m_model->invisibleRootItem();
    for (const TemplateHeader &h : m_tree.headers) {
        auto *header = new QStandardItem(h.name);
        header->setEditable(false);
        header->setData(-1, frameRole);
        for (const TemplatePage &p : h.pages) {
            auto *page = new QStandardItem(p.name);
            page->setEditable(false);
            page->setData(p.frameIndex, frameRole);
            header->appendRow(page);
        }
        root->appendRow(header);
    }
    ui->treeView->expandAll();
    ui->treeView->resizeColumnToContents(0);
    for (int h = 0; h < m_tree.headers.size(); ++h)
        if (!m_tree.headers[h].pages.isEmpty()) {
            selectPage(h, 0);
            break;
        }
}

bool ScreenCal::selectPage(int header, int page) {
    const QModelIndex index = m_model->index(page, 0, m_model->index(header, 0));
    if (!index.isValid())
        return false;
    ui->treeView->setCurrentIndex(index);
    on_treeView_clicked(index);
    return true;
}

void ScreenCal::on_treeView_clicked(const QModelIndex &index) {
    const int frame = index.data(frameRole).toInt();
    if (!index.isValid() || !index.parent().isValid() || frame < 0)
        return;
    if (patternManager()->isRunning())
        return;
    buildPage(frame);
}

void ScreenCal::on_treeView_doubleClicked(const QModelIndex &index) {
    on_treeView_clicked(index);
}

void ScreenCal::clearPage() {
    setMeasureButtons(false);
    m_built = BuiltPage();
    m_page = PageModel();
    m_patches.clear();
    // The page may hold the button whose click got us here ("Next"): it goes
    // once that click is over, and out of the scroll area now, which would
    // otherwise delete it at once when the next page is set.
    if (m_pageWidget) {
        if (ui->scrollPage->widget() == m_pageWidget)
            ui->scrollPage->takeWidget();
        m_pageWidget->hide();
        m_pageWidget->deleteLater();
        m_pageWidget = nullptr;
    }
    ui->labelPage->clear();
}

void ScreenCal::buildPage(int frameIndex) {
    if (m_device->isMeasuring())
        m_device->stopMeasuring();
    m_live.reset();
    clearPage();
    m_page = loadPage(m_bytes, frameIndex);
    auto *page = new QWidget;
    auto *grid = new QGridLayout(page);
    m_built = screencal::buildPage(m_page, page, grid, this);
    ui->scrollPage->setWidget(page);
    m_pageWidget = page;
    ui->labelPage->setText(m_page.name);
    // A combo whose template names its choice makes that choice; the others
    // show the window's.
    for (const PageCombo &c : m_built.combos) {
        const int preset = c.combo->property("templateCurrent").toInt();
        const QSignalBlocker block(c.combo);
        int *state = c.option == "gray"         ? &m_greyMode
                     : c.option == "color"      ? &m_colourMode
                     : c.option == "colorLevel" ? &m_levelIre
                                                : nullptr;
        if (c.option == "colorLevel") {
            if (preset >= 0)
                m_levelIre = 70 + 5 * preset;
            c.combo->setCurrentIndex((m_levelIre - 70) / 5);
        } else if (state) {
            if (preset >= 0)
                *state = preset;
            c.combo->setCurrentIndex(*state);
        } else if (c.option == "space") {
            if (preset >= 0)
                m_xy = preset == 0;
            c.combo->setCurrentIndex(m_xy ? 0 : 1);
        } else if (c.option == "MontiorColor") {
            if (preset >= 0)
                m_hsv = preset == 1;
            c.combo->setCurrentIndex(m_hsv ? 1 : 0);
        }
    }
    rebuildPatches();
    setButtons(!patternManager()->isRunning());
    showTemplateIssues(false);
}

PatchSettings ScreenCal::patchSettings() const {
    PatchSettings s;
    s.low = m_spec->videoMin();
    s.high = m_spec->videoMax();
    s.levelIre = m_levelIre;
    s.greyMode = m_greyMode;
    s.colourMode = m_colourMode;
    return m_page.run ? forRun(*m_page.run, s) : s;
}

CodeRange ScreenCal::runRange() const {
    const int bits = m_page.run ? runBits(*m_page.run) : 8;
    const PatchSettings s = patchSettings();
    return {s.low, s.high, bits};
}

void ScreenCal::showPatches() {
    const CodeRange range = runRange();
    if (range.bits == 8) {
        QList<QColor> colours;
        for (const Rgb &p : m_patches)
            colours << QColor(p.r, p.g, p.b);
        patternManager()->setColors(colours);
        return;
    }
    QList<Codes> codes;
    for (const Rgb &p : m_patches)
        codes << Codes{p.r, p.g, p.b};
    patternManager()->setCodes(codes, range);
}

void ScreenCal::rebuildPatches() {
    m_patches = m_page.run ? buildPatchList(*m_page.run, patchSettings()) : QVector<Rgb>();
    if (!patternManager()->isRunning())
        showPatches();
    redraw();
}

void ScreenCal::ClickNext() {
    const QModelIndex current = ui->treeView->currentIndex();
    int header = current.parent().isValid() ? current.parent().row() : current.row();
    int page = current.parent().isValid() ? current.row() + 1 : 0;
    for (; header < m_model->rowCount(); ++header, page = 0)
        if (page < m_model->item(header)->rowCount()) {
            selectPage(header, page);
            return;
        }
}

// ---- Combos and shared settings ----

void ScreenCal::colorLevelChanged(int index) {
    m_levelIre = 70 + 5 * qBound(0, index, 5);
    rebuildPatches();
}

void ScreenCal::grayChanged(int index) {
    m_greyMode = qBound(0, index, 2);
    rebuildPatches();
}

void ScreenCal::colorSaleChanged(int index) {
    m_colourMode = qBound(0, index, 2);
    rebuildPatches();
}

void ScreenCal::spaceChanged(int index) {
    m_xy = index == 0;
    redraw();
}

void ScreenCal::RGBChanged(int index) {
    m_hsv = index == 1;
    redraw();
}

void ScreenCal::videoModeChanged() {
    patternManager()->setMaxColor(m_spec->videoMax());
    if (deviceConnected())
        m_device->setGamutSpec(m_spec->currentGamut().spec);
    rebuildPatches();
}

// ---- Graphs and tables ----

PlotContext ScreenCal::plotContext() const {
    PlotContext c;
    const CodeRange range = runRange();
    c.low = range.low;
    c.high = range.high;
    c.bits = range.bits;
    // A PQ grey scale is judged against REC2100 PQ, whatever is current.
    const VideoStandard standard = range.bits > 8
                                       ? m_spec->videoStandard(ChromaGamutSpec::pqGamutIndex)
                                       : m_spec->currentVideoStandard();
    c.gamma = standard.curve.gamma;
    c.curve = standard.curve;
    c.spec = standard.spec;
    c.hsv = m_hsv;
    c.xy = m_xy;
    c.nits = isNits();
    return c;
}

namespace {

// The run's full white in cd/m², 0 when it was not measured.
double fullWhite(const QVector<RunSample> &samples, const PlotContext &c) {
    for (const RunSample &s : samples)
        if (s.patch == Rgb{c.high, c.high, c.high})
            return s.m.bigY;
    return 0;
}

} // namespace

void ScreenCal::redraw() {
    const PlotContext context = plotContext();
    const QVector<RunSample> pre = m_store.samples(PreCali);
    const QVector<RunSample> post = m_store.samples(PostCali);
    for (const PageGraph &g : m_built.graphs) {
        QVector<RunSample> run, compare;
        if (g.kind == ReportKind) {
            run = post.isEmpty() ? pre : post;
            if (!post.isEmpty())
                compare = pre;
        } else {
            run = m_store.samples(g.kind);
            if (g.kind == PostCali)
                compare = pre;
        }
        PlotData data;
        data.whiteY = fullWhite(run, context);
        data.samples = selectSamples(run, g.mask, g.options, context.low);
        data.compare = selectSamples(compare, g.mask, g.options, context.low);
        data.title = g.title;
        if (m_live && (g.type == QLatin1String("bar:RGB") || g.type == QLatin1String("CIE")))
            data.live = m_live;
        drawPlot(g.type, g.graph, data, context);
    }
    const int level = levelCode(m_levelIre, context.low, context.high);
    for (const PageTable &t : m_built.tables) {
        const QVector<RunSample> run = m_store.samples(t.kind);
        t.table->fill(run, fullWhite(run, context), level, context);
    }
}

QList<QWidget *> ScreenCal::graphsToPrint() const {
    QList<QWidget *> graphs;
    for (const PageGraph &g : m_built.graphs)
        graphs << g.graph;
    return graphs;
}

ReportSetup ScreenCal::report() const {
    return pageReport(m_page.name, m_store, m_menu->currentDevice(), patternManager()->generator());
}

void ScreenCal::PrintGraphs() {
    printPageGraphs(this, graphsToPrint(), report());
}

// ---- Runs ----

bool ScreenCal::deviceConnected() const {
    return m_menu->currentDevice() && m_device->isConnected();
}

void ScreenCal::StartCalibration() {
    if (!deviceConnected()) {
        dialogs().warning(this, QLatin1String(boxTitle),
                          QStringLiteral("The Torva device is not connected"));
        return;
    }
    if (!m_page.run || m_patches.isEmpty()) {
        dialogs().warning(this, QLatin1String(boxTitle),
                          QStringLiteral("There is no calibration for this page."));
        return;
    }
    m_device->setGamutSpec(m_spec->currentGamut().spec);
    m_runningKind = m_page.run->kind;
    m_live.reset();
    m_store.startRun(m_runningKind, m_patches);
    redraw();
    showPatches();
    patternManager()->start(m_menu->currentDevice(), QPatternManger::TorvaRun);
    setDeviceFields();
}

void ScreenCal::measureDone(const Measurement &m, QPatternManger::measureDevice, int index) {
    if (m_runningKind < 0)
        return;
    // A generator of less depth showed the nearest codes: judge by those.
    const ShownCodes shown = patternManager()->sequence()->shownCodes(index);
    std::optional<ShownPatch> reduced;
    if (shown.reduced)
        reduced = ShownPatch{{shown.code[0], shown.code[1], shown.code[2]}, shown.range};
    m_store.store(m_runningKind, index, m, reduced);
    setLive(m);
    redraw();
}

void ScreenCal::Aborted() {
    m_runningKind = -1;
    setButtons(true);
}

void ScreenCal::finished() {
    m_runningKind = -1;
    setButtons(true);
    redraw();
}

void ScreenCal::setButtons(bool enabled) {
    for (QAbstractButton *b : m_built.buttons)
        b->setEnabled(enabled);
    ui->treeView->setEnabled(enabled);
    ui->actionImport_Template->setEnabled(enabled);
}

void ScreenCal::pauseMeasuring() {
    m_pausedMeasuring = deviceConnected() && m_device->isMeasuring();
    if (m_pausedMeasuring)
        m_device->stopMeasuring();
}

void ScreenCal::resumeMeasuring() {
    if (m_pausedMeasuring && deviceConnected())
        m_device->startMeasuring();
    m_pausedMeasuring = false;
}

// ---- Continuous measuring ----

void ScreenCal::setMeasureButtons(bool checked) {
    for (QPushButton *b : m_built.measureButtons) {
        const QSignalBlocker block(b);
        b->setChecked(checked);
    }
}

void ScreenCal::startMeasure() {
    auto *button = qobject_cast<QPushButton *>(sender());
    const bool on = button ? button->isChecked() : !m_device->isMeasuring();
    if (!deviceConnected()) {
        setMeasureButtons(false);
        dialogs().warning(this, QLatin1String(boxTitle),
                          QStringLiteral("The Torva device is not connected"));
        return;
    }
    setMeasureButtons(on);
    if (on) {
        m_device->setGamutSpec(m_spec->currentGamut().spec);
        m_device->startMeasuring();
    } else {
        m_device->stopMeasuring();
        m_live.reset(); // a stale live point would pass for a measured patch
        redraw();
    }
}

void ScreenCal::stopMeasuring() {
    if (deviceConnected() && m_device->isMeasuring())
        m_device->stopMeasuring();
    setMeasureButtons(false);
    m_live.reset();
}

void ScreenCal::measuring(const Measurement &m) {
    if (patternManager()->isRunning())
        return;
    setLive(m);
    m_live = m;
    const PlotContext context = plotContext();
    for (const PageGraph &g : m_built.graphs) {
        if (g.type != QLatin1String("bar:RGB") && g.type != QLatin1String("CIE"))
            continue;
        PlotData data;
        data.samples = selectSamples(m_store.samples(qMin(g.kind, int(MeasuringCali))), g.mask,
                                     g.options, context.low);
        data.live = m;
        data.title = g.title;
        drawPlot(g.type, g.graph, data, context);
    }
}

void ScreenCal::setLive(const Measurement &m) {
    const uint32_t errors = m.errorCode & ~(ErrorBits::NoDominantWavelength |
                                            ErrorBits::CctOutOfRange | ErrorBits::Unstable);
    QString text;
    if (errors)
        text = QStringLiteral("ERROR");
    else if (isBelowResolution(m))
        text = belowResolutionText(isNits());
    else if (m.errorCode & ErrorBits::Unstable)
        text = QStringLiteral("Averaging...");
    else
        text = QStringLiteral("%1 %2").arg(
            formatSigFigs(isNits() ? m.bigY : nitsToFootLamberts(m.bigY)), unitsText());
    ui->labelLive->setText(text);
}

QString ScreenCal::liveText() const {
    return ui->labelLive->text();
}

// ---- Device ----

void ScreenCal::setDeviceFields() {
    const bool open = deviceConnected();
    const QString none = QLatin1String(notConnected);
    ui->lineCalFile->setText(
        open ? QStringLiteral("%1: %2").arg(m_device->calFileIndex()).arg(m_device->calFileName())
             : none);
    ui->lineModel->setText(
        open ? QStringLiteral("%1 / %2").arg(m_device->model().trimmed(), m_device->serialNumber())
             : none);
    ui->lineTorvaPort->setText(open ? m_device->portName() : none);
    // A long path shows its end (the port's own name); all of it in the tip.
    ui->lineTorvaPort->setToolTip(ui->lineTorvaPort->text());
    for (QLineEdit *field : {ui->lineCalFile, ui->lineModel})
        field->setCursorPosition(0);
    GenPattern *generator = patternManager() ? patternManager()->generator() : nullptr;
    ui->lineMonitorPort->setText(
        generator && patternManager()->generatorConnected() ? generator->portName() : none);
}

void ScreenCal::torvaConnected() {
    m_device->setGamutSpec(m_spec->currentGamut().spec);
    setDeviceFields();
}

void ScreenCal::torvaClosed() {
    patternManager()->abort();
    setMeasureButtons(false);
    setDeviceFields();
}

void ScreenCal::torvaCalFileChanged() {
    setDeviceFields();
}
