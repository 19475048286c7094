// The chart widget's arithmetic and bookkeeping: scale steps and ticks, the
// plot slots, the luminance comparison and automatic y scale.
#include "qgraphbox.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using Step = QGraphBox::ScaleStep;

TEST(GraphScale, StepsKeepTheirFirstSignificantDigitAsIntegerOverPowerOfTen) {
    struct Case {
        double step;
        qint64 count, power;
    } cases[] = {{0.1, 1, 10}, {0.25, 2, 10}, {0.0625, 6, 100}, {5000, 5000, 1}, {-0.25, 2, 10}};
    for (const Case &c : cases) {
        const Step s = Step::fromStep(c.step);
        EXPECT_EQ(s.count, c.count) << c.step;
        EXPECT_EQ(s.power, c.power) << c.step;
    }
    // No step at all, rather than an endless search for a first digit.
    for (double bad : {0.0, -0.0, std::nan(""), std::numeric_limits<double>::infinity(), 1e-30})
        EXPECT_EQ(Step::fromStep(bad).count, 0) << bad;
}

TEST(GraphScale, TicksSitExactlyOnMultiplesWithoutDrift) {
    QGraphBox graph;
    graph.setXMajorScale(0.25);
    EXPECT_EQ(graph.xMajorStep().value(), 0.2);
    EXPECT_EQ(QGraphBox::ticks(0, 1, graph.xMajorStep()),
              (QVector<double>{0, 0.2, 0.4, 0.6, 0.8, 1.0}));

    graph.setCIEScale();
    const QVector<double> cie = QGraphBox::ticks(0, 0.8, graph.xMajorStep());
    ASSERT_EQ(cie.size(), 9); // summing 0.1 eight times falls short of 0.8
    EXPECT_EQ(cie[3], 0.3);   // and 0.1 + 0.1 + 0.1 is not 0.3

    EXPECT_EQ(QGraphBox::ticks(0.05, 0.33, Step::fromStep(0.1)), (QVector<double>{0.1, 0.2, 0.3}));

    // Nothing to draw rather than a hang or a flood.
    EXPECT_TRUE(QGraphBox::ticks(0, 1, Step()).isEmpty());
    EXPECT_TRUE(QGraphBox::ticks(0, 65000, Step::fromStep(0.001)).isEmpty());
    EXPECT_EQ(QGraphBox::ticks(0, 0, Step::fromStep(0.005)), QVector<double>{0});
}

PlotObject series(std::initializer_list<QPointF> points) {
    PlotObject p;
    for (const QPointF &pt : points)
        p.points << pt;
    return p;
}

TEST(GraphPlots, SlotsChangeOnlyWhatExistsAndMatches) {
    QGraphBox graph;
    EXPECT_EQ(graph.appendPlots(series({{1, 5}, {2, 6}, {1, 7}})), 0);
    graph.appendPlots(series({{1, 8}}));
    EXPECT_EQ(graph.appendPlotsPoints(2, {0, 0}), -1); // no such plot
    EXPECT_EQ(graph.appendPlotsColors(0, Qt::red), 0);
    graph.setXPlotPoint(0, 3, 9);          // no such point
    graph.setPlotsColors(0, 1, Qt::green); // no such colour
    graph.setYPlotPointFromX(0, 3.0, 9);   // no point at x = 3
    graph.setYPlotPointFromX(0, 1.0, 9);   // every point at x = 1, in this plot only
    EXPECT_EQ(graph.plots()[0].points, (QList<QPointF>{{1, 9}, {2, 6}, {1, 9}}));
    EXPECT_EQ(graph.plots()[1].points, QList<QPointF>{QPointF(1, 8)});
    EXPECT_EQ(graph.plots()[0].colorAt(2, Qt::black), QColor(Qt::red)); // one colour serves all
}

TEST(GraphPlots, TheLuminanceComparisonIsKeptForTheDiagrams) {
    QGraphBox graph;
    graph.setLuminanceComparison(48.0, 50.0);
    EXPECT_EQ(graph.measuredLuminance(), 48.0);
    EXPECT_EQ(graph.expectedLuminance(), 50.0);
    EXPECT_EQ(graph.luminanceComparisonText(), "Y 96.0 % of target");
    graph.setLuminanceComparison(48.0, 0.0); // nothing expected: nothing shown
    EXPECT_TRUE(graph.luminanceComparisonText().isEmpty());
}

TEST(GraphPlots, AutoScaleYTakesTheLargestYOfAllPlots) {
    QGraphBox graph;
    graph.setYMax(1);
    graph.autoScaleY(); // no points: nothing to take
    EXPECT_EQ(graph.yMax(), 1);

    graph.appendPlots(series({{380, 0.004}, {450, 0.0225}, {500, -1}}));
    graph.appendPlots(series({{0, std::nan("")}, {1, 0.019}}));
    graph.autoScaleY();
    EXPECT_EQ(graph.yMax(), 0.0225);
}

} // namespace
