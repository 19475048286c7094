// Targets and the corrections built for them, on simulated displays: the
// white as bright as the display allows in the target's colour, gamut
// mapping that keeps hue, a 3D table that makes the modelled
// display show the target, grey curves that track the white, and the share
// of the standards' gamuts a display covers.
#include "correctionbench.h"
#include "correctiontarget.h"
#include "labmath.h"
#include "lutbuild.h"
#include "transfer.h"
#include "verification.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using namespace correction;

namespace {

TargetSpec targetFor(int standard, Transfer transfer, double gamma = 2.4) {
    TargetSpec t;
    t.primaries = GamutSpec::standardSpec(standard, 1.0);
    t.curve.transfer = transfer;
    t.curve.gamma = gamma;
    return t;
}

constexpr int rec709 = 2, rec2020 = 3, dciP3 = 5;

double hueDifference(const Lab &a, const Lab &b) {
    double d = std::atan2(a[2], a[1]) - std::atan2(b[2], b[1]);
    while (d > M_PI)
        d -= 2 * M_PI;
    while (d < -M_PI)
        d += 2 * M_PI;
    return std::fabs(d);
}

} // namespace

TEST(CorrectionTarget, WhiteIsTheBrightestTheDisplayShowsInTheTargetsColour) {
    const correctionbench::Light light = correctionbench::simulatedDisplay("qd-lcd", 2.2);
    const DisplayModel model = correctionbench::fitted(light);
    for (BlackHandling black : {BlackHandling::Native, BlackHandling::Zero}) {
        TargetSpec spec = targetFor(rec709, Transfer::Gamma);
        spec.black = black;
        const ResolvedTarget target(spec, model);
        const std::array<double, 2> xy = chromaticity(target.white());
        EXPECT_NEAR(xy[0], 0.3127, 1e-4);
        EXPECT_NEAR(xy[1], 0.3290, 1e-4);
        // One channel is at its limit, none beyond it.
        const Rgb3 code = model.invert(target.white());
        EXPECT_GT(std::max({code[0], code[1], code[2]}), 0.995);
        EXPECT_TRUE(model.reachable(target.white()));
        EXPECT_LT(target.whiteNits(), model.white()[1]);
        // Native black keeps the display's black under the curve.
        const double blackY = target.xyz({0, 0, 0})[1];
        if (black == BlackHandling::Native)
            EXPECT_NEAR(blackY, model.black()[1], 1e-9);
        else
            EXPECT_EQ(blackY, 0.0);
    }
}

TEST(CorrectionTarget, OutOfGamutColoursKeepTheirHueAndGiveWayTowardsGrey) {
    // Rec. 2020 asked of a P3 panel: its saturated colours lie outside.
    const correctionbench::Light light = correctionbench::simulatedDisplay("p3", 2.2);
    const DisplayModel model = correctionbench::fitted(light);
    const ResolvedTarget target(targetFor(rec2020, Transfer::Gamma), model);
    std::mt19937 random(3);
    std::uniform_real_distribution<double> unit(0, 1);
    int outside = 0, lighter = 0;
    for (int i = 0; i < 300; ++i) {
        const Rgb3 s{unit(random), unit(random), unit(random)};
        const Xyz asked = target.xyz(s), got = target.mapped(s);
        const Lab a = xyzToLab(asked, target.white()), g = xyzToLab(got, target.white());
        if (model.reachable(asked)) {
            EXPECT_EQ(asked, got); // what the display can show is left alone
            continue;
        }
        ++outside;
        EXPECT_TRUE(model.reachable(got));
        EXPECT_LT(std::hypot(g[1], g[2]), std::hypot(a[1], a[2]));
        if (std::hypot(g[1], g[2]) > 1) {
            EXPECT_LT(hueDifference(a, g), 1e-6);
        }
        // The lightness is held, or gives way towards the mid-grey.
        EXPECT_LE(std::fabs(g[0] - 50), std::fabs(a[0] - 50) + 1e-6);
        EXPECT_GE((g[0] - 50) * (a[0] - 50), 0.0);
        lighter += std::fabs(g[0] - a[0]) > 0.5;
    }
    EXPECT_GT(outside, 50);
    EXPECT_GT(lighter, 0);
    // Full yellow at the white's lightness: held there, only white is
    // left; given way, it stays about as yellow as the panel's own.
    const Lab yellow = xyzToLab(target.mapped({1, 1, 0}), target.white());
    const Lab panel = xyzToLab(model.predict({1, 1, 0}), target.white());
    EXPECT_GT(std::hypot(yellow[1], yellow[2]), 0.8 * std::hypot(panel[1], panel[2]));
}

TEST(CorrectionTarget, TheTableMakesTheModelledDisplayShowTheTarget) {
    // A wide-gamut panel with the wrong gamma corrected to Rec. 709 at 2.4,
    // and to P3 with BT.1886; the table as the display's video processor.
    const correctionbench::Light light = correctionbench::simulatedDisplay("p3", 2.2);
    const DisplayModel model = correctionbench::fitted(light);
    const struct {
        int standard;
        Transfer transfer;
    } targets[] = {{rec709, Transfer::Gamma}, {dciP3, Transfer::Bt1886}};
    for (const auto &t : targets) {
        const ResolvedTarget target(targetFor(t.standard, t.transfer), model);
        const CubeLut lut = buildCorrectionLut(model, target, 33, "test");
        std::vector<VerifiedPatch> before, after;
        for (const Patch &p : verificationPatches()) {
            const Rgb3 code = correctionbench::codeOf(p);
            before.push_back(judgePatch(p, light(code), target));
            after.push_back(judgePatch(p, light(lut.apply(code)), target));
        }
        const VerificationSummary b = summarise(before), a = summarise(after);
        EXPECT_GT(b.meanDeltaE, 2) << t.standard;
        EXPECT_LT(a.meanDeltaE, 0.3) << t.standard;
        EXPECT_LT(a.maxDeltaE, 1.0) << t.standard << " " << a.worst;
        EXPECT_LT(a.greyMaxDuv, 0.001);
    }
}

TEST(CorrectionTarget, GreyCurvesRiseAndPutEveryGreyOnTheTargetWhite) {
    const correctionbench::Light light = correctionbench::simulatedDisplay("qd-lcd", 2.2);
    const DisplayModel model = correctionbench::fitted(light);
    TargetSpec spec = targetFor(rec709, Transfer::Gamma, 2.4);
    spec.primaries.setWhite(0.3457, 0.3585, 1.0); // a warmer white than the panel's
    const ResolvedTarget target(spec, model);
    const CubeLut curves = buildCalibrationCurves(model, target, 256);
    ASSERT_EQ(curves.dimensions, 1);
    for (int i = 1; i < curves.size; ++i)
        for (int c = 0; c < 3; ++c)
            ASSERT_GE(curves.at(i, i, i)[c], curves.at(i - 1, i - 1, i - 1)[c]);
    // Each grey is the target's: its white above the display's own black.
    for (double s : {0.25, 0.5, 0.75, 1.0}) {
        const Xyz shown = light(curves.apply({s, s, s})), want = target.xyz({s, s, s});
        const std::array<double, 2> xy = chromaticity(shown), wantXy = chromaticity(want);
        EXPECT_NEAR(xy[0], wantXy[0], 3e-4) << s;
        EXPECT_NEAR(xy[1], wantXy[1], 3e-4) << s;
        EXPECT_NEAR(shown[1] / want[1], 1.0, 0.005) << s;
    }
    const std::array<double, 2> white = chromaticity(target.white());
    EXPECT_NEAR(white[0], 0.3457, 1e-4);
    EXPECT_NEAR(white[1], 0.3585, 1e-4);
}

TEST(CorrectionTarget, CoverageIsTheSharedAreaInUpVp) {
    const Triangle r709 = standardTriangle(GamutSpec::standardSpec(rec709));
    const Triangle r2020 = standardTriangle(GamutSpec::standardSpec(rec2020));
    EXPECT_NEAR(coverage(r709, r709), 1.0, 1e-12);
    EXPECT_NEAR(coverage(r2020, r709), 1.0, 1e-12); // 709 lies inside 2020
    // Inside it, 709 covers its own share of 2020's area, whichever way
    // round the corners are given.
    auto area = [](const Triangle &t) {
        return std::fabs((t[1][0] - t[0][0]) * (t[2][1] - t[0][1]) -
                         (t[2][0] - t[0][0]) * (t[1][1] - t[0][1])) /
               2;
    };
    const Triangle reversed{r709[2], r709[1], r709[0]};
    EXPECT_NEAR(coverage(reversed, r2020), area(r709) / area(r2020), 1e-12);
    // A triangle moved half off another covers part of it.
    Triangle shifted = r709;
    for (auto &p : shifted)
        p[0] += 0.2;
    const double part = coverage(shifted, r709);
    EXPECT_GT(part, 0.05);
    EXPECT_LT(part, 0.95);
    // The simulated P3 panel covers all of 709 and most of P3, not 2020.
    const Coverage c =
        gamutCoverage(correctionbench::fitted(correctionbench::simulatedDisplay("p3")));
    EXPECT_GT(c.rec709, 0.99);
    EXPECT_GT(c.p3, 0.95);
    EXPECT_LT(c.rec2020, 0.8);
}

TEST(CorrectionTarget, HdrTargetsAreAbsoluteForPqAndRelativeToThePeakForHlg) {
    const correctionbench::Light light = correctionbench::simulatedDisplay("qd-lcd", 2.2);
    const DisplayModel model = correctionbench::fitted(light);
    const ResolvedTarget pq(targetFor(rec2020, Transfer::Pq), model);
    const double s100 = transfer::st2084InverseEotf(100);
    EXPECT_NEAR(pq.xyz({s100, s100, s100})[1], 100, 0.01); // whatever the display's white
    EXPECT_TRUE(pq.isHdr());
    // Beyond what the panel makes, the light is brought down to its white.
    const double s1000 = transfer::st2084InverseEotf(1000);
    const Xyz bright = pq.mapped({s1000, s1000, s1000});
    EXPECT_LE(bright[1], pq.whiteNits() * 1.001);
    EXPECT_TRUE(model.reachable(bright));
    const ResolvedTarget hlg(targetFor(rec2020, Transfer::Hlg), model);
    EXPECT_NEAR(hlg.xyz({1, 1, 1})[1], hlg.whiteNits(), hlg.whiteNits() * 1e-6);
    EXPECT_NEAR(hlg.xyz({0.75, 0.75, 0.75})[1],
                transfer::hlgGreyEotf(0.75, hlg.whiteNits(), model.black()[1]), 1e-6);
}
