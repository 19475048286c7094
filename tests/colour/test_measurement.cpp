#include "measurement.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

double Measurement::*const derivedFields[] = {&Measurement::x,
                                              &Measurement::y,
                                              &Measurement::bigX,
                                              &Measurement::bigY,
                                              &Measurement::bigZ,
                                              &Measurement::redPercent,
                                              &Measurement::greenPercent,
                                              &Measurement::bluePercent,
                                              &Measurement::uPrime,
                                              &Measurement::vPrime,
                                              &Measurement::nm,
                                              &Measurement::nmDuv,
                                              &Measurement::labL,
                                              &Measurement::labA,
                                              &Measurement::labB,
                                              &Measurement::labC,
                                              &Measurement::labH,
                                              &Measurement::hue,
                                              &Measurement::saturation,
                                              &Measurement::value,
                                              &Measurement::temp,
                                              &Measurement::tempDuv};

void expectSameRecord(const Measurement &a, const Measurement &b) {
    for (size_t i = 0; i < sizeof derivedFields / sizeof *derivedFields; ++i)
        EXPECT_EQ(a.*derivedFields[i], b.*derivedFields[i]) << "field #" << i;
    EXPECT_EQ(a.errorCode, b.errorCode);
    EXPECT_EQ(a.gamutSpec.standard, b.gamutSpec.standard);
    EXPECT_EQ(a.gamutSpec.whiteBigY, b.gamutSpec.whiteBigY);
}

TEST(Measurement, ZeroInput) {
    const Measurement m = Measurement::fromXYZ(0, 0, 0);
    EXPECT_EQ(m.x, 0);
    EXPECT_EQ(m.y, 0);
    EXPECT_EQ(m.uPrime, 0);
    EXPECT_EQ(m.vPrime, 0);
    EXPECT_EQ(m.temp, 0);
    EXPECT_EQ(m.tempDuv, 0);
    EXPECT_EQ(m.errorCode, ErrorBits::CctOutOfRange); // and no 0x10: u' is 0
    EXPECT_EQ(m.nm, 0);
    EXPECT_EQ(m.hue, -1);
    EXPECT_EQ(m.saturation, -1);
    EXPECT_EQ(m.value, 0);
    EXPECT_EQ(m.labL, 0);
    EXPECT_EQ(m.redPercent, 0);
}

TEST(Measurement, D65White) {
    const Measurement m = Measurement::fromxyY(0.3127, 0.329, 120);
    EXPECT_NEAR(m.temp, 6504, 1);
    EXPECT_GT(m.tempDuv, 0);
    EXPECT_LT(m.tempDuv, 0.005);
    EXPECT_EQ(m.errorCode & ErrorBits::CctOutOfRange, 0u);
    EXPECT_NEAR(m.uPrime, 0.1978, 1e-4);
    EXPECT_NEAR(m.vPrime, 0.4683, 1e-4);
    EXPECT_NEAR(m.bigX, 114.05, 0.01);
}

TEST(Measurement, SpecWhiteIsNeutral) {
    for (int s = 0; s < GamutSpec::builtInCount; ++s) {
        for (double whiteY : {100.0, 35.5}) {
            const GamutSpec spec = GamutSpec::standardSpec(s, whiteY);
            const auto w = spec.whiteXYZ();
            const Measurement m = Measurement::fromXYZ(w[0], w[1], w[2], spec);
            EXPECT_NEAR(m.redPercent, 100, 1e-9);
            EXPECT_NEAR(m.greenPercent, 100, 1e-9);
            EXPECT_NEAR(m.bluePercent, 100, 1e-9);
            EXPECT_NEAR(m.labL, 100, 1e-12);
            EXPECT_NEAR(m.labA, 0, 1e-12);
            EXPECT_NEAR(m.labB, 0, 1e-12);
            EXPECT_EQ(m.saturation, 0) << "standard " << s;
            EXPECT_EQ(m.hue, -1) << "standard " << s;
            EXPECT_NEAR(m.value, 100, 1e-9);
        }
    }
}

TEST(Measurement, NegativeInputGivesZeroRecordWithBit) {
    const Measurement m = Measurement::fromXYZ(-0.5, 10, 5);
    Measurement zero = Measurement::fromXYZ(0, 0, 0);
    zero.errorCode |= ErrorBits::NegativeInput;
    expectSameRecord(m, zero);
    EXPECT_TRUE(m.errorCode & ErrorBits::NegativeInput);
}

TEST(Measurement, NoiseAroundZeroIsZero) {
    const Measurement m = Measurement::fromXYZ(30, 40, -1e-11);
    EXPECT_EQ(m.errorCode & ErrorBits::NegativeInput, 0u);
    EXPECT_EQ(m.bigZ, 0);
    EXPECT_EQ(m.bigX, 30);
    EXPECT_EQ(Measurement::fromXYZ(1e-11, 5, 5).bigX, 0);
    // Just past the threshold it is a real negative value.
    EXPECT_TRUE(Measurement::fromXYZ(30, 40, -1e-9).errorCode & ErrorBits::NegativeInput);
}

TEST(Measurement, DegenerateConstructorInputsGiveZeroRecord) {
    const Measurement zero = Measurement::fromXYZ(0, 0, 0);
    expectSameRecord(Measurement::fromxyY(0.3, 0, 50), zero);
    expectSameRecord(Measurement::fromUpVp(0, 0, 50), zero);
    expectSameRecord(Measurement::fromCCT(500, 0, 10), zero);
    expectSameRecord(Measurement::fromCCT(2e9, 0, 10), zero);
    expectSameRecord(Measurement::fromWavelength(380, 0.01, 10), zero);
    expectSameRecord(Measurement::fromWavelength(701, 0.01, 10), zero);
}

TEST(Measurement, FootLamberts) {
    EXPECT_EQ(nitsToFootLamberts(3.4262591), 1);
    EXPECT_EQ(footLambertsToNits(1), 3.4262591);
    EXPECT_NEAR(footLambertsToNits(nitsToFootLamberts(123.4)), 123.4, 1e-12);
}

TEST(Measurement, XyYRoundTrip) {
    for (double x = 0.05; x < 0.7; x += 0.05)
        for (double y = 0.05; x + y < 0.95; y += 0.05)
            for (double Y : {0.01, 1.0, 250.0}) {
                const Measurement m = Measurement::fromxyY(x, y, Y);
                EXPECT_NEAR(m.x, x, 1e-14);
                EXPECT_NEAR(m.y, y, 1e-14);
                EXPECT_NEAR(m.bigY, Y, 1e-12 * Y);
                const Measurement back = Measurement::fromUpVp(m.uPrime, m.vPrime, Y);
                EXPECT_NEAR(back.x, x, 1e-14);
                EXPECT_NEAR(back.y, y, 1e-14);
            }
}

TEST(Measurement, CctRoundTrip) {
    int checked = 0;
    for (double t = 1000; t <= 25000; t += t < 7000 ? 3.7 : 41.3) {
        for (double duv = -0.02; duv <= 0.02 + 1e-12; duv += 0.005) {
            const Measurement m = Measurement::fromCCT(t, duv, 20);
            if (m.errorCode & ErrorBits::NegativeInput) {
                // Above the locus of the low temperatures, which runs close
                // to the spectrum locus, there is no real colour (Z < 0).
                EXPECT_LT(t, 2600);
                EXPECT_GT(duv, 0);
                continue;
            }
            ASSERT_NEAR(m.temp, t, 0.5) << "duv " << duv;
            ASSERT_NEAR(m.tempDuv, duv, 1e-5) << t << " K";
            EXPECT_NEAR(m.bigY, 20, 1e-9);
            ++checked;
        }
    }
    EXPECT_GT(checked, 9000);
    // 6500 to 6510 K: the table's 1 K rows sit between 100 K rows.
    for (double t = 6490; t <= 6620; t += 0.1) {
        const Measurement m = Measurement::fromCCT(t, 0.003, 20);
        ASSERT_NEAR(m.temp, t, 0.05);
        ASSERT_NEAR(m.tempDuv, 0.003, 1e-7);
    }
}

TEST(Measurement, WavelengthRoundTrip) {
    for (double nm = 400; nm <= 700; nm += 0.5) {
        for (double d : {0.005, 0.02, 0.05}) {
            const Measurement m = Measurement::fromWavelength(nm, d, 10);
            ASSERT_EQ(m.errorCode & (ErrorBits::NoDominantWavelength | ErrorBits::NegativeInput),
                      0u);
            ASSERT_NEAR(m.nm, nm, 1e-3) << "d " << d;
            ASSERT_NEAR(m.nmDuv, d, 1e-7) << nm << " nm";
        }
    }
    // Outside the locus the distance is negative.
    const Measurement out = Measurement::fromWavelength(520, -0.005, 10);
    EXPECT_NEAR(out.nm, 520, 1e-3);
    EXPECT_NEAR(out.nmDuv, -0.005, 1e-7);
}

TEST(Measurement, PurplesHaveNoDominantWavelength) {
    const Measurement m = Measurement::fromxyY(0.35, 0.15, 10);
    EXPECT_TRUE(m.errorCode & ErrorBits::NoDominantWavelength);
    EXPECT_EQ(m.nm, 0);
    EXPECT_EQ(m.nmDuv, 0);
    // A green of the same luminance does have one.
    const Measurement g = Measurement::fromxyY(0.3, 0.6, 10);
    EXPECT_EQ(g.errorCode & ErrorBits::NoDominantWavelength, 0u);
    EXPECT_GT(g.nm, 540);
    EXPECT_LT(g.nm, 560);
    EXPECT_GT(g.nmDuv, 0);
}

TEST(Measurement, HsvSectors) {
    // H = 60·i + 15, S 50 %, V 80 %: f = 0.25, p = 40, q = 70, t = 50.
    const double rgb[6][3] = {{80, 50, 40}, {70, 80, 40}, {40, 80, 50},
                              {40, 70, 80}, {50, 40, 80}, {80, 40, 70}};
    for (int i = 0; i < 6; ++i) {
        const double h = 60 * i + 15;
        const Measurement m = Measurement::fromHSV(h, 50, 80);
        EXPECT_NEAR(m.redPercent, rgb[i][0], 1e-9) << "sector " << i;
        EXPECT_NEAR(m.greenPercent, rgb[i][1], 1e-9) << "sector " << i;
        EXPECT_NEAR(m.bluePercent, rgb[i][2], 1e-9) << "sector " << i;
        EXPECT_NEAR(m.hue, h, 1e-9);
        EXPECT_NEAR(m.saturation, 50, 1e-9);
        EXPECT_NEAR(m.value, 80, 1e-9);
    }
    // Hues outside [0, 360) wrap round: 360° is red, not sector 6.
    const Measurement full = Measurement::fromHSV(360, 100, 50);
    EXPECT_NEAR(full.redPercent, 50, 1e-9);
    EXPECT_NEAR(full.greenPercent, 0, 1e-9);
    EXPECT_NEAR(full.bluePercent, 0, 1e-9);
    EXPECT_NEAR(full.hue, 0, 1e-9);
    EXPECT_NEAR(Measurement::fromHSV(-60, 100, 50).hue, 300, 1e-9);
    EXPECT_NEAR(Measurement::fromHSV(725, 100, 50).hue, 5, 1e-9);
    // No saturation: grey.
    const Measurement grey = Measurement::fromHSV(200, 0, 30);
    EXPECT_NEAR(grey.redPercent, 30, 1e-9);
    EXPECT_NEAR(grey.bluePercent, 30, 1e-9);
    EXPECT_EQ(grey.hue, -1);
    EXPECT_EQ(grey.saturation, 0);
}

TEST(Measurement, RgbPrimariesLandOnTheSpec) {
    const GamutSpec spec = GamutSpec::standardSpec(3, 100); // REC2020
    const Measurement r = Measurement::fromRGB(100, 0, 0, spec);
    EXPECT_NEAR(r.x, 0.708, 1e-12);
    EXPECT_NEAR(r.y, 0.292, 1e-12);
    EXPECT_NEAR(r.bigY, spec.redBigY, 1e-12);
    const Measurement b = Measurement::fromRGB(0, 0, 50, spec);
    EXPECT_NEAR(b.x, 0.131, 1e-12);
    EXPECT_NEAR(b.bluePercent, 50, 1e-9);
    EXPECT_NEAR(b.redPercent, 0, 1e-9);
}

TEST(Measurement, LabOfSrgbRed) {
    // Widely published CIELAB of the sRGB red primary against D65:
    // 53.24, 80.09, 67.20. The white here comes from x 0.3127, y 0.329
    // rather than the four-decimal D65 XYZ, hence the looser tolerance.
    const Measurement m = Measurement::fromRGB(100, 0, 0);
    EXPECT_NEAR(m.labL, 53.24, 0.01);
    EXPECT_NEAR(m.labA, 80.09, 0.05);
    EXPECT_NEAR(m.labB, 67.20, 0.05);
    EXPECT_NEAR(m.labC, std::hypot(m.labA, m.labB), 1e-12);
    EXPECT_NEAR(m.labH, std::atan2(67.20, 80.09), 1e-3);
}

TEST(Measurement, LabRoundTrip) {
    const GamutSpec spec = GamutSpec::standardSpec(5, 48);
    const double labs[][3] = {{50, 20, -30}, {90, -5, 80}, {3, 1, -2},
                              {0.5, 0, 0},   {100, 0, 0},  {7.9, -3, 4}};
    for (const auto &lab : labs) {
        const Measurement m = Measurement::fromLab(lab[0], lab[1], lab[2], spec);
        EXPECT_NEAR(m.labL, lab[0], 1e-10);
        EXPECT_NEAR(m.labA, lab[1], 1e-10);
        EXPECT_NEAR(m.labB, lab[2], 1e-10);
        EXPECT_EQ(m.gamutSpec.standard, 5);
    }
}

TEST(Measurement, SetGamutSpecRecomputesAndKeepsInstrumentBits) {
    Measurement m = Measurement::fromXYZ(20, 30, 10);
    m.errorCode |= ErrorBits::AimingLights;
    m.rangeY = 4;
    const GamutSpec dci = GamutSpec::standardSpec(5, 48);
    m.setGamutSpec(dci);
    Measurement expected = Measurement::fromXYZ(20, 30, 10, dci);
    expected.errorCode |= ErrorBits::AimingLights;
    expectSameRecord(m, expected);
    EXPECT_EQ(m.rangeY, 4);
}

TEST(Measurement, DegenerateSpecGivesFiniteValues) {
    const Measurement m = Measurement::fromXYZ(10, 20, 30, GamutSpec::standardSpec(9));
    for (size_t i = 0; i < sizeof derivedFields / sizeof *derivedFields; ++i)
        EXPECT_TRUE(std::isfinite(m.*derivedFields[i])) << "field #" << i;
    EXPECT_NEAR(m.x, 10.0 / 60, 1e-15);
}

} // namespace
