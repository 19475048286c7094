// Transfer functions against published values (SMPTE ST 2084, ITU-R BT.2100
// HLG, ITU-R BT.1886) and the ITU-R BT.2390 roll-off against values worked
// by hand from its definition; round trips, edges, NaN and infinity.
#include "transfer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using namespace transfer;

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double inf = std::numeric_limits<double>::infinity();

struct PqPoint {
    double nits, signal, signalTolerance;
};

// ST 2084: 0 cd/m² is signal c1^m2 = 7.31e-7 (0 to the eye), 10,000 cd/m² is
// 1. 100 cd/m² is 0.508078421517399 (the colour-science package's reference
// for its ST 2084 EOTF); ITU-R BT.2408 puts its HDR reference white of 203
// cd/m² at PQ 0.58069 ("58 %") and 1000 cd/m² at 0.7518 ("75 %").
const PqPoint pqPoints[] = {
    {0.0, 7.309559e-7, 1e-12}, {100.0, 0.508078421517399, 1e-12},
    {203.0, 0.58069, 5e-6},    {1000.0, 0.7518, 5e-5},
    {10000.0, 1.0, 1e-12},
};

TEST(Transfer, St2084PublishedPointsAndRoundTrip) {
    for (const PqPoint &p : pqPoints)
        EXPECT_NEAR(st2084InverseEotf(p.nits), p.signal, p.signalTolerance) << p.nits;
    EXPECT_NEAR(st2084Eotf(0.508078421517399), 100.0, 1e-9);
    EXPECT_NEAR(st2084Eotf(0.58069), 203.0, 0.005);
    EXPECT_EQ(st2084Eotf(1.0), 10000.0);
    EXPECT_EQ(st2084Eotf(0.0), 0.0);
    for (int code = 1; code <= 1023; ++code) {
        const double s = code / 1023.0;
        EXPECT_NEAR(st2084InverseEotf(st2084Eotf(s)), s, 1e-12) << code;
    }
    // Beyond the curve, and what no signal is, clamp instead of spreading NaN.
    EXPECT_EQ(st2084Eotf(1.5), 10000.0);
    EXPECT_EQ(st2084Eotf(-0.2), 0.0);
    EXPECT_EQ(st2084Eotf(nan), 0.0);
    EXPECT_EQ(st2084Eotf(inf), 10000.0);
    EXPECT_EQ(st2084InverseEotf(inf), 1.0);
    EXPECT_EQ(st2084InverseEotf(-5), st2084InverseEotf(0));
}

TEST(Transfer, HlgPublishedPointsAndRoundTrip) {
    // The colour-science package's reference values for BT.2100 HLG (its
    // 2018 revision): scene 0.18 / 12 encodes to sqrt(0.045); that signal
    // shows 6.476 cd/m² on a 1000 cd/m² display with a black of 0, 7.332
    // with a black of 0.01; the OOTF of 0.1 is 1000 · 0.1^1.2.
    EXPECT_NEAR(hlgOetf(0.18 / 12), 0.212132034355964, 1e-12);
    EXPECT_NEAR(hlgInverseOetf(0.212132034355964), 0.015, 1e-12);
    EXPECT_NEAR(hlgGreyEotf(0.212132034355964, 1000), 6.476039825649814, 1e-9);
    EXPECT_NEAR(hlgGreyEotf(0.212132034355964, 1000, 0.01), 7.332197528353875, 1e-9);
    EXPECT_NEAR(hlgOotf({0.1, 0.1, 0.1}, 1000)[1], 63.095734448019336, 1e-9);
    // BT.2408: HLG reference white is 75 %, 203 cd/m² on a 1000 cd/m² display.
    EXPECT_NEAR(hlgGreyEotf(0.75, 1000), 203.0, 0.2);
    // System gamma 1.2 at 1000 cd/m², 1.2 + 0.42 log10(Lw / 1000) elsewhere.
    EXPECT_DOUBLE_EQ(hlgSystemGamma(1000), 1.2);
    EXPECT_NEAR(hlgSystemGamma(400), 1.0328651963577442, 1e-12);
    EXPECT_NEAR(hlgSystemGamma(2000), 1.326432598178872, 1e-12);
    EXPECT_EQ(hlgSystemGamma(nan), 1.2);
    // The knee at 1/12 (signal 0.5) is continuous both ways.
    EXPECT_NEAR(hlgOetf(1.0 / 12), 0.5, 1e-12);
    EXPECT_NEAR(hlgOetf(1.0 / 12 + 1e-9), 0.5, 1e-7);
    // BT.2100's a, b and c are rounded: 1 encodes to 1 within 1e-8.
    EXPECT_NEAR(hlgOetf(1.0), 1.0, 1e-8);
    for (int i = 0; i <= 100; ++i) {
        const double s = i / 100.0;
        EXPECT_NEAR(hlgOetf(hlgInverseOetf(s)), s, 1e-8) << s;
    }
    EXPECT_EQ(hlgInverseOetf(nan), 0.0);
    // A saturated colour is dimmed with the scene luminance, not per channel.
    const auto red = hlgOotf({1, 0, 0}, 1000);
    EXPECT_NEAR(red[0], 1000 * std::pow(0.2627, 0.2), 1e-9);
    EXPECT_EQ(red[1], 0.0);
    EXPECT_EQ(hlgOotf({0, 0, 0}, 1000)[0], 0.0);
}

TEST(Transfer, Bt1886WithTheDisplaysBlack) {
    // L = a · max(V + b, 0)^2.4, a = (Lw^(1/2.4) - Lb^(1/2.4))^2.4,
    // b = Lb^(1/2.4) / (Lw^(1/2.4) - Lb^(1/2.4)); worked by hand for
    // Lw 100, Lb 0.1: V 0 gives Lb, V 1 gives Lw, V 0.5 gives 21.6049.
    EXPECT_NEAR(bt1886Eotf(0.0, 100, 0.1), 0.1, 1e-12);
    EXPECT_NEAR(bt1886Eotf(1.0, 100, 0.1), 100.0, 1e-12);
    EXPECT_NEAR(bt1886Eotf(0.5, 100, 0.1), 21.60491116738936, 1e-9);
    // Without black it is the plain power law.
    EXPECT_NEAR(bt1886Eotf(0.5, 100, 0.0), 100 * std::pow(0.5, 2.4), 1e-12);
    // A black at or above the white is a flat display, not a NaN.
    EXPECT_EQ(bt1886Eotf(0.5, 0.1, 0.1), 0.1);
}

TEST(Transfer, Bt2390RollOff) {
    // Worked by hand from BT.2390's EETF for content mastered at 4000 cd/m²
    // on a 1000 cd/m² display (black 0): maxLum = PQ(1000) / PQ(4000) =
    // 0.832982, the knee KS = 1.5 maxLum - 0.5 = 0.749474 of the source
    // range (499.40 cd/m²); below it nothing changes, above it the Hermite
    // spline gives 600 -> 590.710, 1000 -> 814.613, 2000 -> 974.937 and the
    // source peak lands on the display's.
    EetfRange r;
    r.sourcePeak = 4000;
    r.targetPeak = 1000;
    const struct {
        double in, out, tolerance;
    } points[] = {{100, 100, 1e-9},      {203, 203, 1e-9},       {400, 400, 1e-9},
                  {600, 590.7096, 1e-3}, {1000, 814.6125, 1e-3}, {2000, 974.9372, 1e-3},
                  {4000, 1000, 1e-6}};
    for (const auto &p : points)
        EXPECT_NEAR(bt2390EetfNits(p.in, r), p.out, p.tolerance) << p.in;
    // Mastered at 10000 cd/m² the knee drops to 317.05 cd/m²: 500 -> 472.371,
    // 1000 -> 713.332.
    r.sourcePeak = 10000;
    EXPECT_NEAR(bt2390EetfNits(500, r), 472.3706, 1e-3);
    EXPECT_NEAR(bt2390EetfNits(1000, r), 713.3321, 1e-3);
    EXPECT_NEAR(bt2390EetfNits(10000, r), 1000, 1e-6);
    // Never rising above the target and never falling as the input rises.
    double last = 0;
    for (int i = 0; i <= 1000; ++i) {
        const double out = bt2390Eetf(i / 1000.0, r);
        EXPECT_GE(out, last - 1e-15) << i;
        EXPECT_LE(out, st2084InverseEotf(1000) + 1e-12) << i;
        last = out;
    }
    // A display's black lifts the bottom: 0 shows as 0.05, 1 as 1.51689.
    r.sourcePeak = 4000;
    r.targetBlack = 0.05;
    EXPECT_NEAR(bt2390EetfNits(0, r), 0.05, 1e-9);
    EXPECT_NEAR(bt2390EetfNits(1, r), 1.5168857, 1e-5);
    // Content within the display's range is left alone.
    EetfRange same;
    same.sourcePeak = 1000;
    same.targetPeak = 1000;
    EXPECT_NEAR(bt2390EetfNits(999, same), 999, 1e-9);
    EXPECT_NEAR(bt2390EetfNits(2000, same), 1000, 1e-6); // clamped to the source range
    EXPECT_TRUE(std::isfinite(bt2390Eetf(nan, r)));
}

} // namespace
