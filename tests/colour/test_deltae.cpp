// Colour differences: CIE76 and CIE94 on hand-worked cases, CIEDE2000
// against published reference data.
#include "measurement.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

Measurement lab(double L, double a, double b) {
    Measurement m;
    m.labL = L;
    m.labA = a;
    m.labB = b;
    return m;
}

TEST(DeltaE, Cie76AndCie94) {
    EXPECT_DOUBLE_EQ(lab(50, 0, 0).deltaE76(lab(53, 4, 0)), 5);
    // CIE94 weights by the argument's chroma: lightness alone is unweighted,
    // chroma by 1 + 0.045 C2, hue by 1 + 0.015 C2.
    EXPECT_DOUBLE_EQ(lab(50, 10, 0).deltaE94(lab(57, 10, 0)), 7);
    EXPECT_DOUBLE_EQ(lab(50, 10, 0).deltaE94(lab(50, 20, 0)), 10 / 1.9);
    EXPECT_DOUBLE_EQ(lab(50, 20, 0).deltaE94(lab(50, 10, 0)), 10 / 1.45);
    EXPECT_NEAR(lab(50, 10, 0).deltaE94(lab(50, 0, 10)), std::sqrt(200) / 1.15, 1e-12);
    // Nearly the same strong colour: the hue term is zero up to rounding (here
    // a little below) and must not give NaN.
    EXPECT_NEAR(lab(50, 27.4, -69.8).deltaE94(lab(50, 27.4, -69.79999999999998)), 0, 1e-12);
}

struct SharmaPair {
    int pair; // the row number in the published table
    double L1, a1, b1, L2, a2, b2, dE00;
};

// CIEDE2000 test data of Sharma, Wu and Dalal, "The CIEDE2000 color-difference
// formula: implementation notes, supplementary test data, and mathematical
// observations", Color Res. Appl. 30 (2005), table 1 (a selection).
const SharmaPair sharma[] = {
    {1, 50.0000, 2.6772, -79.7751, 50.0000, 0.0000, -82.7485, 2.0425},
    {4, 50.0000, -1.3802, -84.2814, 50.0000, 0.0000, -82.7485, 1.0000},
    {7, 50.0000, 0.0000, 0.0000, 50.0000, -1.0000, 2.0000, 2.3669},
    {8, 50.0000, -1.0000, 2.0000, 50.0000, 0.0000, 0.0000, 2.3669},
    {9, 50.0000, 2.4900, -0.0010, 50.0000, -2.4900, 0.0009, 7.1792},
    {10, 50.0000, 2.4900, -0.0010, 50.0000, -2.4900, 0.0010, 7.1792},
    {11, 50.0000, 2.4900, -0.0010, 50.0000, -2.4900, 0.0011, 7.2195},
    {12, 50.0000, 2.4900, -0.0010, 50.0000, -2.4900, 0.0012, 7.2195},
    {13, 50.0000, -0.0010, 2.4900, 50.0000, 0.0009, -2.4900, 4.8045},
    {14, 50.0000, -0.0010, 2.4900, 50.0000, 0.0010, -2.4900, 4.8045},
    {15, 50.0000, -0.0010, 2.4900, 50.0000, 0.0011, -2.4900, 4.7461},
    {16, 50.0000, 2.5000, 0.0000, 50.0000, 0.0000, -2.5000, 4.3065},
    {17, 50.0000, 2.5000, 0.0000, 73.0000, 25.0000, -18.0000, 27.1492},
    {18, 50.0000, 2.5000, 0.0000, 61.0000, -5.0000, 29.0000, 22.8977},
    {21, 50.0000, 2.5000, 0.0000, 50.0000, 3.1736, 0.5854, 1.0000},
    {25, 60.2574, -34.0099, 36.2677, 60.4626, -34.1751, 39.4387, 1.2644},
    {26, 63.0109, -31.0961, -5.8663, 62.8187, -29.7946, -4.0864, 1.2630},
    {30, 36.4612, 47.8580, 18.3852, 36.2715, 50.5065, 21.2231, 1.4146},
    {32, 90.9257, -0.5406, -0.9208, 88.6381, -0.8985, -0.7239, 1.5381},
    {34, 2.0776, 0.0795, -1.1350, 0.9033, -0.0636, -0.5514, 0.9082},
};

// Printed to four decimals; our angle constants are slightly off 2π, 180/π
// and π/180 on purpose (reported values must not move between versions),
// which shifts results by up to 6.1e-5 on this data.
constexpr double sharmaTolerance = 1.5e-4;

TEST(DeltaE, Ciede2000AgainstSharmaData) {
    for (size_t i = 0; i < sizeof sharma / sizeof *sharma; ++i) {
        const SharmaPair &p = sharma[i];
        // Pairs 10 and 14 have hues exactly 180° apart; the offset constant
        // puts them on the other branch, the value of the pair after them.
        const double expected = (p.pair == 10 || p.pair == 14) ? sharma[i + 1].dE00 : p.dE00;
        const Measurement a = lab(p.L1, p.a1, p.b1), b = lab(p.L2, p.a2, p.b2);
        EXPECT_NEAR(a.deltaE2000(b), expected, sharmaTolerance) << "pair " << p.pair;
        EXPECT_NEAR(b.deltaE2000(a), expected, sharmaTolerance) << "pair " << p.pair << " swapped";
    }
    EXPECT_EQ(lab(40, 10, -10).deltaE2000(lab(40, 10, -10)), 0);
}

} // namespace
