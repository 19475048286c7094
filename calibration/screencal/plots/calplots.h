#pragma once
// The graph types a template asks for, each drawn from the samples of a run
// onto the chart widget. Every type lives in its own file; this is the table
// that finds them by the name the template uses.

#include "gamutspec.h"
#include "measurement.h"
#include "runstore.h"
#include "videotarget.h"

#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>

class QGraphBox;

namespace screencal {

// What every plot needs beyond its samples.
struct PlotContext {
    int low = 0, high = 255; // video range, at `bits`
    int bits = 8;
    double gamma = 2.2; // the target gamma
    // The target curve beyond the gamma (BT.1886, PQ, HLG); its own gamma
    // is the one above.
    TargetCurve curve;
    GamutSpec spec = GamutSpec::standardSpec(2, 100.0);
    bool hsv = false; // balance and bars in hue, saturation, value
    bool xy = true;   // CIE 1931 (x, y); false: CIE 1976 (u', v')
    bool nits = true;
};

struct PlotData {
    QVector<RunSample> samples; // the run the graph shows
    QVector<RunSample> compare; // an earlier run drawn muted beneath it
    std::optional<Measurement> live;
    double whiteY = 0; // the run's full white in cd/m², 0 when not measured
    QString title;
};

QStringList plotTypes();
bool isPlotType(const QString &type);
// Clears the graph and draws the type; false (graph untouched) for an
// unknown type.
bool drawPlot(const QString &type, QGraphBox *graph, const PlotData &data,
              const PlotContext &context);

} // namespace screencal
