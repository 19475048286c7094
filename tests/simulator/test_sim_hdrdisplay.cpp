// The simulated HDR display: PQ code values in a BT.2020 container shown on
// a P3 panel of 1000 cd/m², rolled off above 800, colours outside the panel
// clipped in linear light, and a brightness limiter that sees the window
// size.
#include "displaymodel.h"
#include "gamutspec.h"
#include "transfer.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

const sim::DisplayModel &hdr1000() {
    return *sim::findDisplayModel("hdr1000");
}

// A patch of 10-bit codes in a centred window of percent of the screen.
sim::PatternState window(double percent, int r, int g, int b) {
    sim::PatternState s;
    s.maxColor = 1023;
    s.red = r;
    s.green = g;
    s.blue = b;
    const double side = std::sqrt(percent / 100.0);
    s.boxW = static_cast<int>(std::lround(s.width * side));
    s.boxH = static_cast<int>(std::lround(s.height * side));
    s.boxX = (s.width - s.boxW) / 2;
    s.boxY = (s.height - s.boxH) / 2;
    return s;
}

int pqCode(double nits) {
    return static_cast<int>(std::lround(transfer::st2084InverseEotf(nits) * 1023));
}

TEST(HdrDisplay, GreysTrackSt2084BelowItsOwnRollOff) {
    double last = 0;
    for (double nits : {0.1, 1.0, 10.0, 100.0, 203.0, 400.0, 600.0, 790.0}) {
        const int code = pqCode(nits);
        const double want = transfer::st2084Eotf(code / 1023.0) + 0.005; // on its black
        const double got = sim::sensorLight(hdr1000(), window(10, code, code, code)).Y;
        EXPECT_NEAR(got, want, want * 1e-6) << nits;
        EXPECT_GT(got, last);
        last = got;
    }
    // Above 800 the panel rolls off towards 1000 and never reaches it.
    const double at1000 = sim::sensorLight(hdr1000(), window(10, 769, 769, 769)).Y;
    const double atTop = sim::sensorLight(hdr1000(), window(10, 1023, 1023, 1023)).Y;
    EXPECT_GT(at1000, 850);
    EXPECT_LT(at1000, 0.95 * transfer::st2084Eotf(769 / 1023.0));
    EXPECT_GT(atTop, at1000);
    EXPECT_LE(atTop, 1000.0 + 1e-9);
    // The knee is smooth: just above it, the slope is still 1.
    const sim::HdrSignal &h = hdr1000().hdr;
    EXPECT_NEAR(sim::hdrRollOff(h, 801) - sim::hdrRollOff(h, 800), 1.0, 0.01);
    EXPECT_EQ(sim::hdrRollOff(h, 500), 500);
}

TEST(HdrDisplay, ColoursOutsideThePanelAreClippedInLinearLight) {
    // BT.2020 green lies outside P3: the panel shows its own green, its red
    // and blue held at zero rather than driven negative.
    const int c = pqCode(203);
    const sim::Tristimulus green = sim::sensorLight(hdr1000(), window(10, 0, c, 0));
    const double sum = green.X + green.Y + green.Z;
    EXPECT_NEAR(green.X / sum, 0.265, 0.002);
    EXPECT_NEAR(green.Y / sum, 0.690, 0.002);
    // A colour inside P3 keeps its chromaticity: the BT.2020 coordinates of
    // P3's own red, converted, come out as P3 red.
    const GamutSpec rec2020 = GamutSpec::standardSpec(3, 1.0);
    const GamutSpec p3(0.680, 0.320, 0.265, 0.690, 0.150, 0.060, 0.3127, 0.3290, 1.0);
    double rgb[3];
    for (int r = 0; r < 3; ++r)
        rgb[r] = rec2020.xyzToRgb[r][0] * p3.rgbToXyz[0][0] +
                 rec2020.xyzToRgb[r][1] * p3.rgbToXyz[1][0] +
                 rec2020.xyzToRgb[r][2] * p3.rgbToXyz[2][0];
    const double scale = 100.0; // cd/m² of the red's white-equivalent
    int code[3];
    for (int k = 0; k < 3; ++k)
        code[k] = pqCode(rgb[k] * scale);
    const sim::Tristimulus red = sim::sensorLight(hdr1000(), window(10, code[0], code[1], code[2]));
    const double redSum = red.X + red.Y + red.Z;
    EXPECT_NEAR(red.X / redSum, 0.680, 0.003);
    EXPECT_NEAR(red.Y / redSum, 0.320, 0.003);
}

TEST(HdrDisplay, BrightnessLimitingSeesTheWindowSize) {
    const double peak = sim::sensorLight(hdr1000(), window(10, 1023, 1023, 1023)).Y;
    const struct {
        double percent;
        double low, high; // cd/m²
    } cases[] = {
        {2, peak * 0.999, peak * 1.001},   {10, peak * 0.999, peak * 1.001},
        {18, peak * 0.999, peak * 1.001},  {50, 300.0 / 0.5 * 0.95, 300.0 / 0.5 * 1.05},
        {100, 300.0 * 0.99, 300.0 * 1.01}, // a full-screen white is held at 300
    };
    for (const auto &c : cases) {
        const double y = sim::sensorLight(hdr1000(), window(c.percent, 1023, 1023, 1023)).Y;
        EXPECT_GE(y, c.low) << c.percent;
        EXPECT_LE(y, c.high) << c.percent;
    }
    // A dim full screen is left alone.
    const int c100 = pqCode(100);
    EXPECT_NEAR(sim::sensorLight(hdr1000(), window(100, c100, c100, c100)).Y,
                transfer::st2084Eotf(c100 / 1023.0) + 0.005, 0.01);
    EXPECT_EQ(sim::hdrAblGain(hdr1000().hdr, 250), 1.0);
    EXPECT_NEAR(sim::hdrAblGain(hdr1000().hdr, 600), 0.5, 1e-12);
}

} // namespace
