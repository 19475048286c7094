// The measurement record: the derivation's edge cases, round trips through
// the constructors, HSV of greys and wrapped hues, and published values.
#include "measurement.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// The derived fields that tell records apart, for comparing whole records.
std::vector<double> fields(const Measurement &m) {
    return {m.x,     m.y,    m.uPrime,     m.vPrime, m.redPercent,
            m.labL,  m.labA, m.labH,       m.temp,   m.nm,
            m.nmDuv, m.hue,  m.saturation, m.value,  double(m.errorCode)};
}

TEST(Measurement, ZeroNegativeAndDegenerateInputsGiveTheZeroRecord) {
    const Measurement zero = Measurement::fromXYZ(0, 0, 0);
    EXPECT_EQ(zero.errorCode, ErrorBits::CctOutOfRange); // no 0x10: u' is 0
    EXPECT_EQ(zero.hue, -1);
    EXPECT_EQ(zero.saturation, -1); // black
    Measurement negative = zero;
    negative.errorCode |= ErrorBits::NegativeInput;
    EXPECT_EQ(fields(Measurement::fromXYZ(-0.5, 10, 5)), fields(negative));
    // Noise around zero is zero, not a negative reading.
    EXPECT_EQ(Measurement::fromXYZ(30, 40, -1e-11).errorCode & ErrorBits::NegativeInput, 0u);
    EXPECT_TRUE(Measurement::fromXYZ(30, 40, -1e-9).errorCode & ErrorBits::NegativeInput);
    for (const Measurement &m :
         {Measurement::fromxyY(0.3, 0, 50), Measurement::fromUpVp(0, 0, 50),
          Measurement::fromCCT(500, 0, 10), Measurement::fromCCT(2e9, 0, 10),
          Measurement::fromWavelength(380, 0.01, 10), Measurement::fromWavelength(701, 0.01, 10)})
        EXPECT_EQ(fields(m), fields(zero));
    // An unknown standard has a zero white: L* 0 and finite values, not infinities.
    const Measurement odd = Measurement::fromXYZ(10, 20, 30, GamutSpec::standardSpec(9));
    for (double v : fields(odd))
        EXPECT_TRUE(std::isfinite(v));
    EXPECT_NEAR(odd.labL, 0, 1e-12);
}

TEST(Measurement, EachStandardsWhiteIsANeutralGrey) {
    for (int s = 0; s < GamutSpec::builtInCount; ++s) {
        const GamutSpec spec = GamutSpec::standardSpec(s, 35.5);
        const auto w = spec.whiteXYZ();
        const Measurement m = Measurement::fromXYZ(w[0], w[1], w[2], spec);
        EXPECT_NEAR(m.redPercent, 100, 1e-9);
        EXPECT_NEAR(m.labL, 100, 1e-12);
        EXPECT_NEAR(m.labA, 0, 1e-12);
        EXPECT_EQ(m.saturation, 0) << s; // grey: no saturation, and no hue
        EXPECT_EQ(m.hue, -1) << s;
    }
    const Measurement d65 = Measurement::fromxyY(0.3127, 0.329, 120);
    EXPECT_NEAR(d65.temp, 6504, 1);
    EXPECT_GT(d65.tempDuv, 0); // a little above the Planckian locus
}

TEST(Measurement, RoundTripsThroughChromaticityTemperatureAndWavelength) {
    for (double x = 0.05; x < 0.7; x += 0.05)
        for (double y = 0.05; x + y < 0.95; y += 0.05) {
            const Measurement m = Measurement::fromxyY(x, y, 25);
            const Measurement back = Measurement::fromUpVp(m.uPrime, m.vPrime, 25);
            ASSERT_NEAR(back.x, x, 1e-14);
            ASSERT_NEAR(back.y, y, 1e-14);
        }
    int checked = 0;
    for (double t = 1000; t <= 25000; t += t < 7000 ? 3.7 : 41.3) {
        for (double duv = -0.02; duv <= 0.02 + 1e-12; duv += 0.005) {
            const Measurement m = Measurement::fromCCT(t, duv, 20);
            if (m.errorCode & ErrorBits::NegativeInput)
                continue; // above the low-temperature locus: no real colour
            ASSERT_NEAR(m.temp, t, 0.5) << "duv " << duv;
            ASSERT_NEAR(m.tempDuv, duv, 1e-5) << t << " K";
            ++checked;
        }
    }
    EXPECT_GT(checked, 9000);
    for (double t = 6490; t <= 6620; t += 0.1) { // 1 K rows between 100 K rows
        const Measurement m = Measurement::fromCCT(t, 0.003, 20);
        ASSERT_NEAR(m.temp, t, 0.05);
        ASSERT_NEAR(m.tempDuv, 0.003, 1e-7);
    }
    for (double nm = 400; nm <= 700; nm += 0.5) {
        const Measurement m = Measurement::fromWavelength(nm, 0.02, 10);
        ASSERT_NEAR(m.nm, nm, 1e-3);
        ASSERT_NEAR(m.nmDuv, 0.02, 1e-7) << nm << " nm";
    }
    EXPECT_NEAR(Measurement::fromWavelength(520, -0.005, 10).nmDuv, -0.005, 1e-7); // outside
    EXPECT_TRUE(Measurement::fromxyY(0.35, 0.15, 10).errorCode & ErrorBits::NoDominantWavelength);
}

TEST(Measurement, HsvSectorsWrappedHuesAndGrey) {
    // H = 60 i + 15, S 50 %, V 80 %.
    const double rgb[6][3] = {{80, 50, 40}, {70, 80, 40}, {40, 80, 50},
                              {40, 70, 80}, {50, 40, 80}, {80, 40, 70}};
    for (int i = 0; i < 6; ++i) {
        const Measurement m = Measurement::fromHSV(60 * i + 15, 50, 80);
        EXPECT_NEAR(m.redPercent, rgb[i][0], 1e-9) << i;
        EXPECT_NEAR(m.greenPercent, rgb[i][1], 1e-9) << i;
        EXPECT_NEAR(m.bluePercent, rgb[i][2], 1e-9) << i;
        EXPECT_NEAR(m.hue, 60 * i + 15, 1e-9);
    }
    EXPECT_NEAR(Measurement::fromHSV(360, 100, 50).bluePercent, 0, 1e-9); // red, not magenta
    EXPECT_NEAR(Measurement::fromHSV(-60, 100, 50).hue, 300, 1e-9);
    const Measurement grey = Measurement::fromHSV(200, 0, 30);
    EXPECT_NEAR(grey.bluePercent, 30, 1e-9);
    EXPECT_EQ(grey.hue, -1);
    EXPECT_EQ(grey.saturation, 0);
}

TEST(Measurement, PublishedLabOfTheSrgbRedAndANewSpecKeepingInstrumentBits) {
    // CIELAB of the sRGB red primary against D65: 53.24, 80.09, 67.20.
    const Measurement red = Measurement::fromRGB(100, 0, 0);
    EXPECT_NEAR(red.labL, 53.24, 0.01);
    EXPECT_NEAR(red.labA, 80.09, 0.05);
    EXPECT_NEAR(red.labB, 67.20, 0.05);

    Measurement m = Measurement::fromXYZ(20, 30, 10);
    m.errorCode |= ErrorBits::AimingLights;
    const GamutSpec dci = GamutSpec::standardSpec(5, 48);
    m.setGamutSpec(dci);
    Measurement expected = Measurement::fromXYZ(20, 30, 10, dci);
    expected.errorCode |= ErrorBits::AimingLights;
    EXPECT_EQ(fields(m), fields(expected));
}

} // namespace
