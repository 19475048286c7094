// "bar:RGB": the balance of the latest reading as three bars around the
// target level 100, as the main window's bars show it. A grey is judged by
// its colour alone (each channel over its luminance share); a colour patch
// by each channel's difference from its target. With hue, saturation and
// value chosen the bars are H, S and V against the patch's target.
#include "plotcommon.h"
#include "qgraphbox.h"

#include <cmath>

namespace screencal {

namespace {

double shortHueDifference(double hue, double target) {
    if (hue < 0 || target < 0)
        return 0;
    double d = std::fmod(hue - target + 540.0, 360.0) - 180.0;
    return d;
}

} // namespace

std::array<double, 3> barValues(const RunSample &s, const PlotContext &context) {
    const Measurement &m = s.m;
    const DisplayTarget target = sampleTarget(s, context, context.spec);
    if (context.hsv) {
        const Measurement &t = target.measurement;
        return {100 + shortHueDifference(m.hue, t.hue) / 3.6, 100 + m.saturation - t.saturation,
                100 + m.value - t.value};
    }
    if (classifyPatch(s.patch, context.low) == White) {
        const double share = 100 * m.bigY / context.spec.whiteBigY;
        if (share > 0)
            return {100 * m.redPercent / share, 100 * m.greenPercent / share,
                    100 * m.bluePercent / share};
        return {100, 100, 100};
    }
    return {100 + m.redPercent - target.percent[0], 100 + m.greenPercent - target.percent[1],
            100 + m.bluePercent - target.percent[2]};
}

void drawRgbBars(QGraphBox *graph, const PlotData &data, const PlotContext &context) {
    graph->setBackgroundMode(QGraphBox::BarMode);
    const QStringList labels =
        context.hsv ? QStringList{"H", "S", "V"} : QStringList{"R", "G", "B"};
    const QList<QColor> colours = context.hsv
                                      ? QList<QColor>{Qt::cyan, Qt::yellow, QColor(150, 150, 150)}
                                      : QList<QColor>{Qt::red, Qt::green, Qt::blue};
    // The live reading is judged against full white: nothing says what the
    // display shows while measuring freely.
    std::array<double, 3> values{100, 100, 100};
    if (data.live)
        values = barValues({{context.high, context.high, context.high}, *data.live, std::nullopt},
                           context);
    else if (!data.samples.isEmpty())
        values = barValues(data.samples.last(), context);
    PlotObject bars;
    for (int i = 0; i < 3; ++i) {
        bars.points << QPointF(i, std::isfinite(values[i]) ? values[i] : 100.0);
        graph->appendXLabels(labels.at(i));
    }
    bars.colors = colours;
    graph->appendPlots(bars);
}

} // namespace screencal
