// TClmtr's profile operations: byte-exact exchanges on a scripted port, and
// end to end against the simulated colorimeter with its built-in matrix
// error, including a profile that survives a restart of the simulator.
#include "fakeport.h"
#include "simfixture.h"

#include "profilemath.h"
#include "profilerecord.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>

using namespace clmtr;

namespace {

const Mat3 identity3{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};

std::string recordReply(const std::string &name, const Mat3 &correction) {
    bool tooLarge = false;
    return encodeProfileRecord(name, identity3, correction, tooLarge) + "OK\r";
}

const std::map<int, std::string> fakeNames = {{1, "Alpha"}, {13, "Thirteen"}, {96, "Last"}};
const Mat3 alphaMatrix{{{1.02, 0.01, 0}, {0, 0.99, 0.005}, {-0.01, 0, 1.03}}};
const Mat3 thirteenMatrix{{{0.97, 0, 0}, {0, 1.01, 0}, {0, 0, 1.04}}};

void expectMatrixNear(const matrix &m, const Mat3 &want, double tol) {
    ASSERT_EQ(m.rows(), 3);
    ASSERT_EQ(m.cols(), 3);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(m[r][c], want[r][c], tol) << r << "," << c;
}

} // namespace

TEST(ProfilesOnTheWire, BlankSlotSelectsTheFactoryProfileWithoutAsking) {
    FakePort *port = nullptr;
    auto c = connectOnFakePort("T-40", port, fakeNames);
    EXPECT_EQ(c->profileLabels()[2], "2: Blank");
    const std::string before = port->written();
    EXPECT_EQ(c->selectProfile(2), 0u);
    EXPECT_EQ(port->written(), before); // no "D1"
    EXPECT_EQ(c->currentProfile(), 0);
    EXPECT_EQ(c->currentProfileName(), "Factory Cal File");
    EXPECT_EQ(c->pendingSlot(), 2);
    expectMatrixNear(c->profileMatrix(), identity3, 0);
}

TEST(ProfilesOnTheWire, StoredSlotIsReadWithItsSlotByte) {
    FakePort *port = nullptr;
    auto c = connectOnFakePort("T-40", port, fakeNames);
    port->script({{1, "D1"}});
    port->script({{1, recordReply("Thirteen", thirteenMatrix)}});
    const std::string before = port->written();
    EXPECT_EQ(c->selectProfile(13), 0u);
    // Slot 13's byte is a carriage return, followed by the frame's own.
    EXPECT_EQ(port->written().substr(before.size()), "D1\r\r\r");
    EXPECT_EQ(c->currentProfile(), 13);
    EXPECT_EQ(c->currentProfileName(), "Thirteen");
    expectMatrixNear(c->profileMatrix(), thirteenMatrix, 1e-4);

    // The last slot is selectable too.
    port->script({{1, "D1"}});
    port->script({{1, recordReply("Last", alphaMatrix)}});
    EXPECT_EQ(c->selectProfile(96), 0u);
    EXPECT_EQ(c->currentProfile(), 96);
    EXPECT_EQ(port->written().back(), '\r');
    EXPECT_EQ(port->written()[port->written().size() - 2], '\x60'); // 96
}

TEST(ProfilesOnTheWire, FailedSelectionKeepsTheProfileInForce) {
    FakePort *port = nullptr;
    auto c = connectOnFakePort("T-40", port, fakeNames);
    port->script({{1, "D1"}});
    port->script({{1, recordReply("Alpha", alphaMatrix)}});
    ASSERT_EQ(c->selectProfile(1), 0u);

    port->script({{1, "E1"}}); // the instrument did not take the request
    EXPECT_EQ(c->selectProfile(13), ErrorBits::ProfileCheckFailed);
    EXPECT_EQ(c->currentProfile(), 1);
    expectMatrixNear(c->profileMatrix(), alphaMatrix, 1e-4);

    port->script({{1, "D1"}});
    port->script({{1, recordReply("Thirteen", thirteenMatrix).substr(0, 60), true}});
    EXPECT_EQ(c->selectProfile(13), 1u); // the line dropped during the record
    EXPECT_EQ(c->currentProfile(), 1);
    EXPECT_EQ(c->currentProfileName(), "Alpha");
    expectMatrixNear(c->profileMatrix(), alphaMatrix, 1e-4);
}

TEST(ProfilesOnTheWire, ErasingTheSelectedProfileFallsBackToFactoryFirst) {
    FakePort *port = nullptr;
    auto c = connectOnFakePort("T-40", port, fakeNames);
    port->script({{1, "D1"}});
    port->script({{1, recordReply("Alpha", alphaMatrix)}});
    ASSERT_EQ(c->selectProfile(1), 0u);

    port->script({{1, "D9"}});
    port->script({{1, "<0>"}});
    port->script({{1, profileListReply({{13, "Thirteen"}, {96, "Last"}})}});
    const std::string before = port->written();
    EXPECT_EQ(c->deleteProfile(1), 0);
    // No "D1" for the factory profile; the erase is a record of 0xFF bytes.
    EXPECT_EQ(port->written().substr(before.size()),
              "D9\rMAT\x01(" + std::string(128, '\xFF') + ")\rD7\r");
    EXPECT_EQ(c->currentProfile(), 0);
    EXPECT_EQ(c->currentProfileName(), "Factory Cal File");
    expectMatrixNear(c->profileMatrix(), identity3, 0);
    EXPECT_EQ(c->profileNames()[1], "Blank");

    EXPECT_EQ(c->deleteProfile(0), static_cast<int>(ErrorBits::ProfileCheckFailed));
    EXPECT_EQ(c->deleteProfile(97), static_cast<int>(ErrorBits::ProfileCheckFailed));
}

TEST(ProfilesOnTheWire, RefusedOrImpossibleWritesLeaveTheList) {
    FakePort *port = nullptr;
    auto c = connectOnFakePort("T-40", port, fakeNames);
    matrix ok(3, 3);
    for (int i = 0; i < 3; ++i)
        ok[i][i] = 1;

    port->script({{1, "D9"}});
    port->script({{1, "<e>"}});
    std::string before = port->written();
    EXPECT_EQ(c->writeProfile(5, "Refused", ok, ok), ErrorBits::ProfileCheckFailed);
    EXPECT_EQ(port->written().find("D7", before.size()), std::string::npos);
    EXPECT_EQ(c->profileNames()[5], "Blank");

    port->script({{1, "D0"}}); // "D9" not acknowledged: no record goes out
    before = port->written();
    EXPECT_EQ(c->writeProfile(5, "Refused", ok, ok), ErrorBits::ProfileCheckFailed);
    EXPECT_EQ(port->written().substr(before.size()), "D9\r");

    // A value the record cannot hold: nothing is sent at all.
    matrix huge = ok;
    huge[1][2] = 1e300;
    before = port->written();
    EXPECT_EQ(c->writeProfile(5, "Huge", huge, ok),
              ErrorBits::StoredValueTooLarge | ErrorBits::ProfileCheckFailed);
    EXPECT_EQ(c->writeProfile(5, "Wrong size", matrix(2, 3), ok), static_cast<uint32_t>(Internal));
    EXPECT_EQ(port->written(), before);
}

TEST(ProfilesOnTheWire, DegenerateSetIsNeverStored) {
    FakePort *port = nullptr;
    auto c = connectOnFakePort("T-40", port, fakeNames);
    double set[12] = {100, 100, 100, 40, 20, 2, 40, 20, 2, 18, 7, 95}; // red == green
    const std::string before = port->written();
    EXPECT_EQ(c->saveProfile(4, "Degenerate", set, set), static_cast<int>(ProfileDegenerate));
    EXPECT_EQ(port->written(), before);
    EXPECT_EQ(c->saveProfile(4, "Null", nullptr, set), static_cast<int>(Internal));
}

// --- against the simulator ---

namespace {

using sim::ColorimeterSim;

Mat3 inverse(const Mat3 &m) {
    const double det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                       m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                       m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
    Mat3 adj{{{m[1][1] * m[2][2] - m[1][2] * m[2][1], m[0][2] * m[2][1] - m[0][1] * m[2][2],
               m[0][1] * m[1][2] - m[0][2] * m[1][1]},
              {m[1][2] * m[2][0] - m[1][0] * m[2][2], m[0][0] * m[2][2] - m[0][2] * m[2][0],
               m[0][2] * m[1][0] - m[0][0] * m[1][2]},
              {m[1][0] * m[2][1] - m[1][1] * m[2][0], m[0][1] * m[2][0] - m[0][0] * m[2][1],
               m[0][0] * m[1][1] - m[0][1] * m[1][0]}}};
    for (auto &row : adj)
        for (double &v : row)
            v /= det;
    return adj;
}

std::array<double, 3> times(const Mat3 &m, const double *v) {
    return {m[0][0] * v[0] + m[0][1] * v[1] + m[0][2] * v[2],
            m[1][0] * v[0] + m[1][1] * v[1] + m[1][2] * v[2],
            m[2][0] * v[0] + m[2][1] * v[1] + m[2][2] * v[2]};
}

double worstRelative(const std::array<double, 3> &got, const double *want) {
    double worst = 0;
    for (int i = 0; i < 3; ++i)
        worst = std::max(worst, std::fabs(got[i] - want[i]) / std::fabs(want[i]));
    return worst;
}

// What the colorimeter should read for white, red, green and blue. Each is
// exact in the reading format's 15-bit mantissa, and white is the sum of the
// three, so the simulated instrument returns them without rounding; the
// reference (the true light) is what its built-in error turns into them.
const double readings[12] = {95.25, 100.25, 109.0, 41.25, 21.5, 2.0,
                             36.0,  71.5,   12.0,  18.0,  7.25, 95.0};

class SimProfiles : public SimFixture {
protected:
    void SetUp() override {
        SimFixture::SetUp();
        state_ = dir_ + "/state";
        const Mat3 truth = inverse(ColorimeterSim::matrixError());
        for (int p = 0; p < 4; ++p) {
            const auto t = times(truth, readings + 3 * p);
            for (int c = 0; c < 3; ++c)
                reference_[3 * p + c] = t[c];
        }
    }
    void TearDown() override {
        sim_.reset();
        std::remove(state_.c_str());
        SimFixture::TearDown();
    }
    void startWithState() {
        sim::SimulatorOptions o = options("T-90");
        o.colorimeter.stateFile = state_;
        sim_ = std::make_unique<sim::Simulator>(o);
        std::string error;
        ASSERT_TRUE(sim_->start(&error)) << error;
    }
    // Shows patch p (0 white, 1 red, 2 green, 3 blue) and reads it once.
    Measurement measurePatch(TClmtr &c, int p) {
        const double *t = reference_ + 3 * p;
        sim_->scene().setXYZ(t[0], t[1], t[2]);
        return c.measureOnce(1);
    }
    void measureAll(TClmtr &c, double *out) {
        for (int p = 0; p < 4; ++p) {
            const Measurement m = measurePatch(c, p);
            // Primaries lie far from the Planckian locus (0x20); nothing else may show.
            EXPECT_EQ(m.errorCode & ~ErrorBits::CctOutOfRange, 0u) << p;
            out[3 * p] = m.bigX;
            out[3 * p + 1] = m.bigY;
            out[3 * p + 2] = m.bigZ;
        }
    }
    void expectCorrected(TClmtr &c, double tolerance) {
        double got[12];
        measureAll(c, got);
        for (int p = 0; p < 4; ++p)
            EXPECT_LT(
                worstRelative({got[3 * p], got[3 * p + 1], got[3 * p + 2]}, reference_ + 3 * p),
                tolerance)
                << "patch " << p;
    }

    std::string state_;
    double reference_[12];
};

} // namespace

TEST_F(SimProfiles, ComputedCorrectionUndoesTheInstrumentsError) {
    startSim("T-90");
    TClmtr c;
    ASSERT_TRUE(c.connect(port()));
    double measured[12];
    measureAll(c, measured);
    for (int i = 0; i < 12; ++i)
        ASSERT_EQ(measured[i], readings[i]) << i; // read exactly, through the factory profile
    // Uncorrected, the instrument is off by about a per cent.
    EXPECT_GT(worstRelative({measured[3], measured[4], measured[5]}, reference_ + 3), 5e-3);

    const TClmtr::ProfileMatrices m = c.computeProfile(reference_, measured);
    EXPECT_EQ(c.lastError() & ProfileDegenerate, 0u);
    Mat3 corr{};
    for (int r = 0; r < 3; ++r)
        for (int k = 0; k < 3; ++k)
            corr[r][k] = m.correction[r][k];
    for (int p = 0; p < 4; ++p)
        EXPECT_LT(worstRelative(times(corr, measured + 3 * p), reference_ + 3 * p), 1e-6) << p;
}

TEST_F(SimProfiles, SavedProfileSurvivesARestartAndCorrectsReadings) {
    startWithState();
    {
        TClmtr c;
        ASSERT_TRUE(c.connect(port()));
        double measured[12];
        measureAll(c, measured);
        ASSERT_EQ(c.saveProfile(7, "Bench A", reference_, measured), 0);
        EXPECT_EQ(c.profileNames()[7], "Bench A");
        EXPECT_EQ(c.currentProfile(), 0); // saving does not select
        ASSERT_EQ(c.selectProfile(7), 0u);
        EXPECT_EQ(sim_->colorimeter().selectedSlot(), 7);
        // The stored matrix carries 15-bit mantissas.
        expectCorrected(c, 1e-4);
    }
    sim_.reset(); // power off
    startWithState();
    TClmtr c;
    ASSERT_TRUE(c.connect(port()));
    EXPECT_EQ(c.profileLabels()[7], "7: Bench A");
    EXPECT_EQ(c.profileNames()[1], "Studio D65"); // the shipped profiles stay too
    ASSERT_EQ(c.selectProfile(7), 0u);
    EXPECT_EQ(c.currentProfileName(), "Bench A");
    expectCorrected(c, 1e-4);

    // Erased, it is gone after the next restart as well.
    EXPECT_EQ(c.deleteProfile(7), 0);
    EXPECT_EQ(c.currentProfile(), 0);
    EXPECT_EQ(c.profileNames()[7], "Blank");
    c.close();
    sim_.reset();
    startWithState();
    ASSERT_TRUE(c.connect(port()));
    EXPECT_EQ(c.profileNames()[7], "Blank");
}

TEST_F(SimProfiles, OverwritingTheProfileInForceReloadsIt) {
    startSim("T-90");
    TClmtr c;
    ASSERT_TRUE(c.connect(port()));
    ASSERT_EQ(c.selectProfile(1), 0u); // "Studio D65": the exact correction
    expectCorrected(c, 1e-4);

    matrix doubled(3, 3);
    for (int i = 0; i < 3; ++i)
        doubled[i][i] = 2;
    ASSERT_EQ(c.writeProfile(1, "Doubled", doubled, doubled), 0u);
    EXPECT_EQ(c.currentProfile(), 1);
    EXPECT_EQ(c.currentProfileName(), "Doubled");
    EXPECT_EQ(c.profileMatrix(), doubled);
    EXPECT_NEAR(measurePatch(c, 0).bigY, 2 * readings[1], 1e-9);
}

TEST_F(SimProfiles, ConnectRestoresTheSelectionOrFallsBackToFactory) {
    startSim("T-90");
    TClmtr c;
    ASSERT_TRUE(c.connect(port()));
    ASSERT_EQ(c.selectProfile(5), 0u);
    const matrix selected = c.profileMatrix();
    ASSERT_TRUE(c.connect(port())); // again, without closing
    EXPECT_EQ(c.currentProfile(), 5);
    EXPECT_EQ(c.profileMatrix(), selected);

    sim_->colorimeter().setProfileName(5, ""); // erased by someone else meanwhile
    ASSERT_TRUE(c.connect(port()));
    EXPECT_EQ(c.currentProfile(), 0);
    EXPECT_EQ(c.currentProfileName(), "Factory Cal File");

    c.close();
    EXPECT_EQ(c.profileMatrix(), matrix(3, 3)); // zeroed while disconnected
}

TEST_F(SimProfiles, SlotThirteenTravelsAsACarriageReturn) {
    startSim("T-90");
    sim_->colorimeter().setProfileName(13, "Thirteen");
    TClmtr c;
    ASSERT_TRUE(c.connect(port()));
    EXPECT_EQ(c.profileNames()[13], "Thirteen");
    ASSERT_EQ(c.selectProfile(13), 0u);
    EXPECT_EQ(c.currentProfile(), 13);
    EXPECT_EQ(sim_->colorimeter().selectedSlot(), 13);
    expectCorrected(c, 1e-4);
    // The instrument is still in step: ordinary commands work after it.
    EXPECT_EQ(c.setRange(-1), 0u);
}

TEST_F(SimProfiles, SelectingStopsContinuousMeasuring) {
    startSim("T-90");
    RecordingClmtr c;
    ASSERT_TRUE(c.connect(port()));
    c.startMeasuring();
    ASSERT_GE(c.waitFor(3).size(), 3u);
    EXPECT_EQ(c.selectProfile(3), 0u); // blank: no command, yet the worker stops
    EXPECT_FALSE(c.isMeasuring());
    EXPECT_FALSE(c.isThreadRunning());
}

TEST_F(SimProfiles, InstrumentsOwnMatrixReadsBackInFourByteValues) {
    startSim("T-90");
    TClmtr c;
    ASSERT_TRUE(c.connect(port()));
    const Reply r = c.sendCommand("Q0");
    ASSERT_EQ(r.result, 0u);
    ASSERT_EQ(r.bytes.size(), 133u);
    const auto &own = ColorimeterSim::ownMatrix();
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col)
            EXPECT_NEAR(decodeValue4(r.bytes.substr(2 + 12 * row + 4 * col, 4)), own[row][col],
                        4.0 / 65536)
                << row << "," << col;
}

TEST_F(SimProfiles, UnreadableStateFileIsNeverOverwritten) {
    {
        std::ofstream out(state_);
        out << "tintwell-sim colorimeter state 1\nslot 3 zz\n";
    }
    sim::SimulatorOptions o = options();
    o.colorimeter.stateFile = state_;
    sim::Simulator s(o);
    std::string error;
    EXPECT_FALSE(s.start(&error));
    EXPECT_NE(error.find("line 2"), std::string::npos) << error;
    std::ifstream in(state_);
    std::stringstream content;
    content << in.rdbuf();
    EXPECT_EQ(content.str(), "tintwell-sim colorimeter state 1\nslot 3 zz\n");
}
