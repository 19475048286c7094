#include "correctiontarget.h"

#include "labmath.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace correction {

namespace {

// The white is kept this far inside what the display reaches, so that
// measurement noise in the fit cannot put it just outside.
constexpr double whiteMargin = 0.997;

} // namespace

ResolvedTarget::ResolvedTarget(const TargetSpec &spec, const DisplayModel &display)
    : spec_(spec), display_(&display) {
    const GamutSpec &p = spec.primaries;
    const Xyz w1 = fromXyY(p.whiteX, p.whiteY, 1.0);
    Mat3 m, inverse;
    for (int c = 0; c < 3; ++c) {
        const Xyz primary = display.primary(c);
        for (int r = 0; r < 3; ++r)
            m[r][c] = primary[r];
    }
    if (!invert3(m, &inverse))
        inverse = Mat3{};
    const Xyz tw = multiply(inverse, w1);
    const Xyz tb = multiply(inverse, display.black());
    // How bright a white of the target's colour the display can make, on
    // its own black (span) and counting its black in (whole).
    double span = std::numeric_limits<double>::max(), whole = span;
    for (int c = 0; c < 3; ++c) {
        if (tw[c] > 0) {
            span = std::min(span, 1.0 / tw[c]);
            whole = std::min(whole, (1.0 + tb[c]) / tw[c]);
        }
    }
    if (span == std::numeric_limits<double>::max())
        span = whole = display.white()[1];
    span *= whiteMargin;
    whole *= whiteMargin;

    TargetCurve curve = spec.curve;
    const double blackNits = spec.black == BlackHandling::Native ? display.black()[1] : 0.0;
    const bool offset = curve.transfer == Transfer::Gamma && spec.black == BlackHandling::Native;
    double whiteNits = whole;
    if (offset) {
        black_ = display.black();
        lightWhite_ = span;
        whiteNits = span + display.black()[1];
    } else {
        lightWhite_ = whole;
    }
    curve.blackNits = blackNits;
    curve.peakNits = whole;
    standard_.curve = curve;
    standard_.spec = GamutSpec(p.redX, p.redY, p.greenX, p.greenY, p.blueX, p.blueY, p.whiteX,
                               p.whiteY, whiteNits);
    standard_.range = CodeRange::full(8);
    const GamutSpec unit(p.redX, p.redY, p.greenX, p.greenY, p.blueX, p.blueY, p.whiteX, p.whiteY,
                         1.0);
    toXyz_ = unit.rgbToXyz;
    white_ = xyz({1, 1, 1});
}

Xyz ResolvedTarget::xyz(const Rgb3 &signal) const {
    const Xyz light = multiply(toXyz_, standard_.curve.light(signal, lightWhite_));
    return {black_[0] + light[0], black_[1] + light[1], black_[2] + light[2]};
}

Xyz ResolvedTarget::mapped(const Rgb3 &signal) const {
    const Xyz x = xyz(signal);
    return display_ ? mapIntoGamut(x, *display_, white_) : x;
}

Xyz mapIntoGamut(const Xyz &xyz, const DisplayModel &display, const Xyz &white) {
    if (display.reachable(xyz))
        return xyz;
    Lab lab = xyzToLab(xyz, white);
    lab[0] = std::clamp(lab[0], 0.0, 100.0);
    const Xyz asked = labToXyz(lab, white);
    // Along the line from the colour towards a grey of the same hue plane:
    // the last reachable point, or the grey itself when even it is not (the
    // inversion then clamps it).
    auto towards = [&](double greyLightness) {
        auto at = [&](double k) {
            return labToXyz({greyLightness + (lab[0] - greyLightness) * k, lab[1] * k, lab[2] * k},
                            white);
        };
        if (!display.reachable(at(0)))
            return at(0);
        double lo = 0, hi = 1;
        for (int i = 0; i < 24; ++i) {
            const double mid = (lo + hi) / 2;
            (display.reachable(at(mid)) ? lo : hi) = mid;
        }
        return at(lo);
    };
    // Holding the lightness suits most colours; a bright saturated one (an
    // HDR yellow at the display's white level) would come out white, and
    // gives way towards the mid-grey instead. The closer of the two wins.
    const Xyz level = towards(lab[0]);
    if (lab[0] <= 50)
        return level;
    const Xyz mid = towards(50);
    return deltaE2000(mid, asked, white) < deltaE2000(level, asked, white) ? mid : level;
}

} // namespace correction
