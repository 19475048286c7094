// Gamut settings: which built-in standard a set of primaries is, and the matrices
// against the published REC709 matrix and for primaries that cannot reach the white.
#include "gamutspec.h"

#include <gtest/gtest.h>

namespace {

TEST(GamutSpec, BuiltInsAreRecognisedAndAnyChangeMakesACustomSpec) {
    double GamutSpec::*const coords[] = {&GamutSpec::redX,   &GamutSpec::redY,  &GamutSpec::greenX,
                                         &GamutSpec::greenY, &GamutSpec::blueX, &GamutSpec::blueY,
                                         &GamutSpec::whiteX, &GamutSpec::whiteY};
    for (int i = 0; i < GamutSpec::builtInCount; ++i) {
        const GamutSpec base = GamutSpec::standardSpec(i, 48.0);
        EXPECT_EQ(identifyStandard(base), i); // whatever the white's luminance
        for (auto c : coords) {
            GamutSpec s = base;
            s.*c += 1e-9;
            EXPECT_EQ(identifyStandard(s), 6) << "standard " << i;
        }
    }
    GamutSpec s = GamutSpec::standardSpec(2, 100);
    s.setGreen(0.29, 0.60); // EBU differs from REC709 only in green x
    EXPECT_EQ(s.standard, 1);
    EXPECT_EQ(GamutSpec::standardSpec(-1, 100).standard, 6); // unknown: all zero
    EXPECT_EQ(GamutSpec::standardSpec(6, 100).rgbToXyz, Mat3{});
}

TEST(GamutSpec, MatricesAreInversesAndMatchThePublishedRec709) {
    for (int i = 0; i < GamutSpec::builtInCount; ++i) {
        const GamutSpec s = GamutSpec::standardSpec(i, 80);
        for (int r = 0; r < 3; ++r) {
            for (int c = 0; c < 3; ++c) {
                double id = 0;
                for (int k = 0; k < 3; ++k)
                    id += s.rgbToXyz[r][k] * s.xyzToRgb[k][c];
                EXPECT_NEAR(id, r == c ? 1.0 : 0.0, 1e-12) << "standard " << i;
            }
        }
        // The second row is each primary's luminance; together the white's.
        EXPECT_EQ(s.greenBigY, s.rgbToXyz[1][1]);
        EXPECT_NEAR(s.redBigY + s.greenBigY + s.blueBigY, 80, 1e-10);
    }
    // ITU-R BT.709 RGB to XYZ for D65, printed to four decimals (white Y 100).
    const double published[3][3] = {
        {0.4124, 0.3576, 0.1805}, {0.2126, 0.7152, 0.0722}, {0.0193, 0.1192, 0.9505}};
    const GamutSpec rec709 = GamutSpec::standardSpec(2, 100);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(rec709.rgbToXyz[r][c] / 100, published[r][c], 0.5e-4) << r << "," << c;
    // Primaries on one line cannot reach the white: zero matrices, not infinities.
    EXPECT_EQ(GamutSpec(0.2, 0.2, 0.3, 0.3, 0.4, 0.4, 0.3127, 0.329, 100).xyzToRgb, Mat3{});
}

} // namespace
