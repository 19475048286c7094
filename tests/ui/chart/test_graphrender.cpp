// Renders every chart in the night and day themes, writes the images to the
// test's private directory for inspection, and checks the pixels that carry
// meaning: the locus in spectrum colours, the hue wheel, the bars, the
// theme's background.
#include "locus.h"
#include "qgraphbox.h"
#include "tintwellresources.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QStyle>
#include <QStyleFactory>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>

#include <cmath>

namespace {

QString readTheme(const QString &path) {
    initTintwellResources();
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(f.readAll());
}

QString outputDir() {
    QString base = qEnvironmentVariable("TINTWELL_TEST_HOME");
    if (base.isEmpty())
        base = QDir::tempPath();
    const QString dir = base + "/graphs";
    QDir().mkpath(dir);
    return dir;
}

struct Theme {
    const char *name;
    const char *qss;
    QColor window; // the theme's QWidget background-color
};
const Theme themes[] = {{"night", ":/themes/night.qss", QColor("#23272e")},
                        {"day", ":/themes/day.qss", QColor("#eef0f3")}};

// Colour distance in RGB units.
int distance(const QColor &a, const QColor &b) {
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
           std::abs(a.blue() - b.blue());
}

// The closest colour to `want` within `radius` pixels of `at`.
int nearestMatch(const QImage &img, const QPointF &at, const QColor &want, int radius = 2) {
    int best = 1000;
    for (int dy = -radius; dy <= radius; ++dy)
        for (int dx = -radius; dx <= radius; ++dx) {
            const QPoint p(qRound(at.x()) + dx, qRound(at.y()) + dy);
            if (img.rect().contains(p))
                best = std::min(best, distance(img.pixelColor(p), want));
        }
    return best;
}

QPointF xyOfWavelength(double nm, bool uv) {
    LocusPoint lp;
    EXPECT_TRUE(locusLookup(nm, spectrumLocusTable, &lp));
    if (uv)
        return QPointF(lp.u, lp.v);
    const double d = 6 * lp.u - 16 * lp.v + 12;
    return QPointF(9 * lp.u / d, 4 * lp.v / d);
}

QPointF toUv(const QPointF &xy) {
    const double d = -2 * xy.x() + 12 * xy.y() + 3;
    return QPointF(4 * xy.x() / d, 9 * xy.y() / d);
}

class GraphRender : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override {
        theme = themes[GetParam()];
        // A widget does not own the style it is given: parent it to the graph.
        QStyle *style = QStyleFactory::create("Windows");
        style->setParent(&graph);
        graph.setStyle(style);
        graph.setStyleSheet(readTheme(theme.qss));
        graph.resize(560, 500);
        graph.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&graph));
    }
    QImage render(const QString &name) {
        graph.updateGraph();
        const QImage img = graph.grab().toImage().convertToFormat(QImage::Format_RGB32);
        img.save(outputDir() + "/" + name + "-" + theme.name + ".png");
        return img;
    }
    void addPoint(const QPointF &p, const QColor &colour = Qt::red) {
        PlotObject plot;
        plot.points << p;
        plot.colors << colour;
        graph.appendPlots(plot);
    }
    Theme theme{};
    QGraphBox graph;
};

TEST_P(GraphRender, FullDiagramsDrawTheLocusInSpectrumColours) {
    for (int chart = 0; chart < 2; ++chart) {
        const bool uv = chart == 1;
        graph.clearPlots();
        graph.setCieChart(QGraphBox::CIEChart(chart));
        graph.setCIEScale();
        graph.setBackgroundMode(QGraphBox::CIEMode);
        const QPointF reading(0.3050, 0.3420);
        addPoint(uv ? toUv(reading) : reading);
        const QImage img = render(uv ? "cie1976" : "cie1931");

        EXPECT_EQ(img.pixelColor(2, 2), theme.window);
        for (double nm : {470.0, 505.0, 520.0, 560.0, 600.0}) {
            const QPointF at = graph.chartToWidget(xyOfWavelength(nm, uv));
            EXPECT_LT(nearestMatch(img, at, QGraphBox::spectrumColor(nm)), 30)
                << "chart " << chart << " at " << nm << " nm";
        }
        // The reading's marker is drawn in its colour.
        EXPECT_LT(nearestMatch(img, graph.chartToWidget(uv ? toUv(reading) : reading), Qt::red, 1),
                  30);
    }

    // A small pane, as in a crowded main window: still drawn to scale.
    graph.resize(300, 260);
    const QImage small = render("cie1976-small");
    for (double nm : {480.0, 520.0, 600.0})
        EXPECT_LT(nearestMatch(small, graph.chartToWidget(xyOfWavelength(nm, true)),
                               QGraphBox::spectrumColor(nm)),
                  30)
            << nm << " nm";
}

TEST_P(GraphRender, MagnifiedDiagramCentresOnTheWhite) {
    for (int chart = 0; chart < 2; ++chart) {
        const bool uv = chart == 1;
        graph.clearPlots();
        graph.setCieChart(QGraphBox::CIEChart(chart));
        graph.setMagnifiedCenter(QPointF(0.3127, 0.3290));
        graph.setCIEScale();
        graph.setBackgroundMode(QGraphBox::MagnifiedMode);
        const QPointF reading(0.3165, 0.3262);
        addPoint(uv ? toUv(reading) : reading);
        const QImage img = render(uv ? "magnified1976" : "magnified1931");

        const QPointF white =
            graph.chartToWidget(uv ? toUv(QPointF(0.3127, 0.3290)) : QPointF(0.3127, 0.3290));
        const QRectF page(0, 0, graph.width(), graph.height());
        EXPECT_TRUE(page.adjusted(100, 100, -100, -100).contains(white));
        EXPECT_LT(nearestMatch(img, graph.chartToWidget(uv ? toUv(reading) : reading), Qt::red, 1),
                  30);
    }
}

TEST_P(GraphRender, PolarChartPutsHuesAtTheirAngles) {
    graph.setBackgroundMode(QGraphBox::HueSatMode);
    addPoint(QPointF(200, 45));
    const QImage img = render("huesat");
    const QColor red = img.pixelColor(graph.chartToWidget(QPointF(10, 90)).toPoint());
    const QColor green = img.pixelColor(graph.chartToWidget(QPointF(130, 90)).toPoint());
    const QColor blue = img.pixelColor(graph.chartToWidget(QPointF(250, 90)).toPoint());
    EXPECT_GT(red.red(), red.green() + 40);
    EXPECT_GT(green.green(), green.red() + 40);
    EXPECT_GT(blue.blue(), blue.green() + 40);
    EXPECT_LT(nearestMatch(img, graph.chartToWidget(QPointF(200, 45)), Qt::red, 1), 30);
}

TEST_P(GraphRender, BarsRiseInTheirColours) {
    graph.setBackgroundMode(QGraphBox::BarMode);
    PlotObject bars;
    bars.points << QPointF(0, 103.2) << QPointF(1, 97.6) << QPointF(2, 100.4);
    bars.colors << Qt::red << Qt::green << Qt::blue;
    graph.appendPlots(bars);
    for (const char *label : {"R", "G", "B"})
        graph.appendXLabels(label);
    const QImage img = render("bars");
    // Half-way up each bar, in the middle of its slot.
    for (int i = 0; i < 3; ++i) {
        const QPointF top = graph.chartToWidget(bars.points[i]);
        const QPointF bottom = graph.chartToWidget(QPointF(i, -1e9));
        Q_UNUSED(bottom);
        const QColor c = img.pixelColor(QPointF(top.x(), top.y() + 20).toPoint());
        const int own = i == 0 ? c.red() : i == 1 ? c.green() : c.blue();
        EXPECT_GT(own, 150) << "bar " << i;
        EXPECT_LT(c.red() + c.green() + c.blue() - own, 120) << "bar " << i;
    }
}

TEST_P(GraphRender, PlainPlotsDrawTheirSeries) {
    // A flicker-style signal with two reference lines.
    graph.setBackgroundMode(QGraphBox::PlotMode);
    graph.setTitle("Flicker signal");
    graph.setXName("Time (Seconds)");
    graph.setYName("Counts");
    graph.setXMin(0);
    graph.setXMax(1);
    graph.setXMajorScale(0.25);
    graph.setXMinorScale(0.05);
    graph.setYMin(0);
    graph.setYMax(65000);
    graph.setYMajorScale(5000);
    graph.setYMinorScale(1000);
    PlotObject signal;
    for (int i = 0; i <= 256; ++i) {
        const double t = i / 256.0;
        signal.points << QPointF(t, 50000 + 6000 * std::sin(2 * M_PI * 8 * t));
    }
    signal.colors << QColor(40, 140, 230);
    graph.appendPlots(signal);
    for (double level : {61000.0, 42000.0}) {
        PlotObject ref;
        ref.points << QPointF(0, level) << QPointF(1, level);
        ref.colors << QColor(230, 120, 30);
        graph.appendPlots(ref);
    }
    QImage img = render("plot-signal");
    EXPECT_LT(nearestMatch(img, graph.chartToWidget(QPointF(0.5, 61000)), QColor(230, 120, 30), 1),
              40);
    EXPECT_LT(nearestMatch(img, graph.chartToWidget(signal.points[100]), QColor(40, 140, 230), 1),
              40);

    // A spectral scan.
    graph.clearPlots();
    graph.setTitle(QString());
    graph.setXName("nm");
    graph.setYName("Energy");
    graph.setXMin(350);
    graph.setXMax(800);
    graph.setXMajorScale(50, false);
    graph.setXMinorScale(10);
    graph.setYMin(0);
    graph.setYMax(0.025);
    graph.setYMajorScale(0.005);
    graph.setYMinorScale(0.001);
    PlotObject spectrum;
    for (int nm = 380; nm <= 780; ++nm)
        spectrum.points << QPointF(nm, 0.004 + 0.018 * std::exp(-std::pow((nm - 450) / 12.0, 2)) +
                                           0.012 * std::exp(-std::pow((nm - 560) / 60.0, 2)));
    spectrum.colors << QColor(200, 60, 160);
    graph.appendPlots(spectrum);
    img = render("plot-spectrum");
    EXPECT_LT(nearestMatch(img, graph.chartToWidget(spectrum.points[70]), QColor(200, 60, 160), 1),
              40);
}

INSTANTIATE_TEST_SUITE_P(Themes, GraphRender, ::testing::Values(0, 1),
                         [](const ::testing::TestParamInfo<int> &info) {
                             return std::string(themes[info.param].name);
                         });

} // namespace
