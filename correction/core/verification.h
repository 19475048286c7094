#pragma once
// How close a display comes to its target: each verification patch judged
// (ΔE2000 against the target's white, ΔE ITP of the absolute light), the
// set summarised with its grey tracking, and the share of the common
// standards' gamuts the display covers.

#include "correctiontarget.h"
#include "patchsets.h"

#include <string>
#include <vector>

namespace correction {

struct VerifiedPatch {
    Patch patch;
    Xyz target{}, measured{};
    double deltaE = 0;   // CIEDE2000
    double deltaItp = 0; // ITU-R BT.2124
};

struct VerificationSummary {
    int patches = 0;
    double meanDeltaE = 0, maxDeltaE = 0;
    std::string worst; // the patch with the largest ΔE2000
    double meanDeltaItp = 0, maxDeltaItp = 0;
    // Grey tracking: the greys' largest distance from the target's white
    // in u'v', and their largest luminance error in percent of the target.
    double greyMaxDuv = 0, greyMaxLuminancePercent = 0;
};

VerifiedPatch judgePatch(const Patch &patch, const Xyz &measured, const ResolvedTarget &target);
VerificationSummary summarise(const std::vector<VerifiedPatch> &patches);
// Whether a display verified through a correction is further from the target
// than it was without: its mean ΔE2000 more than 10 % and 0.2 above, beyond
// what measuring again would change. Such a correction is no correction.
bool furtherThanBefore(const VerificationSummary &before, const VerificationSummary &after);

using Triangle = std::array<std::array<double, 2>, 3>;
// The share (0..1) of the standard's triangle that the display's covers,
// both in u'v'.
double coverage(const Triangle &display, const Triangle &standard);
// A standard's primaries in u'v'.
Triangle standardTriangle(const GamutSpec &spec);

struct Coverage {
    double rec709 = 0, p3 = 0, rec2020 = 0;
};
Coverage gamutCoverage(const DisplayModel &display);

} // namespace correction
