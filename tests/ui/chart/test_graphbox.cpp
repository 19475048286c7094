// The chart widget's arithmetic and bookkeeping: scale steps and ticks, the
// plot slots, automatic y scale, and when the cached background is redrawn.
#include "qgraphbox.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using Step = QGraphBox::ScaleStep;

TEST(GraphScale, StepsKeepTheirFirstSignificantDigitAsIntegerOverPowerOfTen) {
    struct Case {
        double step;
        qint64 count, power;
    } cases[] = {{0.1, 1, 10}, {0.25, 2, 10},    {5, 5, 1},       {0.0625, 6, 100},
                 {0.7, 7, 10}, {0.005, 5, 1000}, {5000, 5000, 1}, {-0.25, 2, 10},
                 {2.5, 2, 1},  {0.001, 1, 1000}};
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
    EXPECT_EQ(cie.last(), 0.8);

    // Over a long axis every tick is still exactly k / 10.
    const QVector<double> long_ = QGraphBox::ticks(-50, 100, Step::fromStep(0.1));
    ASSERT_EQ(long_.size(), 1501);
    for (int i = 0; i < long_.size(); ++i)
        ASSERT_EQ(long_[i], (i - 500) / 10.0) << i;

    // The axis ends need not be multiples.
    EXPECT_EQ(QGraphBox::ticks(0.05, 0.33, Step::fromStep(0.1)), (QVector<double>{0.1, 0.2, 0.3}));
    EXPECT_EQ(QGraphBox::ticks(0, 65000, Step::fromStep(5000)).size(), 14);

    // Nothing to draw rather than a hang or a flood.
    EXPECT_TRUE(QGraphBox::ticks(0, 1, Step()).isEmpty());
    EXPECT_TRUE(QGraphBox::ticks(0, 65000, Step::fromStep(0.001)).isEmpty());
    EXPECT_TRUE(QGraphBox::ticks(1, 0, Step::fromStep(0.1)).isEmpty());
    EXPECT_EQ(QGraphBox::ticks(0, 0, Step::fromStep(0.005)), QVector<double>{0});
}

PlotObject series(std::initializer_list<QPointF> points) {
    PlotObject p;
    for (const QPointF &pt : points)
        p.points << pt;
    return p;
}

TEST(GraphPlots, SetYFromXChangesEveryMatchingPointAndNothingElse) {
    QGraphBox graph;
    graph.appendPlots(series({{1, 5}, {2, 6}, {1, 7}}));
    graph.appendPlots(series({{1, 8}}));
    const QList<PlotObject> before = graph.plots();

    graph.setYPlotPointFromX(0, 3.0, 9);
    graph.setYPlotPointFromX(5, 1.0, 9);
    graph.setYPlotPointFromX(-1, 1.0, 9);
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(graph.plots()[i].points, before[i].points);

    graph.setYPlotPointFromX(0, 1.0, 9);
    EXPECT_EQ(graph.plots()[0].points, (QList<QPointF>{{1, 9}, {2, 6}, {1, 9}}));
    EXPECT_EQ(graph.plots()[1].points, before[1].points); // other plots untouched
}

TEST(GraphPlots, SlotsReturnIndexesAndIgnoreOutOfRangeOnes) {
    QGraphBox graph;
    EXPECT_EQ(graph.appendPlots(PlotObject()), 0);
    EXPECT_EQ(graph.appendPlots(PlotObject()), 1);
    EXPECT_EQ(graph.appendPlotsPoints(1, {0.3, 0.4}), 0);
    EXPECT_EQ(graph.appendPlotsPoints(1, {0.5, 0.6}), 1);
    EXPECT_EQ(graph.appendPlotsColors(1, Qt::red), 0);
    EXPECT_EQ(graph.appendPlotsPoints(2, {0, 0}), -1);
    EXPECT_EQ(graph.appendPlotsColors(-1, Qt::red), -1);

    graph.setXPlotPoint(1, 1, 0.55);
    graph.setYPlotPoint(1, 0, 0.45);
    graph.setXPlotPoint(1, 2, 9); // no such point
    graph.setYPlotPoint(3, 0, 9); // no such plot
    graph.setPlotsColors(1, 0, Qt::blue);
    graph.setPlotsColors(1, 1, Qt::green); // no such colour
    EXPECT_EQ(graph.plots()[1].points, (QList<QPointF>{{0.3, 0.45}, {0.55, 0.6}}));
    EXPECT_EQ(graph.plots()[1].colors, QList<QColor>{QColor(Qt::blue)});
    // One colour serves the whole series.
    EXPECT_EQ(graph.plots()[1].colorAt(1, Qt::black), QColor(Qt::blue));

    graph.clearPoints(1);
    graph.clearColors(1);
    EXPECT_TRUE(graph.plots()[1].points.isEmpty());
    EXPECT_TRUE(graph.plots()[1].colors.isEmpty());
    graph.clearPlots();
    EXPECT_TRUE(graph.plots().isEmpty());

    graph.appendXLabels("R");
    graph.appendXLabels("G");
    graph.setXLabels(1, "S");
    graph.setXLabels(2, "V"); // no such label
    EXPECT_EQ(graph.xLabels(), (QStringList{"R", "S"}));
    graph.clearXLabels();
    EXPECT_TRUE(graph.xLabels().isEmpty());
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

    // All zero: the range collapses to 0..0 and still paints.
    graph.clearPlots();
    graph.appendPlots(series({{380, 0}, {780, 0}}));
    graph.setBackgroundMode(QGraphBox::PlotMode);
    graph.setYMin(0);
    graph.setYMajorScale(0);
    graph.setYMinorScale(0);
    graph.autoScaleY();
    EXPECT_EQ(graph.yMax(), 0);
    graph.resize(300, 200);
    EXPECT_FALSE(graph.grab().isNull());
    const QPointF p = graph.chartToWidget({500, 0});
    EXPECT_TRUE(std::isfinite(p.x()) && std::isfinite(p.y()));
}

class GraphRedraw : public ::testing::Test {
protected:
    void SetUp() override {
        graph.resize(400, 360);
        PlotObject reading;
        reading.points << QPointF(0.3127, 0.3290);
        reading.colors << Qt::red;
        graph.appendPlots(reading);
    }
    // Shown, painted once and with no resize pending.
    void settle() {
        graph.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&graph));
        QElapsedTimer clock;
        clock.start();
        while ((graph.isRedrawPending() || graph.backgroundRedrawCount() == 0) &&
               clock.elapsed() < 2000)
            QTest::qWait(10);
        graph.repaint();
        ASSERT_FALSE(graph.isRedrawPending());
    }
    QGraphBox graph;
};

TEST_F(GraphRedraw, QuickResizesOfADiagramCauseOneRedrawAfterTheLast) {
    graph.setBackgroundMode(QGraphBox::CIEMode);
    settle();
    QSignalSpy redrawn(&graph, &QGraphBox::backgroundRedrawn);
    QElapsedTimer sinceLast;
    for (int i = 1; i <= 5; ++i) {
        graph.resize(400 + 10 * i, 360 + 7 * i);
        graph.repaint(); // painted from the stretched cache meanwhile
        sinceLast.start();
        QTest::qWait(10);
    }
    EXPECT_TRUE(graph.isRedrawPending());
    EXPECT_EQ(redrawn.count(), 0);

    ASSERT_TRUE(redrawn.wait(1000));
    EXPECT_GE(sinceLast.elapsed(), 45); // the timer is coarse: up to 5 % early
    QTest::qWait(120);
    EXPECT_EQ(redrawn.count(), 1);
    EXPECT_FALSE(graph.isRedrawPending());
}

TEST_F(GraphRedraw, BarChartAndPlainPlotRedrawAtOnceOnResize) {
    for (auto mode : {QGraphBox::BarMode, QGraphBox::PlotMode}) {
        graph.setBackgroundMode(mode);
        settle();
        QSignalSpy redrawn(&graph, &QGraphBox::backgroundRedrawn);
        graph.resize(graph.width() + 20, graph.height() + 10);
        EXPECT_FALSE(graph.isRedrawPending());
        graph.repaint();
        EXPECT_EQ(redrawn.count(), 1) << mode;
    }
}

TEST_F(GraphRedraw, MovingAPointRepaintsOverTheCachedBackground) {
    graph.setBackgroundMode(QGraphBox::CIEMode);
    settle();
    QSignalSpy redrawn(&graph, &QGraphBox::backgroundRedrawn);
    for (int i = 0; i < 10; ++i) {
        graph.setXPlotPoint(0, 0, 0.30 + i * 0.005);
        graph.setYPlotPoint(0, 0, 0.32 + i * 0.004);
        graph.repaint();
    }
    graph.appendPlotsPoints(0, {0.4, 0.4});
    graph.repaint();
    EXPECT_EQ(redrawn.count(), 0);

    // A setter waits for the next paint, then redraws once.
    graph.setGamutTriangle(false);
    graph.setTitle("Run 2");
    EXPECT_EQ(redrawn.count(), 0);
    graph.repaint();
    EXPECT_EQ(redrawn.count(), 1);

    // A theme change repaints the background in the new colours.
    QPalette dark = graph.palette();
    dark.setColor(QPalette::Window, QColor(30, 30, 34));
    dark.setColor(QPalette::WindowText, QColor(230, 230, 230));
    graph.setPalette(dark);
    graph.repaint();
    EXPECT_EQ(redrawn.count(), 2);
    EXPECT_EQ(graph.grab().toImage().pixelColor(1, 1), QColor(30, 30, 34));
}

TEST_F(GraphRedraw, MagnifiedViewRedrawsOnlyWhenItMustWiden) {
    graph.setBackgroundMode(QGraphBox::MagnifiedMode);
    graph.setMagnifiedCenter({0.3127, 0.3290});
    settle();
    QSignalSpy redrawn(&graph, &QGraphBox::backgroundRedrawn);
    graph.setXPlotPoint(0, 0, 0.3128);
    graph.repaint();
    graph.setYPlotPoint(0, 0, 0.3291);
    graph.repaint();
    EXPECT_EQ(redrawn.count(), 0);

    // A reading far from the white widens the view to take it in.
    const QPointF far(0.3500, 0.3700);
    graph.setXPlotPoint(0, 0, far.x());
    graph.setYPlotPoint(0, 0, far.y());
    graph.repaint();
    EXPECT_EQ(redrawn.count(), 1);
    EXPECT_TRUE(graph.rect().contains(graph.chartToWidget(far).toPoint()));
    EXPECT_TRUE(graph.rect().contains(graph.chartToWidget({0.3127, 0.3290}).toPoint()));
}

} // namespace
