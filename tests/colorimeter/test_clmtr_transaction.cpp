// The command exchange at byte level, over a scripted port: replies in
// pieces, stalls, surplus bytes, a port that dies, stale input, and the
// command interlocks of TClmtr that need no instrument.
#include "fakeport.h"
#include "tclmtr.h"
#include "transaction.h"

#include <gtest/gtest.h>

#include <chrono>

using namespace clmtr;
using Clock = std::chrono::steady_clock;

namespace {
const std::string reading15 = std::string("N5\x40\x00\x01\x40\x00\x02\x40\x00\x03\x00 0\r", 15);

double msSince(Clock::time_point t) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

FakePort *openFake(std::unique_ptr<FakePort> &owner) {
    owner = std::make_unique<FakePort>();
    owner->open();
    return owner.get();
}
} // namespace

TEST(Transaction, ReplyInPiecesIsAccumulated) {
    std::unique_ptr<FakePort> holder;
    FakePort *port = openFake(holder);
    port->script(
        {{5, reading15.substr(0, 4)}, {10, reading15.substr(4, 3)}, {15, reading15.substr(7)}});
    Reply r = transact(*port, "N5", 15, 1);
    EXPECT_EQ(r.result, Ok);
    EXPECT_EQ(r.bytes, reading15);
    EXPECT_EQ(port->written(), "N5\r");
}

TEST(Transaction, SurplusBytesStayInTheReply) {
    std::unique_ptr<FakePort> holder;
    FakePort *port = openFake(holder);
    port->script({{2, reading15 + "extra"}});
    Reply r = transact(*port, "N5", 15, 1);
    EXPECT_EQ(r.result, Ok);
    EXPECT_EQ(r.bytes, reading15 + "extra");
}

TEST(Transaction, StaleInputIsDiscardedBeforeTheCommand) {
    std::unique_ptr<FakePort> holder;
    FakePort *port = openFake(holder);
    port->preload("N5 left over from before");
    port->script({{1, "P0T-40   123456789OK\r"}});
    Reply r = transact(*port, "P0", 21, 1);
    EXPECT_EQ(r.result, Ok);
    EXPECT_EQ(r.bytes, "P0T-40   123456789OK\r");
}

TEST(Transaction, StallAtByteSevenTimesOutAfterTheWeightedLimit) {
    std::unique_ptr<FakePort> holder;
    FakePort *port = openFake(holder);
    port->script({{1, reading15.substr(0, 7)}, {5000, reading15.substr(7)}});
    auto t0 = Clock::now();
    Reply r = transact(*port, "N5", 15, 1);
    EXPECT_EQ(r.result, TimedOut);
    EXPECT_EQ(r.bytes, reading15.substr(0, 7));
    EXPECT_GE(msSince(t0), 1400); // weight 1: 1.5 s
    EXPECT_LT(msSince(t0), 4000);
}

TEST(Transaction, PortDyingMidReplyEndsTheWaitAtOnce) {
    std::unique_ptr<FakePort> holder;
    FakePort *port = openFake(holder);
    port->script({{3, reading15.substr(0, 5), true}});
    auto t0 = Clock::now();
    Reply r = transact(*port, "N5", 15, 6); // a 9 s limit that must not be used
    EXPECT_EQ(r.result, PortLost);
    EXPECT_EQ(r.bytes, reading15.substr(0, 5));
    EXPECT_LT(msSince(t0), 1000);
}

TEST(Transaction, NoReplyLengthMeansNoWait) {
    std::unique_ptr<FakePort> holder;
    FakePort *port = openFake(holder);
    Reply r = transact(*port, "L1", 0, 0);
    EXPECT_EQ(r.result, Ok);
    EXPECT_EQ(port->written(), "L1\r");
    EXPECT_EQ(port->waits(), 0);
}

TEST(Transaction, WaitWakesOnArrivalNotOnAFixedStep) {
    std::unique_ptr<FakePort> holder;
    FakePort *port = openFake(holder);
    port->script({{1, "D"}, {1, "1"}});
    Reply r = transact(*port, "D1", 2, 2);
    EXPECT_EQ(r.result, Ok);
    EXPECT_EQ(r.bytes, "D1");
    EXPECT_LE(port->waits(), 3); // one wait per arrival, not a sleep loop
}

TEST(Identify, EightByteReplyFailsAndEmptiesTheFields) {
    std::unique_ptr<FakePort> holder;
    FakePort *port = openFake(holder);
    port->script({{1, "P0T-40  "}});
    Identity id = identify(*port);
    EXPECT_FALSE(id.ok);
    EXPECT_TRUE(id.model.empty());
    EXPECT_TRUE(id.serialNumber.empty());
}

TEST(TClmtrCommands, NoDeviceAnswersOneAtOnce) {
    TClmtr c; // a real serial port, never opened
    auto t0 = Clock::now();
    Reply r = c.sendCommand("L1");
    EXPECT_EQ(r.result, PortLost);
    EXPECT_EQ(c.lastError(), 1u);
    EXPECT_EQ(c.sendCommand("N5").result, PortLost);
    EXPECT_LT(msSince(t0), 50);
    EXPECT_FALSE(c.connect("/nonexistent/tty-for-tintwell-tests"));
    EXPECT_FALSE(c.isConnected());
}

TEST(TClmtrCommands, ConnectTrimsNameAndSetsAutomaticRange) {
    FakePort *port = nullptr;
    auto c = connectOnFakePort("T-90", port);
    EXPECT_EQ(c->portName(), "/dev/fake0");
    EXPECT_EQ(c->model(), "T-90");
    EXPECT_EQ(c->serialNumber(), "SER000001");
    EXPECT_EQ(c->rangeSetting(), -1);
    EXPECT_EQ(port->written(), "P0\rD7\rJ8\r");
    EXPECT_EQ(c->currentProfile(), 0);
    EXPECT_EQ(c->currentProfileName(), "Factory Cal File");
    EXPECT_EQ(c->profileNames()[7], "Blank");
}

TEST(TClmtrCommands, AimingLightsOnlyForModelsThatHaveThem) {
    FakePort *port = nullptr;
    auto t4 = connectOnFakePort("T-4", port);
    const std::string before = port->written();
    EXPECT_EQ(t4->setAimingLights(true), 0u);
    EXPECT_EQ(port->written(), before); // nothing sent

    auto t40 = connectOnFakePort("T-40", port);
    t40->setAimingLights(true);
    t40->setAimingLights(false);
    EXPECT_EQ(port->written(), "P0\rD7\rJ8\rL1\rL0\r");
}

TEST(TClmtrCommands, RangeCommandsHoldBeforeFixing) {
    FakePort *port = nullptr;
    auto c = connectOnFakePort("T-40", port);
    for (int i = 0; i < 4; ++i)
        port->script({{1, "0"}});
    EXPECT_EQ(c->setRange(3), 0u);
    EXPECT_EQ(c->rangeSetting(), 3);
    EXPECT_EQ(c->setRange(0), 0u);
    EXPECT_EQ(c->setRange(9), 0u);
    EXPECT_EQ(c->rangeSetting(), 9);
    EXPECT_EQ(port->written(), "P0\rD7\rJ8\rJ7\rJ3\rJ7\rJ8\r");
}

TEST(TClmtrCommands, FailedProfileListFailsTheConnection) {
    auto fake = std::make_unique<FakePort>();
    FakePort *port = fake.get();
    port->script({{1, "P0T-40   SER000001OK\r"}});
    port->script({{1, "D7", true}}); // the line drops during the list
    TClmtr c(std::move(fake));
    EXPECT_FALSE(c.connect("/dev/fake0"));
    EXPECT_EQ(c.model(), "T-40CLOSED");
    EXPECT_EQ(c.serialNumber(), "");
}

TEST(TClmtrCommands, CloseTwiceAppendsClosedOnce) {
    FakePort *port = nullptr;
    auto c = connectOnFakePort("TV-40", port);
    c->close();
    EXPECT_EQ(c->model(), "TV-40CLOSED");
    c->close();
    EXPECT_EQ(c->model(), "TV-40CLOSED");
    EXPECT_EQ(c->serialNumber(), "");
    EXPECT_EQ(c->profileNames()[0], "Factory Cal File");
    EXPECT_EQ(c->profileNames()[1], "");
    EXPECT_EQ(c->rangeSetting(), -1);
}

TEST(TClmtrCommands, MeasureOnceReportsTheFailureOfTheFirstReading) {
    FakePort *port = nullptr;
    auto c = connectOnFakePort("T-40", port);
    port->setAlive(false);
    Measurement m = c->measureOnce(3);
    EXPECT_EQ(m.errorCode, 1u);
    EXPECT_EQ(m.bigY, 0);
}

TEST(TClmtrCommands, MeasureOnceAveragesTheGivenCount) {
    FakePort *port = nullptr;
    auto c = connectOnFakePort("T-40", port);
    // Y readings 2, 2.0 (discarded first), then 2.0, 2.02, 1.98 within 3 %.
    auto reply = [](int yMantissaHigh) {
        std::string r = "N5";
        r += std::string("\x40\x00\x02", 3);
        r += static_cast<char>(yMantissaHigh);
        r += std::string("\x00\x03", 2);
        r += std::string("\x40\x00\x02", 3);
        r += std::string(1, '\0') + " 0\r";
        return r;
    };
    port->script({{1, reply(0x40)}}); // discarded: the reading under way at the request
    port->script({{1, reply(0x40)}});
    port->script({{1, reply(0x41)}});
    port->script({{1, reply(0x3F)}});
    Measurement m = c->measureOnce(3);
    EXPECT_EQ(m.avgCount, 3);
    EXPECT_EQ(m.errorCode & ErrorBits::Unstable, 0u);
    EXPECT_DOUBLE_EQ(m.bigY, (0x40 + 0x41 + 0x3F) * 256 / 65536.0 * 8 / 3);
    EXPECT_DOUBLE_EQ(m.minY, 0x3F * 256 / 65536.0 * 8);
    EXPECT_EQ(port->written(), "P0\rD7\rJ8\rN5\rN5\rN5\rN5\r");
}
