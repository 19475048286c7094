// The flash detector on scripted signals: flashes and dips of known size and
// rate are counted and measured, a steady signal gives none, the window
// never holds more than 4 seconds, and a flash in the newest quarter waits
// for a later pass.
#include "flashdetector.h"
#include "flicker.h"
#include "measurement.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

constexpr double rate = 256; // samples/s
constexpr double level = 10000;

struct Pulse {
    double start; // s
    int samples;
    double relative; // +0.5: half again as bright
};

// Streams the signal in records of the instrument's shape: each holds the
// last 256 samples and 32 new ones.
struct Stream {
    std::vector<Pulse> pulses;
    FlashDetector detector;
    QVector<Flash> found;
    int done = 0; // samples streamed so far

    double sample(int i) const {
        for (const Pulse &p : pulses) {
            const int first = int(std::lround(p.start * rate));
            if (i >= first && i < first + p.samples)
                return level * (1 + p.relative);
        }
        return level;
    }
    // Streams on until the signal is this many seconds long.
    void run(double seconds) {
        const int total = int(seconds * rate);
        for (int end = done + 32; end <= total; end += 32) {
            done = end;
            QVector<double> times, counts;
            for (int i = std::max(0, end - 256); i < end; ++i) {
                times << i / rate;
                counts << sample(i);
            }
            found += detector.process(times, counts);
            EXPECT_LE(detector.heldSpan(), FlashDetector::windowSeconds);
        }
    }
};

// The trapezoid area of a flat pulse in % Diff * Second.
double area(const Pulse &p) {
    return (p.samples - 1) / rate * 100 * p.relative;
}

} // namespace

TEST(FlashDetector, CountsAndMeasuresFlashesAndDipsOfKnownSize) {
    Stream s;
    s.detector.setThreshold(0.5);
    std::vector<double> positives;
    for (int k = 0; k < 6; ++k) {
        s.pulses.push_back({1.5 + k, 26, 0.2 + 0.1 * k}); // 0.1 s each, growing
        positives.push_back(area(s.pulses.back()));
    }
    for (int k = 0; k < 5; ++k)
        s.pulses.push_back({2.0 + k, 13, -0.3});
    s.run(10);

    const FlashStats &pos = s.detector.positive();
    const FlashStats &neg = s.detector.negative();
    ASSERT_EQ(pos.count, 6);
    ASSERT_EQ(neg.count, 5);
    double mean = 0, squares = 0;
    for (double v : positives)
        mean += v / positives.size();
    for (double v : positives)
        squares += (v - mean) * (v - mean);
    EXPECT_NEAR(pos.mean, mean, 1e-9);
    EXPECT_NEAR(pos.deviation(), std::sqrt(squares / (positives.size() - 1)), 1e-9);
    EXPECT_NEAR(neg.mean, area({0, 13, -0.3}), 1e-9);
    EXPECT_NEAR(neg.deviation(), 0, 1e-9);
    // Each flash once, at the middle of its run.
    ASSERT_EQ(s.found.size(), 11);
    EXPECT_NEAR(s.found.first().time, 1.5 + 12.5 / rate, 1e-9);

    // Below the threshold a run is not a flash.
    Stream small;
    small.detector.setThreshold(1.5);
    small.pulses = s.pulses;
    small.run(10);
    EXPECT_EQ(small.detector.positive().count, 6);
    EXPECT_EQ(small.detector.negative().count, 0);
}

TEST(FlashDetector, ASteadySignalHasNoFlashes) {
    Stream s;
    s.run(8);
    EXPECT_TRUE(s.found.isEmpty());
    EXPECT_FALSE(s.detector.positive().hasDeviation());
    EXPECT_NEAR(s.detector.heldSpan(), FlashDetector::windowSeconds, 1 / rate);
}

TEST(FlashDetector, AFlashInTheNewestQuarterWaitsForALaterPass) {
    Stream s;
    s.pulses.push_back({3.5, 26, 0.5});
    s.run(3.75); // the flash lies in the newest quarter of the window
    EXPECT_EQ(s.detector.positive().count, 0);
    s.run(5.5);
    EXPECT_EQ(s.detector.positive().count, 1);
}

TEST(FlashDetector, ARangeChangeStartsTheWindowAfresh) {
    FlashDetector d;
    Flicker f;
    f.signalCounts = matrix(256, 2);
    for (int i = 0; i < 256; ++i) {
        f.signalCounts(i, 0) = i / rate;
        f.signalCounts(i, 1) = level;
    }
    d.process(f);
    EXPECT_EQ(d.heldSamples(), 256);
    f.errorCode = ErrorBits::FlickerRangeChanged;
    d.process(f);
    EXPECT_EQ(d.heldSamples(), 0);
}
