#include "patchjudge.h"

#include <cmath>

PatchJudgement judgePatch(const ShownCodes &shown, const Measurement &reading,
                          const VideoStandard &standard) {
    PatchJudgement j;
    j.shown = shown;
    VideoStandard asShown = standard;
    asShown.range = shown.range;
    j.target = codeTarget(shown.code, asShown);
    j.measured = Measurement::fromXYZ(reading.bigX, reading.bigY, reading.bigZ, standard.spec);
    j.measured.errorCode |= reading.errorCode;
    j.deltaE2000 = j.measured.deltaE2000(j.target.measurement);
    j.deltaItp = deltaEItp(j.measured, j.target.measurement);
    if (!std::isfinite(j.deltaE2000))
        j.deltaE2000 = 0;
    return j;
}
