// Renders the charts in the night theme, writes the images to the test's
// private directory for inspection, and checks the pixels that carry meaning:
// the theme's background, the locus in spectrum colours and the bars in
// their colours.
#include "locus.h"
#include "qgraphbox.h"
#include "tintwellresources.h"

#include <QDir>
#include <QFile>
#include <QStyle>
#include <QStyleFactory>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// The closest RGB distance to `want` within 2 pixels of `at`.
int nearestMatch(const QImage &img, const QPointF &at, const QColor &want) {
    int best = 1000;
    for (int dy = -2; dy <= 2; ++dy)
        for (int dx = -2; dx <= 2; ++dx) {
            const QPoint p(qRound(at.x()) + dx, qRound(at.y()) + dy);
            if (img.rect().contains(p)) {
                const QColor c = img.pixelColor(p);
                best = std::min(best, std::abs(c.red() - want.red()) +
                                          std::abs(c.green() - want.green()) +
                                          std::abs(c.blue() - want.blue()));
            }
        }
    return best;
}

class GraphRender : public ::testing::Test {
protected:
    void SetUp() override {
        initTintwellResources();
        QFile sheet(":/themes/night.qss");
        ASSERT_TRUE(sheet.open(QIODevice::ReadOnly));
        QStyle *style = QStyleFactory::create("Windows");
        style->setParent(&graph); // a widget does not own the style it is given
        graph.setStyle(style);
        graph.setStyleSheet(QString::fromUtf8(sheet.readAll()));
        graph.resize(560, 500);
        graph.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&graph));
    }
    QImage render(const QString &name, const QList<QPointF> &points, const QList<QColor> &colours) {
        graph.clearPlots();
        PlotObject plot;
        plot.points = points;
        plot.colors = colours;
        graph.appendPlots(plot);
        graph.updateGraph();
        const QImage img = graph.grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QString dir =
            qEnvironmentVariable("TINTWELL_TEST_HOME", QDir::tempPath()) + "/graphs";
        QDir().mkpath(dir);
        img.save(dir + "/" + name + ".png");
        return img;
    }
    QGraphBox graph;
};

TEST_F(GraphRender, TheDiagramDrawsTheLocusInSpectrumColoursOnTheThemesBackground) {
    graph.setCieChart(QGraphBox::CIE1976);
    graph.setCIEScale();
    graph.setBackgroundMode(QGraphBox::CIEMode);
    const QPointF reading(0.2, 0.47);
    const QImage img = render("cie1976", {reading}, {Qt::red});
    EXPECT_EQ(img.pixelColor(2, 2), QColor("#23272e"));
    for (double nm : {470.0, 505.0, 520.0, 560.0, 600.0}) {
        LocusPoint lp;
        ASSERT_TRUE(locusLookup(nm, spectrumLocusTable, &lp));
        EXPECT_LT(
            nearestMatch(img, graph.chartToWidget({lp.u, lp.v}), QGraphBox::spectrumColor(nm)), 30)
            << nm << " nm";
    }
    EXPECT_LT(nearestMatch(img, graph.chartToWidget(reading), Qt::red), 30); // the reading's marker
}

TEST_F(GraphRender, BarsRiseInTheirColours) {
    graph.setBackgroundMode(QGraphBox::BarMode);
    for (const char *label : {"R", "G", "B"})
        graph.appendXLabels(label);
    const QList<QPointF> bars{{0, 103.2}, {1, 97.6}, {2, 100.4}};
    const QImage img = render("bars", bars, {Qt::red, Qt::green, Qt::blue});
    for (int i = 0; i < 3; ++i) { // half-way up each bar, in the middle of its slot
        const QPointF top = graph.chartToWidget(bars[i]);
        const QColor c = img.pixelColor(QPointF(top.x(), top.y() + 20).toPoint());
        const int own = i == 0 ? c.red() : i == 1 ? c.green() : c.blue();
        EXPECT_GT(own, 150) << "bar " << i;
        EXPECT_LT(c.red() + c.green() + c.blue() - own, 120) << "bar " << i;
    }
}

} // namespace
