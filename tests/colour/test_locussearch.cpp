// The CCT and dominant-wavelength searches skip segments that cannot be
// chosen. Their results must be bit for bit those of the plain scan over
// every segment, on the benchmark's colour set and on a dense grid.
#include "colourset.h"
#include "locus.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

constexpr double whiteU = 0.210526316, whiteV = 0.473684211;

bool sameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

struct Sample {
    double u, v1960, vPrime;
};

// Chromaticities exactly as the measurement record derives them.
Sample fromXYZ(double X, double Y, double Z) {
    double s = X + Y + Z;
    if (s == 0)
        s = 1e-7;
    const double x = X / s, y = Y / s;
    const double d = 12 * y - 2 * x + 3;
    if (d < 0.001)
        return {0, 0, 0};
    return {4 * x / d, 6 * y / d, 9 * y / d};
}

std::vector<Sample> samples() {
    std::vector<Sample> out;
    for (const auto &c : colourset::make())
        out.push_back(fromXYZ(c[0], c[1], c[2]));
    // The whole uv plane, including far off any locus.
    for (double u = -0.05; u <= 0.7; u += 0.0037)
        for (double v = -0.05; v <= 0.65; v += 0.0041)
            out.push_back({u, v, v * 1.5});
    // Close to every row of both tables, where segments meet.
    for (const LocusTable *t : {&planckianTable, &spectrumLocusTable})
        for (int i = 0; i < t->count; ++i)
            for (double off : {-0.03, -1e-4, 0.0, 1e-9, 2e-3}) {
                const double u = t->rows[i][LocusU] + off, v = t->rows[i][LocusV] - off;
                out.push_back({u, v, v});
            }
    return out;
}

TEST(LocusSearch, CctMatchesFullScan) {
    int inRange = 0;
    for (const Sample &s : samples()) {
        for (double limit : {0.05, 0.5}) {
            const LocusCct fast = findCct(s.u, s.v1960, limit);
            const LocusCct full = findCctExhaustive(s.u, s.v1960, limit);
            ASSERT_TRUE(sameBits(fast.temp, full.temp)) << s.u << ", " << s.v1960;
            ASSERT_TRUE(sameBits(fast.duv, full.duv)) << s.u << ", " << s.v1960;
            ASSERT_EQ(fast.inRange, full.inRange);
            inRange += fast.inRange;
        }
    }
    EXPECT_GT(inRange, 5000); // the set does reach the locus
}

TEST(LocusSearch, DominantWavelengthMatchesFullScan) {
    int found = 0, missed = 0;
    for (const Sample &s : samples()) {
        const LocusDominant fast = findDominantWavelength(s.u, s.vPrime, whiteU, whiteV);
        const LocusDominant full = findDominantWavelengthExhaustive(s.u, s.vPrime, whiteU, whiteV);
        ASSERT_TRUE(sameBits(fast.nm, full.nm)) << s.u << ", " << s.vPrime;
        ASSERT_TRUE(sameBits(fast.duv, full.duv)) << s.u << ", " << s.vPrime;
        ASSERT_EQ(fast.found, full.found);
        (fast.found ? found : missed)++;
    }
    EXPECT_GT(found, 5000);
    EXPECT_GT(missed, 500); // purples
}

} // namespace
