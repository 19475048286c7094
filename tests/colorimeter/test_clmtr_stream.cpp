// Continuous measuring against the simulated colorimeter: single (adaptive)
// measurements and commands that stop the stream, losing the instrument
// mid-stream, and the worker stopping or restarting itself from its callback.
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

TEST_F(Stream, MeasureOnceAndOtherCommandsStopTheStreamFirst) {
    sim_->sim().scene().setXYZ(1, 1, 1);
    Measurement m = c.measureOnce(0); // adaptive
    EXPECT_EQ(m.avgCount, readingsToPass(rawSum(m), 1.0));
    EXPECT_EQ(m.errorCode & unstable, 0u);
    c.startMeasuring();
    c.waitFor(2);
    m = c.measureOnce(4); // the port has one user at a time
    EXPECT_EQ(m.avgCount, 4);
    EXPECT_EQ(m.errorCode & (unstable | 0x7), 0u);
    EXPECT_FALSE(c.isMeasuring());
    EXPECT_FALSE(c.isThreadRunning());
    c.startMeasuring();
    c.waitFor(6);
    const clmtr::Reply r = c.sendCommand("P0");
    EXPECT_EQ(r.bytes.substr(0, 7), "P0TV-40");
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
    EXPECT_EQ(last.bigY, 0);
    EXPECT_EQ(c.lastMeasurement().errorCode, last.errorCode);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(c.records().size(), recs.size()); // nothing after the failure
    EXPECT_FALSE(c.isConnected());
}

namespace {
// Stops, or restarts, measuring from inside its own callback at record n.
class SelfControlling : public RecordingClmtr {
public:
    SelfControlling(int n, bool restart) : n_(n), restart_(restart) {}
    ~SelfControlling() override { close(); }

protected:
    void onRecord(const Measurement &) override {
        if (++seen_ == n_)
            restart_ ? startMeasuring() : stopMeasuring();
    }
    int n_, seen_ = 0;
    bool restart_;
};
} // namespace

TEST_F(Stream, TheWorkerCanStopOrRestartItselfFromItsCallback) {
    c.close(); // one owner per port
    {
        SelfControlling s(3, false);
        ASSERT_TRUE(s.connect(port()));
        s.startMeasuring();
        ASSERT_TRUE(waitUntil([&] { return !s.isThreadRunning(); }));
        EXPECT_EQ(s.records().size(), 3u);
        EXPECT_EQ(s.measureOnce(1).avgCount, 1); // the port is usable afterwards
    }
    SelfControlling s(2, true); // hands over to a new worker
    ASSERT_TRUE(s.connect(port()));
    s.startMeasuring();
    EXPECT_GE(s.waitFor(10).size(), 10u);
    EXPECT_TRUE(s.isThreadRunning());
    s.stopMeasuring();
    EXPECT_FALSE(s.isThreadRunning());
    const std::size_t n = s.records().size();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(s.records().size(), n); // one worker, and it has ended
}
