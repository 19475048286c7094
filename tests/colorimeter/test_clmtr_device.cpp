// TClmtr against the simulated colorimeter over a real pseudo-terminal:
// identification, connecting, ranges, aiming lights, closing, losing the port.
#include "simfixture.h"

#include <chrono>

using Clock = std::chrono::steady_clock;

class Device : public SimFixture {};

TEST_F(Device, ConnectIdentifiesAndReadsTheProfileList) {
    startSim("TV-40");
    TClmtr c;
    ASSERT_TRUE(c.connect(port()));
    EXPECT_TRUE(c.isConnected());
    EXPECT_EQ(c.model(), "TV-40");
    EXPECT_EQ(c.serialNumber(), sim_->colorimeter().serial());
    EXPECT_EQ(c.portName(), port());
    EXPECT_EQ(c.rangeSetting(), -1);
    EXPECT_EQ(sim_->colorimeter().rangeMode(), -1); // "J8" reached the instrument
    EXPECT_EQ(c.maxAverage(), 32);
    const auto &names = c.profileNames();
    ASSERT_EQ(names.size(), 97u);
    EXPECT_EQ(names[0], "Factory Cal File");
    EXPECT_EQ(names[1], "Studio D65");
    EXPECT_EQ(names[3], "Blank");
    EXPECT_EQ(names[5], "OLED Reference");
}

TEST_F(Device, PaddedModelFieldIsTrimmedAndProbeFindsIt) {
    startSim("T-40"); // sent as "T-40   "
    TClmtr::ProbeResult p = TClmtr::probe(port());
    EXPECT_TRUE(p.found);
    EXPECT_EQ(p.model, "T-40");
    TClmtr c;
    ASSERT_TRUE(c.connect(port()));
    EXPECT_EQ(c.model(), "T-40");
    EXPECT_FALSE(TClmtr::probe(dir_ + "/nothing-here").found);
}

TEST_F(Device, TruncatedIdentificationFailsAndLeavesNoIdentity) {
    startSim();
    EXPECT_EQ(say("truncate 8"), "ok truncate 8");
    TClmtr c;
    EXPECT_FALSE(c.connect(port()));
    EXPECT_EQ(c.model(), "CLOSED");
    EXPECT_EQ(c.serialNumber(), "");
    EXPECT_FALSE(c.isConnected());
    EXPECT_FALSE(TClmtr::probe(port()).found);

    say("truncate off");
    EXPECT_TRUE(c.connect(port()));
    EXPECT_EQ(c.model(), "TV-40");
}

TEST_F(Device, FixedHeldAndAutomaticRanges) {
    startSim();
    sim_->scene().setXYZ(95, 100, 108); // auto-ranges to 3 on every channel
    TClmtr c;
    ASSERT_TRUE(c.connect(port()));
    Measurement m = c.measureOnce(1);
    EXPECT_EQ(m.rangeX, 3);
    EXPECT_EQ(m.rangeY, 3);
    EXPECT_EQ(m.rangeZ, 3);

    EXPECT_EQ(c.setRange(5), 0u);
    EXPECT_EQ(sim_->colorimeter().rangeMode(), 5);
    m = c.measureOnce(1);
    EXPECT_EQ(m.rangeX, 5);
    EXPECT_EQ(m.rangeY, 5);
    EXPECT_EQ(m.rangeZ, 5);
    EXPECT_NEAR(m.bigY, 100, 1.5);

    // Held, the range stays where it was even when the light would need another.
    EXPECT_EQ(c.setRange(0), 0u);
    EXPECT_EQ(sim_->colorimeter().rangeMode(), 0);
    sim_->scene().setXYZ(0.5, 0.5, 0.5);
    m = c.measureOnce(1);
    EXPECT_EQ(m.rangeY, 5);

    EXPECT_EQ(c.setRange(-1), 0u);
    EXPECT_EQ(sim_->colorimeter().rangeMode(), -1);
    m = c.measureOnce(1);
    EXPECT_EQ(m.rangeY, 1);

    // A fixed range too small for the light reports the instrument's over-range status.
    sim_->scene().setXYZ(95, 100, 108);
    c.setRange(1);
    m = c.measureOnce(1);
    EXPECT_NE(m.errorCode & ErrorBits::StatusXB, 0u);
}

TEST_F(Device, AimingLightsShowInTheStatus) {
    startSim("TV-40");
    TClmtr c;
    ASSERT_TRUE(c.connect(port()));
    EXPECT_EQ(say("aim"), "ok off");
    EXPECT_EQ(c.setAimingLights(true), 0u);
    Measurement m = c.measureOnce(1);
    EXPECT_TRUE(sim_->colorimeter().aimingLights());
    EXPECT_EQ(say("aim"), "ok on");
    EXPECT_NE(m.errorCode & ErrorBits::AimingLights, 0u);
    c.setAimingLights(false);
    m = c.measureOnce(1);
    EXPECT_EQ(m.errorCode & ErrorBits::AimingLights, 0u);
    EXPECT_EQ(say("aim"), "ok off");
}

TEST_F(Device, ModelWithoutAimingLightsIsNotAsked) {
    startSim("T-4");
    TClmtr c;
    ASSERT_TRUE(c.connect(port()));
    EXPECT_EQ(c.setAimingLights(true), 0u);
    Measurement m = c.measureOnce(1);
    EXPECT_EQ(m.errorCode & ErrorBits::AimingLights, 0u);
    EXPECT_EQ(say("aim"), "ok off");
}

TEST_F(Device, CloseTwiceAppendsClosedOnce) {
    startSim("T-90");
    TClmtr c;
    ASSERT_TRUE(c.connect(port()));
    c.setGamutSpec(GamutSpec::standardSpec(3, 250));
    c.close();
    EXPECT_EQ(c.model(), "T-90CLOSED");
    EXPECT_FALSE(c.isConnected());
    c.close();
    EXPECT_EQ(c.model(), "T-90CLOSED");
    EXPECT_EQ(c.serialNumber(), "");
    EXPECT_EQ(c.gamutSpec().standard, 2);
    EXPECT_EQ(c.gamutSpec().whiteBigY, 100);
    EXPECT_EQ(c.sendCommand("P0").result, 1u);
}

TEST_F(Device, UnpluggedPortIsNoticedAndTheSamePathWorksAfterReplug) {
    startSim();
    TClmtr c;
    ASSERT_TRUE(c.connect(port()));
    EXPECT_EQ(say("unplug"), "ok colorimeter unplugged");
    EXPECT_EQ(c.sendCommand("P0").result, 1u);
    EXPECT_FALSE(c.isConnected()); // closes on the way
    EXPECT_EQ(c.model(), "TV-40CLOSED");
    EXPECT_FALSE(c.connect(port()));

    EXPECT_EQ(say("replug"), "ok colorimeter " + port());
    ASSERT_TRUE(c.connect(port()));
    EXPECT_EQ(c.model(), "TV-40");
}

TEST_F(Device, SilentInstrumentTimesOut) {
    startSim();
    TClmtr c;
    ASSERT_TRUE(c.connect(port()));
    say("silence on");
    auto t0 = Clock::now();
    EXPECT_EQ(c.sendCommand("P0").result, 2u); // weight 1: 1.5 s
    EXPECT_GE(Clock::now() - t0, std::chrono::milliseconds(1400));
    EXPECT_EQ(c.lastError(), 2u);
    EXPECT_TRUE(c.isConnected()); // silent is not gone
    say("silence off");
    EXPECT_EQ(c.sendCommand("P0").result, 0u);
}
