// "line:RGBCurve": the transfer curve of each channel over the grey scale,
// each channel's linear output in percent of its own output at full white,
// against the target curve 100 * level^gamma. Channels that track each
// other lie on top of one another.
#include "plotcommon.h"
#include "qgraphbox.h"

#include <cmath>

namespace screencal {

namespace {

double channel(const Measurement &m, int c) {
    return c == 0 ? m.redPercent : c == 1 ? m.greenPercent : m.bluePercent;
}

const QColor channelColours[3] = {QColor(220, 40, 40), QColor(40, 170, 60), QColor(60, 100, 235)};
const char *const channelNames[3] = {"Red", "Green", "Blue"};

double addChannels(QGraphBox *graph, const QVector<RunSample> &samples, const PlotContext &context,
                   bool compare) {
    const QVector<LevelSample> greys = groupByColour(samples, context)[White];
    if (greys.isEmpty() || greys.last().level <= 0)
        return 0;
    // The brightest grey is the reference; below full white it stands for
    // its target share of it.
    const LevelSample &ref = greys.last();
    const double refShare = std::pow(ref.level, context.gamma);
    double top = 0;
    for (int c = 0; c < 3; ++c) {
        const double full = channel(ref.sample.m, c);
        if (!(full > 0))
            continue;
        QList<QPointF> points;
        for (const LevelSample &s : greys) {
            const double v = 100 * refShare * channel(s.sample.m, c) / full;
            points << QPointF(100 * s.level, v);
            top = std::max(top, v);
        }
        addSeries(graph, points, channelColours[c], compare, PlotObject::LineAndPoints,
                  compare ? beforeName() : QLatin1String(channelNames[c]));
    }
    return top;
}

} // namespace

void drawRgbCurve(QGraphBox *graph, const PlotData &data, const PlotContext &context) {
    double top = addChannels(graph, data.compare, context, true);
    top = std::max(top, addChannels(graph, data.samples, context, false));
    QList<QPointF> target;
    for (int ire = 0; ire <= 100; ire += 5)
        target << QPointF(ire, 100 * std::pow(ire / 100.0, context.gamma));
    addSeries(graph, target, QColor(120, 120, 120), true, PlotObject::Line,
              QStringLiteral("Target"));
    setLevelAxes(graph, data.title, QStringLiteral("Output (% of white)"), 0,
                 niceCeil(std::max(100.0, top) * 1.02));
}

} // namespace screencal
