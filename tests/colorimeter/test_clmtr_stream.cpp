// Continuous measuring against the simulated colorimeter: single (adaptive)
// measurements and commands that stop the stream, losing the instrument
// mid-stream, and the worker stopping or restarting itself from its callback.
#include "simfixture.h"
#include "waituntil.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <set>
#include <thread>

namespace {
constexpr uint32_t unstable = ErrorBits::Unstable;
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
    sim_->scene().setXYZ(1, 1, 1);
    Measurement m = c.measureOnce(0); // adaptive
    EXPECT_GT(m.avgCount, 5); // a dim light takes several readings (the rule: averaging tests)
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
    EXPECT_FALSE(c.isConnected());
}

namespace {
// From inside its own callback, every n records, stops measuring, or
// restarts it (`restarts` times); notes the threads that deliver after that.
class SelfControlling : public RecordingClmtr {
public:
    SelfControlling(int n, int restarts) : n_(n), restarts_(restarts) {}
    ~SelfControlling() override { close(); }
    std::set<std::thread::id> threadsAfter() {
        std::lock_guard<std::mutex> l(lock_);
        return threads_;
    }

protected:
    void onRecord(const Measurement &) override {
        const int seen = ++seen_, last = n_ * std::max(restarts_, 1);
        if (seen % n_ == 0 && seen <= last)
            restarts_ ? startMeasuring() : stopMeasuring();
        if (seen <= last)
            return;
        {
            std::lock_guard<std::mutex> l(lock_);
            threads_.insert(std::this_thread::get_id());
        }
        // Leaves the port free a while, so a replaced worker, if one were
        // still looping, would get its turn.
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    const int n_;
    std::atomic<int> seen_{0};
    const int restarts_;
    std::mutex lock_;
    std::set<std::thread::id> threads_;
};
} // namespace

TEST_F(Stream, TheWorkerCanStopOrRestartItselfFromItsCallback) {
    c.close(); // one owner per port
    {
        SelfControlling s(3, 0);
        ASSERT_TRUE(s.connect(port()));
        s.startMeasuring();
        ASSERT_TRUE(waitUntil([&] { return !s.isThreadRunning(); }));
        EXPECT_EQ(s.records().size(), 3u);
        EXPECT_EQ(s.measureOnce(1).avgCount, 1); // the port is usable afterwards
    }
    SelfControlling s(2, 3); // hands over to a new worker three times
    ASSERT_TRUE(s.connect(port()));
    s.startMeasuring();
    EXPECT_GE(s.waitFor(14).size(), 14u);
    EXPECT_TRUE(s.isThreadRunning());
    s.stopMeasuring();
    EXPECT_FALSE(s.isThreadRunning());
    EXPECT_EQ(s.threadsAfter().size(), 1u); // the replaced worker delivers nothing more
}
