// Adaptive averaging over the reading ring: the low-light threshold with its
// speed and model scaling, a full ring, the 3 % cut, and bit 0x80 for cut or
// short averages.
#include "averaging.h"
#include "measurement.h"

#include <gtest/gtest.h>

using clmtr::Average;
using clmtr::ReadingAverager;

namespace {

// A ring of `size` fed equal readings of `value` per channel, n times.
Average feed(int size, int n, double value, bool lowLight = true, double scale = 1.0) {
    ReadingAverager rings;
    rings.allocate(size);
    Average a;
    for (int i = 0; i < n; ++i)
        a = rings.add(value, value, value, lowLight, scale);
    return a;
}

TEST(Averaging, LowLightAveragesUntilTheThresholdIsPassed) {
    // k readings of sum s pass once k s > k 48 / (k + 1) * scale.
    const struct {
        double value, scale;
        int ring, count;
    } cases[] = {{10, 1.0, 32, 1},       // bright: one reading from the start
                 {1, 1.0, 32, 16},       // sum 3: 16 readings
                 {1, 2.0, 64, 32},       // normal speed doubles the threshold
                 {0.4, 1.0 / 30, 32, 1}, // a T-4 is satisfied by one dim reading
                 {0.01, 1.0, 8, 8}};     // darkness: the whole ring, and not short
    for (const auto &c : cases) {
        const Average a = feed(c.ring, 50, c.value, true, c.scale);
        EXPECT_EQ(a.count, c.count) << c.value << " / " << c.scale;
        EXPECT_EQ(a.flags, 0u);
    }
    EXPECT_EQ(feed(32, 5, 1).flags, ErrorBits::Unstable); // still filling
}

TEST(Averaging, AStepOfMoreThanThreePercentCutsTheAverage) {
    ReadingAverager rings;
    rings.allocate(8);
    for (double v : {10.0, 10.0, 10.0, 10.0, 10.4, 10.4}) // 4 % above the older readings
        rings.add(v, v, v, false, 1.0);
    Average a = rings.add(10.4, 10.4, 10.4, false, 1.0);
    EXPECT_EQ(a.count, 3);
    EXPECT_EQ(a.flags, ErrorBits::Unstable);
    EXPECT_DOUBLE_EQ(a.minX, 10.4); // the cut readings are not included

    rings.allocate(4); // a fresh ring; 2 % is averaged in, the oldest fall out
    for (double v : {10.0, 10.0, 10.0, 10.2, 10.2})
        a = rings.add(v, v, v, false, 1.0);
    EXPECT_EQ(a.count, 4);
    EXPECT_EQ(a.flags, 0u);
    EXPECT_DOUBLE_EQ(a.x, (2 * 10 + 2 * 10.2) / 4);
}

} // namespace
