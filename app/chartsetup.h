#pragma once
// How the main window sets the graph up for each entry of its chart combo and
// how a reading lands on it.

#include "measurement.h"
#include "readouts.h"

#include <QPointF>

#include <array>

class QGraphBox;

// Resets the graph's plots for the chart. hsvBars labels the bars H, S, V
// (the readouts show hue, saturation and value); whiteXy is the centre of the
// magnified views.
void setupChart(QGraphBox *graph, ChartKind chart, bool hsvBars, const QPointF &whiteXy);

// Moves the reading's point (diagrams, polar chart) or the three bars; a
// move that stays within the same pixel is not drawn.
void plotReading(QGraphBox *graph, ChartKind chart, const Measurement &m,
                 const std::array<double, 3> &bars);
