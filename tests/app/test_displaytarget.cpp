// Target colours: code values for the video range, gamma-encoded
// percentages and the measurement they make in the current standard.
#include "chromagamutspec.h"
#include "displaytarget.h"
#include "settingsfixture.h"

#include <cmath>

namespace {

class DisplayTargetTest : public EmptySettings {};

const GamutSpec rec709 = GamutSpec::standardSpec(2, 100.0);

TEST(DisplayTarget, HalfLevelRedOnPcRange) {
    const DisplayTarget t = computeTarget(TargetColour::Red, 50, 0, 255, 2.2, rec709);
    EXPECT_EQ(t.colour, QColor(128, 0, 0, 255));
    EXPECT_DOUBLE_EQ(t.percent[0], 100 * std::pow(0.5, 2.2));
    EXPECT_EQ(t.percent[1], 0.0);
    EXPECT_EQ(t.percent[2], 0.0);
    // Red alone at its percentage: Y is the red primary's share of the white.
    EXPECT_NEAR(t.measurement.bigY, rec709.rgbToXyz[1][0] * std::pow(0.5, 2.2), 1e-9);
    EXPECT_NEAR(t.measurement.x, 0.64, 1e-9);
    EXPECT_NEAR(t.measurement.y, 0.33, 1e-9);
}

TEST(DisplayTarget, FullWhiteOnBroadcastRangeIsTheStandardsWhite) {
    const DisplayTarget t = computeTarget(TargetColour::White, 100, 16, 235, 2.4, rec709);
    EXPECT_EQ(t.colour, QColor(235, 235, 235));
    for (double p : t.percent)
        EXPECT_EQ(p, 100.0);
    EXPECT_NEAR(t.measurement.bigY, 100.0, 1e-9);
    EXPECT_NEAR(t.measurement.x, 0.3127, 1e-9);
    EXPECT_NEAR(t.measurement.y, 0.329, 1e-9);
}

TEST(DisplayTarget, MasksCodeValuesAndRounding) {
    const struct {
        TargetColour colour;
        QColor code;
    } cases[] = {
        // 16 + 219 * 0.75 = 180.25; unlit channels stay at the range minimum.
        {TargetColour::Cyan, QColor(16, 180, 180)},    {TargetColour::Yellow, QColor(180, 180, 16)},
        {TargetColour::Magenta, QColor(180, 16, 180)}, {TargetColour::Green, QColor(16, 180, 16)},
        {TargetColour::Blue, QColor(16, 16, 180)},
    };
    for (const auto &c : cases)
        EXPECT_EQ(computeTarget(c.colour, 75, 16, 235, 2.2, rec709).colour, c.code);
    // 255 * 0.05 = 12.75 rounds up to 13.
    EXPECT_EQ(computeTarget(TargetColour::White, 5, 0, 255, 2.2, rec709).colour,
              QColor(13, 13, 13));
}

TEST(DisplayTarget, LevelsOutsideZeroToHundredAreClamped) {
    EXPECT_EQ(computeTarget(TargetColour::White, 140, 0, 255, 2.2, rec709).colour,
              QColor(255, 255, 255));
    EXPECT_EQ(computeTarget(TargetColour::White, -20, 16, 235, 2.2, rec709).colour,
              QColor(16, 16, 16));
    EXPECT_EQ(computeTarget(TargetColour::White, std::nan(""), 0, 255, 2.2, rec709).colour,
              QColor(0, 0, 0));
}

TEST(DisplayTarget, NamesMapToColours) {
    EXPECT_EQ(targetColourNames(),
              QStringList({"White", "Red", "Green", "Blue", "Cyan", "Yellow", "Magenta"}));
    TargetColour c = TargetColour::White;
    EXPECT_TRUE(targetColourFromName("Magenta", c));
    EXPECT_EQ(c, TargetColour::Magenta);
    EXPECT_FALSE(targetColourFromName("magenta", c));
    EXPECT_EQ(c, TargetColour::Magenta);
}

TEST_F(DisplayTargetTest, SharedSettingsSupplyRangeGammaAndStandard) {
    ChromaGamutSpec spec;
    spec.setVideoMode(16, 235);
    spec.setGamma(2.4);
    spec.setCurrentGamut(3);
    spec.setMaxBigY(48.0);
    const DisplayTarget t = computeTarget(TargetColour::Green, 50, spec);
    EXPECT_EQ(t.colour, QColor(16, 126, 16)); // 16 + 109.5 + 0.5
    EXPECT_DOUBLE_EQ(t.percent[1], 100 * std::pow(0.5, 2.4));
    EXPECT_EQ(t.measurement.gamutSpec.standard, 3);
    EXPECT_EQ(t.measurement.gamutSpec.whiteBigY, 48.0);
    EXPECT_NEAR(t.measurement.x, 0.170, 1e-9);
}

} // namespace
