// The screen generator's window, grabbed under the offscreen platform: the
// pixels of every pattern; the screen device and the manual generator.
#include "manualpattern.h"
#include "pcchroma.h"
#include "pcpatterngen.h"
#include "scripteddialogs.h"
#include "shotsaver.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <gtest/gtest.h>

namespace {

class ScreenPattern : public ::testing::Test {
protected:
    QImage shot() {
        QCoreApplication::processEvents();
        const QImage img = window.grab().toImage();
        saveShot(img, QStringLiteral("screen-pattern-%1-%2").arg(window.pattern()).arg(++shots));
        return img;
    }
    int shots = 0;
    QColor at(const QImage &img, int x, int y) { return QColor(img.pixel(x, y)); }
    PCPatternGen window;
};

QString rgb(const QColor &c) {
    return QStringLiteral("%1,%2,%3").arg(c.red()).arg(c.green()).arg(c.blue());
}

} // namespace

TEST_F(ScreenPattern, FillsItsScreenAndShowsThePatchWhereItIsPut) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(window.size(), screen.size());
    window.setBoxSize(QRect(100, 50, 200, 120));
    window.setColor(QColor(0x12, 0x34, 0x56));
    window.setPattern(PCPatternGen::ColorPatch);
    QImage img = shot();
    EXPECT_EQ(rgb(at(img, 101, 51)), "18,52,86");
    EXPECT_EQ(rgb(at(img, 298, 168)), "18,52,86");
    EXPECT_EQ(rgb(at(img, 99, 51)), "0,0,0");
    EXPECT_EQ(rgb(at(img, 310, 175)), "0,0,0");
    window.setPattern(42); // an unknown number shows the patch too
    EXPECT_EQ(rgb(at(shot(), 150, 100)), "18,52,86");
    window.setPattern(PCPatternGen::BlackWindow);
    EXPECT_EQ(rgb(at(shot(), 150, 100)), "0,0,0");
}

TEST_F(ScreenPattern, GreyCellsStepByOneWithTheirLevelWritten) {
    for (int pattern : {PCPatternGen::DarkCells, PCPatternGen::BrightCells}) {
        window.setPattern(pattern);
        const QImage img = shot();
        const QList<QWidget *> &cells = window.cells();
        for (int i = 0; i < PCPatternGen::cellCount; ++i) {
            const int level = pattern == PCPatternGen::DarkCells ? i : 255 - i;
            const QRect g = cells[i]->geometry();
            EXPECT_EQ(g.top() / g.height(), i / 8) << i;
            EXPECT_EQ(g.left() / g.width(), i % 8) << i;
            EXPECT_EQ(rgb(at(img, g.left() + 2, g.top() + 2)),
                      QStringLiteral("%1,%1,%1").arg(level))
                << pattern << " cell " << i;
            EXPECT_EQ(cells[i]->findChild<QLabel *>()->text(), QString::number(level));
        }
    }
}

TEST_F(ScreenPattern, BarsUseTheLargestCodeValue) {
    window.setMaxColor(200);
    window.setPattern(PCPatternGen::ColorBars);
    const QImage img = shot();
    const int w = window.width(), h = window.height();
    const char *expected[3][3] = {{"200,200,200", "200,200,200", "200,200,200"},
                                  {"200,0,0", "0,200,0", "0,0,200"},
                                  {"200,200,0", "0,200,200", "200,0,200"}};
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col)
            EXPECT_EQ(rgb(at(img, w * (2 * col + 1) / 6, h * (2 * row + 1) / 6)),
                      expected[row][col])
                << row << "," << col;
}

TEST_F(ScreenPattern, CheckerBoardCellsAndPhase) {
    window.setPattern(PCPatternGen::CheckerBoard);
    window.setCheckerBoardPattern(4, 3);
    QImage img = shot();
    const int w = window.width(), h = window.height();
    const int cw = static_cast<int>(w / 4.0 + 0.5), ch = static_cast<int>(h / 3.0 + 0.5);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(rgb(at(img, c * cw + cw / 2, r * ch + ch / 2)),
                      (r + c) % 2 == 0 ? "255,255,255" : "0,0,0")
                << r << "," << c;
    // Cell edges fall where the rounded size puts them.
    EXPECT_NE(at(img, cw - 1, 1), at(img, cw, 1));

    window.setCheckerBoardPattern(1, 1); // becomes 2 x 2
    img = shot();
    EXPECT_EQ(rgb(at(img, w / 4, h / 4)), "255,255,255");
    EXPECT_EQ(rgb(at(img, 3 * w / 4, h / 4)), "0,0,0");
    EXPECT_EQ(rgb(at(img, 3 * w / 4, 3 * h / 4)), "255,255,255");

    window.setCheckerBoardPattern(0, 7); // one column, seven rows
    img = shot();
    const int rowH = static_cast<int>(h / 7.0 + 0.5);
    EXPECT_EQ(rgb(at(img, 3 * w / 4, rowH / 2)), "255,255,255");
    EXPECT_EQ(rgb(at(img, 3 * w / 4, rowH + rowH / 2)), "0,0,0");
}

TEST_F(ScreenPattern, EdgeMarkersSitAtTheMiddleOfEachEdge) {
    window.setPattern(PCPatternGen::EdgeMarkers);
    const QImage img = shot();
    const int w = window.width(), h = window.height();
    EXPECT_EQ(rgb(at(img, w / 2, h / 2)), "255,255,255");
    EXPECT_EQ(rgb(at(img, 2, 2)), "255,255,255");
    EXPECT_EQ(rgb(at(img, w - 3, h - 3)), "255,255,255");
    auto darkNear = [&](int x, int y) {
        for (int dy = -2; dy <= 2; ++dy)
            for (int dx = -2; dx <= 2; ++dx) {
                const int px = qBound(0, x + dx, w - 1), py = qBound(0, y + dy, h - 1);
                if (qGray(img.pixel(px, py)) < 128)
                    return true;
            }
        return false;
    };
    // The circles cross each edge 5 px either side of its middle.
    EXPECT_TRUE(darkNear(w / 2 - 5, 0));
    EXPECT_TRUE(darkNear(w / 2, h - 6));
    EXPECT_TRUE(darkNear(4, h / 2));
    EXPECT_TRUE(darkNear(w - 6, h / 2));
    // And the arrowheads reach a quarter of the height inwards at 45 degrees.
    const int arm = static_cast<int>(h / 4.0 * 0.7071);
    EXPECT_TRUE(darkNear(w / 2 - arm, arm));
    EXPECT_TRUE(darkNear(w / 2 + arm, arm));
}

TEST_F(ScreenPattern, AnImageIsShownCentredOnBlack) {
    QImage red(100, 50, QImage::Format_RGB32);
    red.fill(Qt::red);
    window.sendImage(red); // stored, not shown, while another pattern is up
    EXPECT_EQ(window.pattern(), PCPatternGen::ColorPatch);
    window.setPattern(PCPatternGen::ShowImage);
    const QImage img = shot();
    const int x0 = (window.width() - 100) / 2, y0 = (window.height() - 50) / 2;
    EXPECT_EQ(rgb(at(img, x0, y0)), "255,0,0");
    EXPECT_EQ(rgb(at(img, x0 + 99, y0 + 49)), "255,0,0");
    EXPECT_EQ(rgb(at(img, x0 - 1, y0)), "0,0,0");
    EXPECT_EQ(rgb(at(img, x0 + 100, y0 + 49)), "0,0,0");
}

TEST_F(ScreenPattern, ProgressStripShowsEachPatchAndTheTimeLeft) {
    window.setColor(Qt::black);
    window.setPattern(PCPatternGen::ColorPatch);
    const QList<QColor> patches = {Qt::red, Qt::green, Qt::blue, Qt::yellow};
    window.showProgress(2000, 1000, 1, patches);
    QImage img = shot();
    const int w = window.width() / 4;
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(at(img, i * w + w / 2, 10), patches[i]) << i;
    // Run bar: one and a half patches; patch bar: half the width (sampled
    // along their top rows, above the grey texts).
    EXPECT_EQ(rgb(at(img, w + w / 2 - 2, 21)), "255,255,255");
    EXPECT_EQ(rgb(at(img, w + w / 2 + 2, 21)), "0,0,0");
    EXPECT_EQ(rgb(at(img, window.width() / 2 - 2, 41)), "255,255,255");
    EXPECT_EQ(rgb(at(img, window.width() / 2 + 2, 41)), "0,0,0");
    QStringList texts;
    for (QLabel *l : window.findChildren<QLabel *>(QString(), Qt::FindDirectChildrenOnly))
        texts << l->text();
    EXPECT_TRUE(texts.contains("Patch 1/4"));
    EXPECT_TRUE(texts.contains("Stabilizing in...1"));

    window.showProgress(0, 0, 0, patches);
    img = shot();
    EXPECT_EQ(rgb(at(img, w / 2, 10)), "0,0,0");
    EXPECT_EQ(rgb(at(img, 5, 21)), "0,0,0");
}

TEST(ScreenDevice, OpensOnAScreenByNumberOnly) {
    PCChromaFactory factory;
    std::unique_ptr<GenDevice> bad(factory.create("x"));
    EXPECT_FALSE(bad->isConnected());
    EXPECT_EQ(bad->portName(), "-1");
    std::unique_ptr<GenDevice> missing(
        factory.create(QString::number(QGuiApplication::screens().size())));
    EXPECT_FALSE(missing->isConnected());

    std::unique_ptr<GenDevice> first(factory.create("0"));
    auto *screen = static_cast<PCChroma *>(first.get());
    ASSERT_TRUE(screen->isConnected());
    EXPECT_EQ((QStringList{screen->serialNumber(), screen->model(), screen->manufacturer()}),
              (QStringList{"Screen: 1", "PC Pattern Gen", "Torva Instruments"}));
    EXPECT_EQ(screen->width, screen->window()->width());
    EXPECT_TRUE(screen->window()->isVisible());
    screen->close();
    EXPECT_FALSE(screen->isConnected());
    EXPECT_FALSE(screen->window()->isVisible());
    EXPECT_TRUE(screen->serialNumber().isEmpty());

    ConnectionInfo info;
    ASSERT_TRUE(factory.probe("1", &info));
    EXPECT_EQ(info.serialNumber, "Screen: 2");
    EXPECT_EQ(info.type, PatternGenerator);
}

TEST(ManualGenerator, AsksTheOperatorForTheColourOnly) {
    ScriptedDialogs dialogs;
    ManualPatternFactory factory;
    ConnectionInfo info;
    ASSERT_TRUE(factory.probe("anything", &info));
    EXPECT_EQ((QStringList{info.port, info.model, info.serialNumber}),
              (QStringList{"Manual_Pattern", "Manual Pattern", "Generator"}));

    std::unique_ptr<GenDevice> device(factory.create(QString()));
    auto *manual = static_cast<ManualPattern *>(device.get());
    ASSERT_TRUE(manual->isConnected());
    manual->setPattern(6);
    manual->setCheckerBoardPattern(2, 2);
    EXPECT_EQ(dialogs.count(), 0);
    manual->setColor(QColor(10, 20, 30));
    ASSERT_EQ(dialogs.count(), 1);
    EXPECT_EQ(dialogs.last().kind, "information");
    EXPECT_EQ(dialogs.last().title, "Manual Pattern Generator");
    EXPECT_EQ(dialogs.last().text,
              "Please set the test pattern to:\nRed:\t10\nGreen:\t20\nBlue:\t30");
}
