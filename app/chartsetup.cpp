#include "chartsetup.h"

#include "qgraphbox.h"

#include <cmath>
#include <limits>

namespace {

// Not drawn until the first reading moves it.
constexpr double hidden = std::numeric_limits<double>::quiet_NaN();

void onePoint(QGraphBox *graph) {
    PlotObject plot;
    plot.points << QPointF(hidden, hidden);
    plot.colors << QColor(Qt::red);
    graph->appendPlots(plot);
}

} // namespace

void setupChart(QGraphBox *graph, ChartKind chart, bool hsvBars, const QPointF &whiteXy) {
    graph->clearPlots();
    graph->clearXLabels();
    graph->setXName(QString());
    graph->setYName(QString());
    graph->setTitle(QString());
    switch (chart) {
    case ChartKind::CIE1931:
    case ChartKind::CIE1976:
        graph->setCieChart(chart == ChartKind::CIE1976 ? QGraphBox::CIE1976 : QGraphBox::CIE1931);
        graph->setCIEScale();
        graph->setBackgroundMode(QGraphBox::CIEMode);
        onePoint(graph);
        break;
    case ChartKind::Magnified1931:
    case ChartKind::Magnified1976:
        graph->setCieChart(chart == ChartKind::Magnified1976 ? QGraphBox::CIE1976
                                                             : QGraphBox::CIE1931);
        graph->setMagnifiedCenter(whiteXy);
        graph->setCIEScale();
        graph->setBackgroundMode(QGraphBox::MagnifiedMode);
        onePoint(graph);
        break;
    case ChartKind::Bars: {
        graph->setBackgroundMode(QGraphBox::BarMode);
        const QStringList labels =
            hsvBars ? QStringList{"H", "S", "V"} : QStringList{"R", "G", "B"};
        const QColor grey(150, 150, 150);
        const QList<QColor> colours = hsvBars ? QList<QColor>{Qt::cyan, Qt::yellow, grey}
                                              : QList<QColor>{Qt::red, Qt::green, Qt::blue};
        PlotObject bars;
        for (int i = 0; i < 3; ++i) {
            bars.points << QPointF(i, 100.0);
            graph->appendXLabels(labels.at(i));
        }
        bars.colors = colours;
        graph->appendPlots(bars);
        break;
    }
    case ChartKind::HueSat:
        graph->setBackgroundMode(QGraphBox::HueSatMode);
        onePoint(graph);
        break;
    }
    graph->updateGraph();
}

namespace {

// Both points land on the same pixel (a new point is never "the same").
bool samePixel(const QGraphBox *graph, const QPointF &a, const QPointF &b) {
    if (!std::isfinite(a.x()) || !std::isfinite(a.y()))
        return false;
    const QPointF pa = graph->chartToWidget(a), pb = graph->chartToWidget(b);
    return std::fabs(pa.x() - pb.x()) < 0.5 && std::fabs(pa.y() - pb.y()) < 0.5;
}

} // namespace

void plotReading(QGraphBox *graph, ChartKind chart, const Measurement &m,
                 const std::array<double, 3> &bars) {
    const QList<PlotObject> &plots = graph->plots();
    if (plots.isEmpty())
        return;
    const QList<QPointF> &shown = plots.first().points;
    // Readings arrive 16 times a second and mostly differ by noise below a
    // pixel; repainting the chart for them would cost more than everything
    // else the window does with a reading.
    if (chart == ChartKind::Bars) {
        for (int i = 0; i < 3 && i < shown.size(); ++i) {
            const QPointF next(shown[i].x(), bars[i]);
            const bool sameLabel =
                QString::number(shown[i].y(), 'f', 1) == QString::number(bars[i], 'f', 1);
            if (!sameLabel || !samePixel(graph, shown[i], next))
                graph->setYPlotPoint(0, i, bars[i]);
        }
        return;
    }
    QPointF at;
    switch (chart) {
    case ChartKind::CIE1931:
    case ChartKind::Magnified1931:
        at = QPointF(m.x, m.y);
        break;
    case ChartKind::CIE1976:
    case ChartKind::Magnified1976:
        at = QPointF(m.uPrime, m.vPrime);
        break;
    case ChartKind::HueSat:
        // A grey has no hue; it sits at the centre.
        at = m.hue < 0 ? QPointF(0, 0) : QPointF(m.hue, m.saturation);
        break;
    case ChartKind::Bars:
        return;
    }
    if (shown.isEmpty() || samePixel(graph, shown.first(), at))
        return;
    graph->setXPlotPoint(0, 0, at.x());
    graph->setYPlotPoint(0, 0, at.y());
}
