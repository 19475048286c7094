// ICtCp and ΔE ITP against values worked by hand from the definitions of
// ITU-R BT.2100 (ICtCp) and ITU-R BT.2124 (ΔE ITP = 720 · sqrt(ΔI² + (ΔCt /
// 2)² + ΔCp²)).
#include "ictcp.h"
#include "transfer.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// Every LMS row sums to 4096 and both chroma rows to 0, so a grey of Y
// cd/m² has L = M = S = Y: I is its PQ signal, Ct and Cp are 0.
TEST(Ictcp, GreysAreTheirPqSignal) {
    for (double y : {0.0, 0.005, 1.0, 100.0, 203.0, 1000.0, 10000.0}) {
        const ICtCp g = ictcpFromRec2020(y, y, y);
        EXPECT_NEAR(g.i, transfer::st2084InverseEotf(y), 1e-12) << y;
        EXPECT_NEAR(g.ct, 0, 1e-12);
        EXPECT_NEAR(g.cp, 0, 1e-12);
    }
    // The same from X, Y, Z: a D65 white goes through the BT.2020 matrix.
    const double y = 203.0;
    const ICtCp w = ictcpFromXyz(0.3127 / 0.329 * y, y, (1 - 0.3127 - 0.329) / 0.329 * y);
    EXPECT_NEAR(w.i, 0.5806888810416109, 1e-9);
    EXPECT_NEAR(w.ct, 0, 1e-9);
    EXPECT_NEAR(w.cp, 0, 1e-9);
}

struct ItpCase {
    const char *what;
    double a[3], b[3]; // linear BT.2020 R, G, B in cd/m²
    double itp;
};

// Worked by hand:
// - greys of 100 and 110 cd/m²: I = PQ(100) = 0.5080784 and PQ(110) =
//   0.5176746, ΔE ITP = 720 · 0.0095961 = 6.909213;
// - BT.2020 red of 100 cd/m² (LMS 41.211, 16.675, 2.417 cd/m²; I 0.381770,
//   Ct -0.112361, Cp 0.371638) against red with 5 cd/m² of green (I
//   0.393020, Ct -0.143101, Cp 0.324682): ΔI 0.011250, ΔCt / 2 0.015370,
//   ΔCp 0.046956, ΔE ITP 36.48411.
const ItpCase itpCases[] = {
    {"greys 100 and 110", {100, 100, 100}, {110, 110, 110}, 6.909212725063183},
    {"red and red with green", {100, 0, 0}, {100, 5, 0}, 36.48411400133784},
    {"the same colour", {12, 34, 56}, {12, 34, 56}, 0.0},
};

TEST(Ictcp, DeltaEItpWorkedByHand) {
    for (const ItpCase &c : itpCases) {
        const ICtCp a = ictcpFromRec2020(c.a[0], c.a[1], c.a[2]);
        const ICtCp b = ictcpFromRec2020(c.b[0], c.b[1], c.b[2]);
        EXPECT_NEAR(deltaEItp(a, b), c.itp, 1e-6) << c.what;
        EXPECT_NEAR(deltaEItp(b, a), c.itp, 1e-6) << c.what; // symmetric
    }
    // A D65 white of 203 cd/m² against one moved by 0.003 in x: ΔE ITP
    // 2.04241 (I 0.5807493, Ct 0.0000873, Cp 0.0028357 against the white's
    // I 0.5806889 and no chroma).
    const double y = 203.0;
    const double white[3] = {0.3127 / 0.329 * y, y, (1 - 0.3127 - 0.329) / 0.329 * y};
    const double x = 0.3157;
    const double shifted[3] = {x / 0.329 * y, y, (1 - x - 0.329) / 0.329 * y};
    EXPECT_NEAR(deltaEItpXyz(white, shifted), 2.0424068877498103, 1e-6);
    // Colours outside BT.2020 (negative components) are clamped, never NaN.
    const double outside[3] = {-50, 10, 400};
    EXPECT_TRUE(std::isfinite(deltaEItpXyz(white, outside)));
}

} // namespace
