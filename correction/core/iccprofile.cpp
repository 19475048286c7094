#include "iccprofile.h"

#include "labmath.h"

#include <lcms2.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace correction {

namespace {

constexpr int curvePoints = 1024;

struct ProfileCloser {
    void operator()(void *h) const { cmsCloseProfile(h); }
};
struct CurveFreer {
    void operator()(cmsToneCurve *c) const { cmsFreeToneCurve(c); }
};
struct MluFreer {
    void operator()(cmsMLU *m) const { cmsMLUfree(m); }
};
using Curve = std::unique_ptr<cmsToneCurve, CurveFreer>;

cmsUInt16Number word(double v) {
    return static_cast<cmsUInt16Number>(std::lround(std::clamp(v, 0.0, 1.0) * 65535.0));
}

bool writeText(cmsHPROFILE h, cmsTagSignature tag, const std::string &text) {
    std::unique_ptr<cmsMLU, MluFreer> mlu(cmsMLUalloc(nullptr, 1));
    return mlu && cmsMLUsetASCII(mlu.get(), "en", "US", text.c_str()) &&
           cmsWriteTag(h, tag, mlu.get());
}

} // namespace

std::vector<unsigned char> displayProfile(const DisplayModel &display, const CubeLut &calibration,
                                          const std::string &description, std::string *error) {
    auto fail = [error](const std::string &why) {
        if (error)
            *error = why;
        return std::vector<unsigned char>();
    };
    if (calibration.dimensions != 1 || calibration.size < 2)
        return fail("the calibration curves are no 1D table");
    const Xyz black = display.black();
    // Each channel alone, through its calibration curve, above black.
    auto channelLight = [&](int c, double signal) {
        Rgb3 code{0, 0, 0};
        code[c] = calibration.apply({signal, signal, signal})[c];
        const Xyz xyz = display.predict(code);
        return Xyz{xyz[0] - black[0], xyz[1] - black[1], xyz[2] - black[2]};
    };
    Xyz colorant[3];
    Xyz white{0, 0, 0};
    for (int c = 0; c < 3; ++c) {
        colorant[c] = channelLight(c, 1.0);
        if (!(colorant[c][1] > 0))
            return fail("a calibrated channel gives no light");
        for (int k = 0; k < 3; ++k)
            white[k] += colorant[c][k];
    }
    Curve trc[3];
    for (int c = 0; c < 3; ++c) {
        std::vector<cmsUInt16Number> table(curvePoints);
        double previous = 0;
        for (int i = 0; i < curvePoints; ++i) {
            const double s = double(i) / (curvePoints - 1);
            const double y =
                i == 0 ? 0.0 : std::max(previous, channelLight(c, s)[1] / colorant[c][1]);
            table[i] = word(y);
            previous = y;
        }
        trc[c].reset(cmsBuildTabulatedToneCurve16(nullptr, curvePoints, table.data()));
        if (!trc[c])
            return fail("Little CMS could not build a tone curve");
    }
    auto xyY = [](const Xyz &xyz, double bigY) {
        const std::array<double, 2> xy = chromaticity(xyz);
        return cmsCIExyY{xy[0], xy[1], bigY};
    };
    const cmsCIExyY whitePoint = xyY(white, 1.0);
    const cmsCIExyYTRIPLE primaries{xyY(colorant[0], colorant[0][1] / white[1]),
                                    xyY(colorant[1], colorant[1][1] / white[1]),
                                    xyY(colorant[2], colorant[2][1] / white[1])};
    cmsToneCurve *curves[3] = {trc[0].get(), trc[1].get(), trc[2].get()};
    std::unique_ptr<void, ProfileCloser> h(cmsCreateRGBProfile(&whitePoint, &primaries, curves));
    if (!h)
        return fail("Little CMS could not make the profile");
    cmsSetProfileVersion(h.get(), 4.3);
    const cmsCIEXYZ luminance{0, white[1] + black[1], 0};
    if (!writeText(h.get(), cmsSigProfileDescriptionTag, description) ||
        !writeText(h.get(), cmsSigCopyrightTag, "No copyright; measured by Tintwell") ||
        !cmsWriteTag(h.get(), cmsSigLuminanceTag, &luminance))
        return fail("Little CMS could not write the profile's tags");

    Curve vcgt[3];
    for (int c = 0; c < 3; ++c) {
        std::vector<cmsUInt16Number> table(calibration.size);
        for (int i = 0; i < calibration.size; ++i)
            table[i] = word(calibration.at(i, i, i)[c]);
        vcgt[c].reset(cmsBuildTabulatedToneCurve16(nullptr, calibration.size, table.data()));
        if (!vcgt[c])
            return fail("Little CMS could not build the calibration curves");
    }
    cmsToneCurve *vcgtCurves[3] = {vcgt[0].get(), vcgt[1].get(), vcgt[2].get()};
    if (!cmsWriteTag(h.get(), cmsSigVcgtTag, vcgtCurves))
        return fail("Little CMS could not write the calibration curves");

    cmsUInt32Number bytes = 0;
    if (!cmsSaveProfileToMem(h.get(), nullptr, &bytes) || bytes == 0)
        return fail("Little CMS could not serialise the profile");
    std::vector<unsigned char> out(bytes);
    if (!cmsSaveProfileToMem(h.get(), out.data(), &bytes))
        return fail("Little CMS could not serialise the profile");
    out.resize(bytes);
    return out;
}

} // namespace correction
