// The ICC display profile read back with Little CMS: a v4 display profile
// whose matrix, undone through its own chromatic adaptation tag, gives the
// measured primaries and the white, whose curves follow the calibrated
// channels, and which carries the calibration curves as 'vcgt'.
#include "correctionbench.h"
#include "correctiontarget.h"
#include "iccprofile.h"
#include "labmath.h"
#include "lutbuild.h"

#include <gtest/gtest.h>
#include <lcms2.h>

#include <memory>

using namespace correction;

namespace {

struct ProfileCloser {
    void operator()(void *h) const { cmsCloseProfile(h); }
};
using Profile = std::unique_ptr<void, ProfileCloser>;

// The colour Little CMS gives for RGB through the profile, before the
// adaptation to D50 (undone with the profile's own 'chad').
Xyz native(cmsHPROFILE h, const Mat3 &chadInverse, const Rgb3 &rgb) {
    Profile xyz(cmsCreateXYZProfile());
    cmsHTRANSFORM t = cmsCreateTransform(h, TYPE_RGB_DBL, xyz.get(), TYPE_XYZ_DBL,
                                         INTENT_RELATIVE_COLORIMETRIC, cmsFLAGS_NOOPTIMIZE);
    EXPECT_NE(t, nullptr);
    if (!t)
        return {0, 0, 0};
    const double in[3] = {rgb[0], rgb[1], rgb[2]};
    cmsCIEXYZ out;
    cmsDoTransform(t, in, &out, 1);
    cmsDeleteTransform(t);
    return multiply(chadInverse, {out.X, out.Y, out.Z});
}

} // namespace

TEST(IccProfile, LittleCmsReadsBackTheMeasuredPrimariesWhiteCurvesAndVcgt) {
    const correctionbench::Light light = correctionbench::simulatedDisplay("qd-lcd", 2.2);
    const DisplayModel model = correctionbench::fitted(light);
    TargetSpec spec;
    spec.primaries = GamutSpec::standardSpec(2, 1.0);
    spec.curve.gamma = 2.4;
    const ResolvedTarget target(spec, model);
    const CubeLut curves = buildCalibrationCurves(model, target, 256);
    std::string why;
    const std::vector<unsigned char> bytes = displayProfile(model, curves, "test display", &why);
    ASSERT_FALSE(bytes.empty()) << why;

    Profile h(cmsOpenProfileFromMem(bytes.data(), cmsUInt32Number(bytes.size())));
    ASSERT_TRUE(h);
    EXPECT_EQ(cmsGetDeviceClass(h.get()), cmsSigDisplayClass);
    EXPECT_EQ(cmsGetColorSpace(h.get()), cmsSigRgbData);
    EXPECT_GE(cmsGetProfileVersion(h.get()), 4.0);
    EXPECT_TRUE(cmsIsMatrixShaper(h.get()));
    char text[64] = {};
    cmsGetProfileInfoASCII(h.get(), cmsInfoDescription, "en", "US", text, sizeof text);
    EXPECT_STREQ(text, "test display");

    // Little CMS hands the 'chad' tag back as nine numbers, row by row.
    const auto *chad =
        static_cast<const cmsFloat64Number *>(cmsReadTag(h.get(), cmsSigChromaticAdaptationTag));
    ASSERT_NE(chad, nullptr);
    Mat3 adapt, undo;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            adapt[r][c] = chad[r * 3 + c];
    ASSERT_TRUE(invert3(adapt, &undo));

    // The primaries where the display showed them, the white where the
    // calibrated display shows it (the target's), each relative to it.
    const Xyz black = model.black();
    for (int c = 0; c < 3; ++c) {
        Rgb3 code{0, 0, 0};
        code[c] = 1;
        const Xyz measured = light(code);
        const Xyz above{measured[0] - black[0], measured[1] - black[1], measured[2] - black[2]};
        Rgb3 rgb{0, 0, 0};
        rgb[c] = 1;
        const std::array<double, 2> want = chromaticity(above),
                                    got = chromaticity(native(h.get(), undo, rgb));
        EXPECT_NEAR(got[0], want[0], 5e-4) << c;
        EXPECT_NEAR(got[1], want[1], 5e-4) << c;
    }
    const std::array<double, 2> white = chromaticity(native(h.get(), undo, {1, 1, 1}));
    EXPECT_NEAR(white[0], 0.3127, 5e-4);
    EXPECT_NEAR(white[1], 0.3290, 5e-4);
    // Through the calibration the greys follow the target's curve, and the
    // profile says so: half signal gives the target's share of white.
    const Xyz half = native(h.get(), undo, {0.5, 0.5, 0.5});
    const Xyz full = native(h.get(), undo, {1, 1, 1});
    const double want =
        (target.xyz({0.5, 0.5, 0.5})[1] - black[1]) / (target.xyz({1, 1, 1})[1] - black[1]);
    EXPECT_NEAR(half[1] / full[1], want, 0.01);

    const auto *vcgt = static_cast<cmsToneCurve **>(cmsReadTag(h.get(), cmsSigVcgtTag));
    ASSERT_NE(vcgt, nullptr);
    for (int c = 0; c < 3; ++c)
        for (double s : {0.0, 0.3, 0.7, 1.0})
            EXPECT_NEAR(cmsEvalToneCurveFloat(vcgt[c], float(s)), curves.apply({s, s, s})[c], 1e-3)
                << c << " " << s;
}
