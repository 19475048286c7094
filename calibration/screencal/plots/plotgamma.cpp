// "line:gamma": the gamma each grey step measures, log of its luminance
// share over log of its input level, against the target gamma. The share
// is taken above the measured black, so the panel's black level does not
// read as a lower gamma near black; full white and black themselves have
// no gamma of their own.
#include "plotcommon.h"
#include "qgraphbox.h"

#include <cmath>

namespace screencal {

namespace {

// Per-step gamma of the greys; empty without a full white to refer to.
QList<QPointF> stepGammas(const QVector<RunSample> &samples, const PlotContext &context) {
    const QVector<LevelSample> greys = groupByColour(samples, context)[White];
    if (greys.isEmpty() || greys.last().level < 1)
        return {};
    const double white = greys.last().sample.m.bigY;
    const double black = greys.first().level <= 0 ? greys.first().sample.m.bigY : 0.0;
    QList<QPointF> points;
    for (const LevelSample &s : greys) {
        if (s.level <= 0 || s.level >= 1)
            continue;
        const double share = (s.sample.m.bigY - black) / (white - black);
        if (!(share > 0) || !std::isfinite(share))
            continue;
        points << QPointF(100 * s.level, std::log(share) / std::log(s.level));
    }
    return points;
}

} // namespace

QList<QPointF> measuredGammas(const QVector<RunSample> &samples, const PlotContext &context) {
    return stepGammas(samples, context);
}

void drawGamma(QGraphBox *graph, const PlotData &data, const PlotContext &context) {
    const QList<QPointF> before = stepGammas(data.compare, context);
    const QList<QPointF> now = stepGammas(data.samples, context);
    double lo = std::min(1.5, context.gamma - 0.5), hi = std::max(3.0, context.gamma + 0.5);
    for (const QList<QPointF> *list : {&before, &now})
        for (const QPointF &p : *list) {
            lo = std::min(lo, p.y());
            hi = std::max(hi, p.y());
        }
    // A wild step (a grey barely above black) must not flatten the rest.
    lo = std::max(0.0, std::floor(lo * 2) / 2);
    hi = std::min(5.0, std::ceil(hi * 2) / 2);
    addSeries(graph, before, seriesColour(White), true, PlotObject::LineAndPoints, beforeName());
    addSeries(graph, now, seriesColour(White), false, PlotObject::LineAndPoints, runName(data));
    addSeries(graph, {QPointF(0, context.gamma), QPointF(100, context.gamma)}, QColor(200, 120, 0),
              false, PlotObject::Line, QStringLiteral("Target gamma"));
    setLevelAxes(graph, data.title, QStringLiteral("Gamma"), lo, hi);
}

} // namespace screencal
