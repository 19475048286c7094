#pragma once
// One correction from start to end, shared by the command line and the
// window: the patches a run shows (tagged by set), and from what they
// measured the model, the target made concrete, the 3D table, the grey
// curves, the ICC profile and the verification before correction.

#include "correctiontarget.h"
#include "cubelut.h"
#include "verification.h"

#include <memory>
#include <string>
#include <vector>

namespace correction {

// The two sets a characterisation shows.
constexpr const char *characterisationSet = "characterisation";
constexpr const char *verificationSet = "verification";

struct MeasuredPatch {
    std::string set;
    Patch patch;
    Xyz xyz{};
};

// The characterisation patches, then the verification set.
std::vector<std::pair<std::string, Patch>> characterisationRun(PatchSetSize size);
// The verification set alone (verifying through a correction).
std::vector<std::pair<std::string, Patch>> verificationRun();

struct Correction {
    std::shared_ptr<const DisplayModel> model; // the target points into it
    ResolvedTarget target;
    CubeLut lut, curves;
    std::vector<unsigned char> icc;
    std::vector<VerifiedPatch> before;
    Coverage coverage;
};

// The model of the characterisation rows; false with the fit's reason.
bool fitRows(const std::vector<MeasuredPatch> &rows, DisplayModel *model, std::string *error);
// The verification rows judged against the target.
std::vector<VerifiedPatch> judgeRows(const std::vector<MeasuredPatch> &rows,
                                     const ResolvedTarget &target);
// Everything from a characterisation's rows; false with the reason (the
// fit's, or the profile's).
bool computeCorrection(const std::vector<MeasuredPatch> &rows, const TargetSpec &spec, int lutSize,
                       const std::string &title, Correction *out, std::string *error);

} // namespace correction
