#pragma once
// A measured patch against its target: the target of the code values the
// generator actually showed (the nearest ones when it could not show the
// depth asked for), with ΔE2000 against the standard's white and ΔE ITP of
// the absolute light.

#include "patchdepth.h"
#include "videotarget.h"

struct PatchJudgement {
    ShownCodes shown;
    PatchTarget target;
    Measurement measured; // the reading against the standard's primaries and white
    double deltaE2000 = 0;
    double deltaItp = 0;
};

PatchJudgement judgePatch(const ShownCodes &shown, const Measurement &reading,
                          const VideoStandard &standard);
