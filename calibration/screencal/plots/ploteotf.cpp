// "line:EOTF": the grey scale's luminance against its input signal, target
// and measured, on a logarithmic luminance axis, so the deep greys of an HDR
// curve are as readable as its highlights. The target is the standard's own
// curve (ST 2084 with the display's peak and roll-off for PQ), relative
// curves at the run's measured full white.
#include "plotcommon.h"
#include "qgraphbox.h"

#include <cmath>

namespace screencal {

namespace {

constexpr double floorNits = 1e-3; // cd/m²: the axis never reaches below

// Measured greys as (signal %, luminance); returns the smallest and largest
// positive luminance through lo and hi.
QList<QPointF> greyPoints(const QVector<RunSample> &samples, const PlotContext &context, double &lo,
                          double &hi) {
    QList<QPointF> points;
    const ColourGroups groups = groupByColour(samples, context);
    for (const LevelSample &s : groups[White]) {
        const double y = shownLuminance(s.sample.m.bigY, context.nits);
        points << QPointF(100 * s.level, y);
        if (y > 0) {
            lo = std::min(lo, y);
            hi = std::max(hi, y);
        }
    }
    return points;
}

} // namespace

QList<QPointF> eotfTargetPoints(const PlotContext &context, double whiteY) {
    const VideoStandard standard = plotStandard(context, judgedSpec(context, whiteY));
    QList<QPointF> target;
    for (int step = 1; step <= 200; ++step) {
        const double level = step / 200.0;
        target << QPointF(
            100 * level,
            shownLuminance(standard.curve.greyNits(level, standard.spec.whiteBigY), context.nits));
    }
    return target;
}

void drawEotf(QGraphBox *graph, const PlotData &data, const PlotContext &context) {
    double lo = INFINITY, hi = 0;
    const QList<QPointF> before = greyPoints(data.compare, context, lo, hi);
    const QList<QPointF> now = greyPoints(data.samples, context, lo, hi);
    const QList<QPointF> target = eotfTargetPoints(context, data.whiteY);
    for (const QPointF &p : target)
        if (p.y() > 0 && (p.x() >= 1 || now.isEmpty())) {
            lo = std::min(lo, p.y());
            hi = std::max(hi, p.y());
        }
    addSeries(graph, target, QColor(120, 120, 120), true, PlotObject::Line);
    addSeries(graph, before, seriesColour(White), true, PlotObject::LineAndPoints);
    addSeries(graph, now, seriesColour(White), false, PlotObject::LineAndPoints);
    graph->setBackgroundMode(QGraphBox::PlotMode);
    graph->setTitle(data.title);
    graph->setXName(QStringLiteral("Input (% of signal)"));
    graph->setYName(QStringLiteral("Luminance (%1, log)").arg(context.nits ? "nits" : "fL"));
    graph->setXMin(0);
    graph->setXMax(100);
    graph->setXMajorScale(10);
    graph->setXMinorScale(5);
    graph->setYLogScale(true);
    graph->setYMin(std::max(floorNits, std::isfinite(lo) ? lo : 0.1));
    graph->setYMax(hi > 0 ? hi : 100.0);
}

} // namespace screencal
