// The plot types drawn from runs of a display whose answer is known: a
// power-law grey scale of gamma 2.4 on a black of 0.1 cd/m², at the
// standard's white point unless a test tints it.
#include "calplots.h"
#include "plotcommon.h"
#include "qgraphbox.h"
#include "transfer.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace screencal;

namespace {

constexpr double white = 120, black = 0.1, displayGamma = 2.4;
const GamutSpec rec709 = GamutSpec::standardSpec(2, 100.0);

Measurement grey(double level, double dx = 0, double dy = 0) {
    const double Y = black + (white - black) * std::pow(level, displayGamma);
    return Measurement::fromxyY(rec709.whiteX + dx, rec709.whiteY + dy, Y, rec709);
}

// The full-range ten-step grey scale with its black and white.
QVector<RunSample> greyScale(double dx = 0, double dy = 0) {
    QVector<RunSample> out;
    for (int code : {0, 25, 51, 76, 102, 127, 153, 178, 204, 229, 255})
        out.append({{code, code, code}, grey(code / 255.0, dx, dy)});
    return out;
}

PlotContext context() {
    PlotContext c;
    c.gamma = 2.2;
    c.spec = rec709;
    return c;
}

class Plots : public ::testing::Test {
protected:
    const QList<PlotObject> &draw(const QString &type, const PlotData &data,
                                  const PlotContext &c = context()) {
        EXPECT_TRUE(drawPlot(type, &graph, data, c)) << type.toStdString();
        return graph.plots();
    }
    PlotData run(const QVector<RunSample> &samples, const QVector<RunSample> &compare = {}) {
        PlotData d;
        d.samples = samples;
        d.compare = compare;
        d.whiteY = white;
        d.title = "t";
        return d;
    }
    QGraphBox graph;
};

bool muted(const PlotObject &p) {
    return !p.colors.isEmpty() && p.colors.first().alpha() < 255;
}

} // namespace

TEST_F(Plots, LuminanceAndChannelCurvesFollowInputLevelBesideTheTarget) {
    // line:Y in cd/m², line:RGBCurve per channel in percent of white; each
    // ends with its target: white times level^2.2 (the target gamma).
    const struct {
        const char *type;
        int measured;
        double full, exact, halfway; // tolerances at the ends and at level 127
    } cases[] = {{"line:Y", 1, white, 1e-6, 1e-6}, {"line:RGBCurve", 3, 100, 1e-9, 0.01}};
    for (const auto &c : cases) {
        const auto &plots = draw(c.type, run(greyScale()));
        ASSERT_EQ(plots.size(), c.measured + 1) << c.type;
        for (int i = 0; i < c.measured; ++i) {
            const QList<QPointF> &p = plots[i].points;
            ASSERT_EQ(p.size(), 11) << c.type;
            EXPECT_NEAR(p.first().x(), 0, 1e-9);
            EXPECT_NEAR(p.last().x(), 100, 1e-9);
            EXPECT_NEAR(p.last().y(), c.full, c.exact) << c.type;
            EXPECT_NEAR(p[5].y(), c.full * grey(127 / 255.0).bigY / white, c.halfway) << c.type;
        }
        EXPECT_NEAR(plots.last().points[10].y(), c.full * std::pow(0.5, 2.2), c.exact) << c.type;
        EXPECT_GE(graph.yMax(), c.full);
    }
}

TEST_F(Plots, GammaPerStepAgainstTheTarget) {
    const auto &plots = draw("line:gamma", run(greyScale()));
    ASSERT_EQ(plots.size(), 2);
    // Black and white have no gamma; the nine steps between do.
    ASSERT_EQ(plots[0].points.size(), 9);
    for (const QPointF &p : plots[0].points)
        EXPECT_NEAR(p.y(), displayGamma, 1e-9) << p.x();
    EXPECT_NEAR(plots[1].points[0].y(), 2.2, 1e-12);
    EXPECT_LE(graph.yMin(), 2.2);
    EXPECT_GE(graph.yMax(), 2.4);
    // Without a full white there is nothing to refer the steps to.
    QVector<RunSample> noWhite = greyScale();
    noWhite.removeLast();
    EXPECT_TRUE(measuredGammas(noWhite, context()).isEmpty());
}

TEST_F(Plots, BalanceIsNeutralAtTheWhitePointAndShowsATint) {
    const auto &neutral = draw("line:RGBBalance", run(greyScale()));
    ASSERT_EQ(neutral.size(), 4); // R, G, B and the 100 line
    for (int c = 0; c < 3; ++c) {
        ASSERT_EQ(neutral[c].points.size(), 10) << c; // black has no balance
        for (const QPointF &p : neutral[c].points)
            EXPECT_NEAR(p.y(), 100, 0.01) << c << " at " << p.x();
    }
    // Towards red-yellow: red up, blue down, at every level alike.
    const auto &warm = draw("line:RGBBalance", run(greyScale(0.01, 0.0)));
    for (const QPointF &p : warm[0].points)
        EXPECT_GT(p.y(), 103);
    for (const QPointF &p : warm[2].points)
        EXPECT_LT(p.y(), 97);
}

TEST_F(Plots, BarsJudgeTheLatestReading) {
    for (bool hsv : {false, true}) {
        PlotContext ctx = context();
        ctx.hsv = hsv;
        const auto &bars = draw("bar:RGB", run(greyScale()), ctx);
        EXPECT_EQ(graph.xLabels(), (hsv ? QStringList{"H", "S", "V"} : QStringList{"R", "G", "B"}));
        EXPECT_EQ(graph.backgroundMode(), QGraphBox::BarMode);
        ASSERT_EQ(bars.size(), 1);
        ASSERT_EQ(bars[0].points.size(), 3);
        if (!hsv) {
            for (const QPointF &p : bars[0].points)
                EXPECT_NEAR(p.y(), 100, 0.01);
        }
    }
    // A live reading replaces the run's last patch.
    PlotData live = run(greyScale());
    live.live = grey(1.0, 0.01, 0);
    const auto &bars = draw("bar:RGB", live);
    EXPECT_GT(bars[0].points[0].y(), 103);
}

TEST_F(Plots, DeltaEIsZeroOnTargetAndGrowsOffIt) {
    PlotContext c = context();
    c.gamma = displayGamma;
    // A display exactly on target: the greys at their target luminance.
    QVector<RunSample> exact;
    for (int code : {51, 127, 204, 255})
        exact.append({{code, code, code},
                      Measurement::fromxyY(rec709.whiteX, rec709.whiteY,
                                           white * std::pow(code / 255.0, displayGamma), rec709)});
    for (double de : patchDeltaEs(exact, white, c))
        EXPECT_NEAR(de, 0, 0.01);
    QVector<RunSample> off = exact;
    off[1].m = Measurement::fromxyY(rec709.whiteX + 0.01, rec709.whiteY, off[1].m.bigY, rec709);
    const QList<double> de = patchDeltaEs(off, white, c);
    EXPECT_GT(de[1], 2.0);
    EXPECT_NEAR(de[0], 0, 0.01);

    const auto &plots = draw("deltaE", run(off, exact), c);
    // The earlier run (a line and its markers) drawn muted beneath this one.
    ASSERT_EQ(plots.size(), 4);
    EXPECT_EQ(plots[1].name, "Before calibration");
    EXPECT_EQ(plots[3].name, "After calibration");
    EXPECT_TRUE(muted(plots[0]) && muted(plots[1]));
    EXPECT_FALSE(muted(plots[3]));
    EXPECT_EQ(plots[3].points.size(), 4);
    EXPECT_NEAR(plots[3].points[1].y(), de[1], 1e-9);
    EXPECT_NEAR(plots[3].points[1].x(), 2, 1e-12); // patches count from 1
    EXPECT_GE(graph.yMax(), de[1]);
}

TEST_F(Plots, TwoLevelsAreShownAsPointsNotAsAStraightCurve) {
    // Black and white only: nothing is known of the curve between them.
    const QVector<RunSample> ends = {greyScale().first(), greyScale().last()};
    for (const char *type : {"line:RGBCurve", "line:Y"}) {
        const auto &plots = draw(type, run(ends));
        ASSERT_FALSE(plots.isEmpty()) << type;
        EXPECT_EQ(plots.first().style, PlotObject::Points) << type;
        EXPECT_EQ(plots.last().style, PlotObject::Line) << type; // the target stays a curve
    }
    EXPECT_EQ(draw("line:RGBCurve", run(greyScale())).first().style, PlotObject::LineAndPoints);
}

TEST_F(Plots, CieDiagramShowsPatchesEarlierRunAndLiveReading) {
    PlotData data = run(greyScale().mid(8), greyScale().mid(10));
    data.live = grey(1.0, 0.02, 0.02);
    const auto &plots = draw("CIE", data);
    ASSERT_EQ(plots.size(), 3);
    EXPECT_TRUE(muted(plots[0]));
    EXPECT_EQ(plots[1].points.size(), 3);
    EXPECT_NEAR(plots[1].points[0].x(), rec709.whiteX, 1e-6);
    EXPECT_NEAR(plots[2].points[0].x(), rec709.whiteX + 0.02, 1e-6);
    // Before and after, in the legend.
    EXPECT_EQ(plots[0].name, "Before calibration");
    EXPECT_EQ(plots[1].name, "After calibration");
    // Greys only: magnified around the white, where they can be told apart.
    EXPECT_EQ(graph.backgroundMode(), QGraphBox::MagnifiedMode);
    EXPECT_NEAR(graph.magnifiedCenter().x(), rec709.whiteX, 1e-9);
    QVector<RunSample> withRed = greyScale().mid(10);
    withRed.append({{255, 0, 0}, Measurement::fromxyY(0.64, 0.33, 21, rec709)});
    draw("CIE", run(withRed));
    EXPECT_EQ(graph.backgroundMode(), QGraphBox::CIEMode); // a colour: the whole diagram

    PlotContext uv = context();
    uv.xy = false;
    const auto &plots1976 = draw("CIE", run(greyScale().mid(10)), uv);
    EXPECT_EQ(graph.cieChart(), QGraphBox::CIE1976);
    EXPECT_NEAR(plots1976[0].points[0].x(), grey(1).uPrime, 1e-9);
}

// A PQ grey scale: the EOTF on a log axis (decades equally spaced, the
// target ST 2084 itself), ΔE ITP zero on target, the white not rescaled.
TEST_F(Plots, PqGreysOnALogEotfAndByDeltaItp) {
    PlotContext c;
    c.low = 0;
    c.high = 1023;
    c.bits = 10;
    c.curve.transfer = Transfer::Pq;
    c.curve.peakNits = 1000;
    c.spec = GamutSpec::standardSpec(3, hdrReferenceWhite);
    QVector<RunSample> onTarget;
    for (int code : {0, 254, 520, 594, 668, 769}) {
        const double nits = transfer::st2084Eotf(code / 1023.0);
        onTarget.append({{code, code, code}, Measurement::fromxyY(0.3127, 0.329, nits, c.spec)});
    }
    PlotData data;
    data.samples = onTarget;
    data.whiteY = 0;
    const QList<PlotObject> &plots = draw("line:EOTF", data, c);
    EXPECT_TRUE(graph.isYLogScale());
    ASSERT_EQ(plots.size(), 2); // the target, then the run
    for (const QPointF &p : plots[0].points)
        EXPECT_NEAR(p.y(), std::min(1000.0, transfer::st2084Eotf(p.x() / 100)), 1e-6 * p.y());
    EXPECT_EQ(plots[1].points.size(), onTarget.size());
    EXPECT_LE(graph.yMin(), 5.0); // the dimmest grey above black is on the chart
    // A decade takes the same height wherever it is.
    const double d1 = graph.chartToWidget({50, 1}).y() - graph.chartToWidget({50, 10}).y();
    const double d2 = graph.chartToWidget({50, 100}).y() - graph.chartToWidget({50, 1000}).y();
    EXPECT_NEAR(d1, d2, 1e-6);
    EXPECT_GT(d1, 0);

    for (double itp : patchDeltaItps(onTarget, 0, c))
        EXPECT_NEAR(itp, 0, 1e-9);
    for (double de : patchDeltaEs(onTarget, 150, c)) // a measured "white" does not rescale HDR
        EXPECT_NEAR(de, 0, 1e-6);
    const QList<PlotObject> &itps = draw("deltaITP", data, c);
    EXPECT_FALSE(graph.isYLogScale()); // every plot starts linear
    EXPECT_FALSE(itps.isEmpty());

    // An 8-bit generator shows the nearest code (668 of 1023 -> 167 of 255):
    // a display that shows that code exactly is on target, judged by it.
    RunSample reduced{
        {769, 769, 769},
        Measurement::fromxyY(0.3127, 0.329, transfer::st2084Eotf(167 / 255.0), c.spec),
        ShownPatch{{167, 167, 167}, CodeRange::full(8)}};
    EXPECT_NEAR(patchDeltaItps({reduced}, 0, c).at(0), 0, 1e-9);
    reduced.shown.reset(); // judged by the code asked for, it is visibly off
    EXPECT_GT(patchDeltaItps({reduced}, 0, c).at(0), 0.5);
}

TEST_F(Plots, UnknownTypeLeavesTheGraphAlone) {
    draw("line:Y", run(greyScale()));
    const int before = graph.plots().size();
    EXPECT_FALSE(drawPlot("pie:RGB", &graph, run(greyScale()), context()));
    EXPECT_EQ(graph.plots().size(), before);
    // The template reader accepts exactly the types there are plots for.
    EXPECT_EQ(plotTypes(), knownGraphTypes());
    // No samples at all still gives a readable, empty chart.
    for (const QString &type : plotTypes()) {
        EXPECT_TRUE(drawPlot(type, &graph, PlotData(), context()));
        EXPECT_LT(graph.yMin(), graph.yMax()) << type.toStdString();
    }
}
