// "line:Y": luminance against input level, one line per patch colour, with
// the grey scale's target: the measured full white times level^gamma (for
// HDR the standard's own luminance of each level).
#include "plotcommon.h"
#include "qgraphbox.h"

#include <cmath>

namespace screencal {

namespace {

double addCurves(QGraphBox *graph, const QVector<RunSample> &samples, const PlotContext &context,
                 bool compare, const QString &name) {
    double top = 0;
    const ColourGroups groups = groupByColour(samples, context);
    for (int c = 0; c < patchColourCount; ++c) {
        QList<QPointF> points;
        for (const LevelSample &s : groups[c]) {
            const double y = shownLuminance(s.sample.m.bigY, context.nits);
            points << QPointF(100 * s.level, y);
            top = std::max(top, y);
        }
        addSeries(graph, points, seriesColour(c), compare, PlotObject::LineAndPoints, name);
    }
    return top;
}

} // namespace

void drawLuminance(QGraphBox *graph, const PlotData &data, const PlotContext &context) {
    double top = addCurves(graph, data.compare, context, true, beforeName());
    top = std::max(top, addCurves(graph, data.samples, context, false, runName(data)));
    const VideoStandard standard = plotStandard(context, judgedSpec(context, data.whiteY));
    QList<QPointF> target;
    for (int ire = 0; ire <= 100; ire += 5) {
        const double nits = computeTarget(TargetColour::White, ire, standard).expectedLuminance;
        target << QPointF(ire, shownLuminance(nits, context.nits));
        top = std::max(top, shownLuminance(nits, context.nits));
    }
    addSeries(graph, target, QColor(120, 120, 120), true, PlotObject::Line,
              QStringLiteral("Target"));
    setLevelAxes(graph, data.title,
                 QStringLiteral("Luminance (%1)").arg(context.nits ? "nits" : "fL"), 0,
                 niceCeil(top * 1.05));
}

} // namespace screencal
