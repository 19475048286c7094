// "CIE": every measured patch on the chromaticity diagram of the chosen
// space, in its own colour, over the current standard's triangle and
// targets; an earlier run muted beneath it and the live reading on top.
#include "plotcommon.h"
#include "qgraphbox.h"

namespace screencal {

namespace {

QPointF chartPoint(const Measurement &m, bool xy) {
    return xy ? QPointF(m.x, m.y) : QPointF(m.uPrime, m.vPrime);
}

void addPatches(QGraphBox *graph, const QVector<RunSample> &samples, bool xy, bool compare) {
    PlotObject plot;
    plot.style = PlotObject::Points;
    for (const RunSample &s : samples) {
        plot.points << chartPoint(s.m, xy);
        const QColor c = patchColour(s.patch);
        plot.colors << (compare ? mutedColour(c) : c);
    }
    if (!plot.points.isEmpty())
        graph->appendPlots(plot);
}

} // namespace

void drawCie(QGraphBox *graph, const PlotData &data, const PlotContext &context) {
    graph->setCieChart(context.xy ? QGraphBox::CIE1931 : QGraphBox::CIE1976);
    graph->setGamutSpec(context.spec);
    graph->setCIEScale();
    graph->setBackgroundMode(QGraphBox::CIEMode);
    addPatches(graph, data.compare, context.xy, true);
    addPatches(graph, data.samples, context.xy, false);
    if (data.live) {
        PlotObject live;
        live.style = PlotObject::Points;
        live.points << chartPoint(*data.live, context.xy);
        live.colors << QColor(Qt::red);
        graph->appendPlots(live);
    }
}

} // namespace screencal
