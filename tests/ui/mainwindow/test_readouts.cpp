// The readouts of the main window as pure functions: every readout set on
// known records (reference values worked out from the definitions), units and
// digits from the settings, the "--" cases, the unstable low-light reading,
// the bars and hue arc, and the error check with its message.
#include "appsettings.h"
#include "readouts.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// The settings the formatting reads, restored after each test.
class ReadoutTest : public ::testing::Test {
protected:
    void SetUp() override {
        appSettings().remove("sigFigs");
        appSettings().remove("isNits");
    }
    void TearDown() override { SetUp(); }
    void sigFigs(int s) { appSettings().setValue("sigFigs", s); }

    static Measurement d65() { return Measurement::fromxyY(0.3127, 0.329, 100.0); }
    static Measurement srgbRed() { return Measurement::fromRGB(100, 0, 0); }
    ReadoutTexts show(const Measurement &m, int index) { return formatReadouts(m, index, ctx); }
    static std::array<QString, 3> texts(const char *a, const char *b, const char *c) {
        return {QString::fromUtf8(a), QString::fromUtf8(b), QString::fromUtf8(c)};
    }

    ReadoutContext ctx;
};

} // namespace

TEST_F(ReadoutTest, ChromaticityAndLuminanceInNitsAndFootLamberts) {
    EXPECT_EQ(show(d65(), ReadXyY).value, texts("0.313", "0.329", "100 nits"));
    EXPECT_EQ(show(d65(), ReadXYZ).value, texts("95.0 nits", "100 nits", "109 nits"));
    EXPECT_EQ(show(d65(), ReadUvY).value, texts("0.198", "0.468", "100 nits"));

    ctx.nits = false; // 100 cd/m² is 29.186 fL; chromaticity does not change
    EXPECT_EQ(show(d65(), ReadXyY).value, texts("0.313", "0.329", "29.2 fL"));
    EXPECT_EQ(show(d65(), ReadXYZ).value, texts("27.7 fL", "29.2 fL", "31.8 fL"));

    sigFigs(4);
    EXPECT_EQ(show(d65(), ReadXyY).value, texts("0.3127", "0.3290", "29.19 fL"));
    ctx.nits = true;
    EXPECT_EQ(show(d65(), ReadXyY).value, texts("0.3127", "0.3290", "100.0 nits"));
}

TEST_F(ReadoutTest, LuxProfileShowsLuxWithoutConversion) {
    ctx.luxProfile = true;
    ctx.nits = false;
    EXPECT_EQ(show(d65(), ReadXyY).value[2], "100 Lux");
    EXPECT_EQ(show(d65(), ReadXYZ).value, texts("95.0 Lux", "100 Lux", "109 Lux"));
}

TEST_F(ReadoutTest, TemperatureAndWavelengthWithTheirDashCases) {
    // D65: 6504 K, duv 0.0032; dominant wavelength 489 nm at 0.180.
    const ReadoutTexts white = show(d65(), ReadTempDuvY);
    EXPECT_EQ(white.value, texts("6504 K", "0.003", "100 nits"));
    EXPECT_EQ(white.temperature, "6504 K");
    EXPECT_EQ(white.duv, "0.0032");
    EXPECT_EQ(show(d65(), ReadNmDuvY).value, texts("489", "0.180", "100 nits"));

    // A saturated red has no colour temperature.
    const ReadoutTexts red = show(srgbRed(), ReadTempDuvY);
    EXPECT_EQ(red.value, texts("--", "--", "21.3 nits"));
    EXPECT_EQ(red.temperature, "--");
    EXPECT_EQ(red.duv, "--");

    Measurement noWavelength = d65();
    noWavelength.nm = 0;
    EXPECT_EQ(show(noWavelength, ReadNmDuvY).value, texts("--", "--", "100 nits"));
}

TEST_F(ReadoutTest, CielabLchHsvOfKnownColours) {
    // sRGB red against D65: L* 53.24, a* 80.09, b* 67.20, C* 104.55, h 0.698 rad.
    EXPECT_EQ(show(srgbRed(), ReadLab).value, texts("53.2", "80.1", "67.2"));
    EXPECT_EQ(show(srgbRed(), ReadLch).value, texts("53.2", "105", "0.698"));
    EXPECT_EQ(show(srgbRed(), ReadHsv).value, texts("0.000", "100", "100"));
    EXPECT_EQ(show(d65(), ReadLab).value, texts("100", "0.000", "0.000"));
    // A grey has no hue: a number there would look like a measured angle.
    EXPECT_EQ(show(d65(), ReadHsv).value, texts("--", "0.000", "100"));
}

TEST_F(ReadoutTest, DeltaEAgainstTheInstrumentsWhite) {
    EXPECT_EQ(show(d65(), ReadDeltaE).value, texts("0.000", "0.000", "0.000"));
    // The instrument's white at 50 cd/m², taken in REC709 with white Y 100:
    // L* 76.07 against 100, a pure lightness difference. ΔE00 divides it by
    // S_L = 1 + 0.015 (L̄ - 50)² / sqrt(20 + (L̄ - 50)²) = 1.5666.
    ctx.deviceSpec = GamutSpec::standardSpec(2, 50.0);
    EXPECT_EQ(show(d65(), ReadDeltaE).value, texts("23.9", "23.9", "15.3"));
}

TEST_F(ReadoutTest, RgbBalanceAgainstTheTarget) {
    ctx.target.percent[0] = 40;
    ctx.target.percent[1] = 60;
    ctx.target.percent[2] = 80;
    EXPECT_EQ(show(Measurement::fromRGB(50, 60, 70), ReadRgb).value,
              texts("110.00 %", "100.00 %", "90.00 %"));
}

TEST_F(ReadoutTest, UnstableLowLightAverageShowsOnlyDashes) {
    for (uint32_t code : {0x80u, 0x80u | 0x10u | 0x20u}) {
        Measurement m = d65();
        m.errorCode = code;
        for (int index = 0; index < readoutSetCount; ++index) {
            const ReadoutTexts t = show(m, index);
            EXPECT_EQ(t.value, texts("--", "--", "--")) << index;
            EXPECT_EQ(t.temperature, "--");
            EXPECT_EQ(t.duv, "--");
        }
        EXPECT_EQ(barValues(m, ReadRgb, ctx.target), (std::array<double, 3>{100, 100, 100}));
    }
    EXPECT_EQ(lowLightUnstableText(6), "Low light average unstable..");
    EXPECT_EQ(lowLightUnstableText(8), "Low light average unstable");
    EXPECT_EQ(lowLightAveragingText(12), "Low light averaging 12 samples");
}

TEST_F(ReadoutTest, ComboTextsAndChartSwitches) {
    EXPECT_EQ(readoutComboText(0), "x, y, Y");
    EXPECT_EQ(readoutComboText(4), "Temp, duv, Y");
    EXPECT_EQ(readoutComboText(9), QString::fromUtf8("ΔE76, ΔE94, ΔE00"));
    EXPECT_EQ(readoutSet(5).shortLabels, QStringList({"nm", "d'", "Y"}));
    EXPECT_EQ(readoutSet(2).widthTemplate, "x.xx %");
    EXPECT_EQ(readoutSet(2).chart, int(ChartKind::Bars));
    EXPECT_EQ(readoutSet(8).chart, int(ChartKind::HueSat));
    EXPECT_EQ(readoutSet(7).chart, -1);
    EXPECT_EQ(chartNames().at(3), "Magnified (u'v')");
}

TEST(BarsTest, BarsAreHundredPlusTheDifferenceFromTheTarget) {
    ReadoutTarget target;
    target.percent[0] = 40;
    target.percent[1] = 60;
    target.percent[2] = 80;
    const std::array<double, 3> bars = barValues(Measurement::fromRGB(50, 60, 70), ReadRgb, target);
    EXPECT_NEAR(bars[0], 110, 1e-9);
    EXPECT_NEAR(bars[1], 100, 1e-9);
    EXPECT_NEAR(bars[2], 90, 1e-9);

    // HSV: saturation and value differences; hue as an arc (target red:
    // hue 0, saturation 100, value 100).
    target.measurement = Measurement::fromRGB(100, 0, 0);
    const Measurement m = Measurement::fromHSV(10, 80, 90);
    const std::array<double, 3> hsv = barValues(m, ReadHsv, target);
    EXPECT_NEAR(hsv[0], 100 + 10.0 / 360 * 100 * 2 * M_PI, 1e-6);
    EXPECT_NEAR(hsv[1], 80, 1e-6);
    EXPECT_NEAR(hsv[2], 90, 1e-6);
}

TEST(BarsTest, HueArcTakesTheShortWayWithTheSideAsSign) {
    const double perDegree = 50.0 * 2 * M_PI / 360; // target saturation 50
    EXPECT_NEAR(hueArcBar(40, 30, 50), 100 + 10 * perDegree, 1e-9);
    EXPECT_NEAR(hueArcBar(20, 30, 50), 100 - 10 * perDegree, 1e-9);
    // Across 0: 20 degrees apart, not 340.
    EXPECT_NEAR(hueArcBar(350, 10, 50), 100 - 20 * perDegree, 1e-9);
    EXPECT_NEAR(hueArcBar(20, 350, 50), 100 + 30 * perDegree, 1e-9);
    EXPECT_NEAR(hueArcBar(100, 200, 50), 100 - 100 * perDegree, 1e-9);
    // Without a hue (a grey reading or a white target) there is no arc.
    EXPECT_EQ(hueArcBar(-1, 30, 50), 100);
    EXPECT_EQ(hueArcBar(30, -1, 0), 100);
}

TEST(ErrorCheckTest, IgnoredBitsAndTheTwoIgnoreEntries) {
    struct Case {
        uint32_t code;
        bool ignoreAim, ignoreRange, accepted;
    };
    const Case cases[] = {
        {0x0, false, false, true},
        {0x80, false, false, true}, // unstable: shown as "--", not an error
        {0x30 | 0x800000 | 0x1000000 | 0x8000000, false, false, true},
        {0x40, false, false, false},
        {0x40, true, false, true},
        {0x40, true, true, true},
        {0x40 | 0x80, true, false, true},
        {0x100, false, false, false},
        {0x700, false, true, true},
        {0x700 | 0x40, false, true, false},
        {0x1, true, true, false},
        {0x80000, true, true, false},
        {0x2000, true, true, false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(isAcceptedErrorCode(remainingErrors(c.code, c.ignoreAim, c.ignoreRange)),
                  c.accepted)
            << std::hex << c.code << " " << c.ignoreAim << c.ignoreRange;
}

TEST(ErrorCheckTest, MessageListsEachProblemInOrder) {
    EXPECT_EQ(measurementErrorText(remainingErrors(0x40, false, false)),
              "The Aiming lights are on.\n");
    EXPECT_EQ(measurementErrorText(remainingErrors(0x2 | 0x20, false, false)),
              "The Torva device has been unplugged\n");
    EXPECT_EQ(measurementErrorText(remainingErrors(0x4000 | 0x30, false, false)),
              "There was an error with the measurement. Error code: 16384\n");
    EXPECT_EQ(
        measurementErrorText(remainingErrors(0x4000 | 0x1 | 0x80000 | 0x200 | 0x40, false, false)),
        "The Aiming lights are on.\n"
        "There was an error from the Torva device due to the Range switching with the "
        "measurement.\n"
        "The Flicker string from the Torva device was bad.\n"
        "The Torva device has been unplugged\n"
        "There was an error with the measurement. Error code: 16384\n");
    // With range errors ignored only the unplugged line is left.
    EXPECT_EQ(measurementErrorText(remainingErrors(0x1 | 0x400, false, true)),
              "The Torva device has been unplugged\n");
}
