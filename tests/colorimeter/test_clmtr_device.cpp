// TClmtr against the simulated colorimeter over a real pseudo-terminal:
// identification, connecting, a silent and a lost port.
#include "simfixture.h"

class Device : public SimFixture {};

TEST_F(Device, ConnectIdentifiesReadsTheProfileListAndProbes) {
    startSim("T-40"); // the model is sent padded: "T-40   "
    TClmtr c;
    ASSERT_TRUE(c.connect(port()));
    EXPECT_EQ(c.model(), "T-40");
    EXPECT_EQ(c.serialNumber(), sim_->colorimeter().serial());
    EXPECT_EQ(sim_->colorimeter().rangeMode(), -1); // "J8" reached the instrument
    ASSERT_EQ(c.profileNames().size(), 97u);
    EXPECT_EQ(c.profileNames()[1], "Studio D65");
    c.close();
    EXPECT_EQ(TClmtr::probe(port()).model, "T-40");
    EXPECT_FALSE(TClmtr::probe(port() + "-nothing-here").found);

    EXPECT_EQ(say("truncate 8"), "ok truncate 8");
    EXPECT_FALSE(c.connect(port()));
    EXPECT_EQ(c.model(), "CLOSED"); // no identity from a short reply
    EXPECT_FALSE(TClmtr::probe(port()).found);
}

TEST_F(Device, UnpluggedOrSilentInstrument) {
    startSim();
    TClmtr c;
    ASSERT_TRUE(c.connect(port()));
    say("silence on");
    EXPECT_EQ(c.sendCommand("P0").result, 2u); // timed out
    EXPECT_TRUE(c.isConnected());              // silent is not gone
    say("silence off");
    EXPECT_EQ(say("unplug"), "ok colorimeter unplugged");
    EXPECT_EQ(c.sendCommand("P0").result, 1u);
    EXPECT_FALSE(c.isConnected()); // closes on the way
    EXPECT_EQ(c.model(), "TV-40CLOSED");
    EXPECT_EQ(say("replug"), "ok colorimeter " + port());
    ASSERT_TRUE(c.connect(port())); // the same path works again
    EXPECT_EQ(c.model(), "TV-40");
}
