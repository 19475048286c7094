#include "gamutspec.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

Mat3 multiply(const Mat3 &a, const Mat3 &b) {
    Mat3 r{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            for (int k = 0; k < 3; ++k)
                r[i][j] += a[i][k] * b[k][j];
    return r;
}

TEST(GamutSpec, EveryBuiltInIsIdentifiedWhateverItsWhiteLuminance) {
    for (int i = 0; i < GamutSpec::builtInCount; ++i) {
        for (double whiteY : {100.0, 48.0, 0.5}) {
            const GamutSpec s = GamutSpec::standardSpec(i, whiteY);
            EXPECT_EQ(s.standard, i) << "whiteY " << whiteY;
            EXPECT_EQ(s.whiteBigY, whiteY);
            EXPECT_EQ(identifyStandard(s), i);
        }
    }
}

TEST(GamutSpec, AnyChangedCoordinateMakesItCustom) {
    for (int i = 0; i < GamutSpec::builtInCount; ++i) {
        const GamutSpec base = GamutSpec::standardSpec(i, 100);
        double GamutSpec::*const coords[] = {
            &GamutSpec::redX,  &GamutSpec::redY,  &GamutSpec::greenX, &GamutSpec::greenY,
            &GamutSpec::blueX, &GamutSpec::blueY, &GamutSpec::whiteX, &GamutSpec::whiteY};
        for (auto c : coords) {
            GamutSpec s = base;
            s.*c += 1e-9;
            EXPECT_EQ(identifyStandard(s), 6) << "standard " << i;
        }
    }
}

TEST(GamutSpec, SettersReidentify) {
    GamutSpec s = GamutSpec::standardSpec(2, 100);
    s.setGreen(0.29, 0.60); // EBU differs from REC709 only in green x
    EXPECT_EQ(s.standard, 1);
    s.setGreen(0.3, 0.6);
    EXPECT_EQ(s.standard, 2);
    s.setRed(0.65, 0.33);
    EXPECT_EQ(s.standard, 6);
    s.setRed(0.64, 0.33);
    s.setWhite(0.3127, 0.329, 250); // white luminance is not part of the identity
    EXPECT_EQ(s.standard, 2);
    EXPECT_NEAR(s.rgbToXyz[1][0] + s.rgbToXyz[1][1] + s.rgbToXyz[1][2], 250, 1e-9);
    s.setBlue(0.15, 0.07);
    EXPECT_EQ(s.standard, 6);
}

TEST(GamutSpec, UnknownIndexGivesAllZeroCustomSpec) {
    for (int index : {-1, 6, 7, 100}) {
        const GamutSpec s = GamutSpec::standardSpec(index, 100);
        EXPECT_EQ(s.standard, 6);
        EXPECT_EQ(s.whiteBigY, 0);
        EXPECT_EQ(s.redX, 0);
        EXPECT_EQ(s.rgbToXyz, Mat3{});
        EXPECT_EQ(s.xyzToRgb, Mat3{});
    }
}

TEST(GamutSpec, SingularPrimariesLeaveZeroMatrices) {
    // Three primaries on one line cannot reach the white.
    const GamutSpec s(0.2, 0.2, 0.3, 0.3, 0.4, 0.4, 0.3127, 0.329, 100);
    EXPECT_EQ(s.rgbToXyz, Mat3{});
    EXPECT_EQ(s.xyzToRgb, Mat3{});
}

TEST(GamutSpec, MatricesAreInversesAndMapRgbWhiteToTheWhite) {
    for (int i = 0; i < GamutSpec::builtInCount; ++i) {
        const GamutSpec s = GamutSpec::standardSpec(i, 80);
        const Mat3 id = multiply(s.rgbToXyz, s.xyzToRgb);
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c)
                EXPECT_NEAR(id[r][c], r == c ? 1.0 : 0.0, 1e-12) << "standard " << i;
        const auto w = s.whiteXYZ();
        for (int r = 0; r < 3; ++r)
            EXPECT_NEAR(s.rgbToXyz[r][0] + s.rgbToXyz[r][1] + s.rgbToXyz[r][2], w[r], 1e-10);
        // Primary luminances are the matrix's second row and add up to Yw.
        EXPECT_EQ(s.redBigY, s.rgbToXyz[1][0]);
        EXPECT_EQ(s.greenBigY, s.rgbToXyz[1][1]);
        EXPECT_EQ(s.blueBigY, s.rgbToXyz[1][2]);
        // Each column keeps its primary's chromaticity.
        const double px[3] = {s.redX, s.greenX, s.blueX}, py[3] = {s.redY, s.greenY, s.blueY};
        for (int c = 0; c < 3; ++c) {
            const double sum = s.rgbToXyz[0][c] + s.rgbToXyz[1][c] + s.rgbToXyz[2][c];
            EXPECT_NEAR(s.rgbToXyz[0][c] / sum, px[c], 1e-14);
            EXPECT_NEAR(s.rgbToXyz[1][c] / sum, py[c], 1e-14);
        }
    }
}

TEST(GamutSpec, Rec709MatchesThePublishedMatrix) {
    // ITU-R BT.709 / IEC 61966-2-1 RGB to XYZ for D65, printed to four
    // decimals; scaled by 100 because the white is 100 cd/m².
    const double published[3][3] = {
        {0.4124, 0.3576, 0.1805}, {0.2126, 0.7152, 0.0722}, {0.0193, 0.1192, 0.9505}};
    const GamutSpec s = GamutSpec::standardSpec(2, 100);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(s.rgbToXyz[r][c] / 100, published[r][c], 0.5e-4) << r << "," << c;
}

} // namespace
