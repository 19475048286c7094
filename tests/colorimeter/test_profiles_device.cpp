// TClmtr's profile operations: byte-exact exchanges on a scripted port, and
// end to end against the simulated colorimeter with its built-in matrix
// error, including a profile that survives a restart of the simulator.
#include "fakeport.h"
#include "simfixture.h"

#include "profilemath.h"
#include "profilerecord.h"

#include <cmath>
#include <cstdio>
#include <map>

using namespace clmtr;

namespace {

const Mat3 identity3{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
const Mat3 alpha{{{1.02, 0.01, 0}, {0, 0.99, 0.005}, {-0.01, 0, 1.03}}};

// A TClmtr on a scripted port whose instrument holds "Alpha" in slot 1,
// "Thirteen" in 13 and "Last" in 96, and what it sends from now on.
struct OnTheWire {
    FakePort *port = nullptr;
    std::unique_ptr<TClmtr> c =
        connectOnFakePort("T-40", port, {{1, "Alpha"}, {13, "Thirteen"}, {96, "Last"}});
    std::size_t mark = port->written().size();
    std::string sent() {
        const std::string s = port->written().substr(mark);
        mark = port->written().size();
        return s;
    }
    void scriptRecord(const std::string &name, const Mat3 &m, bool cut = false) {
        bool tooLarge = false;
        const std::string r = encodeProfileRecord(name, identity3, m, tooLarge) + "OK\r";
        port->script({{1, "D1"}});
        port->script({{1, cut ? r.substr(0, 60) : r, cut}});
    }
};

} // namespace

TEST(ProfilesOnTheWire, SelectingReadsTheSlotOrKeepsTheProfileInForce) {
    OnTheWire w;
    EXPECT_EQ(w.c->selectProfile(2), 0u); // blank: the factory profile, without asking
    EXPECT_EQ(w.sent(), "");
    EXPECT_EQ(w.c->currentProfileName(), "Factory Cal File");
    w.scriptRecord("Thirteen", alpha);
    EXPECT_EQ(w.c->selectProfile(13), 0u);
    EXPECT_EQ(w.sent(), "D1\r\r\r"); // slot 13's byte is a carriage return
    EXPECT_EQ(w.c->currentProfileName(), "Thirteen");
    EXPECT_NEAR(w.c->profileMatrix()[2][2], 1.03, 1e-4);
    w.scriptRecord("Last", identity3);
    EXPECT_EQ(w.c->selectProfile(96), 0u); // the last slot too
    EXPECT_EQ(w.sent(), "D1\r\x60\r");

    w.port->script({{1, "E1"}}); // the instrument did not take the request
    EXPECT_EQ(w.c->selectProfile(1), ErrorBits::ProfileCheckFailed);
    w.scriptRecord("Alpha", alpha, true); // the line drops during the record
    EXPECT_EQ(w.c->selectProfile(1), 1u);
    EXPECT_EQ(w.c->currentProfile(), 96);
    EXPECT_EQ(w.c->currentProfileName(), "Last");
    EXPECT_NEAR(w.c->profileMatrix()[2][2], 1.0, 1e-4);
}

TEST(ProfilesOnTheWire, ErasingTheProfileInForceFallsBackToFactoryFirst) {
    OnTheWire w;
    w.scriptRecord("Alpha", alpha);
    ASSERT_EQ(w.c->selectProfile(1), 0u);
    w.sent();
    for (const std::string &reply :
         {std::string("D9"), std::string("<0>"), profileListReply({{13, "Thirteen"}})})
        w.port->script({{1, reply}});
    EXPECT_EQ(w.c->deleteProfile(1), 0);
    // No "D1" for the factory profile; the erase is a record of 0xFF bytes.
    EXPECT_EQ(w.sent(), "D9\rMAT\x01(" + std::string(128, '\xFF') + ")\rD7\r");
    EXPECT_EQ(w.c->currentProfileName(), "Factory Cal File");
    EXPECT_EQ(w.c->profileNames()[1], "Blank");
    for (int slot : {0, 97}) // slot 0 is the factory calibration
        EXPECT_EQ(w.c->deleteProfile(slot), static_cast<int>(ErrorBits::ProfileCheckFailed));
    EXPECT_EQ(w.sent(), "");
}

TEST(ProfilesOnTheWire, RefusedImpossibleOrDegenerateProfilesAreNeverStored) {
    OnTheWire w;
    matrix ok(3, 3);
    for (int i = 0; i < 3; ++i)
        ok[i][i] = 1;
    w.port->script({{1, "D9"}});
    w.port->script({{1, "<e>"}});
    EXPECT_EQ(w.c->writeProfile(5, "Refused", ok, ok), ErrorBits::ProfileCheckFailed);
    EXPECT_EQ(w.sent().find("D7"), std::string::npos); // the list is not reread
    w.port->script({{1, "D0"}});                       // "D9" not acknowledged: no record goes out
    EXPECT_EQ(w.c->writeProfile(5, "Refused", ok, ok), ErrorBits::ProfileCheckFailed);
    EXPECT_EQ(w.sent(), "D9\r");

    matrix huge = ok; // a value the record cannot hold: nothing is sent at all
    huge[1][2] = 1e300;
    EXPECT_EQ(w.c->writeProfile(5, "Huge", huge, ok),
              ErrorBits::StoredValueTooLarge | ErrorBits::ProfileCheckFailed);
    const double set[12] = {100, 100, 100, 40, 20, 2, 40, 20, 2, 18, 7, 95}; // red == green
    EXPECT_EQ(w.c->saveProfile(4, "Degenerate", set, set), static_cast<int>(ProfileDegenerate));
    EXPECT_EQ(w.sent(), "");
}

// --- against the simulator ---

namespace {

// White, red, green and blue of a REC709 display at 100 cd/m² (X, Y, Z each).
const double reference[12] = {95.05, 100,   108.9, 41.24, 21.26, 1.93,
                              35.76, 71.52, 11.92, 18.05, 7.22,  95.05};

class SimProfiles : public SimFixture {
protected:
    // The idealised instrument: its error is one matrix for every light,
    // so a profile from four patches set one by one corrects each of them
    // to the stored format's precision (a real one's filters make the four
    // patches' errors depend on their spectra).
    void startWithState() {
        startSim("T-90", [this](sim::SimulatorOptions &o) {
            o.colorimeter.stateFile = state_.file("state");
            o.colorimeter.ideal = true;
        });
    }
    // Shows each patch and reads it once; the largest relative error
    // against the reference.
    double measureAll(TClmtr &c, double *out) {
        double worst = 0;
        for (int i = 0; i < 12; i += 3) {
            sim_->scene().setXYZ(reference[i], reference[i + 1], reference[i + 2]);
            const Measurement m = c.measureOnce(1);
            // Primaries lie far from the Planckian locus (0x20); nothing else may show.
            EXPECT_EQ(m.errorCode & ~ErrorBits::CctOutOfRange, 0u) << i;
            const double got[3] = {m.bigX, m.bigY, m.bigZ};
            for (int k = 0; k < 3; ++k) {
                out[i + k] = got[k];
                worst = std::max(worst, std::fabs(got[k] / reference[i + k] - 1));
            }
        }
        return worst;
    }
    double worstAfterCorrection(TClmtr &c) {
        double ignored[12];
        return measureAll(c, ignored);
    }
    TempDir state_;
};

} // namespace

TEST_F(SimProfiles, ASavedProfileCorrectsReadingsIsReloadedWhenOverwrittenAndSurvivesARestart) {
    startWithState();
    {
        RecordingClmtr c;
        ASSERT_TRUE(c.connect(port()));
        double measured[12];
        EXPECT_GT(measureAll(c, measured), 5e-3); // uncorrected: off by about a per cent
        ASSERT_EQ(c.saveProfile(7, "Bench A", reference, measured), 0);
        EXPECT_EQ(c.currentProfile(), 0); // saving does not select
        c.startMeasuring();
        ASSERT_EQ(c.selectProfile(7), 0u);
        EXPECT_FALSE(c.isThreadRunning()); // selecting stops the worker first
        EXPECT_EQ(sim_->colorimeter().selectedSlot(), 7);
        EXPECT_LT(worstAfterCorrection(c), 1e-4); // the stored format's 15-bit mantissas
        matrix doubled(3, 3);
        for (int i = 0; i < 3; ++i)
            doubled[i][i] = 2;
        ASSERT_EQ(c.writeProfile(7, "Doubled", doubled, doubled), 0u); // the profile in force
        EXPECT_EQ(c.profileMatrix(), doubled);
        double twice[12];
        measureAll(c, twice);
        for (int i = 0; i < 12; ++i) // every uncorrected reading doubled
            EXPECT_NEAR(twice[i], 2 * measured[i], 1e-3 * measured[i]) << i;
    }
    sim_.reset(); // power off
    startWithState();
    TClmtr c;
    ASSERT_TRUE(c.connect(port()));
    EXPECT_EQ(c.profileNames()[1], "Studio D65"); // the shipped profiles stay too
    ASSERT_EQ(c.selectProfile(7), 0u);
    EXPECT_EQ(c.currentProfileName(), "Doubled");
    ASSERT_TRUE(c.connect(port())); // again, without closing: the selection stays
    EXPECT_EQ(c.currentProfile(), 7);
    c.close();
    EXPECT_EQ(c.profileMatrix(), matrix(3, 3)); // zeroed while disconnected
}
