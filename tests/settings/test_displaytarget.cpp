// Target patches: code values for the video range, gamma-encoded
// percentages, the measurement they make and the luminance expected of them.
#include "chromagamutspec.h"
#include "displaytarget.h"
#include "settingsfixture.h"

#include <cmath>

namespace {

const GamutSpec rec709 = GamutSpec::standardSpec(2, 100.0);

TEST(DisplayTarget, CodeValuesPercentagesAndMeasurement) {
    const DisplayTarget red = computeTarget(TargetColour::Red, 50, 0, 255, 2.2, rec709);
    EXPECT_EQ(red.colour, QColor(128, 0, 0, 255));
    EXPECT_DOUBLE_EQ(red.percent[0], 100 * std::pow(0.5, 2.2));
    EXPECT_NEAR(red.measurement.bigY, rec709.redBigY * std::pow(0.5, 2.2), 1e-9);
    // The luminance expected of the display: its white at this level.
    EXPECT_DOUBLE_EQ(red.expectedLuminance, 100 * std::pow(0.5, 2.2));

    const struct {
        TargetColour colour;
        double level;
        int min, max;
        QColor code;
    } cases[] = {
        {TargetColour::White, 100, 16, 235, QColor(235, 235, 235)},
        {TargetColour::Cyan, 75, 16, 235, QColor(16, 180, 180)},   // 16 + 219 * 0.75 = 180.25
        {TargetColour::White, 5, 0, 255, QColor(13, 13, 13)},      // 12.75 rounds up
        {TargetColour::White, 140, 0, 255, QColor(255, 255, 255)}, // clamped to 100 IRE
        {TargetColour::White, -20, 16, 235, QColor(16, 16, 16)},
        {TargetColour::White, std::nan(""), 0, 255, QColor(0, 0, 0)},
    };
    for (const auto &c : cases)
        EXPECT_EQ(computeTarget(c.colour, c.level, c.min, c.max, 2.2, rec709).colour, c.code)
            << c.level;
    EXPECT_DOUBLE_EQ(
        computeTarget(TargetColour::White, 100, 16, 235, 2.4, rec709).expectedLuminance, 100.0);
}

class DisplayTargetSettings : public EmptySettings {};

TEST_F(DisplayTargetSettings, SharedSettingsSupplyRangeGammaStandardAndWhite) {
    ChromaGamutSpec spec;
    spec.setVideoMode(16, 235);
    spec.setGamma(2.4);
    spec.setCurrentGamut(3);
    spec.setMaxBigY(48.0);
    const DisplayTarget t = computeTarget(TargetColour::Green, 50, spec);
    EXPECT_EQ(t.colour, QColor(16, 126, 16)); // 16 + 109.5 + 0.5
    EXPECT_EQ(t.measurement.gamutSpec.standard, 3);
    EXPECT_NEAR(t.measurement.x, 0.170, 1e-9);
    EXPECT_DOUBLE_EQ(t.expectedLuminance, 48.0 * std::pow(0.5, 2.4));
}

} // namespace
