#include "reports.h"
#include "ui_reports.h"

#include "appsettings.h"
#include "atomicsave.h"
#include "chromagamutspec.h"
#include "dialogs.h"
#include "genmeasure.h"
#include "genpattern.h"
#include "qgraphbox.h"
#include "qprintpreviewextended.h"
#include "reportpainter.h"

#include <QDateTime>
#include <QFile>
#include <QPrinter>
#include <QSet>

#include <cmath>

namespace {

// Who made the report, the same for every kind; the title is per kind.
const char *const sharedTextKeys[] = {"reports/name", "reports/company", "reports/email",
                                      "reports/phone", "reports/website"};

QString titleKey(const QString &kind) {
    return QStringLiteral("reports/%1/title").arg(kind);
}

// The colours of the colour steps: primaries and secondaries.
struct StepColour {
    const char *name;
    int r, g, b;
};
const StepColour stepColours[] = {{"Red", 1, 0, 0},  {"Green", 0, 1, 0},  {"Blue", 0, 0, 1},
                                  {"Cyan", 0, 1, 1}, {"Yellow", 1, 1, 0}, {"Magenta", 1, 0, 1}};

DeviceIdentity identity(GenDevice *d) {
    if (!d || !d->isConnected())
        return {};
    return {d->manufacturer(), d->model().trimmed(), d->serialNumber()};
}

QString number(double v) {
    return QString::number(v, 'g', 6);
}

} // namespace

Reports::Reports(QWidget *parent) : QWidget(parent), ui(new Ui::Reports) {
    ui->setupUi(this);
    {
        const QSignalBlocker block(ui->comboRGBSpec);
        ui->comboRGBSpec->addItems(ChromaGamutSpec::instance()->gamutNames());
        ui->comboRGBSpec->setCurrentIndex(ChromaGamutSpec::instance()->currentGamutIndex());
    }
    ui->sliderSteps->setMinimumWidth(160); // a slider, not a dot, in a narrow window
    connect(ui->sliderSteps, &QSlider::valueChanged, this, &Reports::updatePatches);
    connect(ui->checkGrey, &QCheckBox::toggled, this, &Reports::updatePatches);
    connect(ui->checkColors, &QCheckBox::toggled, this, &Reports::updatePatches);
    ui->graphReport->setCieChart(QGraphBox::CIE1931);
    ui->graphReport->setCIEScale();
    ui->graphReport->setBackgroundMode(QGraphBox::CIEMode);
    on_comboRGBSpec_currentIndexChanged(ui->comboRGBSpec->currentIndex());
    updatePatches();
}

Reports::~Reports() {
    delete ui;
}

QGraphBox *Reports::graph() const {
    return ui->graphReport;
}

// ---- Entry points ----

int Reports::preview(QWidget *parent, const QList<QWidget *> &graphs, const ReportSetup &setup,
                     int across, int down) {
    QPrinter printer(QPrinter::HighResolution);
    QPrintPreviewExtended dialog(&printer, parent, graphs, setup, across, down);
    const int result = dialog.exec();
    storeTexts(dialog.setup().texts, setup.kind);
    return result;
}

bool Reports::exportPdf(const QString &path, const QList<QWidget *> &graphs,
                        const ReportSetup &setup, int across, int down) {
    return writeReportPdf(path, setup, graphs, across, down);
}

CalibrationStandard Reports::currentStandard() {
    const ChromaGamutSpec *shared = ChromaGamutSpec::instance();
    return standardOf(shared->currentGamut().name, shared->currentVideoStandard());
}

CalibrationStandard Reports::standardOf(const QString &name, const VideoStandard &video) {
    CalibrationStandard s;
    s.name = name;
    s.spec = video.spec;
    s.gamma = video.curve.gamma;
    s.curve = video.curve;
    s.videoLow = video.range.low;
    s.videoHigh = video.range.high;
    s.bits = video.range.bits;
    return s;
}

ReportSetup Reports::currentSetup(GenMeasure *meter, GenPattern *generator, const QString &kind,
                                  const QString &defaultTitle) {
    ReportSetup s;
    s.kind = kind;
    s.texts = storedTexts(kind);
    if (s.texts.title.isEmpty())
        s.texts.title = defaultTitle;
    s.meter = identity(meter);
    s.generator = identity(generator);
    if (meter && meter->isConnected() && !meter->calFileName().isEmpty())
        s.profile = QStringLiteral("%1: %2").arg(meter->calFileIndex()).arg(meter->calFileName());
    s.standard = currentStandard();
    return s;
}

ReportTexts Reports::storedTexts(const QString &kind) {
    QSettings &set = appSettings();
    QString v[5];
    for (int i = 0; i < 5; ++i)
        v[i] = set.value(sharedTextKeys[i], QString()).toString();
    const QString title = kind.isEmpty() ? QString() : set.value(titleKey(kind)).toString();
    return {title, v[0], v[1], v[2], v[3], v[4]};
}

void Reports::storeTexts(const ReportTexts &t, const QString &kind) {
    const QString v[5] = {t.name, t.company, t.email, t.phone, t.website};
    for (int i = 0; i < 5; ++i)
        appSettings().setValue(sharedTextKeys[i], v[i]);
    if (!kind.isEmpty())
        appSettings().setValue(titleKey(kind), t.title);
}

QList<QWidget *> Reports::patchGraphs(const PatchTable &table, const CalibrationStandard &standard,
                                      QWidget *parent) {
    auto *cie = new QGraphBox(parent);
    cie->setCieChart(QGraphBox::CIE1931);
    cie->setCIEScale();
    cie->setBackgroundMode(QGraphBox::CIEMode);
    cie->setGamutSpec(standard.spec);
    cie->setTitle(QStringLiteral("Chromaticity"));
    PlotObject targets, measured;
    targets.style = measured.style = PlotObject::Points;
    targets.name = QStringLiteral("Target");
    measured.name = QStringLiteral("Measured");
    targets.colors << Qt::black;
    measured.colors << QColor(200, 0, 0);
    for (const PatchResult &r : table.rows) {
        if (r.target.bigY > 0)
            targets.points << QPointF(r.target.x, r.target.y);
        if (r.measured.bigY > 0)
            measured.points << QPointF(r.measured.x, r.measured.y);
    }
    cie->appendPlots(targets);
    cie->appendPlots(measured);

    auto *bars = new QGraphBox(parent);
    bars->setBackgroundMode(QGraphBox::PlotMode);
    bars->setTitle(QStringLiteral("ΔE2000 by patch"));
    bars->setXName(QStringLiteral("Patch"));
    bars->setYName(QStringLiteral("ΔE2000"));
    double worst = 0;
    PlotObject de;
    de.style = PlotObject::LineAndPoints;
    de.colors << QColor(0, 70, 160);
    for (int i = 0; i < table.rows.size(); ++i) {
        de.points << QPointF(i + 1, table.rows.at(i).deltaE);
        worst = qMax(worst, table.rows.at(i).deltaE);
    }
    const int n = qMax(1, table.rows.size());
    bars->setXMin(0);
    bars->setXMax(n + 1);
    bars->setXMajorScale(n > 20 ? 10 : n > 10 ? 2 : 1, false);
    bars->setXMinorScale(1);
    const double top = qMax(3.0, std::ceil(worst * 1.2));
    bars->setYMin(0);
    bars->setYMax(top);
    bars->setYMajorScale(top > 10 ? 5 : 1);
    bars->setYMinorScale(top > 10 ? 1 : 0.5);
    bars->appendPlots(de);
    return {cie, bars};
}

// ---- Patch sets and report files ----

QList<ColorPatch> Reports::patchSet(int steps, bool grey, bool colours, int low, int high) {
    QList<ColorPatch> out;
    QSet<QRgb> seen;
    steps = qBound(2, steps, 21);
    auto add = [&](const QString &name, int r, int g, int b) {
        const QColor c(r, g, b);
        if (seen.contains(c.rgb()))
            return;
        seen.insert(c.rgb());
        out << ColorPatch{name, c};
    };
    for (int k = 0; k < steps; ++k) {
        const int level = int(low + double(high - low) * k / (steps - 1) + 0.5);
        const int percent = int(100.0 * k / (steps - 1) + 0.5);
        if (grey)
            add(QStringLiteral("Gray - %1%").arg(percent), level, level, level);
        if (!colours)
            continue;
        for (const StepColour &c : stepColours) {
            add(QStringLiteral("%1 - %2%").arg(QLatin1String(c.name)).arg(percent),
                c.r ? level : low, c.g ? level : low, c.b ? level : low);
        }
    }
    return out;
}

QString Reports::reportFileText(const QList<ColorPatch> &patches,
                                const QList<Measurement> &measured) {
    QString out = QStringLiteral("R,G,B,X,Y,Z\n");
    for (int i = 0; i < patches.size() && i < measured.size(); ++i) {
        const QColor c = patches.at(i).color;
        const Measurement &m = measured.at(i);
        out += QStringLiteral("%1,%2,%3,%4,%5,%6\n")
                   .arg(c.red())
                   .arg(c.green())
                   .arg(c.blue())
                   .arg(number(m.bigX), number(m.bigY), number(m.bigZ));
    }
    return out;
}

bool Reports::readReportFile(const QString &text, QList<ColorPatch> *patches,
                             QList<Measurement> *measured) {
    QStringList lines = text.split(QLatin1Char('\n'));
    if (lines.isEmpty() || lines.takeFirst().trimmed() != QLatin1String("R,G,B,X,Y,Z"))
        return false;
    QList<ColorPatch> p;
    QList<Measurement> m;
    for (const QString &raw : lines) {
        const QString line = raw.trimmed();
        if (line.isEmpty())
            continue;
        const QStringList f = line.split(QLatin1Char(','));
        if (f.size() != 6)
            return false;
        int code[3];
        double xyz[3];
        for (int i = 0; i < 3; ++i) {
            bool ok = false;
            code[i] = f.at(i).toInt(&ok);
            if (!ok || code[i] < 0 || code[i] > 255)
                return false;
            xyz[i] = f.at(i + 3).toDouble(&ok);
            if (!ok || !std::isfinite(xyz[i]) || xyz[i] < 0)
                return false;
        }
        p << ColorPatch{QStringLiteral("%1,%2,%3").arg(code[0]).arg(code[1]).arg(code[2]),
                        QColor(code[0], code[1], code[2])};
        m << Measurement::fromXYZ(xyz[0], xyz[1], xyz[2]);
    }
    *patches = p;
    *measured = m;
    return true;
}

// ---- The page ----

void Reports::updatePatches() {
    const CalibrationStandard s = currentStandard();
    const int steps = ui->sliderSteps->value();
    m_patches = patchSet(steps, ui->checkGrey->isChecked(), ui->checkColors->isChecked(),
                         s.videoLow, s.videoHigh);
    m_measured = QVector<Measurement>(m_patches.size()).toList();
    for (Measurement &m : m_measured)
        m.avgCount = 0;
    ui->labelPatches->setText(
        QStringLiteral("Steps: %1 - Patches per dimension: %2 - Total Patches: %3")
            .arg(steps)
            .arg(steps)
            .arg(m_patches.size()));
}

void Reports::setMeasured(int index, const Measurement &m) {
    if (index < 0 || index >= m_measured.size())
        return;
    m_measured[index] = m;
    if (m_measured[index].avgCount == 0)
        m_measured[index].avgCount = 1;
}

void Reports::measureDone(const Measurement &m, int, int index) {
    setMeasured(index, m);
}

bool Reports::loadInto(QString *path, QLineEdit *field) {
    const QString chosen = dialogs().getOpenFileName(this, QStringLiteral("Load Report"), QString(),
                                                     QStringLiteral("CSV (*.csv)"));
    if (chosen.isEmpty())
        return false;
    *path = chosen;
    field->setText(chosen);
    return true;
}

void Reports::on_pushLoadPre_clicked() {
    loadInto(&m_prePath, ui->linePre);
}

void Reports::on_pushLoadPost_clicked() {
    loadInto(&m_postPath, ui->linePost);
}

void Reports::on_pushGenerate_clicked() {
    const CalibrationStandard standard = [this] {
        CalibrationStandard s = currentStandard();
        const ChromaGamutSpec *shared = ChromaGamutSpec::instance();
        const int i = ui->comboRGBSpec->currentIndex();
        if (i >= 0 && i < shared->gamutSpecs().size())
            s = standardOf(shared->gamutSpecs().at(i).name, shared->videoStandard(i));
        return s;
    }();
    m_report = currentSetup(nullptr, nullptr, QStringLiteral("prepost"),
                            QStringLiteral("Pre/Post Calibration Report"));
    m_report.standard = standard;
    const struct {
        QString path;
        const char *title;
    } files[] = {{m_prePath, "Pre-calibration"}, {m_postPath, "Post-calibration"}};
    for (const auto &f : files) {
        if (f.path.isEmpty())
            continue;
        QFile file(f.path);
        QList<ColorPatch> patches;
        QList<Measurement> measured;
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text) ||
            !readReportFile(QString::fromUtf8(file.readAll()), &patches, &measured)) {
            dialogs().warning(this, QStringLiteral("Load Report"),
                              QStringLiteral("The report file %1 could not be read.\n"
                                             "It must start with the line R,G,B,X,Y,Z.")
                                  .arg(f.path),
                              QMessageBox::Ok, QMessageBox::Ok);
            continue;
        }
        m_report.tables << comparePatches(QLatin1String(f.title), patches, measured, standard);
    }
    redrawGraph();
}

void Reports::on_comboRGBSpec_currentIndexChanged(int index) {
    const QList<NamedGamut> &all = ChromaGamutSpec::instance()->gamutSpecs();
    if (index >= 0 && index < all.size())
        ui->graphReport->setGamutSpec(all.at(index).spec);
    redrawGraph();
}

void Reports::redrawGraph() {
    ui->graphReport->clearPlots();
    const QColor colours[] = {QColor(200, 0, 0), QColor(0, 140, 0)};
    for (int t = 0; t < m_report.tables.size() && t < 2; ++t) {
        PlotObject plot;
        plot.style = PlotObject::Points;
        plot.colors << colours[t];
        for (const PatchResult &r : m_report.tables.at(t).rows) {
            if (r.measured.bigY > 0)
                plot.points << QPointF(r.measured.x, r.measured.y);
        }
        ui->graphReport->appendPlots(plot);
    }
    ui->graphReport->updateGraph();
}

void Reports::on_pushPrint_clicked() {
    if (m_report.tables.isEmpty())
        on_pushGenerate_clicked();
    QList<QWidget *> graphs{ui->graphReport};
    QWidget holder; // owns the table graphs while the preview shows them
    for (const PatchTable &t : m_report.tables)
        graphs += patchGraphs(t, m_report.standard, &holder);
    preview(this, graphs, m_report);
}

void Reports::on_pushSave_clicked() {
    QList<ColorPatch> patches;
    QList<Measurement> measured;
    for (int i = 0; i < m_patches.size(); ++i) {
        if (m_measured.value(i).avgCount > 0) {
            patches << m_patches.at(i);
            measured << m_measured.at(i);
        }
    }
    // Nothing measured here: the rows of the last report generated.
    if (patches.isEmpty() && !m_report.tables.isEmpty()) {
        for (const PatchResult &r : m_report.tables.last().rows) {
            patches << ColorPatch{r.name, r.code};
            measured << r.measured;
        }
    }
    const QString proposed =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hhmmss")) +
        QStringLiteral(".csv");
    const QString path = dialogs().getSaveFileName(this, QStringLiteral("Save Report"), proposed,
                                                   QStringLiteral("CSV (*.csv)"));
    if (path.isEmpty())
        return;
    if (saveAtomically(path, reportFileText(patches, measured).toUtf8()) != SaveResult::Saved)
        dialogs().warning(this, QStringLiteral("Save Report"),
                          QStringLiteral("The file couldn't be opened."), QMessageBox::Ok,
                          QMessageBox::Ok);
}
