#include "calplots.h"

#include "plotcommon.h"
#include "qgraphbox.h"

#include <algorithm>
#include <cmath>

namespace screencal {

namespace {

struct PlotType {
    const char *name;
    void (*draw)(QGraphBox *, const PlotData &, const PlotContext &);
};
const PlotType plotTable[] = {
    {"CIE", drawCie},
    {"line:Y", drawLuminance},
    {"line:RGBCurve", drawRgbCurve},
    {"line:RGBBalance", drawRgbBalance},
    {"line:gamma", drawGamma},
    {"bar:RGB", drawRgbBars},
    {"deltaE", drawDeltaE},
    {"deltaITP", drawDeltaItp},
    {"line:EOTF", drawEotf},
};

const PlotType *findType(const QString &type) {
    for (const PlotType &t : plotTable)
        if (type == QLatin1String(t.name))
            return &t;
    return nullptr;
}

// Target and series colours of the patch colours, in PatchColour order.
const TargetColour targetColours[patchColourCount] = {
    TargetColour::White, TargetColour::Red,     TargetColour::Green, TargetColour::Blue,
    TargetColour::Cyan,  TargetColour::Magenta, TargetColour::Yellow};
const QColor seriesColours[patchColourCount] = {
    QColor(150, 150, 150), QColor(220, 40, 40),  QColor(40, 170, 60), QColor(60, 100, 235),
    QColor(0, 170, 190),   QColor(200, 50, 200), QColor(215, 180, 0)};

} // namespace

QStringList plotTypes() {
    QStringList names;
    for (const PlotType &t : plotTable)
        names << QString::fromLatin1(t.name);
    return names;
}

bool isPlotType(const QString &type) {
    return findType(type) != nullptr;
}

bool drawPlot(const QString &type, QGraphBox *graph, const PlotData &data,
              const PlotContext &context) {
    const PlotType *t = findType(type);
    if (!t || !graph)
        return false;
    graph->clearPlots();
    graph->setYLogScale(false);
    graph->clearXLabels();
    graph->setXName(QString());
    graph->setYName(QString());
    graph->setTitle(data.title);
    t->draw(graph, data, context);
    graph->updateGraph();
    return true;
}

ColourGroups groupByColour(const QVector<RunSample> &samples, const PlotContext &context) {
    ColourGroups groups;
    for (const RunSample &s : samples) {
        const int colour = classifyPatch(s.patch, context.low);
        if (colour != NoColour)
            groups[colour].append({patchLevel(s.patch, context.low, context.high), s});
    }
    for (auto &g : groups)
        std::stable_sort(g.begin(), g.end(), [](const LevelSample &a, const LevelSample &b) {
            return a.level < b.level;
        });
    return groups;
}

QColor seriesColour(int colour) {
    return colour >= 0 && colour < patchColourCount ? seriesColours[colour] : QColor(Qt::gray);
}

QColor mutedColour(const QColor &colour) {
    QColor c = colour;
    c.setAlpha(90);
    return c;
}

QColor patchColour(const Rgb &p, int bits) {
    const int shift = std::max(0, bits - 8);
    return QColor(std::clamp(p.r >> shift, 0, 255), std::clamp(p.g >> shift, 0, 255),
                  std::clamp(p.b >> shift, 0, 255));
}

VideoStandard plotStandard(const PlotContext &context, const GamutSpec &spec) {
    VideoStandard v;
    v.spec = spec;
    v.curve = context.curve;
    v.curve.gamma = context.gamma;
    v.range = {context.low, context.high, context.bits};
    return v;
}

DisplayTarget patchTarget(const Rgb &patch, const PlotContext &context, const GamutSpec &spec) {
    const int colour = std::max(0, classifyPatch(patch, context.low));
    const double ire = 100.0 * patchLevel(patch, context.low, context.high);
    return computeTarget(targetColours[colour], ire, plotStandard(context, spec));
}

DisplayTarget sampleTarget(const RunSample &sample, const PlotContext &context,
                           const GamutSpec &spec) {
    if (!sample.shown)
        return patchTarget(sample.patch, context, spec);
    PlotContext shown = context;
    shown.low = sample.shown->range.low;
    shown.high = sample.shown->range.high;
    shown.bits = sample.shown->range.bits;
    return patchTarget(sample.shown->code, shown, spec);
}

GamutSpec judgedSpec(const PlotContext &context, double whiteY) {
    GamutSpec spec = context.spec;
    if (whiteY > 0 && !context.curve.isHdr())
        spec.setWhite(spec.whiteX, spec.whiteY, whiteY);
    return spec;
}

void addSeries(QGraphBox *graph, const QList<QPointF> &points, const QColor &colour, bool compare,
               int style, const QString &name) {
    if (points.isEmpty())
        return;
    PlotObject plot;
    plot.style =
        style == PlotObject::LineAndPoints && points.size() < 3 ? PlotObject::Points : style;
    plot.name = name;
    plot.points = points;
    plot.colors << (compare ? mutedColour(colour) : colour);
    graph->appendPlots(plot);
}

QString beforeName() {
    return QStringLiteral("Before calibration");
}

QString runName(const PlotData &data) {
    return data.compare.isEmpty() ? QStringLiteral("Measured")
                                  : QStringLiteral("After calibration");
}

double niceCeil(double v) {
    if (!(v > 0) || !std::isfinite(v))
        return 1.0;
    const double p = std::pow(10.0, std::floor(std::log10(v)));
    for (double m : {1.0, 1.2, 1.5, 2.0, 2.5, 3.0, 4.0, 5.0, 6.0, 8.0, 10.0})
        if (v <= m * p * (1 + 1e-9))
            return m * p;
    return 10 * p;
}

double niceStep(double range) {
    if (!(range > 0) || !std::isfinite(range))
        return 1.0;
    const double raw = range / 5;
    const double p = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 5.0})
        if (raw <= m * p * (1 + 1e-9))
            return m * p;
    return 10 * p;
}

void setLevelAxes(QGraphBox *graph, const QString &title, const QString &yName, double yMin,
                  double yMax) {
    graph->setBackgroundMode(QGraphBox::PlotMode);
    graph->setTitle(title);
    graph->setXName(QStringLiteral("Input (IRE)"));
    graph->setYName(yName);
    graph->setXMin(0);
    graph->setXMax(100);
    graph->setXMajorScale(10);
    graph->setXMinorScale(5);
    graph->setYMin(yMin);
    graph->setYMax(yMax);
    const double step = niceStep(yMax - yMin);
    graph->setYMajorScale(step);
    graph->setYMinorScale(step / 2);
}

} // namespace screencal
