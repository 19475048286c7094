// Adaptive averaging over the reading ring: low-light threshold, the 3 % cut,
// and bit 0x80 for cut or short averages.
#include "averaging.h"

#include "measurement.h"

#include <gtest/gtest.h>

using clmtr::Average;
using clmtr::ReadingAverager;

namespace {
constexpr uint32_t unstable = ErrorBits::Unstable;

// Smallest k whose accumulated sum k * s passes k * 48 / (k + 1) * scale.
int readingsToPass(double s, double scale) {
    for (int k = 1; k < 1000; ++k) {
        if (k * s > k * 48.0 / (k + 1) * scale)
            return k;
    }
    return 1000;
}
} // namespace

TEST(Averaging, BrightLightUsesOneReadingFromTheStart) {
    ReadingAverager rings;
    rings.allocate(32);
    for (int i = 0; i < 40; ++i) {
        Average a = rings.add(30, 31, 29, true, 1.0);
        EXPECT_EQ(a.count, 1) << i;
        EXPECT_EQ(a.flags, 0u) << i;
        EXPECT_DOUBLE_EQ(a.y, 31);
    }
    EXPECT_EQ(rings.counter(), 40);
}

TEST(Averaging, DarkStreamGrowsUntilTheThresholdIsPassed) {
    ReadingAverager rings;
    rings.allocate(32);
    const int needed = readingsToPass(3.0, 1.0); // 16 readings of sum 3
    ASSERT_EQ(needed, 16);
    for (int i = 0; i < 40; ++i) {
        Average a = rings.add(1, 1, 1, true, 1.0);
        if (i + 1 < needed) {
            EXPECT_EQ(a.count, i + 1) << i;
            EXPECT_EQ(a.flags, unstable) << "still filling at " << i;
        } else {
            EXPECT_EQ(a.count, needed) << i;
            EXPECT_EQ(a.flags, 0u) << i;
        }
    }
}

TEST(Averaging, NormalSpeedDoublesTheThresholdAndModelFactorScalesIt) {
    ReadingAverager rings;
    rings.allocate(64);
    Average a;
    for (int i = 0; i < 50; ++i)
        a = rings.add(1, 1, 1, true, 2.0);
    EXPECT_EQ(a.count, readingsToPass(3.0, 2.0));
    EXPECT_EQ(a.count, 32);

    // A model with factor 1/30 is satisfied by a single dim reading.
    ReadingAverager t4;
    t4.allocate(32);
    a = t4.add(0.4, 0.4, 0.4, true, 1.0 / 30);
    EXPECT_EQ(a.count, 1);
    EXPECT_EQ(a.flags, 0u);
}

TEST(Averaging, DarknessWithFullRingStopsAtRingSize) {
    ReadingAverager rings;
    rings.allocate(8);
    Average a;
    for (int i = 0; i < 20; ++i)
        a = rings.add(0.01, 0.01, 0.01, true, 1.0);
    EXPECT_EQ(a.count, 8);
    EXPECT_EQ(a.flags, 0u); // all N used: incomplete but not short
}

TEST(Averaging, RingOfOneNeverReportsShortAverages) {
    ReadingAverager rings;
    rings.allocate(1);
    for (double v : {0.001, 100.0, 0.5, 50.0}) {
        Average a = rings.add(v, v, v, true, 1.0);
        EXPECT_EQ(a.count, 1);
        EXPECT_EQ(a.flags, 0u);
        EXPECT_DOUBLE_EQ(a.x, v);
    }
}

TEST(Averaging, FourPercentStepCutsTheAverageThere) {
    ReadingAverager rings;
    rings.allocate(8);
    for (int i = 0; i < 4; ++i)
        rings.add(10, 10, 10, false, 1.0);
    Average a;
    for (int i = 0; i < 3; ++i)
        a = rings.add(10.4, 10.4, 10.4, false, 1.0); // 4 % above the older readings
    EXPECT_EQ(a.count, 3);
    EXPECT_EQ(a.flags, unstable);
    EXPECT_DOUBLE_EQ(a.x, 10.4);
    EXPECT_DOUBLE_EQ(a.minX, 10.4); // the cut reading is not included
}

TEST(Averaging, TwoPercentStepIsAveragedIn) {
    ReadingAverager rings;
    rings.allocate(4);
    for (int i = 0; i < 3; ++i)
        rings.add(10, 10, 10, false, 1.0);
    Average a = rings.add(10.2, 10.2, 10.2, false, 1.0);
    EXPECT_EQ(a.count, 4);
    EXPECT_EQ(a.flags, 0u);
    EXPECT_DOUBLE_EQ(a.x, (3 * 10 + 10.2) / 4);
    EXPECT_DOUBLE_EQ(a.minX, 10);
    EXPECT_DOUBLE_EQ(a.maxX, 10.2);
}

TEST(Averaging, WithoutLowLightStopTheWholeRingIsWalkedAfterWrapping) {
    ReadingAverager rings;
    rings.allocate(4);
    Average a;
    for (int i = 0; i < 3; ++i) {
        a = rings.add(100, 100, 100, false, 1.0);
        EXPECT_EQ(a.count, i + 1);
        EXPECT_EQ(a.flags, unstable); // fewer than N readings exist yet
    }
    const double xs[] = {100.1, 100.2, 100.3, 100.4, 100.5, 100.6};
    for (double x : xs)
        a = rings.add(x, 100, 99, false, 1.0);
    EXPECT_EQ(a.count, 4);
    EXPECT_EQ(a.flags, 0u);
    EXPECT_DOUBLE_EQ(a.x, (100.3 + 100.4 + 100.5 + 100.6) / 4); // only the newest four
    EXPECT_DOUBLE_EQ(a.minX, 100.3);
    EXPECT_DOUBLE_EQ(a.maxX, 100.6);
    EXPECT_DOUBLE_EQ(a.minZ, 99);
    EXPECT_DOUBLE_EQ(a.maxZ, 99);
}

TEST(Averaging, ReallocatingStartsAFreshRing) {
    ReadingAverager rings;
    rings.allocate(4);
    for (int i = 0; i < 4; ++i)
        rings.add(5, 5, 5, false, 1.0);
    rings.allocate(4);
    EXPECT_EQ(rings.counter(), 0);
    Average a = rings.add(7, 7, 7, false, 1.0);
    EXPECT_EQ(a.count, 1);
    EXPECT_DOUBLE_EQ(a.x, 7);
    rings.release();
    EXPECT_FALSE(rings.allocated());
}
