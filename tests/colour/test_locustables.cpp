#include "locus.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::vector<double> keys(const LocusTable &t) {
    std::vector<double> k;
    for (int i = 0; i < t.count; ++i)
        k.push_back(t.rows[i][LocusKey]);
    return k;
}

TEST(LocusTables, PlanckianKeys) {
    std::vector<double> expected;
    const struct {
        double from, to, step;
    } runs[] = {{1000, 6500, 100},       {6501, 6510, 1},         {6600, 10000, 100},
                {10200, 20000, 200},     {20500, 50000, 500},     {51000, 100000, 1000},
                {120000, 200000, 20000}, {250000, 500000, 50000}, {600000, 1000000, 100000}};
    for (const auto &r : runs)
        for (double k = r.from; k <= r.to; k += r.step)
            expected.push_back(k);
    for (double k : {2e6, 4e6, 7e6, 1e7, 2e7, 4e7, 7e7, 1e8, 2e8, 4e8, 7e8, 1e9})
        expected.push_back(k);
    ASSERT_EQ(planckianTable.count, 289);
    EXPECT_EQ(keys(planckianTable), expected);
}

TEST(LocusTables, SpectrumKeys) {
    std::vector<double> expected;
    for (int nm = 400; nm <= 698; ++nm)
        expected.push_back(nm);
    expected.push_back(700);
    ASSERT_EQ(spectrumLocusTable.count, 300);
    EXPECT_EQ(keys(spectrumLocusTable), expected);
}

void expectRow(const double *row, const std::vector<double> &expected) {
    for (int c = 0; c < 8; ++c)
        EXPECT_NEAR(row[c], expected[c], 0.5e-6) << "column " << c;
}

TEST(LocusTables, FirstRows) {
    expectRow(planckianTable.rows[0],
              {1000, 0.652751, 0.344462, 0.448007, 0.354625, 100, -0.022202, 0.001845});
    expectRow(spectrumLocusTable.rows[0],
              {400, 0.173337, 0.004797, 0.255764, 0.015925, 1, -0.000064, -0.000036});
}

TEST(LocusTables, Steps) {
    const auto planckStep = [](double kelvin) {
        for (int i = 0; i < planckianTable.count; ++i)
            if (planckianTable.rows[i][LocusKey] == kelvin)
                return planckianTable.rows[i][LocusStep];
        return -1.0;
    };
    EXPECT_EQ(planckStep(1000), 100);
    EXPECT_EQ(planckStep(6400), 100);
    EXPECT_EQ(planckStep(6500), 50); // half of 6501 - 6400, truncated
    EXPECT_EQ(planckStep(6505), 1);
    EXPECT_EQ(planckStep(6510), 45); // half of 6600 - 6509, truncated
    EXPECT_EQ(planckStep(10000), 150);
    EXPECT_EQ(planckStep(1e9), 3e8);
    const auto &s = spectrumLocusTable;
    EXPECT_EQ(s.rows[1][LocusStep], 1);
    EXPECT_EQ(s.rows[s.count - 2][LocusStep], 1.5); // 698 nm, not truncated
    EXPECT_EQ(s.rows[s.count - 1][LocusStep], 2);
}

TEST(LocusTables, PublishedChromaticities) {
    // CIE 1931 2° spectral chromaticities, as tabulated by the CIE.
    const double *nm520 = spectrumLocusTable.rows[120];
    ASSERT_EQ(nm520[LocusKey], 520);
    EXPECT_NEAR(nm520[LocusX], 0.07430, 0.5e-5);
    EXPECT_NEAR(nm520[LocusY], 0.83380, 0.5e-5);
    const double *nm700 = spectrumLocusTable.rows[299];
    EXPECT_NEAR(nm700[LocusX], 0.73469, 0.5e-5);
    EXPECT_NEAR(nm700[LocusY], 0.26531, 0.5e-5);

    // CIE illuminant A: x 0.44757, y 0.40745. It is defined as a Planckian
    // radiator of 2848 K with c2 = 1.435e-2 m·K, i.e. 2855.54 K with ours.
    // This goes through the interpolation between the 2800 and 2900 K rows;
    // what is left is the CIE's 5 nm sum against our 1 nm one.
    LocusPoint p;
    ASSERT_TRUE(locusLookup(2848 * 1.438777e-2 / 1.435e-2, planckianTable, &p));
    const double d = 2 * p.u - 8 * p.v + 4;
    EXPECT_NEAR(3 * p.u / d, 0.44757, 2e-5);
    EXPECT_NEAR(2 * p.v / d, 0.40745, 2e-5);
}

// Chromaticity of a Planckian radiator straight from the colour-matching
// functions, to check the interpolation between rows.
struct Cmf {
    double nm, x, y, z;
};

std::vector<Cmf> readCmf() {
    std::vector<Cmf> cmf;
    const char *dir = std::getenv("TINTWELL_DATA_DIR");
    if (!dir)
        return cmf;
    FILE *f = std::fopen((std::string(dir) + "/cie1931_2deg_1nm.csv").c_str(), "r");
    if (!f)
        return cmf;
    char line[256];
    while (std::fgets(line, sizeof line, f)) {
        Cmf c;
        if (std::sscanf(line, "%lf,%lf,%lf,%lf", &c.nm, &c.x, &c.y, &c.z) == 4)
            cmf.push_back(c);
    }
    std::fclose(f);
    return cmf;
}

void planckUv(const std::vector<Cmf> &cmf, double kelvin, double &u, double &v) {
    double X = 0, Y = 0, Z = 0;
    for (const Cmf &c : cmf) {
        const double l = c.nm * 1e-9;
        const double m = 1 / (std::pow(l, 5) * std::expm1(1.438777e-2 / (l * kelvin)));
        X += m * c.x;
        Y += m * c.y;
        Z += m * c.z;
    }
    const double d = X + 15 * Y + 3 * Z;
    u = 4 * X / d;
    v = 6 * Y / d;
}

TEST(LocusTables, InterpolationFollowsPlanck) {
    const std::vector<Cmf> cmf = readCmf();
    ASSERT_GT(cmf.size(), 400u) << "TINTWELL_DATA_DIR must point at the data folder";
    // Dense across the uneven rows around 6500 K, where a careless tangent
    // makes the curve loop, and sparse elsewhere.
    std::vector<double> kelvins;
    for (double t = 6390; t <= 6620; t += 0.25)
        kelvins.push_back(t);
    for (double t = 1000; t <= 100000; t *= 1.013)
        kelvins.push_back(t);
    for (double t : kelvins) {
        LocusPoint p;
        ASSERT_TRUE(locusLookup(t, planckianTable, &p)) << t;
        double u, v;
        planckUv(cmf, t, u, v);
        // The first row's tangent is a one-sided difference, so the first
        // segment is only good to about 2e-4; 100 K rows leave a few 1e-6 at
        // low temperatures. Around 6500 K the uneven rows must not spoil the
        // otherwise tight fit there.
        double tolerance = 5e-6;
        if (t < 1100)
            tolerance = 2e-4;
        else if (t >= 6390 && t <= 6620)
            tolerance = 1e-7;
        ASSERT_NEAR(p.u, u, tolerance) << t << " K";
        ASSERT_NEAR(p.v, v, tolerance) << t << " K";
        EXPECT_NEAR(p.key, t, 1e-3);
    }
}

TEST(LocusTables, SegmentEndsAreTheRows) {
    for (const LocusTable *t : {&planckianTable, &spectrumLocusTable}) {
        for (int i = 0; i + 1 < t->count; ++i) {
            const LocusPoint a = locusSegmentPoint(*t, i, 0);
            const LocusPoint b = locusSegmentPoint(*t, i, 1);
            EXPECT_DOUBLE_EQ(a.key, t->rows[i][LocusKey]);
            EXPECT_DOUBLE_EQ(a.u, t->rows[i][LocusU]);
            EXPECT_DOUBLE_EQ(b.v, t->rows[i + 1][LocusV]);
            // The tangent points along the row's derivative.
            const double cross = a.du * t->rows[i][LocusDv] - a.dv * t->rows[i][LocusDu];
            EXPECT_NEAR(cross, 0, 1e-18);
            EXPECT_GT(a.du * t->rows[i][LocusDu] + a.dv * t->rows[i][LocusDv], 0);
        }
    }
}

TEST(LocusTables, LookupOutsideTheTableFails) {
    LocusPoint p;
    EXPECT_FALSE(locusLookup(999.9, planckianTable, &p));
    EXPECT_FALSE(locusLookup(1.1e9, planckianTable, &p));
    EXPECT_FALSE(locusLookup(399, spectrumLocusTable, &p));
    EXPECT_FALSE(locusLookup(700.01, spectrumLocusTable, &p));
    EXPECT_FALSE(locusLookup(NAN, spectrumLocusTable, &p));
    // The table's ends are inside, found to the bisection's 2^-21.
    ASSERT_TRUE(locusLookup(400, spectrumLocusTable, &p));
    EXPECT_NEAR(p.u, spectrumLocusTable.rows[0][LocusU], 1e-9);
    ASSERT_TRUE(locusLookup(1e9, planckianTable, &p));
    EXPECT_NEAR(p.v, planckianTable.rows[288][LocusV], 1e-9);
}

TEST(LocusTables, CctOfLocusPointsIsTheirKey) {
    for (int i = 0; i < 200; i += 7) {
        const double *r = planckianTable.rows[i];
        const LocusCct c = findCct(r[LocusU], r[LocusV]);
        EXPECT_TRUE(c.inRange);
        EXPECT_NEAR(c.temp, r[LocusKey], 1e-3 * r[LocusStep]);
        EXPECT_NEAR(c.duv, 0, 1e-7); // bisection resolution times the tangent
    }
    // Far from the locus: no temperature.
    const LocusCct far = findCct(0.2, 0.2);
    EXPECT_FALSE(far.inRange);
    EXPECT_EQ(far.temp, 0);
    EXPECT_EQ(far.duv, 0);
}

} // namespace
