// Continuous measuring against the simulated colorimeter: adaptive averaging
// in bright and dark scenes, the 3 % cut, single measurements, settings that
// stop the stream, losing the instrument mid-stream, and the worker stopping
// or restarting itself from its own callback.
#include "simfixture.h"
#include "waituntil.h"

#include <thread>

namespace {
constexpr uint32_t unstable = ErrorBits::Unstable;

int readingsToPass(double sum, double scale) {
    for (int k = 1; k < 1000; ++k) {
        if (k * sum > k * 48.0 / (k + 1) * scale)
            return k;
    }
    return 1000;
}

double rawSum(const Measurement &m) {
    return m.rawX + m.rawY + m.rawZ;
}

} // namespace

class Stream : public SimFixture {
protected:
    void SetUp() override {
        SimFixture::SetUp();
        startSim("TV-40");
        ASSERT_TRUE(c.connect(port()));
    }
    void TearDown() override {
        c.close();
        SimFixture::TearDown();
    }
    RecordingClmtr c;
};

TEST_F(Stream, BrightSceneUsesOneReadingPerRecord) {
    sim_->scene().setXYZ(95, 100, 108);
    c.startMeasuring();
    EXPECT_TRUE(c.isMeasuring());
    auto recs = c.waitFor(20);
    c.stopMeasuring();
    ASSERT_GE(recs.size(), 20u);
    const auto &e = sim::ColorimeterSim::matrixError();
    const double expectY = e[1][0] * 95 + e[1][1] * 100 + e[1][2] * 108;
    for (const Measurement &m : recs) {
        EXPECT_EQ(m.avgCount, 1);
        EXPECT_EQ(m.errorCode & (unstable | 0x7), 0u);
        EXPECT_NEAR(m.bigY, expectY, expectY * 1e-4); // 15-bit mantissa
        EXPECT_DOUBLE_EQ(m.bigY, m.rawY);             // factory profile: no matrix
        EXPECT_GT(m.temp, 5000);                      // derived fields are filled in
    }
}

TEST_F(Stream, DarkSceneAveragesMoreAndFlagsWhileTheRingFills) {
    sim_->scene().setXYZ(1, 1, 1);
    c.startMeasuring();
    auto recs = c.waitFor(30);
    c.stopMeasuring();
    ASSERT_GE(recs.size(), 30u);
    const int needed = readingsToPass(rawSum(recs[0]), 1.0);
    ASSERT_GT(needed, 5);
    ASSERT_LT(needed, 30);
    for (std::size_t i = 0; i < recs.size(); ++i) {
        if (static_cast<int>(i) + 1 < needed) {
            EXPECT_EQ(recs[i].avgCount, static_cast<int>(i) + 1) << i;
            EXPECT_NE(recs[i].errorCode & unstable, 0u) << i;
        } else {
            EXPECT_EQ(recs[i].avgCount, needed) << i;
            EXPECT_EQ(recs[i].errorCode & unstable, 0u) << i;
        }
    }
}

TEST_F(Stream, NormalSpeedDoublesTheLowLightThreshold) {
    sim_->scene().setXYZ(1, 1, 1);
    c.setSpeed(1);
    c.startMeasuring();
    auto recs = c.waitFor(40);
    c.stopMeasuring();
    ASSERT_GE(recs.size(), 40u);
    const int fastNeeded = readingsToPass(rawSum(recs[0]), 1.0);
    const int normalNeeded = readingsToPass(rawSum(recs[0]), 2.0);
    ASSERT_GT(normalNeeded, fastNeeded);
    ASSERT_LE(normalNeeded, 32);
    EXPECT_EQ(recs.back().avgCount, normalNeeded);
}

TEST_F(Stream, StepInTheLightCutsTheAverage) {
    sim_->scene().setXYZ(3, 3, 3);
    c.startMeasuring();
    auto recs = c.waitFor(15);
    const int steady = recs.back().avgCount;
    ASSERT_GT(steady, 1);
    EXPECT_EQ(recs.back().errorCode & unstable, 0u);
    const double before = rawSum(recs.back());

    sim_->scene().setXYZ(3.3, 3.3, 3.3); // 10 % brighter
    ASSERT_TRUE(waitUntil([&] {
        auto r = c.records();
        return rawSum(r.back()) > before * 1.05 && r.size() > recs.size() + 10;
    }));
    c.stopMeasuring();
    recs = c.records();
    std::size_t step = 0;
    while (rawSum(recs[step]) < before * 1.05)
        ++step;
    EXPECT_EQ(recs[step].avgCount, 1); // the older, dimmer readings are cut off
    EXPECT_NE(recs[step].errorCode & unstable, 0u);
    EXPECT_EQ(recs.back().errorCode & unstable, 0u); // settles again
}

TEST_F(Stream, MeasureOnceFixedCountAndAdaptive) {
    sim_->scene().setXYZ(95, 100, 108);
    Measurement m = c.measureOnce(0);
    EXPECT_EQ(m.avgCount, 1);
    EXPECT_EQ(m.errorCode & unstable, 0u);

    sim_->scene().setXYZ(1, 1, 1);
    m = c.measureOnce(0);
    EXPECT_EQ(m.avgCount, readingsToPass(m.rawX + m.rawY + m.rawZ, 1.0));
    EXPECT_EQ(m.errorCode & unstable, 0u);

    m = c.measureOnce(4);
    EXPECT_EQ(m.avgCount, 4);
    EXPECT_EQ(m.errorCode & unstable, 0u);
    EXPECT_FALSE(c.isMeasuring());
}

TEST_F(Stream, MaxAverageAndSpeedChangesStopTheStream) {
    sim_->scene().setXYZ(0.2, 0.2, 0.2);
    c.startMeasuring();
    c.waitFor(3);
    EXPECT_TRUE(c.setMaxAverage(8));
    EXPECT_FALSE(c.isMeasuring());
    EXPECT_FALSE(c.isThreadRunning());
    EXPECT_FALSE(c.setMaxAverage(8)); // unchanged
    EXPECT_FALSE(c.setMaxAverage(0));
    EXPECT_FALSE(c.setMaxAverage(129));
    EXPECT_EQ(c.maxAverage(), 8);

    c.clear();
    c.startMeasuring();
    auto recs = c.waitFor(12);
    EXPECT_EQ(recs.back().avgCount, 8); // too dark to finish early: the whole ring
    c.setSpeed(1);
    EXPECT_FALSE(c.isMeasuring());
    EXPECT_FALSE(c.isThreadRunning());
    EXPECT_EQ(c.speed(), 1);
}

TEST_F(Stream, OtherCommandsStopTheStreamFirst) {
    c.startMeasuring();
    c.waitFor(2);
    clmtr::Reply r = c.sendCommand("P0");
    EXPECT_EQ(r.result, 0u);
    EXPECT_EQ(r.bytes.substr(0, 7), "P0TV-40");
    EXPECT_FALSE(c.isMeasuring());
    EXPECT_FALSE(c.isThreadRunning());
}

TEST_F(Stream, UnplugMidStreamDeliversOneFailedRecordAndEnds) {
    c.startMeasuring();
    c.waitFor(5);
    EXPECT_EQ(say("unplug"), "ok colorimeter unplugged");
    ASSERT_TRUE(waitUntil([&] { return !c.isThreadRunning(); }));
    auto recs = c.records();
    const Measurement &last = recs.back();
    EXPECT_TRUE(last.errorCode == 1 || last.errorCode == 2) << last.errorCode;
    EXPECT_EQ(last.bigX, 0);
    EXPECT_EQ(last.bigY, 0);
    EXPECT_EQ(last.rawZ, 0);
    for (std::size_t i = 0; i + 1 < recs.size(); ++i)
        EXPECT_EQ(recs[i].errorCode & 0x7, 0u);
    bool fresh = false;
    EXPECT_EQ(c.lastMeasurement(&fresh).errorCode, last.errorCode);
    EXPECT_TRUE(fresh);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(c.records().size(), recs.size()); // nothing after the failure
    EXPECT_FALSE(c.isConnected());
}

namespace {
// Stops measuring from inside its own callback on the third record.
class SelfStopping : public RecordingClmtr {
public:
    ~SelfStopping() override { close(); }

protected:
    void onRecord(const Measurement &) override {
        if (++seen_ == 3)
            stopMeasuring();
    }
    int seen_ = 0;
};

// Restarts measuring from inside its callback once, handing over to a new worker.
class SelfRestarting : public RecordingClmtr {
public:
    ~SelfRestarting() override { close(); }

protected:
    void onRecord(const Measurement &) override {
        if (++seen_ == 2)
            startMeasuring();
    }
    int seen_ = 0;
};
} // namespace

TEST_F(Stream, WorkerCanStopItselfFromItsCallback) {
    c.close(); // one owner per port
    SelfStopping s;
    ASSERT_TRUE(s.connect(port()));
    s.startMeasuring();
    ASSERT_TRUE(waitUntil([&] { return !s.isThreadRunning(); }));
    EXPECT_EQ(s.records().size(), 3u);
    EXPECT_FALSE(s.isMeasuring());
    EXPECT_EQ(s.measureOnce(1).avgCount, 1); // the port is usable afterwards
}

TEST_F(Stream, WorkerCanRestartItselfFromItsCallback) {
    c.close();
    SelfRestarting s;
    ASSERT_TRUE(s.connect(port()));
    s.startMeasuring();
    auto recs = s.waitFor(10);
    EXPECT_GE(recs.size(), 10u);
    EXPECT_TRUE(s.isThreadRunning());
    s.stopMeasuring();
    EXPECT_FALSE(s.isThreadRunning());
    const std::size_t n = s.records().size();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(s.records().size(), n); // one worker, and it has ended
}
