// The simulator's line commands: one "ok"/"error" line per command from an
// extensible table, and strict arguments.
#include "controltable.h"
#include "simulator.h"
#include "tempdir.h"

#include <gtest/gtest.h>

TEST(ControlTable, DispatchesByFirstWordAndAlwaysAnswersOneLine) {
    sim::ControlTable t;
    std::vector<std::string> seen;
    t.add("echo", "WORDS", "repeat", [&](const sim::ControlTable::Args &a) {
        seen = a;
        return sim::ControlResult::success("two\nlines");
    });
    t.add("fail", "", "always fails",
          [](const sim::ControlTable::Args &) { return sim::ControlResult::failure("nope"); });
    EXPECT_EQ(t.execute("  echo  a   b "), "ok two;lines");
    EXPECT_EQ(seen, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(t.execute("fail"), "error nope");
    EXPECT_EQ(t.execute("bogus 1"), "error unknown command 'bogus' (try help)");
    EXPECT_EQ(t.execute("   "), "error empty command");
    EXPECT_EQ(t.helpText(), "echo WORDS: repeat; fail: always fails");
    double d = 0;
    for (const char *bad : {"", "1x", "nan", "inf", " 1"}) // numbers are strict
        EXPECT_FALSE(sim::parseNumber(bad, d)) << bad;
}

class SimControl : public ::testing::Test {
protected:
    void SetUp() override {
        sim::SimulatorOptions o;
        o.dir = dir_;
        o.colorimeter.timeScale = 0;
        sim_ = std::make_unique<sim::Simulator>(o);
        std::string error;
        ASSERT_TRUE(sim_->start(&error)) << error;
    }
    void TearDown() override { sim_.reset(); }
    TempDir tmp_;
    std::string dir_ = tmp_.path();
    std::unique_ptr<sim::Simulator> sim_;
};

TEST_F(SimControl, LightSetsTheScene) {
    EXPECT_EQ(sim_->execute("light XYZ 10 20 30"), "ok XYZ 10 20 30");
    sim::Tristimulus l = sim_->scene().light();
    EXPECT_DOUBLE_EQ(l.X, 10);
    EXPECT_DOUBLE_EQ(l.Z, 30);
    EXPECT_EQ(sim_->execute("light xyY 0.25 0.5 40"), "ok XYZ 20 40 20");
    EXPECT_EQ(sim_->execute("light"), "ok XYZ 20 40 20");
    for (const char *bad : {"light xyY 0.3 0 10", "light xyY 0.3 0.3", "light XYZ -1 2 3",
                            "light Lab 50 0 0", "light xyY 0.7 0.5 1", "light XYZ 1 2 three"})
        EXPECT_EQ(sim_->execute(bad).rfind("error ", 0), 0u) << bad;
    l = sim_->scene().light();
    EXPECT_DOUBLE_EQ(l.Y, 40); // refused commands change nothing
}

TEST_F(SimControl, FaultCommandsCheckTheirArguments) {
    for (const char *bad :
         {"silence", "silence maybe", "slow", "slow -3", "truncate x", "garbage 99999", "noise -1",
          "aim now", "unplug printer", "silence on printer"})
        EXPECT_EQ(sim_->execute(bad).rfind("error ", 0), 0u) << bad;
    EXPECT_EQ(sim_->execute("silence on colorimeter"), "ok silence on");
    EXPECT_TRUE(sim_->colorimeter().silent());
    EXPECT_EQ(sim_->execute("noise 0"), "ok noise 0");
    EXPECT_EQ(sim_->execute("ports"), "ok colorimeter " + dir_ + "/colorimeter");
}
