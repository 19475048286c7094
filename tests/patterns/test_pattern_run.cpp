// Whole runs through the simulated bench: the network generator drives the
// simulated display, whose light the simulated colorimeter measures; the
// sequence logic in between is the one the window and the command line use.
#include "colorimetersim.h"
#include "displaymodel.h"
#include "genmeasure.h"
#include "genpattern.h"
#include "loopbackport.h"
#include "patternsequence.h"
#include "simfixture.h"
#include "torvafactory.h"
#include "torvapatternfactory.h"

#include <QSignalSpy>
#include <QTest>

namespace {

// What the colorimeter should read for a light: the display's light through
// the instrument's own factory-matrix error.
sim::Tristimulus expectedReading(const sim::Tristimulus &t) {
    const auto &m = sim::ColorimeterSim::matrixError();
    return {m[0][0] * t.X + m[0][1] * t.Y + m[0][2] * t.Z,
            m[1][0] * t.X + m[1][1] * t.Y + m[1][2] * t.Z,
            m[2][0] * t.X + m[2][1] * t.Y + m[2][2] * t.Z};
}

class PatternRun : public SimFixture {
protected:
    void SetUp() override {
        SimFixture::SetUp();
        const int patternPort = useLoopbackPatternPort();
        sim::SimulatorOptions o = options();
        o.withPatternGenerator = true;
        o.patternGenerator.port = patternPort;
        o.patternGenerator.address = "127.0.0.2";
        o.patternGenerator.serial = "PG-RUN";
        o.display = "rec709";
        bench_ = std::make_unique<sim::Simulator>(o);
        std::string error;
        ASSERT_TRUE(bench_->start(&error)) << error;
        generator_.reset(generators_.create("127.0.0.2"));
        meter_.reset(meters_.create(QString::fromStdString(port())));
        ASSERT_TRUE(generator_->isConnected());
        ASSERT_TRUE(meter_->isConnected());
        seq_.setGenerator(static_cast<GenPattern *>(generator_.get()));
        seq_.setStableTime(0.35); // the display settles in 0.2 s
        seq_.setAverages(4);
        QObject::connect(&seq_, &PatternSequence::Measured,
                         [this](const Measurement &m, int, int index) {
                             readings_.append({index, m});
                         });
    }
    void TearDown() override {
        meter_.reset();
        generator_.reset();
        bench_.reset();
        SimFixture::TearDown();
    }
    QString run() {
        QSignalSpy done(&seq_, &PatternSequence::finished);
        QSignalSpy aborted(&seq_, &PatternSequence::Aborted);
        EXPECT_TRUE(seq_.start(static_cast<GenMeasure *>(meter_.get()), 0));
        (void)QTest::qWaitFor([&] { return done.count() + aborted.count() > 0; }, 60000);
        return done.count() ? "finished" : aborted.count() ? "Aborted" : "stuck";
    }

    std::unique_ptr<sim::Simulator> bench_;
    TorvaPatternFactory generators_;
    TorvaFactory meters_;
    std::unique_ptr<GenDevice> generator_;
    std::unique_ptr<GenDevice> meter_;
    PatternSequence seq_;
    QList<QPair<int, Measurement>> readings_;
};

} // namespace

TEST_F(PatternRun, TenColoursReadAsTheDisplayShowsThem) {
    const QList<QColor> colors = {QColor(255, 255, 255), QColor(255, 0, 0),     QColor(0, 255, 0),
                                  QColor(0, 0, 255),     QColor(128, 128, 128), QColor(0, 0, 0),
                                  QColor(255, 255, 0),   QColor(0, 255, 255),   QColor(255, 0, 255),
                                  QColor(64, 32, 200)};
    seq_.setColors(colors);
    ASSERT_EQ(run(), "finished");
    ASSERT_EQ(readings_.size(), colors.size());
    const sim::DisplayModel &model = *sim::findDisplayModel("rec709");
    for (const auto &r : readings_) {
        const QColor c = colors.at(r.first);
        const sim::Tristimulus want =
            expectedReading(sim::displayLight(model, c.red(), c.green(), c.blue()));
        const Measurement &m = r.second;
        // Counts quantise the reading; dim patches get an absolute floor.
        const double tolerance = 0.005;
        EXPECT_NEAR(m.bigX, want.X, std::max(0.02, want.X * tolerance)) << r.first;
        EXPECT_NEAR(m.bigY, want.Y, std::max(0.02, want.Y * tolerance)) << r.first;
        EXPECT_NEAR(m.bigZ, want.Z, std::max(0.02, want.Z * tolerance)) << r.first;
    }
    // The black patch reads the panel's black level, not zero.
    EXPECT_NEAR(readings_.at(5).second.bigY, 0.1, 0.02);
}

TEST_F(PatternRun, PatternsChangeWhatTheSensorSees) {
    // Straight to the generator, as the pattern buttons do.
    auto *g = static_cast<GenPattern *>(generator_.get());
    const sim::DisplayModel &model = *sim::findDisplayModel("rec709");
    auto settled = [this] {
        (void)QTest::qWaitFor([this] { return !bench_->display()->settling(); }, 2000);
        return bench_->scene().light().Y;
    };
    g->setMaxColor(255);
    g->setPattern(0);
    EXPECT_NEAR(settled(), 0.1, 1e-9); // black window: the black level
    g->setPattern(4);                  // bars: green in the middle
    EXPECT_NEAR(settled(), sim::displayLight(model, 0, 255, 0).Y, 1e-9);
    g->setCheckerBoardPattern(2, 2); // the four cells meet in the middle: half white
    g->setPattern(6);
    EXPECT_NEAR(settled(), (sim::displayLight(model, 255, 255, 255).Y + 0.1) / 2, 0.5);
    g->setColor(QColor(255, 0, 0));
    g->setBoxSize(QRect(0, 0, 100, 100)); // the patch moved away from the sensor
    g->setPattern(3);
    EXPECT_NEAR(settled(), 0.1, 1e-9);

    // The control channel still overrides the scene between changes.
    EXPECT_EQ(bench_->execute("light xyY 0.3 0.3 42").rfind("ok", 0), 0u);
    EXPECT_NEAR(bench_->scene().light().Y, 42, 1e-9);
}

TEST_F(PatternRun, AGeneratorVanishingMidRunEndsItAborted) {
    seq_.setColors({Qt::white, Qt::red, Qt::green, Qt::blue, Qt::gray});
    QObject::connect(&seq_, &PatternSequence::Measured, [this](const Measurement &, int, int i) {
        if (i == 1)
            bench_->patternGenerator()->stop();
    });
    EXPECT_EQ(run(), "Aborted");
    EXPECT_LE(readings_.size(), 3);
    EXPECT_FALSE(generator_->isConnected());
}
