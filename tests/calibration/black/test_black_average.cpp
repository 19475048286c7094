// Black verification arithmetic: the first reading after a start is never
// counted, 50 readings make the average, the aiming lights stop it.
#include "blackaverage.h"

#include <gtest/gtest.h>

namespace {
Measurement dark(double v, uint32_t error = 0) {
    Measurement m;
    m.bigX = v;
    m.bigY = 2 * v;
    m.bigZ = 3 * v;
    m.errorCode = error;
    return m;
}
} // namespace

TEST(BlackAverage, FiftyOneReadingsAverageTheLastFifty) {
    BlackAverage a;
    EXPECT_EQ(a.add(dark(1)), BlackAverage::Step::Idle);
    a.start();
    EXPECT_EQ(a.add(dark(1000)), BlackAverage::Step::Skipped); // never counted
    EXPECT_TRUE(a.blackList().isEmpty());
    for (int i = 2; i <= 51; ++i) {
        const BlackAverage::Step step = a.add(dark(i));
        EXPECT_EQ(step, i == 51 ? BlackAverage::Step::Done : BlackAverage::Step::Counted) << i;
        EXPECT_EQ(a.progress(), 2 * (i - 1)) << i;
    }
    EXPECT_FALSE(a.isRunning());
    EXPECT_EQ(a.count(), 50);
    EXPECT_DOUBLE_EQ(a.mean(0), 26.5); // readings 2 to 51
    EXPECT_DOUBLE_EQ(a.sum(2), 3 * 1325.0);
    EXPECT_EQ(a.blackList(), QVector<double>({26.5, 53.0, 79.5}));
    EXPECT_EQ(a.add(dark(7)), BlackAverage::Step::Idle); // a reading after the end
    EXPECT_EQ(a.count(), 50);
    EXPECT_EQ(a.progress(), 100);
    a.start(); // a new start forgets the old sums
    EXPECT_EQ(a.count(), 0);
    EXPECT_EQ(a.add(dark(5)), BlackAverage::Step::Skipped);
}

TEST(BlackAverage, AimingLightsStopItKeepingWhatWasCounted) {
    BlackAverage a;
    a.start();
    a.add(dark(9));
    a.add(dark(2));
    a.add(dark(4));
    EXPECT_EQ(a.add(dark(3, BlackAverage::aimingLightBit | 0x100)),
              BlackAverage::Step::AimingLight);
    EXPECT_FALSE(a.isRunning());
    EXPECT_EQ(a.count(), 2);
    EXPECT_EQ(a.blackList(), QVector<double>({3.0, 6.0, 9.0}));
    a.start();
    EXPECT_EQ(a.add(dark(1, BlackAverage::aimingLightBit)), BlackAverage::Step::AimingLight);
}
