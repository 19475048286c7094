// "deltaE": the colour difference (CIE DE2000) of every patch from its
// target in the current standard, gamma and video range, patch by patch in
// run order. Luminance is judged relative to the run's measured full white
// (the standard's maximum Y when the run has none), so a display set
// brighter than the nominal maximum is not called wrong on every patch.
#include "plotcommon.h"
#include "qgraphbox.h"

#include <cmath>

namespace screencal {

QList<double> patchDeltaEs(const QVector<RunSample> &samples, double whiteY,
                           const PlotContext &context) {
    GamutSpec spec = context.spec;
    if (whiteY > 0)
        spec.setWhite(spec.whiteX, spec.whiteY, whiteY);
    QList<double> out;
    for (const RunSample &s : samples) {
        Measurement m = s.m;
        m.setGamutSpec(spec);
        out << m.deltaE2000(patchTarget(s.patch, context, spec).measurement);
    }
    return out;
}

namespace {

double addDeltaEs(QGraphBox *graph, const QVector<RunSample> &samples, double whiteY,
                  const PlotContext &context, bool compare, const QString &name) {
    const QList<double> de = patchDeltaEs(samples, whiteY, context);
    PlotObject marks;
    marks.style = PlotObject::Points;
    marks.name = name;
    QList<QPointF> line;
    double top = 0;
    for (int i = 0; i < de.size(); ++i) {
        const QPointF p(i + 1, de[i]);
        line << p;
        marks.points << p;
        const QColor c = patchColour(samples[i].patch);
        marks.colors << (compare ? mutedColour(c) : c);
        if (std::isfinite(de[i]))
            top = std::max(top, de[i]);
    }
    addSeries(graph, line, QColor(120, 120, 120), compare, PlotObject::Line);
    if (!marks.points.isEmpty())
        graph->appendPlots(marks);
    return top;
}

} // namespace

void drawDeltaE(QGraphBox *graph, const PlotData &data, const PlotContext &context) {
    double top = addDeltaEs(graph, data.compare, data.whiteY, context, true, beforeName());
    top = std::max(top, addDeltaEs(graph, data.samples, data.whiteY, context, false,
                                   data.compare.isEmpty() ? QString() : runName(data)));
    const int n = std::max(data.samples.size(), data.compare.size());
    graph->setBackgroundMode(QGraphBox::PlotMode);
    graph->setTitle(data.title);
    graph->setXName(QStringLiteral("Patch"));
    graph->setYName(QStringLiteral("ΔE2000"));
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

} // namespace screencal
