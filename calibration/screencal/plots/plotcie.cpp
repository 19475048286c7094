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

void addPatches(QGraphBox *graph, const QVector<RunSample> &samples, bool xy, bool compare,
                const QString &name) {
    PlotObject plot;
    plot.style = PlotObject::Points;
    plot.name = name;
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
    // Greys all lie near the white: on the whole diagram a grey scale is
    // one dot. Then the view is magnified around the white instead.
    bool greysOnly = !data.samples.isEmpty() || !data.compare.isEmpty();
    for (const QVector<RunSample> *run : {&data.samples, &data.compare})
        for (const RunSample &s : *run)
            greysOnly = greysOnly && classifyPatch(s.patch, context.low) == White;
    if (greysOnly) {
        graph->setMagnifiedCenter(QPointF(context.spec.whiteX, context.spec.whiteY));
        graph->setWhiteSpecXYmargin(0.005);
        graph->setBackgroundMode(QGraphBox::MagnifiedMode);
    } else {
        graph->setBackgroundMode(QGraphBox::CIEMode);
    }
    const bool both = !data.compare.isEmpty();
    addPatches(graph, data.compare, context.xy, true, both ? beforeName() : QString());
    addPatches(graph, data.samples, context.xy, false, both ? runName(data) : QString());
    if (data.live) {
        PlotObject live;
        live.style = PlotObject::Points;
        live.points << chartPoint(*data.live, context.xy);
        live.colors << QColor(Qt::red);
        live.name = QStringLiteral("Live reading");
        graph->appendPlots(live);
    }
}

} // namespace screencal
