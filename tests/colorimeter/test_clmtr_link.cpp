// The colorimeter link on a scripted port: replies are checked before they
// are believed, identification survives what a killed owner left on the
// line, and the blocking measurement and profile selection keep to their
// limits.
#include "colorimeterwire.h"
#include "fakeport.h"

#include "tclmtr.h"

#include <gtest/gtest.h>

using namespace clmtr;

namespace {

const std::string identity = "P0T-40   SER000001OK\r";

std::string reading(const std::string &echo = "N5", double y = 100) {
    return sim::clmtrwire::readingReply(echo, 0.95 * y, y, 1.09 * y, 4, 4, 4, '0');
}

// A TClmtr on an open scripted port, not connected: model-free commands only.
std::unique_ptr<TClmtr> onFake(FakePort *&port) {
    auto fake = std::make_unique<FakePort>();
    port = fake.get();
    port->open();
    return std::make_unique<TClmtr>(std::move(fake));
}

} // namespace

TEST(ClmtrLink, IdentificationOutlastsAReplyLeftByAKilledOwner) {
    FakePort port;
    port.open();
    // The instrument first finishes the reading a killed client asked for,
    // then answers; the question is asked again once the line is quiet.
    port.script({{1, reading() + identity.substr(0, 9)}, {5, identity.substr(9)}});
    for (int stopFrame = 0; stopFrame < 4; ++stopFrame)
        port.script({});
    port.script({{1, identity}});
    const Identity id = identify(port);
    EXPECT_TRUE(id.ok);
    EXPECT_EQ(id.model, "T-40");
    EXPECT_EQ(id.serialNumber, "SER000001");
    EXPECT_NE(port.written().find("X9\r"), std::string::npos); // a stream left running is ended

    FakePort silent; // nothing on the line: no second question
    silent.open();
    EXPECT_FALSE(identify(silent).answered);
    EXPECT_EQ(silent.written(), "P0\r");
}

TEST(ClmtrLink, MeasureOnceAveragesEveryReadingAskedFor) {
    FakePort *port = nullptr;
    auto c = onFake(port);
    for (int i = 0; i < 201; ++i) // the discarded one and 200
        port->script({{0, reading()}});
    const Measurement m = c->measureOnce(200);
    EXPECT_EQ(m.errorCode, 0u);
    EXPECT_EQ(m.avgCount, 200);
    EXPECT_NEAR(m.bigY, 100, 0.01);
    EXPECT_EQ(c->measureOnce(TClmtr::measureOnceLimit + 1).errorCode, ErrorBits::Internal);
}

TEST(ClmtrLink, MeasureOnceSkipsADamagedReplyAndGivesUpOnARunOfThem) {
    FakePort *port = nullptr;
    auto c = onFake(port);
    const std::string damaged[] = {
        "\x13\x8a" + reading(), reading("N4"),
        sim::clmtrwire::readingReply("N5", 1e30, 1e30, 1e30, 6, 6, 6, '0')};
    port->script({{0, reading()}});
    port->script({{0, reading()}});
    port->script({{0, damaged[0]}});
    port->script({{0, reading()}});
    port->script({{0, reading()}});
    Measurement m = c->measureOnce(3);
    EXPECT_EQ(m.errorCode, 0u);
    EXPECT_EQ(m.avgCount, 3);

    port->script({{0, reading()}});
    for (const std::string &bad : damaged)
        port->script({{0, bad}});
    m = c->measureOnce(3);
    EXPECT_EQ(m.errorCode, ErrorBits::BadReply | ErrorBits::Timeout);
    EXPECT_EQ(m.bigY, 0);
}

TEST(ClmtrLink, MeasureOnceCutShortKeepsWhatItHadAndSaysWhy) {
    FakePort *port = nullptr;
    auto c = onFake(port);
    port->script({{0, reading()}});
    port->script({{0, reading("N5", 50)}});
    port->script({{0, reading("N5", 50), true}}); // the cable goes with this reply
    const Measurement m = c->measureOnce(4);
    EXPECT_EQ(m.errorCode, ErrorBits::PortLost | ErrorBits::Unstable); // 2 of 4 readings
    EXPECT_EQ(m.avgCount, 2);
    EXPECT_NEAR(m.bigY, 50, 0.01);
}

TEST(ClmtrLink, SelectingASlotThatDoesNotExistChangesNothing) {
    FakePort *port = nullptr;
    auto c = connectOnFakePort("T-40", port, {{1, "Studio"}});
    const std::string before = port->written();
    for (int slot : {97, -1, 255}) {
        EXPECT_EQ(c->selectProfile(slot), ErrorBits::ProfileCheckFailed) << slot;
        EXPECT_EQ(c->currentProfile(), 0);
        EXPECT_EQ(c->pendingSlot(), 0);
    }
    EXPECT_EQ(port->written(), before); // not a byte sent
}
