// The main window's readouts as pure functions: the texts of every readout
// set on known colours (worked out from the definitions), units, digits and
// the "--" cases, the unstable low-light reading, the bars and hue arc, and
// the error check with its message.
#include "appsettings.h"
#include "readouts.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

const Measurement d65 = Measurement::fromxyY(0.3127, 0.329, 100.0);
const Measurement srgbRed = Measurement::fromRGB(100, 0, 0);

QString joined(const ReadoutTexts &t) {
    return t.value[0] + " | " + t.value[1] + " | " + t.value[2] + " | " + t.temperature + " | " +
           t.duv;
}

TEST(Readouts, TextsOfEveryReadoutSet) {
    const Measurement noWavelength = [] {
        Measurement m = d65;
        m.nm = 0;
        return m;
    }();
    const struct {
        const Measurement &m;
        int index, sigFigs;
        bool nits, lux;
        const char *texts;
    } rows[] = {
        {d65, ReadXyY, 3, true, false, "0.313 | 0.329 | 100 nits | 6504 K | 0.0032"},
        {d65, ReadXYZ, 3, false, false, "27.7 fL | 29.2 fL | 31.8 fL | 6504 K | 0.0032"},
        {d65, ReadXyY, 4, false, false, "0.3127 | 0.3290 | 29.19 fL | 6504 K | 0.0032"},
        {d65, ReadXYZ, 3, false, true, "95.0 Lux | 100 Lux | 109 Lux | 6504 K | 0.0032"},
        {d65, ReadUvY, 3, true, false, "0.198 | 0.468 | 100 nits | 6504 K | 0.0032"},
        {d65, ReadTempDuvY, 3, true, false, "6504 K | 0.003 | 100 nits | 6504 K | 0.0032"},
        {srgbRed, ReadTempDuvY, 3, true, false, "-- | -- | 21.3 nits | -- | --"}, // no CCT
        {d65, ReadNmDuvY, 3, true, false, "489 | 0.180 | 100 nits | 6504 K | 0.0032"},
        {noWavelength, ReadNmDuvY, 3, true, false, "-- | -- | 100 nits | 6504 K | 0.0032"},
        // sRGB red against D65: L* 53.24, a* 80.09, b* 67.20, C* 104.55, h 0.698 rad.
        {srgbRed, ReadLab, 3, true, false, "53.2 | 80.1 | 67.2 | -- | --"},
        {srgbRed, ReadLch, 3, true, false, "53.2 | 105 | 0.698 | -- | --"},
        {srgbRed, ReadHsv, 3, true, false, "0.000 | 100 | 100 | -- | --"},
        {d65, ReadHsv, 3, true, false, "-- | 0.000 | 100 | 6504 K | 0.0032"}, // a grey has no hue
        {d65, ReadDeltaE, 3, true, false, "0.000 | 0.000 | 0.000 | 6504 K | 0.0032"},
    };
    for (const auto &r : rows) {
        appSettings().setValue("sigFigs", r.sigFigs);
        ReadoutContext ctx;
        ctx.nits = r.nits;
        ctx.luxProfile = r.lux;
        EXPECT_EQ(joined(formatReadouts(r.m, r.index, ctx)).toStdString(), r.texts) << r.index;
    }
    appSettings().remove("sigFigs");
    // The instrument's white at 50 cd/m², in REC709 with white Y 100: a pure
    // lightness difference, which ΔE00 divides by S_L = 1.5666.
    ReadoutContext ctx;
    ctx.deviceSpec = GamutSpec::standardSpec(2, 50.0);
    EXPECT_EQ(formatReadouts(d65, ReadDeltaE, ctx).value[2], "15.3");
}

TEST(Readouts, AnUnstableLowLightAverageShowsOnlyDashesWhateverRidesAlong) {
    for (uint32_t code : {0x80u, 0x80u | 0x10u | 0x20u}) {
        Measurement m = d65;
        m.errorCode = code;
        for (int index = 0; index < readoutSetCount; ++index)
            EXPECT_EQ(joined(formatReadouts(m, index, ReadoutContext())), "-- | -- | -- | -- | --");
        EXPECT_EQ(barValues(m, ReadRgb, ReadoutTarget()), (std::array<double, 3>{100, 100, 100}));
    }
}

TEST(Readouts, BelowWhatTheInstrumentResolvesTheReadoutsSaySoInsteadOfNumbers) {
    // A covered sensor: noise around zero, whose "chromaticity" is x 0.93,
    // y 0.02; in the dark the average never settles either. Just above the
    // limit a reading is shown as it is.
    const Measurement covered = Measurement::fromXYZ(0.0004, 0.00001, 0.00002);
    const Measurement unsettled = [&covered] {
        Measurement m = covered;
        m.errorCode = 0x80 | 0x20;
        return m;
    }();
    const Measurement faint = Measurement::fromxyY(0.3127, 0.329, 0.002);
    const struct {
        const Measurement &m;
        int index;
        bool nits;
        const char *texts;
    } rows[] = {
        {covered, ReadXyY, true, "-- | -- | <0.001 nits | -- | --"},
        {covered, ReadXYZ, false, "-- | <0.0003 fL | -- | -- | --"},
        {covered, ReadTempDuvY, true, "-- | -- | <0.001 nits | -- | --"},
        {covered, ReadDeltaE, true, "-- | -- | -- | -- | --"},
        {covered, ReadLab, true, "-- | -- | -- | -- | --"},
        {unsettled, ReadUvY, true, "-- | -- | <0.001 nits | -- | --"},
        {faint, ReadXyY, true, "0.313 | 0.329 | 0.002 nits | 6504 K | 0.0032"},
    };
    for (const auto &r : rows) {
        ReadoutContext ctx;
        ctx.nits = r.nits;
        EXPECT_EQ(joined(formatReadouts(r.m, r.index, ctx)).toStdString(), r.texts) << r.index;
    }
    EXPECT_EQ(tooDarkText(true), "Too dark to measure: the light is below 0.001 nits");
}

TEST(Readouts, RgbAndBarsAreAHundredPlusTheDifferenceAndTheHueArcTakesTheShortWay) {
    ReadoutContext ctx;
    ctx.target.percent[0] = 40;
    ctx.target.percent[1] = 60;
    ctx.target.percent[2] = 80;
    const Measurement m = Measurement::fromRGB(50, 60, 70);
    EXPECT_EQ(formatReadouts(m, ReadRgb, ctx).value[0], "110.00 %");
    EXPECT_NEAR(barValues(m, ReadRgb, ctx.target)[2], 90, 1e-9);
    // HSV against a red target (hue 0, saturation 100): the hue as an arc.
    ctx.target.measurement = srgbRed;
    const std::array<double, 3> hsv =
        barValues(Measurement::fromHSV(10, 80, 90), ReadHsv, ctx.target);
    EXPECT_NEAR(hsv[0], 100 + 10.0 / 360 * 100 * 2 * M_PI, 1e-6);
    EXPECT_NEAR(hsv[1], 80, 1e-6);
    const double perDegree = 50.0 * 2 * M_PI / 360; // target saturation 50
    const double arcs[][3] = {{40, 30, 10},
                              {20, 30, -10},
                              {350, 10, -20}, // across 0: 20, not 340
                              {20, 350, 30},
                              {100, 200, -100}};
    for (const auto &a : arcs)
        EXPECT_NEAR(hueArcBar(a[0], a[1], 50), 100 + a[2] * perDegree, 1e-9) << a[0] << " " << a[1];
    EXPECT_EQ(hueArcBar(-1, 30, 50), 100); // no hue, no arc
}

TEST(ErrorCheck, IgnoredBitsTheTwoIgnoreEntriesAndTheMessage) {
    const struct {
        uint32_t code;
        bool ignoreAim, ignoreRange, accepted;
    } cases[] = {
        {0x80, false, false, true}, // unstable: shown as "--", not an error
        {0x30 | 0x800000 | 0x1000000 | 0x8000000, false, false, true},
        {0x40, false, false, false},
        {0x40 | 0x80, true, false, true},
        {0x700, false, true, true},
        {0x700 | 0x40, false, true, false},
        {0x1, true, true, false},
        {0x2000, true, true, false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(isAcceptedErrorCode(remainingErrors(c.code, c.ignoreAim, c.ignoreRange)),
                  c.accepted)
            << std::hex << c.code << " " << c.ignoreAim << c.ignoreRange;
    EXPECT_EQ(measurementErrorText(
                  remainingErrors(0x4000 | 0x1 | 0x80000 | 0x200 | 0x40 | 0x30, false, false)),
              "The Aiming lights are on.\n"
              "There was an error from the Torva device due to the Range switching with the "
              "measurement.\n"
              "The Flicker string from the Torva device was bad.\n"
              "The Torva device has been unplugged\n"
              "There was an error with the measurement. Error code: 16384\n");
    EXPECT_EQ(measurementErrorText(remainingErrors(0x1 | 0x400, false, true)),
              "The Torva device has been unplugged\n");
}

} // namespace
