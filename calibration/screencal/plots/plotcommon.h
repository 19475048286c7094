#pragma once
// Shared by the plot types: colours for series, grouping samples by colour
// and level, targets of a patch, and axis set-up.

#include "calplots.h"
#include "displaytarget.h"

#include <QColor>
#include <QList>
#include <QPointF>
#include <QString>

#include <array>

namespace screencal {

struct LevelSample {
    double level; // 0..1
    RunSample sample;
};
// Samples of each patch colour (White .. Yellow), sorted by level.
using ColourGroups = std::array<QVector<LevelSample>, patchColourCount>;
ColourGroups groupByColour(const QVector<RunSample> &samples, const PlotContext &context);

QColor seriesColour(int colour);
QColor mutedColour(const QColor &colour);
// The patch's colour for a marker, deeper codes scaled to 8 bits.
QColor patchColour(const Rgb &patch, int bits = 8);

// The standard the plots judge by, with `spec` for its primaries and white.
VideoStandard plotStandard(const PlotContext &context, const GamutSpec &spec);
// The target a display should show for the patch, against `spec`.
DisplayTarget patchTarget(const Rgb &patch, const PlotContext &context, const GamutSpec &spec);
// The target of a measured sample: at the level the generator showed.
DisplayTarget sampleTarget(const RunSample &sample, const PlotContext &context,
                           const GamutSpec &spec);
// The gamut the targets are judged against: for the relative curves the run's
// measured full white (whiteY, when there is one); HDR keeps its own.
GamutSpec judgedSpec(const PlotContext &context, double whiteY);

// Appends one series; compare series are muted. A named series is listed in
// the graph's legend. A line through fewer than three levels would draw a
// straight line where the display's curve is not known: such a series shows
// its points only.
void addSeries(QGraphBox *graph, const QList<QPointF> &points, const QColor &colour, bool compare,
               int style, const QString &name = QString());
// Legend names of a run's series: the earlier run beneath a later one, and
// the run itself ("After calibration" when there is an earlier one).
QString beforeName();
QString runName(const PlotData &data);
// Luminance in the unit chosen: cd/m², or foot-lamberts.
inline double shownLuminance(double nits, bool inNits) {
    return inNits ? nits : nitsToFootLamberts(nits);
}
// A plain x-y chart with input level in IRE along x.
void setLevelAxes(QGraphBox *graph, const QString &title, const QString &yName, double yMin,
                  double yMax);
// A round number at or above v for an axis end, and a step for it.
double niceCeil(double v);
double niceStep(double range);

void drawCie(QGraphBox *graph, const PlotData &data, const PlotContext &context);
void drawLuminance(QGraphBox *graph, const PlotData &data, const PlotContext &context);
void drawRgbCurve(QGraphBox *graph, const PlotData &data, const PlotContext &context);
void drawRgbBalance(QGraphBox *graph, const PlotData &data, const PlotContext &context);
void drawGamma(QGraphBox *graph, const PlotData &data, const PlotContext &context);
void drawRgbBars(QGraphBox *graph, const PlotData &data, const PlotContext &context);
void drawDeltaE(QGraphBox *graph, const PlotData &data, const PlotContext &context);
void drawDeltaItp(QGraphBox *graph, const PlotData &data, const PlotContext &context);
void drawEotf(QGraphBox *graph, const PlotData &data, const PlotContext &context);

} // namespace screencal

namespace screencal {
// Read back by the table and by tests.
QStringList balanceSeriesNames(bool hsv);
QList<QPointF> measuredGammas(const QVector<RunSample> &samples, const PlotContext &context);
std::array<double, 3> barValues(const RunSample &sample, const PlotContext &context);
QList<double> patchDeltaEs(const QVector<RunSample> &samples, double whiteY,
                           const PlotContext &context);
QList<double> patchDeltaItps(const QVector<RunSample> &samples, double whiteY,
                             const PlotContext &context);
// The target curve of the EOTF plot: (signal %, luminance in the unit).
QList<QPointF> eotfTargetPoints(const PlotContext &context, double whiteY);
} // namespace screencal
