// Targets of code values: ranges and depths, the transfer curves through the
// standard's primaries, the reference white HDR patches are judged against.
#include "transfer.h"
#include "videotarget.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

VideoStandard pqStandard(double peak, double mastering, CodeRange range = CodeRange::full(10)) {
    VideoStandard s;
    s.spec = GamutSpec::standardSpec(3, hdrReferenceWhite);
    s.curve.transfer = Transfer::Pq;
    s.curve.peakNits = peak;
    s.curve.masteringPeak = mastering;
    s.range = range;
    return s;
}

TEST(VideoTarget, CodeRanges) {
    const struct {
        CodeRange range;
        int low, high, max;
    } ranges[] = {{CodeRange::full(8), 0, 255, 255},
                  {CodeRange::limited(8), 16, 235, 255},
                  {CodeRange::full(10), 0, 1023, 1023},
                  {CodeRange::limited(10), 64, 940, 1023}};
    for (const auto &r : ranges) {
        EXPECT_EQ(r.range.low, r.low);
        EXPECT_EQ(r.range.high, r.high);
        EXPECT_EQ(r.range.maxCode(), r.max);
        EXPECT_EQ(r.range.signal(r.low), 0.0);
        EXPECT_EQ(r.range.signal(r.high), 1.0);
        // Below black and above white (super-white) clamp.
        EXPECT_EQ(r.range.signal(r.max), 1.0);
        EXPECT_EQ(r.range.signal(0), 0.0);
        EXPECT_FALSE(r.range.holds(r.max + 1));
        EXPECT_FALSE(r.range.holds(-1));
    }
    // An 8-bit generator shows the nearest code: the same place between black
    // and white, rounded (10-bit 520 of 1023 is 129.6 of 255).
    const CodeRange f8 = CodeRange::full(8), f10 = CodeRange::full(10);
    const CodeRange l8 = CodeRange::limited(8), l10 = CodeRange::limited(10);
    EXPECT_EQ(f8.nearestFrom(520, f10), 130);
    EXPECT_EQ(f8.nearestFrom(1023, f10), 255);
    EXPECT_EQ(f8.nearestFrom(0, f10), 0);
    EXPECT_EQ(l8.nearestFrom(940, l10), 235);
    EXPECT_EQ(l8.nearestFrom(64, l10), 16);
    EXPECT_EQ(l8.nearestFrom(502, l10), 126); // 125.5 of 219 steps above 16
    EXPECT_EQ(f10.nearestFrom(255, f8), 1023);
    EXPECT_EQ(l8.nearestFrom(1023, l10), 255); // super-white stays within the codes
}

TEST(VideoTarget, PqTargetsAreAbsolute) {
    const VideoStandard s = pqStandard(1000, 0);
    // Full range: code 520 is ST 2084 of 520 / 1023, 100.23 cd/m², whatever
    // the white; a grey has the white's chromaticity.
    const PatchTarget grey = codeTarget({520, 520, 520}, s);
    EXPECT_NEAR(grey.measurement.bigY, transfer::st2084Eotf(520 / 1023.0), 1e-9);
    EXPECT_NEAR(grey.measurement.bigY, 100.2299, 1e-3);
    EXPECT_NEAR(grey.measurement.x, 0.3127, 1e-9);
    EXPECT_NEAR(grey.measurement.y, 0.329, 1e-9);
    // The reference white is L* 100.
    const int white = int(std::lround(transfer::st2084InverseEotf(203) * 1023));
    EXPECT_NEAR(codeTarget({white, white, white}, s).measurement.labL, 100, 0.3);
    // Limited range: 64 black, 940 full scale.
    const VideoStandard lim = pqStandard(1000, 0, CodeRange::limited(10));
    EXPECT_EQ(codeTarget({64, 64, 64}, lim).measurement.bigY, 0.0);
    EXPECT_NEAR(codeTarget({502, 502, 502}, lim).measurement.bigY,
                transfer::st2084Eotf(438 / 876.0), 1e-9);
    // Above the display's peak: clipped, or rolled off for the mastering peak.
    EXPECT_NEAR(codeTarget({1023, 1023, 1023}, s).measurement.bigY, 1000, 1e-9);
    const VideoStandard rolled = pqStandard(1000, 4000);
    const double pq2000 = transfer::st2084InverseEotf(2000) * 1023;
    const int c = int(std::lround(pq2000));
    EXPECT_NEAR(codeTarget({c, c, c}, rolled).measurement.bigY,
                transfer::bt2390EetfNits(transfer::st2084Eotf(c / 1023.0), {0, 4000, 0, 1000}),
                1e-9);
    // A primary is the standard's primary at its luminance share.
    const PatchTarget red = codeTarget({white, 0, 0}, s);
    EXPECT_NEAR(red.measurement.x, 0.708, 1e-9);
    EXPECT_NEAR(red.measurement.bigY, 203 * s.spec.redBigY / 203, 0.05);
}

TEST(VideoTarget, HlgIsRelativeToTheDisplaysPeak) {
    VideoStandard s;
    s.curve.transfer = Transfer::Hlg;
    s.curve.peakNits = 1000;
    s.spec = GamutSpec::standardSpec(3, s.curve.referenceWhite(0));
    s.range = CodeRange::full(10);
    EXPECT_NEAR(s.spec.whiteBigY, 203, 0.2); // 75 % on a 1000 cd/m² display
    EXPECT_NEAR(codeTarget({1023, 1023, 1023}, s).measurement.bigY, 1000, 1e-9);
    // On a 2000 cd/m² display the same signal is brighter, with more gamma.
    s.curve.peakNits = 2000;
    EXPECT_NEAR(codeTarget({1023, 1023, 1023}, s).measurement.bigY, 2000, 1e-9);
    EXPECT_NEAR(codeTarget({767, 767, 767}, s).measurement.bigY,
                2000 * std::pow(transfer::hlgInverseOetf(767 / 1023.0), 1.326432598178872), 1e-6);
}

TEST(VideoTarget, GammaTargetsStayRelativeToTheWhite) {
    VideoStandard s;
    s.spec = GamutSpec::standardSpec(2, 120);
    s.curve.gamma = 2.4;
    // The gamma target is fromRGB of 100 · level^gamma, exactly as before.
    const PatchTarget t = codeTarget({128, 0, 0}, s);
    const Measurement old = Measurement::fromRGB(100 * std::pow(128 / 255.0, 2.4), 0, 0, s.spec);
    EXPECT_EQ(t.measurement.bigX, old.bigX);
    EXPECT_EQ(t.measurement.bigY, old.bigY);
    EXPECT_EQ(t.measurement.bigZ, old.bigZ);
    EXPECT_FALSE(s.curve.isAbsolute());
    // BT.1886 lifts the bottom with the display's black.
    s.curve.transfer = Transfer::Bt1886;
    s.curve.blackNits = 0.1;
    EXPECT_NEAR(codeTarget({0, 0, 0}, s).measurement.bigY, 0.1, 1e-9);
    EXPECT_NEAR(codeTarget({255, 255, 255}, s).measurement.bigY, 120, 1e-9);
}

TEST(VideoTarget, DeltaItpOfMeasurements) {
    const Measurement a = Measurement::fromxyY(0.3127, 0.329, 100);
    const Measurement b = Measurement::fromxyY(0.3127, 0.329, 110);
    EXPECT_NEAR(deltaEItp(a, b), 6.909212725063183, 1e-6);
    EXPECT_EQ(deltaEItp(a, a), 0.0);
}

} // namespace
