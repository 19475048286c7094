// The locus tables and their searches: the rows the build generated, the
// interpolation against Planck's law straight from the colour-matching
// functions, lookups off the table, and the fast searches bit for bit equal
// to a scan of every segment.
#include "locus.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

double step(const LocusTable &t, double key) {
    for (int i = 0; i < t.count; ++i)
        if (t.rows[i][LocusKey] == key)
            return t.rows[i][LocusStep];
    return -1;
}

TEST(LocusTables, RowsKeysAndSteps) {
    ASSERT_EQ(planckianTable.count, 289);
    ASSERT_EQ(spectrumLocusTable.count, 300);
    // Half-distances to the neighbours, truncated to whole kelvin.
    const double steps[][2] = {{6400, 100}, {6500, 50},   {6505, 1},
                               {6510, 45},  {10000, 150}, {1e9, 3e8}};
    for (const auto &s : steps)
        EXPECT_EQ(step(planckianTable, s[0]), s[1]) << s[0];
    EXPECT_EQ(step(spectrumLocusTable, 698), 1.5);
    // CIE 1931 2° spectral chromaticity at 520 nm, as tabulated by the CIE.
    EXPECT_NEAR(spectrumLocusTable.rows[120][LocusX], 0.07430, 0.5e-5);
    EXPECT_NEAR(spectrumLocusTable.rows[120][LocusY], 0.83380, 0.5e-5);
}

struct Cmf {
    double nm, x, y, z;
};

std::vector<Cmf> readCmf() {
    std::vector<Cmf> cmf;
    const char *dir = std::getenv("TINTWELL_DATA_DIR");
    FILE *f = dir ? std::fopen((std::string(dir) + "/cie1931_2deg_1nm.csv").c_str(), "r") : nullptr;
    if (!f)
        return cmf;
    char line[256];
    Cmf c;
    while (std::fgets(line, sizeof line, f))
        if (std::sscanf(line, "%lf,%lf,%lf,%lf", &c.nm, &c.x, &c.y, &c.z) == 4)
            cmf.push_back(c);
    std::fclose(f);
    return cmf;
}

TEST(LocusTables, InterpolationFollowsPlanckAlsoAcrossTheUnevenRows) {
    const std::vector<Cmf> cmf = readCmf();
    ASSERT_GT(cmf.size(), 400u) << "TINTWELL_DATA_DIR must point at the data folder";
    std::vector<double> kelvins;
    for (double t = 6390; t <= 6620; t += 0.25)
        kelvins.push_back(t);
    for (double t = 1000; t <= 100000; t *= 1.013)
        kelvins.push_back(t);
    for (double t : kelvins) {
        double X = 0, Y = 0, Z = 0;
        for (const Cmf &c : cmf) {
            const double l = c.nm * 1e-9;
            const double m = 1 / (std::pow(l, 5) * std::expm1(1.438777e-2 / (l * t)));
            X += m * c.x;
            Y += m * c.y;
            Z += m * c.z;
        }
        const double d = X + 15 * Y + 3 * Z;
        LocusPoint p;
        ASSERT_TRUE(locusLookup(t, planckianTable, &p)) << t;
        // The first segment's one-sided tangent is good to 2e-4; around
        // 6500 K the uneven rows must not spoil the otherwise tight fit.
        const double tolerance = t < 1100 ? 2e-4 : (t >= 6390 && t <= 6620 ? 1e-7 : 5e-6);
        ASSERT_NEAR(p.u, 4 * X / d, tolerance) << t << " K";
        ASSERT_NEAR(p.v, 6 * Y / d, tolerance) << t << " K";
        EXPECT_NEAR(p.key, t, 1e-3);
    }
}

TEST(LocusTables, LookupsOffTheTableFailAndPointsFarOffHaveNoTemperature) {
    LocusPoint p;
    EXPECT_FALSE(locusLookup(999.9, planckianTable, &p));
    for (double key : {399.0, 700.01, std::nan("")})
        EXPECT_FALSE(locusLookup(key, spectrumLocusTable, &p)) << key;
    ASSERT_TRUE(locusLookup(400, spectrumLocusTable, &p)); // the ends are inside
    const LocusCct far = findCct(0.2, 0.2);
    EXPECT_FALSE(far.inRange);
    EXPECT_EQ(far.temp, 0);
}

bool sameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST(LocusSearch, FastSearchesEqualTheFullScanBitForBit) {
    struct Sample {
        double u, v;
    };
    std::vector<Sample> samples;
    for (double u = -0.05; u <= 0.7; u += 0.0037)
        for (double v = -0.05; v <= 0.65; v += 0.0041)
            samples.push_back({u, v});
    // Close to every row of both tables, where segments meet.
    for (const LocusTable *t : {&planckianTable, &spectrumLocusTable})
        for (int i = 0; i < t->count; ++i)
            for (double off : {-0.03, -1e-4, 0.0, 1e-9, 2e-3})
                samples.push_back({t->rows[i][LocusU] + off, t->rows[i][LocusV] - off});
    int inRange = 0, found = 0, missed = 0;
    for (const Sample &s : samples) {
        for (double limit : {0.05, 0.5}) {
            const LocusCct fast = findCct(s.u, s.v, limit),
                           full = findCctExhaustive(s.u, s.v, limit);
            ASSERT_TRUE(sameBits(fast.temp, full.temp) && sameBits(fast.duv, full.duv))
                << s.u << ", " << s.v;
            ASSERT_EQ(fast.inRange, full.inRange);
            inRange += fast.inRange;
        }
        const double vp = s.v * 1.5;
        const LocusDominant fast = findDominantWavelength(s.u, vp, 0.210526316, 0.473684211);
        const LocusDominant full =
            findDominantWavelengthExhaustive(s.u, vp, 0.210526316, 0.473684211);
        ASSERT_TRUE(sameBits(fast.nm, full.nm) && sameBits(fast.duv, full.duv))
            << s.u << ", " << vp;
        ASSERT_EQ(fast.found, full.found);
        (fast.found ? found : missed)++;
    }
    EXPECT_GT(inRange, 1000); // the samples do reach the locus
    EXPECT_GT(found, 5000);
    EXPECT_GT(missed, 500); // purples
}

} // namespace
