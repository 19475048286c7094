// The command exchange at byte level over a scripted port (replies in pieces,
// stale input, a stall, a dying port, waking on arrival), and TClmtr's
// command interlocks that need no instrument.
#include "fakeport.h"
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

TEST(Transaction, RepliesInPiecesStallsAndADyingPort) {
    FakePort port;
    port.open();
    port.preload("N5 left over from before");
    port.script({{5, reading15.substr(0, 4)},
                 {10, reading15.substr(4, 3)},
                 {15, reading15.substr(7) + "extra"}});
    Reply r = transact(port, "N5", 15, 1);
    EXPECT_EQ(r.result, Ok);
    EXPECT_EQ(r.bytes, reading15 + "extra"); // stale input dropped, surplus kept
    EXPECT_EQ(port.written(), "N5\r");
    // It sleeps on the port, once per arrival, not on a clock in fixed steps.
    EXPECT_GE(port.waits(), 1);
    EXPECT_LE(port.waits(), 4);

    port.script({{1, reading15.substr(0, 7)}, {5000, reading15.substr(7)}});
    auto t0 = Clock::now();
    r = transact(port, "N5", 15, 1);
    EXPECT_EQ(r.result, TimedOut);
    EXPECT_EQ(r.bytes, reading15.substr(0, 7));
    EXPECT_GE(msSince(t0), 1400); // weight 1: 1.5 s

    FakePort dying;
    dying.open();
    dying.script({{3, reading15.substr(0, 5), true}});
    t0 = Clock::now();
    EXPECT_EQ(transact(dying, "N5", 15, 6).result, PortLost); // the 9 s limit is not used
    EXPECT_LT(msSince(t0), 1000);
}

TEST(TClmtrCommands, ConnectRangesAimingLightsAndClose) {
    FakePort *port = nullptr;
    auto c = connectOnFakePort("T-40", port);
    EXPECT_EQ(c->serialNumber(), "SER000001");
    EXPECT_EQ(c->rangeSetting(), -1);
    for (int i = 0; i < 3; ++i)
        port->script({{1, "0"}});
    EXPECT_EQ(c->setRange(3), 0u); // held ("J7") before fixing
    EXPECT_EQ(c->setRange(-1), 0u);
    c->setAimingLights(true);
    EXPECT_EQ(port->written(), "P0\rD7\rJ8\rJ7\rJ3\rJ8\rL1\r");
    c->close();
    c->close();
    EXPECT_EQ(c->model(), "T-40CLOSED"); // once
    EXPECT_EQ(c->serialNumber(), "");

    auto fake = std::make_unique<FakePort>();
    fake->script({{1, "P0T-40   SER000001OK\r"}});
    fake->script({{1, "D7", true}}); // the line drops during the profile list
    TClmtr dropped(std::move(fake));
    EXPECT_FALSE(dropped.connect("  /dev/fake0\t\r\n"));
    EXPECT_EQ(dropped.portName(), "/dev/fake0"); // the name is trimmed
    EXPECT_EQ(dropped.model(), "T-40CLOSED");
}

TEST(TClmtrCommands, MeasureOnceAveragesTheCountOrReportsTheFirstFailure) {
    FakePort *port = nullptr;
    auto c = connectOnFakePort("T-40", port);
    auto reply = [](int yHigh) {
        return std::string("N5\x40\x00\x02", 5) + static_cast<char>(yHigh) +
               std::string("\x00\x03\x40\x00\x02\x00 0\r", 9);
    };
    for (int high : {0x40, 0x40, 0x41, 0x3F}) // the first is under way at the request: discarded
        port->script({{1, reply(high)}});
    const Measurement m = c->measureOnce(3);
    EXPECT_EQ(m.avgCount, 3);
    EXPECT_DOUBLE_EQ(m.bigY, (0x40 + 0x41 + 0x3F) * 256 / 65536.0 * 8 / 3);
    EXPECT_DOUBLE_EQ(m.minY, 0x3F * 256 / 65536.0 * 8);
    port->setAlive(false);
    const Measurement lost = c->measureOnce(3);
    EXPECT_EQ(lost.errorCode, 1u);
    EXPECT_EQ(lost.bigY, 0);
}

} // namespace
