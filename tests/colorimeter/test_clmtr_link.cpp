// The colorimeter link when the line misbehaves, on a scripted port and
// against the simulator: what a killed owner left on the line, the blocking
// measurement's count and failures, slots that do not exist, and commands and
// earlier failures meeting a stream.
#include "colorimeterwire.h"
#include "fakeport.h"
#include "simfixture.h"
#include "waituntil.h"

using namespace clmtr;

namespace {

const std::string identity = "P0T-40   SER000001OK\r";

std::string reading(const std::string &echo = "N5", double y = 100) {
    return sim::clmtrwire::readingReply(echo, 0.95 * y, y, 1.09 * y, 4, 4, 4, '0');
}

// An open scripted port under a TClmtr that is not connected: enough for readings.
std::unique_ptr<TClmtr> onFake(FakePort *&port) {
    auto fake = std::make_unique<FakePort>();
    port = fake.get();
    port->open();
    return std::make_unique<TClmtr>(std::move(fake));
}

class FlickerRecorder : public TClmtr, public RecordQueue<Flicker> {
public:
    ~FlickerRecorder() override { close(); }

protected:
    void flickered(const Flicker &f) override { push(f); }
};

} // namespace

TEST(ClmtrLink, IdentificationOutlastsAReplyLeftByAKilledOwner) {
    FakePort port;
    port.open();
    // The reading a killed client asked for comes first; once the line is
    // quiet (and any stream stopped) the question is asked again.
    port.script({{1, reading() + identity.substr(0, 9)}, {5, identity.substr(9)}});
    for (int stopFrame = 0; stopFrame < 4; ++stopFrame)
        port.script({});
    port.script({{1, identity}});
    const Identity id = identify(port);
    EXPECT_TRUE(id.ok);
    EXPECT_EQ(id.serialNumber, "SER000001");
    EXPECT_NE(port.written().find("X9\r"), std::string::npos);
}

TEST(ClmtrLink, MeasureOnceAveragesAllItAskedForSkipsDamageAndSaysWhenCutShort) {
    FakePort *port = nullptr;
    auto c = onFake(port);
    for (int i = 0; i < 201; ++i) // the discarded reading and 200
        port->script({{0, reading()}});
    EXPECT_EQ(c->measureOnce(200).avgCount, 200);
    EXPECT_EQ(c->measureOnce(TClmtr::measureOnceLimit + 1).errorCode, ErrorBits::Internal);

    const std::string damaged[] = {"\x13\x8a" + reading(), reading("N4"),
                                   sim::clmtrwire::readingReply("N5", 1e30, 1, 1, 6, 6, 6, '0')};
    for (const std::string &r : {reading(), reading(), damaged[0], reading()})
        port->script({{0, r}});
    Measurement m = c->measureOnce(2);
    EXPECT_EQ(m.errorCode, 0u);
    EXPECT_EQ(m.avgCount, 2);
    port->script({{0, reading()}});
    for (const std::string &r : damaged)
        port->script({{0, r}});
    EXPECT_EQ(c->measureOnce(2).errorCode, ErrorBits::BadReply | ErrorBits::Timeout);

    port->script({{0, reading()}});
    port->script({{0, reading("N5", 50)}});
    port->script({{0, reading("N5", 50), true}}); // the cable goes with this reply
    m = c->measureOnce(4);
    EXPECT_EQ(m.errorCode, ErrorBits::PortLost | ErrorBits::Unstable); // 2 of 4 readings
    EXPECT_NEAR(m.bigY, 50, 0.01);
}

TEST(ClmtrLink, SelectingASlotThatDoesNotExistChangesNothing) {
    FakePort *port = nullptr;
    auto c = connectOnFakePort("T-40", port, {{1, "Studio"}});
    const std::string before = port->written();
    for (int slot : {97, -1}) {
        EXPECT_EQ(c->selectProfile(slot), ErrorBits::ProfileCheckFailed) << slot;
        EXPECT_EQ(c->pendingSlot(), 0);
    }
    EXPECT_EQ(port->written(), before);
}

class ClmtrStreamLink : public SimFixture {
protected:
    void SetUp() override {
        startSim("TV-40");
        ASSERT_TRUE(c_.connect(port()));
        ASSERT_EQ(c_.startStreaming(), 0u);
        ASSERT_GE(c_.waitFor(2).size(), 2u);
    }
    FlickerRecorder c_;
};

TEST_F(ClmtrStreamLink, ANonStreamCommandEndsTheStreamFirst) {
    EXPECT_EQ(c_.readBlackRam().status, 0);
    EXPECT_FALSE(c_.isStreaming());
    EXPECT_FALSE(sim_->colorimeter().streaming());
}

TEST_F(ClmtrStreamLink, StartingAStreamReportsAFailureNotYetReportedOnce) {
    c_.stopStreaming(); // the response data are known from here on
    say("silence on");
    EXPECT_EQ(c_.sendCommand("N5").result, TimedOut);
    say("silence off");
    EXPECT_EQ(c_.startStreaming(), TimedOut);
    EXPECT_FALSE(c_.isStreaming());
    EXPECT_EQ(c_.startStreaming(), 0u);
}
