// "line:RGBBalance": the grey scale's colour balance against input level.
// Each channel's linear output is divided by the grey's luminance share of
// the standard's white, so 100 for every channel is a perfectly neutral
// grey whatever its brightness. With hue, saturation and value chosen the
// series are the hue in percent of a turn, the saturation, and the value
// relative to the grey's own target value.
#include "plotcommon.h"
#include "qgraphbox.h"

#include <cmath>

namespace screencal {

namespace {

struct Series {
    const char *name;
    QColor colour;
};
const Series rgbSeries[3] = {
    {"R", QColor(220, 40, 40)}, {"G", QColor(40, 170, 60)}, {"B", QColor(60, 100, 235)}};
const Series hsvSeries[3] = {
    {"H", QColor(0, 170, 190)}, {"S", QColor(215, 180, 0)}, {"V", QColor(150, 150, 150)}};

// The three values of one grey, or false when it has no light to judge.
bool balance(const LevelSample &s, const PlotContext &context, double out[3]) {
    const Measurement &m = s.sample.m;
    if (context.hsv) {
        const double target = sampleTarget(s.sample, context, context.spec).measurement.value;
        if (!(target > 0))
            return false;
        out[0] = m.hue < 0 ? 0 : m.hue / 3.6;
        out[1] = m.saturation;
        out[2] = 100 * m.value / target;
        return true;
    }
    const double share = 100 * m.bigY / context.spec.whiteBigY;
    if (!(share > 0) || s.level <= 0)
        return false;
    out[0] = 100 * m.redPercent / share;
    out[1] = 100 * m.greenPercent / share;
    out[2] = 100 * m.bluePercent / share;
    return true;
}

void addBalance(QGraphBox *graph, const QVector<RunSample> &samples, const PlotContext &context,
                bool compare, double *lo, double *hi) {
    const QVector<LevelSample> greys = groupByColour(samples, context)[White];
    const Series *series = context.hsv ? hsvSeries : rgbSeries;
    QList<QPointF> points[3];
    for (const LevelSample &s : greys) {
        double v[3];
        if (!balance(s, context, v))
            continue;
        for (int c = 0; c < 3; ++c) {
            if (!std::isfinite(v[c]))
                continue;
            points[c] << QPointF(100 * s.level, v[c]);
            *lo = std::min(*lo, v[c]);
            *hi = std::max(*hi, v[c]);
        }
    }
    for (int c = 0; c < 3; ++c)
        addSeries(graph, points[c], series[c].colour, compare, PlotObject::LineAndPoints,
                  compare ? beforeName() : QLatin1String(series[c].name));
}

} // namespace

QStringList balanceSeriesNames(bool hsv) {
    QStringList names;
    for (const Series &s : hsv ? hsvSeries : rgbSeries)
        names << QString::fromLatin1(s.name);
    return names;
}

void drawRgbBalance(QGraphBox *graph, const PlotData &data, const PlotContext &context) {
    double lo = context.hsv ? 0 : 90, hi = 110;
    addBalance(graph, data.compare, context, true, &lo, &hi);
    addBalance(graph, data.samples, context, false, &lo, &hi);
    if (!context.hsv)
        addSeries(graph, {QPointF(0, 100), QPointF(100, 100)}, QColor(120, 120, 120), true,
                  PlotObject::Line, QStringLiteral("Target"));
    // Symmetric about 100 for RGB, so a tint reads the same both ways.
    const double half = context.hsv ? 0 : niceCeil(std::max(100 - lo, hi - 100));
    const QStringList names = balanceSeriesNames(context.hsv);
    setLevelAxes(graph, data.title,
                 QStringLiteral("Balance %1, %2, %3 (%)").arg(names[0], names[1], names[2]),
                 context.hsv ? 0 : 100 - half, context.hsv ? niceCeil(hi) : 100 + half);
}

} // namespace screencal
