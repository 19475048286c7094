// The simulated colorimeter on its pseudo-terminal, driven by a plain serial
// client: replies, unknown commands, pacing, and every injected fault.
#include "protocol.h"
#include "ptyclient.h"
#include "simulator.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using Clock = std::chrono::steady_clock;

namespace {
bool exists(const std::string &path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}
} // namespace

class SimInstrument : public ::testing::Test {
protected:
    void start(double timeScale, const std::string &model = "TV-40") {
        sim::SimulatorOptions o;
        o.dir = dir_ + "/ports"; // created on start
        o.colorimeter.model = model;
        o.colorimeter.serial = "SIM000042";
        o.colorimeter.timeScale = timeScale;
        o.colorimeter.noise = 0;
        sim_ = std::make_unique<sim::Simulator>(o);
        std::string error;
        ASSERT_TRUE(sim_->start(&error)) << error;
        path_ = o.dir + "/colorimeter";
    }
    void TearDown() override { sim_.reset(); }
    TempDir tmp_;
    std::string dir_ = tmp_.path(), path_;
    std::unique_ptr<sim::Simulator> sim_;
};

TEST_F(SimInstrument, AnswersTheCommandsItKnowsAndIgnoresOthers) {
    start(0);
    PtyClient c(path_);
    ASSERT_TRUE(c.ok());
    EXPECT_EQ(c.transact("P0", 21), "P0TV-40  SIM000042OK\r");
    EXPECT_EQ(c.transact("ZZ", 1, 100), ""); // no reply, like a real instrument
    EXPECT_EQ(c.transact("N5", 15).substr(0, 2), "N5");
    EXPECT_EQ(c.transact("N4", 15).substr(0, 2), "N4");
    EXPECT_EQ(c.transact("M6", 20).size(), 20u);
    EXPECT_EQ(c.transact("D7", 1925).size(), 1925u);
    EXPECT_EQ(c.transact("J4", 1), "0");
    EXPECT_EQ(sim_->colorimeter().rangeMode(), 4);
    EXPECT_EQ(c.transact("L1", 1, 100), "");     // lights take no reply
    EXPECT_EQ(c.transact("P0", 21).size(), 21u); // commands are answered in order
    EXPECT_TRUE(sim_->colorimeter().aimingLights());
}

TEST_F(SimInstrument, ReadingsReportAimingLightsAndRange) {
    start(0);
    sim_->scene().setXYZ(0.5, 0.5, 0.5);
    PtyClient c(path_);
    clmtr::RawReading r;
    ASSERT_TRUE(clmtr::parseReadingReply(c.transact("N5", 15), r));
    EXPECT_EQ(r.status, '0');
    EXPECT_EQ(r.ranges.y, 1);
    // What its filters and factory calibration make of the light's spectrum.
    EXPECT_NEAR(r.y, sim::ColorimeterSim::factoryReading(sim_->scene().spectrum()).Y, 1e-4);
    c.transact("L1", 0);
    sim_->scene().setXYZ(900, 1000, 1100);
    ASSERT_TRUE(clmtr::parseReadingReply(c.transact("N5", 15), r));
    EXPECT_EQ(r.status, 'L');
    EXPECT_EQ(r.ranges.y, 4);
}

TEST_F(SimInstrument, RepliesArePacedAtTheBaudRate) {
    start(1.0); // real instrument time
    PtyClient c(path_);
    auto t0 = Clock::now();
    ASSERT_EQ(c.transact("P0", 21).size(), 21u);
    // 21 bytes of 10 bits at 9600 baud take 21.9 ms on the wire.
    EXPECT_GE(Clock::now() - t0, std::chrono::microseconds(21000));
    const auto before = sim_->colorimeter().repliesSent();
    ASSERT_EQ(c.transact("N5", 15).size(), 15u);
    EXPECT_EQ(sim_->colorimeter().repliesSent(), before + 1);
    EXPECT_LE(sim_->colorimeter().lastReplyEnd(), Clock::now());
}

TEST_F(SimInstrument, SilenceTruncationGarbageAndSlowness) {
    start(0);
    PtyClient c(path_);
    EXPECT_EQ(sim_->execute("silence on"), "ok silence on");
    EXPECT_EQ(c.transact("P0", 21, 100), "");
    sim_->execute("silence off");
    EXPECT_EQ(c.transact("P0", 21).size(), 21u);

    EXPECT_EQ(sim_->execute("truncate 8"), "ok truncate 8");
    EXPECT_EQ(c.transact("P0", 21, 100), "P0TV-40 ");
    sim_->execute("truncate off");

    EXPECT_EQ(sim_->execute("garbage 5"), "ok garbage 5");
    std::string r = c.transact("P0", 26);
    ASSERT_EQ(r.size(), 26u);
    EXPECT_EQ(r.substr(5), "P0TV-40  SIM000042OK\r");
    sim_->execute("garbage off");

    EXPECT_EQ(sim_->execute("slow 20"), "ok slow 20 ms");
    auto t0 = Clock::now();
    EXPECT_EQ(c.transact("P0", 21).size(), 21u);
    EXPECT_GE(Clock::now() - t0, std::chrono::milliseconds(400)); // 21 x 20 ms
    sim_->execute("slow off");
}

TEST_F(SimInstrument, UnplugRemovesThePortAndReplugRestoresThePath) {
    start(0);
    auto c = std::make_unique<PtyClient>(path_);
    ASSERT_EQ(c->transact("P0", 21).size(), 21u);
    EXPECT_EQ(sim_->execute("unplug"), "ok colorimeter unplugged");
    EXPECT_TRUE(c->hungUp());
    EXPECT_FALSE(exists(path_));
    EXPECT_FALSE(sim_->colorimeter().plugged());
    EXPECT_EQ(sim_->execute("unplug"), "error colorimeter is not plugged in");
    EXPECT_FALSE(PtyClient(path_).ok());

    EXPECT_EQ(sim_->execute("replug colorimeter"), "ok colorimeter " + path_);
    EXPECT_EQ(sim_->execute("replug"), "error colorimeter is plugged in already");
    c = std::make_unique<PtyClient>(path_);
    ASSERT_TRUE(c->ok());
    EXPECT_EQ(c->transact("P0", 21), "P0TV-40  SIM000042OK\r");
}

TEST_F(SimInstrument, UnplugInterruptsAReplyUnderWay) {
    start(1.0);
    PtyClient c(path_);
    c.send("D7\r"); // two seconds on the wire at 9600 baud
    EXPECT_FALSE(c.receive(100, 500).empty());
    auto t0 = Clock::now();
    EXPECT_EQ(sim_->execute("unplug"), "ok colorimeter unplugged");
    EXPECT_LT(Clock::now() - t0, std::chrono::milliseconds(1000));
    EXPECT_EQ(sim_->execute("replug"), "ok colorimeter " + path_);
    sim_->stop();
    EXPECT_FALSE(exists(path_)); // stopping removes the link
}
