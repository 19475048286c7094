// The simulated video processor: a .cube table loaded with "lut" changes
// every colour the display is given, stays when another display is put in
// front, and a damaged file is refused without touching the table in use.
#include "channelswap.h"
#include "cubelut.h"
#include "simulator.h"
#include "tempdir.h"

#include <gtest/gtest.h>

namespace {

class SimLut : public ::testing::Test {
protected:
    void SetUp() override {
        sim::SimulatorOptions o;
        o.dir = tmp_.file("ports");
        o.colorimeter.timeScale = 0;
        o.display = "rec709";
        o.displaySettleMs = 0;
        sim_ = std::make_unique<sim::Simulator>(o);
        std::string error;
        ASSERT_TRUE(sim_->start(&error)) << error;
    }
    // The light the display settles to for a full-screen patch.
    sim::Tristimulus show(int r, int g, int b) {
        sim::PatternState s;
        s.red = r;
        s.green = g;
        s.blue = b;
        sim_->display()->show(s);
        return sim_->display()->target();
    }
    TempDir tmp_;
    std::unique_ptr<sim::Simulator> sim_;
};

void expectSameLight(const sim::Tristimulus &a, const sim::Tristimulus &b) {
    EXPECT_NEAR(a.X, b.X, 1e-6 * (1 + b.X));
    EXPECT_NEAR(a.Y, b.Y, 1e-6 * (1 + b.Y));
    EXPECT_NEAR(a.Z, b.Z, 1e-6 * (1 + b.Z));
}

} // namespace

TEST_F(SimLut, TheTableSitsBetweenTheSignalAndThePanel) {
    const sim::Tristimulus green = show(0, 255, 0);
    const sim::Tristimulus mixed = show(200, 40, 90);
    // A processor that swaps red and green.
    const std::string path =
        tmp_.write("swap table.cube", writeCube(channelSwapCube(3, {1, 0, 2})));
    EXPECT_EQ(sim_->execute("lut " + path), "ok lut " + path + ": 3^3");
    expectSameLight(show(255, 0, 0), green);
    expectSameLight(show(40, 200, 90), mixed);

    // Refused files leave the table in use alone.
    const struct {
        std::string path;
        const char *message;
    } refused[] = {
        {tmp_.write("short.cube", "LUT_3D_SIZE 2\n0 0 0\n1 1 1\n"),
         "the file holds 2 entries, and a size of 2 needs 8 (truncated?)"},
        {tmp_.write("nan.cube", "LUT_1D_SIZE 2\n0 0 0\nnan 1 1\n"),
         "line 3: 'nan' is not a finite value"},
        {tmp_.file("missing.cube"), "cannot read it"},
        {tmp_.path(), "not a regular file"},
    };
    for (const auto &r : refused) {
        const std::string reply = sim_->execute("lut " + r.path);
        EXPECT_EQ(reply.rfind("error lut " + r.path + ": ", 0), 0u) << reply;
        EXPECT_NE(reply.find(r.message), std::string::npos) << reply;
    }
    expectSameLight(show(255, 0, 0), green);

    // Another panel behind the same processor.
    EXPECT_EQ(sim_->execute("display p3").rfind("ok p3", 0), 0u);
    const sim::Tristimulus p3Swapped = show(255, 0, 0);
    EXPECT_EQ(sim_->execute("lut off"), "ok lut off");
    expectSameLight(show(0, 255, 0), p3Swapped);
    EXPECT_EQ(sim_->execute("lut"), "error usage: lut FILE.cube|off");
}
