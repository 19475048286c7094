// Whole runs through the simulated bench: the network generator drives the
// simulated display, whose light the simulated colorimeter measures; the
// sequence logic in between is the one the window and the command line use.
#include "announcingmeter.h"
#include "cs2000.h"
#include "displaybench.h"
#include "displaymodel.h"
#include "displayreading.h"
#include "genmeasure.h"
#include "genpattern.h"
#include "patternsequence.h"
#include "portmanager.h"
#include "qpatternmanger.h"
#include "screenpatternfactories.h"
#include "shotsaver.h"
#include "simfixture.h"
#include "torvafactory.h"
#include "torvapatternfactory.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>

namespace {

class PatternRun : public SimFixture {
protected:
    void SetUp() override {
        SimFixture::SetUp();
        startSim("TV-40", [](sim::SimulatorOptions &o) {
            addDisplayBench(o);
            sim::ReferenceConfig cs2000;
            cs2000.model = "CS-2000";
            cs2000.timeScale = 0; // its measuring time is not under test
            cs2000.noise = 0;
            o.references.push_back(cs2000);
        });
        bench_ = &sim_->sim();
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
        bench_ = nullptr;
        sim_.reset();
        SimFixture::TearDown();
    }
    QString run(GenMeasure *device = nullptr) {
        QSignalSpy done(&seq_, &PatternSequence::finished);
        QSignalSpy aborted(&seq_, &PatternSequence::Aborted);
        EXPECT_TRUE(seq_.start(device ? device : static_cast<GenMeasure *>(meter_.get()), 0));
        (void)QTest::qWaitFor([&] { return done.count() + aborted.count() > 0; }, 60000);
        return done.count() ? "finished" : aborted.count() ? "Aborted" : "stuck";
    }

    sim::Simulator *bench_ = nullptr;
    TorvaPatternFactory generators_;
    TorvaFactory meters_;
    std::unique_ptr<GenDevice> generator_;
    std::unique_ptr<GenDevice> meter_;
    PatternSequence seq_;
    QList<QPair<int, Measurement>> readings_;
};

} // namespace

// The same ten colours through each meter: the colorimeter reads the display's
// light through its counts (dim patches get an absolute floor), the CS-2000
// reads it as it is.
TEST_F(PatternRun, TenColoursReadAsTheDisplayShowsThemThroughEitherMeter) {
    const QList<QColor> colors = {QColor(255, 255, 255), QColor(255, 0, 0),     QColor(0, 255, 0),
                                  QColor(0, 0, 255),     QColor(128, 128, 128), QColor(0, 0, 0),
                                  QColor(255, 255, 0),   QColor(0, 255, 255),   QColor(255, 0, 255),
                                  QColor(64, 32, 200)};
    CS2000Factory factory;
    std::unique_ptr<GenDevice> cs2000(factory.create(QString::fromStdString(dir_ + "/cs2000")));
    ASSERT_TRUE(cs2000->isConnected());
    const sim::DisplayModel &model = *sim::findDisplayModel("rec709");
    seq_.setColors(colors);
    for (GenDevice *device : {meter_.get(), cs2000.get()}) {
        const bool colorimeter = device == meter_.get();
        readings_.clear();
        ASSERT_EQ(run(static_cast<GenMeasure *>(device)), "finished") << colorimeter;
        ASSERT_EQ(readings_.size(), colors.size());
        for (const auto &r : readings_) {
            const QColor c = colors.at(r.first);
            const sim::Tristimulus light = sim::displayLight(model, c.red(), c.green(), c.blue());
            const sim::Tristimulus want =
                colorimeter ? expectedColorimeterReading("rec709", c.red(), c.green(), c.blue())
                            : light;
            const double floor = colorimeter ? 0.02 : 0;
            EXPECT_NEAR(r.second.bigX, want.X, std::max(floor, want.X * 0.005)) << r.first;
            EXPECT_NEAR(r.second.bigY, want.Y, std::max(floor, want.Y * 0.005)) << r.first;
            EXPECT_NEAR(r.second.bigZ, want.Z, std::max(floor, want.Z * 0.005)) << r.first;
        }
        // The black patch reads the panel's black level, not zero.
        EXPECT_NEAR(readings_.at(5).second.bigY, 0.1, 0.02) << colorimeter;
    }
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

TEST_F(PatternRun, ThePatternManagerPicksTheGeneratorFromAScanAndRunsThroughIt) {
    registerPatternFactories();
    QSettings().setValue("checkTorvaPatternGenerator", true);
    PortManager::setPortEnumerator([] { return QList<SerialPortEntry>(); });
    PortManager *ports = PortManager::instance();
    ports->findPorts();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !ports->isScanning(); }, 20000));

    QPatternManger manager;
    manager.resize(520, 560);
    manager.show();
    auto *combo = manager.findChild<QComboBox *>("comboGenerator");
    const int at = combo->findText("PG-RUN", Qt::MatchEndsWith);
    ASSERT_GT(at, 0);
    EXPECT_EQ(combo->itemText(0), "No Pattern Generator Selected");
    EXPECT_TRUE(combo->itemText(at).startsWith("Torva Pat "));
    QMetaObject::invokeMethod(&manager, "on_comboGenerator_activated", Q_ARG(int, at));
    ASSERT_TRUE(QTest::qWaitFor([&] { return manager.generatorConnected(); }, 10000));
    EXPECT_EQ(manager.patchRect(), QRect(480, 270, 960, 540)); // half of 1920 x 1080
    EXPECT_EQ(bench_->patternGenerator()->state().boxW, 960);
    // A window of a share of the screen takes the place of the patch size.
    auto *window = manager.findChild<QSpinBox *>("spinWindow");
    auto *size = manager.findChild<QComboBox *>("comboPatchSize");
    window->setValue(10);
    EXPECT_EQ(manager.patchRect(), QRect(656, 369, 607, 342));
    EXPECT_EQ(bench_->patternGenerator()->state().boxW, 607);
    EXPECT_FALSE(size->isEnabled());
    EXPECT_EQ(QSettings().value("patchWindow").toInt(), 10);
    window->setValue(0);
    EXPECT_EQ(bench_->patternGenerator()->state().boxW, 960);
    EXPECT_TRUE(size->isEnabled());

    manager.setColors({Qt::white, QColor(255, 128, 0), Qt::blue});
    manager.findChild<QDoubleSpinBox *>("doubleStableTime")->setValue(1.0);
    QSignalSpy measured(&manager, &QPatternManger::Measured);
    QSignalSpy finished(&manager, &QPatternManger::finished);
    QList<QPatternManger::measureDevice> tags;
    QObject::connect(&manager, &QPatternManger::finished,
                     [&tags](QPatternManger::measureDevice tag) { tags << tag; });
    manager.start(static_cast<GenMeasure *>(meter_.get()), QPatternManger::VerifyRun);
    ASSERT_TRUE(QTest::qWaitFor([&] { return measured.count() == 1; }, 10000));
    QTest::qWait(500); // mid-way through the second patch
    auto *run = manager.findChild<QProgressBar *>("progressRun");
    auto *patch = manager.findChild<QProgressBar *>("progressPatch");
    EXPECT_EQ(run->format(), "Patch 1/3");
    EXPECT_TRUE(patch->format().startsWith("Stabilizing in...")) << patch->format().toStdString();
    EXPECT_FALSE(combo->isEnabled());
    saveShot(manager.grab().toImage(), "pattern-manager-mid-run");
    const sim::PatternState shown = bench_->patternGenerator()->state();
    EXPECT_EQ(shown.green, 128);

    ASSERT_TRUE(QTest::qWaitFor([&] { return finished.count() == 1; }, 20000));
    EXPECT_EQ(measured.count(), 3);
    EXPECT_EQ(tags, QList<QPatternManger::measureDevice>{QPatternManger::VerifyRun});
    EXPECT_EQ(run->format(), "Run finished: all 3 patches measured");
    EXPECT_TRUE(combo->isEnabled());
    EXPECT_EQ(QSettings().value("stableTime").toDouble(), 1.0);

    // An instrument that announces minutes: the patch bar counts them down,
    // and Abort cancels the measurement itself.
    AnnouncingMeter slow;
    QSignalSpy aborted(&manager, &QPatternManger::Aborted);
    manager.findChild<QDoubleSpinBox *>("doubleStableTime")->setValue(0.0);
    manager.start(&slow, QPatternManger::ReferenceRun);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return patch->format().startsWith("Measuring... 2"); }, 10000));
    EXPECT_EQ(patch->maximum(), 240000);
    ASSERT_TRUE(manager.abort());
    ASSERT_TRUE(QTest::qWaitFor([&] { return aborted.count() == 1; }, 10000));
    EXPECT_TRUE(slow.cancelled);
    EXPECT_FALSE(patch->format().startsWith("Measuring")) << patch->format().toStdString();

    // Stop while the second patch stabilises: the first stays reported.
    manager.findChild<QDoubleSpinBox *>("doubleStableTime")->setValue(1.0);
    QSignalSpy ended(&manager, &QPatternManger::runEnded);
    auto *stop = manager.findChild<QPushButton *>("pushStop");
    EXPECT_FALSE(stop->isEnabled());
    manager.start(static_cast<GenMeasure *>(meter_.get()), QPatternManger::TorvaRun);
    EXPECT_TRUE(stop->isEnabled());
    ASSERT_TRUE(QTest::qWaitFor([&] { return measured.count() == 4; }, 10000));
    stop->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return aborted.count() == 2; }, 5000));
    EXPECT_EQ(measured.count(), 4);
    EXPECT_EQ(ended.value(0).value(0).toString(), "Run stopped: 1 of 3 patches measured");
    EXPECT_EQ(run->format(), "Run stopped: 1 of 3 patches measured");
    EXPECT_FALSE(stop->isEnabled());
}
