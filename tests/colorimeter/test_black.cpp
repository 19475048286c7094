// Black level: the table, thermal and counts replies as bytes, the
// calibration's command sequence and its refusals on a scripted port, and a
// calibration of the simulated colorimeter in the dark and in the light.
#include "bytes.h"
#include "fakeport.h"
#include "simfixture.h"

#include "blackmatrix.h"

#include <cstdio>

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

std::string countsReply(unsigned sensorA, unsigned sensorB) {
    std::string r = be16({1000, 1007, 1014, 30000, 31000, 32000, 62});
    r += static_cast<char>(sensorA);
    r += static_cast<char>(sensorB);
    r += '\x12'; // ranges 5, 1, 1
    r += ' ';
    r += '0';
    return r + '\r';
}

bool allBlackZero(const BlackMatrix &b) {
    for (const auto &range : b.black)
        for (double v : range)
            if (v != 0)
                return false;
    return true;
}

} // namespace

TEST(BlackTable, RangesComeInReverseOrderWithTheThermalValueLast) {
    const BlackMatrix b = parseBlackTable(tableReply("B4"));
    EXPECT_EQ(b.status, 0);
    for (int i = 0; i < 18; ++i)
        EXPECT_EQ(b.black[5 - i / 3][i % 3], 1000 + 10 * i) << i; // first triple: range 6
    EXPECT_EQ(b.thermal, 1900);
    EXPECT_EQ(parseBlackTable(tableReply("B4", 't')).status, static_cast<int>(ErrorBits::StatusT));
}

TEST(BlackTable, AnyValueOutsideTheWindowZeroesAll) {
    for (unsigned bad : {2501u, 499u, 0u, 65535u}) {
        for (int at : {0, 9, 18}) {
            const BlackMatrix b = parseBlackTable(tableReply("B8", '0', at, bad));
            EXPECT_EQ(b.status, static_cast<int>(ErrorBits::BlackOutOfRange))
                << bad << " at " << at;
            EXPECT_TRUE(allBlackZero(b));
            EXPECT_EQ(b.thermal, 0);
        }
    }
    EXPECT_EQ(parseBlackTable(tableReply("B8", '0', 3, 2500)).status, 0);
    EXPECT_EQ(parseBlackTable(tableReply("B8", '0', 3, 500)).status, 0);
    EXPECT_EQ(parseBlackTable("B8").status, static_cast<int>(Internal));
}

TEST(ThermalCoefficients, SignedFourThousandNinetySixths) {
    std::string r = "S0";
    const unsigned raw[18] = {32768 + 4096, 32768, 4096, 2048, 32769, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9,
                              10,           11,    40960};
    for (unsigned v : raw)
        r += be16({v});
    r.resize(133, '\0');
    const BlackMatrix b = parseThermalCoefficients(r);
    EXPECT_EQ(b.status, 0);
    EXPECT_EQ(b.black[5][0], -1.0); // 32768 + 4096, range 6 X
    EXPECT_EQ(b.black[5][1], 8.0);  // 32768 itself is positive
    EXPECT_EQ(b.black[5][2], 1.0);
    EXPECT_EQ(b.black[4][0], 0.5);
    EXPECT_EQ(b.black[4][1], -1.0 / 4096);
    EXPECT_EQ(b.black[0][2], -8192.0 / 4096); // 40960, range 1 Z
    EXPECT_EQ(b.thermal, 0);
    EXPECT_EQ(parseThermalCoefficients("S0\x01").status, static_cast<int>(Internal));
}

TEST(CountsRecord, FieldsAndTheCalibrationGate) {
    CountsRecord c;
    ASSERT_TRUE(parseCountsRecord(countsReply(118, 121), c));
    EXPECT_EQ(c.counts[0], 1000u);
    EXPECT_EQ(c.counts[5], 32000u);
    EXPECT_EQ(c.value16, 62u);
    EXPECT_EQ(c.sensorA, 118u);
    EXPECT_EQ(c.sensorB, 121u);
    EXPECT_EQ(c.rangeX, 5);
    EXPECT_EQ(c.rangeY, 1);
    EXPECT_EQ(c.rangeZ, 1);
    EXPECT_TRUE(countsAllowBlackCalibration(c));
    for (auto sensors : {std::pair<unsigned, unsigned>{49, 100}, {100, 201}, {50, 200}}) {
        ASSERT_TRUE(parseCountsRecord(countsReply(sensors.first, sensors.second), c));
        EXPECT_EQ(countsAllowBlackCalibration(c), sensors.first == 50) << sensors.first;
    }
    EXPECT_FALSE(parseCountsRecord(countsReply(100, 100).substr(0, 18), c));
}

TEST(CalibrateBlackOnTheWire, MeasuresStoresAndConfirms) {
    FakePort *port = nullptr;
    auto c = connectOnFakePort("T-40", port);
    port->script({{1, countsReply(118, 121)}});
    port->script({{1, countsReply(118, 121)}});
    port->script({{1, tableReply("B9")}});
    port->script({{1, "B7"}});
    port->script({{1, "<0>"}});
    const std::string before = port->written();
    const BlackMatrix b = c->calibrateBlack();
    EXPECT_EQ(port->written().substr(before.size()), "M6\rM6\rB9\rB7\r{73918264}#&!\r");
    EXPECT_EQ(b.status, 0);
    EXPECT_EQ(b.black[0][0], 1150); // range 1 X is position 15
    EXPECT_EQ(b.thermal, 1900);
}

TEST(CalibrateBlackOnTheWire, UnconfirmedStoreReportsAndZeroes) {
    FakePort *port = nullptr;
    auto c = connectOnFakePort("T-40", port);
    for (const char *answer : {"<e>", "<1>"}) {
        port->script({{1, countsReply(118, 121)}});
        port->script({{1, countsReply(118, 121)}});
        port->script({{1, tableReply("B9")}});
        port->script({{1, "B7"}});
        port->script({{1, answer}});
        const BlackMatrix b = c->calibrateBlack();
        EXPECT_EQ(b.status, static_cast<int>(ErrorBits::BlackNotConfirmed)) << answer;
        EXPECT_TRUE(allBlackZero(b));
        EXPECT_EQ(c->lastError(), ErrorBits::BlackNotConfirmed);
    }
    // Without the "B7" echo the code is never sent.
    port->script({{1, countsReply(118, 121)}});
    port->script({{1, countsReply(118, 121)}});
    port->script({{1, tableReply("B9")}});
    port->script({{1, "B?"}});
    const std::string before = port->written();
    const BlackMatrix b = c->calibrateBlack();
    EXPECT_EQ(port->written().substr(before.size()), "M6\rM6\rB9\rB7\r");
    EXPECT_EQ(b.status, static_cast<int>(ErrorBits::BlackNotConfirmed));
}

TEST(CalibrateBlackOnTheWire, RefusesUnhealthySensorsAndBadMeasurements) {
    FakePort *port = nullptr;
    auto c = connectOnFakePort("T-40", port);
    port->script({{1, countsReply(118, 121)}});
    port->script({{1, countsReply(118, 240)}});
    std::string before = port->written();
    BlackMatrix b = c->calibrateBlack();
    EXPECT_EQ(port->written().substr(before.size()), "M6\rM6\r"); // nothing else sent
    EXPECT_TRUE(allBlackZero(b));
    EXPECT_NE(b.status, 0); // zeros must not pass for a calibrated black

    // A measurement that fails the range check is never stored.
    port->script({{1, countsReply(118, 121)}});
    port->script({{1, countsReply(118, 121)}});
    port->script({{1, tableReply("B9", '0', 4, 2501)}});
    before = port->written();
    b = c->calibrateBlack();
    EXPECT_EQ(port->written().substr(before.size()), "M6\rM6\rB9\r");
    EXPECT_EQ(b.status, static_cast<int>(ErrorBits::BlackOutOfRange));

    // Nor is one taken with the aiming lights on.
    port->script({{1, countsReply(118, 121)}});
    port->script({{1, countsReply(118, 121)}});
    port->script({{1, tableReply("B9", 'L')}});
    before = port->written();
    b = c->calibrateBlack();
    EXPECT_EQ(port->written().substr(before.size()), "M6\rM6\rB9\r");
    EXPECT_EQ(b.status, static_cast<int>(ErrorBits::AimingLights));
}

// --- against the simulator ---

class SimBlack : public SimFixture {};

TEST_F(SimBlack, DarkCalibrationStoresSaneValuesThatSurviveARestart) {
    const std::string state = dir_ + "/state";
    auto start = [&] {
        sim::SimulatorOptions o = options("T-40");
        o.colorimeter.stateFile = state;
        o.colorimeter.noise = 1; // a real dark measurement is never exact
        sim_ = std::make_unique<sim::Simulator>(o);
        std::string error;
        ASSERT_TRUE(sim_->start(&error)) << error;
    };
    start();
    EXPECT_EQ(say("dark on"), "ok dark on");
    EXPECT_EQ(say("dark"), "ok dark on");
    TClmtr c;
    ASSERT_TRUE(c.connect(port()));
    const BlackMatrix before = c.readBlackRom();
    ASSERT_EQ(before.status, 0);

    const BlackMatrix b = c.calibrateBlack();
    ASSERT_EQ(b.status, 0);
    const auto dark = sim::ColorimeterSim::darkCounts();
    for (int i = 0; i < 18; ++i) {
        const double v = b.black[5 - i / 3][i % 3];
        EXPECT_GE(v, 500);
        EXPECT_LE(v, 2500);
        EXPECT_NEAR(v, dark[static_cast<std::size_t>(i)], 10) << i;
    }
    EXPECT_EQ(b.thermal, dark[18]);

    // Stored: working and permanent memory both hold the new table.
    const BlackMatrix ram = c.readBlackRam();
    const BlackMatrix rom = c.readBlackRom();
    EXPECT_EQ(ram.status, 0);
    EXPECT_EQ(rom.status, 0);
    for (int r = 0; r < 6; ++r) {
        for (int ch = 0; ch < 3; ++ch) {
            EXPECT_EQ(ram.black[r][ch], b.black[r][ch]);
            EXPECT_EQ(rom.black[r][ch], b.black[r][ch]);
        }
    }
    EXPECT_NE(rom.black[0][0], before.black[0][0]);

    c.close();
    sim_.reset();
    start();
    ASSERT_TRUE(c.connect(port()));
    const BlackMatrix again = c.readBlackRom();
    EXPECT_EQ(again.black[2][1], b.black[2][1]);
    EXPECT_EQ(c.readBlackRam().black[2][1], b.black[2][1]); // loaded at power-on
    c.close();
    sim_.reset();
    std::remove(state.c_str());
}

TEST_F(SimBlack, CalibrationInTheLightIsRefusedAndStoresNothing) {
    startSim("T-40");
    sim_->scene().setXYZ(95, 100, 108);
    TClmtr c;
    ASSERT_TRUE(c.connect(port()));
    const BlackMatrix rom = c.readBlackRom();
    const BlackMatrix b = c.calibrateBlack();
    EXPECT_TRUE(b.status & ErrorBits::BlackOutOfRange);
    EXPECT_TRUE(allBlackZero(b));
    EXPECT_EQ(c.readBlackRom().black[3][2], rom.black[3][2]);

    // The cap also darkens ordinary readings.
    EXPECT_NEAR(c.measureOnce(1).bigY, 99.9, 0.5);
    say("dark on");
    EXPECT_EQ(c.measureOnce(1).bigY, 0);
    EXPECT_EQ(say("dark maybe"), "error usage: dark on|off");
}

TEST_F(SimBlack, ThermalCoefficientsKeepTheirSigns) {
    startSim("T-40");
    TClmtr c;
    ASSERT_TRUE(c.connect(port()));
    const BlackMatrix t = c.readThermalCoefficients();
    EXPECT_EQ(t.status, 0);
    EXPECT_NEAR(t.black[0][0], 0.23, 1e-3);  // range 1: positive
    EXPECT_NEAR(t.black[5][2], -0.27, 1e-3); // range 6: negative
    EXPECT_EQ(t.thermal, 0);
}
