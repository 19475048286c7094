// "deltaE": the colour difference (CIE DE2000) of every patch from its
// target in the current standard, gamma and video range, patch by patch in
// run order. Luminance is judged relative to the run's measured full white
// (the standard's maximum Y when the run has none), so a display set
// brighter than the nominal maximum is not called wrong on every patch;
// HDR targets are absolute and judged as they are.
// "deltaITP": the same with ΔE ITP (ITU-R BT.2124) of the absolute light.
#include "plotcommon.h"
#include "qgraphbox.h"

#include <cmath>

namespace screencal {

QList<double> patchDeltaEs(const QVector<RunSample> &samples, double whiteY,
                           const PlotContext &context) {
    const GamutSpec spec = judgedSpec(context, whiteY);
    QList<double> out;
    for (const RunSample &s : samples) {
        Measurement m = s.m;
        m.setGamutSpec(spec);
        out << m.deltaE2000(sampleTarget(s, context, spec).measurement);
    }
    return out;
}

QList<double> patchDeltaItps(const QVector<RunSample> &samples, double whiteY,
                             const PlotContext &context) {
    const GamutSpec spec = judgedSpec(context, whiteY);
    QList<double> out;
    for (const RunSample &s : samples)
        out << deltaEItp(s.m, sampleTarget(s, context, spec).measurement);
    return out;
}

namespace {

using Differences = QList<double> (*)(const QVector<RunSample> &, double, const PlotContext &);

double addDifferences(QGraphBox *graph, const QVector<RunSample> &samples, double whiteY,
                      const PlotContext &context, bool compare, const QString &name,
                      Differences differences) {
    const QList<double> de = differences(samples, whiteY, context);
    PlotObject marks;
    marks.style = PlotObject::Points;
    marks.name = name;
    QList<QPointF> line;
    double top = 0;
    for (int i = 0; i < de.size(); ++i) {
        const QPointF p(i + 1, de[i]);
        line << p;
        marks.points << p;
        const QColor c = patchColour(samples[i].patch, context.bits);
        marks.colors << (compare ? mutedColour(c) : c);
        if (std::isfinite(de[i]))
            top = std::max(top, de[i]);
    }
    addSeries(graph, line, QColor(120, 120, 120), compare, PlotObject::Line);
    if (!marks.points.isEmpty())
        graph->appendPlots(marks);
    return top;
}

void drawDifferences(QGraphBox *graph, const PlotData &data, const PlotContext &context,
                     Differences differences, const QString &yName) {
    double top =
        addDifferences(graph, data.compare, data.whiteY, context, true, beforeName(), differences);
    top = std::max(top,
                   addDifferences(graph, data.samples, data.whiteY, context, false,
                                  data.compare.isEmpty() ? QString() : runName(data), differences));
    const int n = std::max(data.samples.size(), data.compare.size());
    graph->setBackgroundMode(QGraphBox::PlotMode);
    graph->setTitle(data.title);
    graph->setXName(QStringLiteral("Patch"));
    graph->setYName(yName);
    graph->setXMin(0);
    graph->setXMax(std::max(1, n) + 1);
    graph->setXMajorScale(niceStep(std::max(1, n) + 1) < 1 ? 1 : niceStep(std::max(1, n) + 1));
    graph->setXMinorScale(1);
    const double yMax = niceCeil(std::max(3.0, top * 1.1));
    graph->setYMin(0);
    graph->setYMax(yMax);
    graph->setYMajorScale(niceStep(yMax));
    graph->setYMinorScale(niceStep(yMax) / 2);
}

} // namespace

void drawDeltaE(QGraphBox *graph, const PlotData &data, const PlotContext &context) {
    drawDifferences(graph, data, context, patchDeltaEs, QStringLiteral("ΔE2000"));
}

void drawDeltaItp(QGraphBox *graph, const PlotData &data, const PlotContext &context) {
    drawDifferences(graph, data, context, patchDeltaItps, QStringLiteral("ΔE ITP"));
}

} // namespace screencal
