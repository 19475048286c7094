// Black level: the table reply and its window, the calibration's command
// sequence and its refusals on a scripted port, and a calibration of the
// simulated colorimeter in the light and in the dark.
#include "bytes.h"
#include "fakeport.h"
#include "simfixture.h"

#include "blackmatrix.h"

#include <algorithm>

using namespace clmtr;

namespace {

// 19 values: position i (of 18) is 1000 + 10 i, thermal 1900.
std::string tableReply(const std::string &echo, char status = '0', int replaceAt = -1,
                       unsigned replacement = 0) {
    std::string r = echo;
    for (int i = 0; i < 19; ++i) {
        unsigned v = i < 18 ? 1000 + 10 * static_cast<unsigned>(i) : 1900;
        r += be16({i == replaceAt ? replacement : v});
    }
    return r + ' ' + status + '\r';
}

// An "M6" record with the two sensor temperatures; ranges 5, 1, 1.
std::string countsReply(unsigned sensorA, unsigned sensorB) {
    return be16({1000, 1007, 1014, 30000, 31000, 32000, 62}) + static_cast<char>(sensorA) +
           static_cast<char>(sensorB) + "\x12 0\r";
}

bool allBlackZero(const BlackMatrix &b) {
    return std::all_of(&b.black[0][0], &b.black[0][0] + 18, [](double v) { return v == 0; });
}

} // namespace

TEST(BlackTable, RangesInReverseOrderThermalLastAndAnyValueOutsideTheWindowZeroesAll) {
    const BlackMatrix b = parseBlackTable(tableReply("B4"));
    EXPECT_EQ(b.status, 0);
    for (int i = 0; i < 18; ++i)
        EXPECT_EQ(b.black[5 - i / 3][i % 3], 1000 + 10 * i) << i; // first triple: range 6
    EXPECT_EQ(b.thermal, 1900);
    EXPECT_EQ(parseBlackTable(tableReply("B4", 't')).status, static_cast<int>(ErrorBits::StatusT));
    for (unsigned bad : {2501u, 499u, 0u}) {
        for (int at : {0, 18}) {
            const BlackMatrix out = parseBlackTable(tableReply("B8", '0', at, bad));
            EXPECT_EQ(out.status, static_cast<int>(ErrorBits::BlackOutOfRange))
                << bad << " at " << at;
            EXPECT_TRUE(allBlackZero(out));
        }
    }
    EXPECT_EQ(parseBlackTable(tableReply("B8", '0', 3, 2500)).status, 0);
    EXPECT_EQ(parseBlackTable("B8").status, static_cast<int>(Internal));
}

// The calibration on a scripted port: two "M6" counts records (the second
// with sensor temperatures a and b), the "B9" table, "B7" and the confirmation.
struct Calibration {
    FakePort *port = nullptr;
    std::unique_ptr<TClmtr> c = connectOnFakePort("T-40", port);
    std::string sent;
    BlackMatrix run(unsigned a, unsigned b, const std::string &table, const char *store = "B7",
                    const char *answer = "<0>") {
        for (const std::string &reply : {countsReply(118, 121), countsReply(a, b), table,
                                         std::string(store), std::string(answer)})
            port->script({{1, reply}});
        const std::size_t before = port->written().size();
        const BlackMatrix m = c->calibrateBlack();
        sent = port->written().substr(before);
        return m;
    }
};

TEST(CalibrateBlackOnTheWire, StoresAndConfirmsOnlyAHealthyCleanMeasurement) {
    Calibration cal;
    BlackMatrix b = cal.run(118, 121, tableReply("B9"));
    EXPECT_EQ(cal.sent, "M6\rM6\rB9\rB7\r{73918264}#&!\r");
    EXPECT_EQ(b.status, 0);
    EXPECT_EQ(b.black[0][0], 1150); // range 1 X is position 15

    b = cal.run(118, 121, tableReply("B9"), "B7", "<e>"); // not confirmed
    EXPECT_EQ(b.status, static_cast<int>(ErrorBits::BlackNotConfirmed));
    EXPECT_TRUE(allBlackZero(b));

    Calibration noEcho; // without the "B7" echo the code is never sent
    b = noEcho.run(118, 121, tableReply("B9"), "B?");
    EXPECT_EQ(noEcho.sent, "M6\rM6\rB9\rB7\r");
    EXPECT_EQ(b.status, static_cast<int>(ErrorBits::BlackNotConfirmed));

    Calibration sick; // sensors out of their window: nothing measured
    b = sick.run(118, 240, tableReply("B9"));
    EXPECT_EQ(sick.sent, "M6\rM6\r");
    EXPECT_TRUE(allBlackZero(b));
    EXPECT_NE(b.status, 0); // zeros must not pass for a calibrated black

    // A measurement out of range, or taken with the aiming lights on, is never stored.
    const std::pair<std::string, uint32_t> unclean[] = {
        {tableReply("B9", '0', 4, 2501), ErrorBits::BlackOutOfRange},
        {tableReply("B9", 'L'), ErrorBits::AimingLights}};
    for (const auto &u : unclean) {
        Calibration c;
        b = c.run(118, 121, u.first);
        EXPECT_EQ(c.sent, "M6\rM6\rB9\r");
        EXPECT_EQ(b.status, static_cast<int>(u.second));
    }
}

// --- against the simulator ---

class SimBlack : public SimFixture {};

TEST_F(SimBlack, DarkCalibrationStoresTheDarkCountsAcrossARestart) {
    TempDir state;
    auto start = [&] {
        startSim("T-40", [&](sim::SimulatorOptions &o) {
            o.colorimeter.stateFile = state.file("state");
            o.colorimeter.noise = 1; // a real dark measurement is never exact
        });
    };
    start();
    TClmtr c;
    ASSERT_TRUE(c.connect(port()));
    const double stored = c.readBlackRom().black[3][2];
    EXPECT_TRUE(c.calibrateBlack().status & ErrorBits::BlackOutOfRange); // in the light: refused
    EXPECT_EQ(c.readBlackRom().black[3][2], stored);
    EXPECT_EQ(say("dark on"), "ok dark on");
    const BlackMatrix b = c.calibrateBlack();
    ASSERT_EQ(b.status, 0);
    const auto dark = sim::ColorimeterSim::darkCounts();
    for (int i = 0; i < 18; ++i)
        EXPECT_NEAR(b.black[5 - i / 3][i % 3], dark[static_cast<std::size_t>(i)], 10) << i;
    EXPECT_EQ(c.readBlackRam().black[4][2], b.black[4][2]);
    c.close();
    sim_.reset();
    start();
    ASSERT_TRUE(c.connect(port()));
    EXPECT_EQ(c.readBlackRom().black[2][1], b.black[2][1]);
    EXPECT_EQ(c.readBlackRam().black[2][1], b.black[2][1]); // loaded at power-on
}
